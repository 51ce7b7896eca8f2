#include "echoed_text.h"

#include "hex_codec.h"

#include <algorithm>

namespace vantrel {

std::string echoedText(std::string_view raw, std::size_t maxChars)
{
    static constexpr std::string_view kCut = "...";
    std::string echoed;
    echoed.reserve(std::min(raw.size(), maxChars) + kCut.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        // The backslash is escaped too, so that a literal "\x41" in the
        // input cannot pass for an escaped byte.
        const std::string piece = (byte < 0x20 || byte >= 0x7F || c == '\\')
            ? "\\x" + hexByte(byte)
            : std::string(1, c);
        if (echoed.size() + piece.size() > maxChars)
            return echoed + std::string(kCut);
        echoed += piece;
    }
    return echoed;
}

} // namespace vantrel
