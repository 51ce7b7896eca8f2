#include "line_text.h"

#include <charconv>

#include "hex_codec.h"

namespace vantrel {

std::string exactNumber(double value)
{
    // Without a format and a precision, to_chars gives the shortest
    // round-trip form; it never consults the locale.
    char buffer[32];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end.ptr);
}

std::string decimalNumber(std::uint64_t value)
{
    char buffer[24];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end.ptr);
}

std::string quotedText(std::string_view text)
{
    std::string quoted = "\"";
    quoted.reserve(text.size() + 16);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\r': quoted += "\\r"; break;
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                quoted += "\\x" + hexByte(byte);
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

} // namespace vantrel
