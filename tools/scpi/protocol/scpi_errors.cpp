#include "scpi_errors.h"

#include <charconv>

#include "hex_codec.h"

namespace vantrel::scpi {

std::string_view errorText(int code)
{
    switch (code) {
    case error::kNone: return "No error";
    case error::kCommand: return "Command error";
    case error::kSyntax: return "Syntax error";
    case error::kDataType: return "Data type error";
    case error::kParameterNotAllowed: return "Parameter not allowed";
    case error::kMissingParameter: return "Missing parameter";
    case error::kUndefinedHeader: return "Undefined header";
    case error::kInvalidSuffix: return "Invalid suffix";
    case error::kInitIgnored: return "Init ignored";
    case error::kSettingsConflict: return "Settings conflict";
    case error::kDataOutOfRange: return "Data out of range";
    case error::kIllegalParameterValue: return "Illegal parameter value";
    case error::kOutOfMemory: return "Out of memory";
    case error::kSystem: return "System error";
    case error::kQueueOverflow: return "Queue overflow";
    case error::kInputBufferOverrun: return "Input buffer overrun";
    }
    return {};
}

std::string errorResponse(const Error& error)
{
    // SCPI caps the quoted text at 255 characters; a doubled quote counts
    // twice and is never cut in half.
    constexpr std::size_t kMaxQuoted = 255;
    std::string text(errorText(error.code));
    if (!error.info.empty())
        text += ";" + error.info;
    std::string quoted;
    for (const char c : text) {
        // 7-bit ASCII only: a client decodes the answer as such, and a line
        // end inside would end it early. Echoed input is escaped already;
        // a byte from elsewhere (a port's name, the system's words) is here.
        const auto byte = static_cast<unsigned char>(c);
        const std::string piece = c == '"' ? std::string("\"\"")
                                  : byte < 0x20 || byte >= 0x7F ? "\\x" + hexByte(byte)
                                                                : std::string(1, c);
        if (quoted.size() + piece.size() > kMaxQuoted)
            break;
        quoted += piece;
    }
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, error.code).ptr;
    return std::string(number, end) + ",\"" + quoted + "\"";
}

int eventStatusBit(int code)
{
    if (code <= -100 && code > -200)
        return 5;
    if (code <= -200 && code > -300)
        return 4;
    if (code <= -300 && code > -400)
        return 3;
    if (code <= -400 && code > -500)
        return 2;
    return -1;
}

void ErrorQueue::push(Error error)
{
    if (m_errors.size() < kCapacity) {
        m_errors.push_back(std::move(error));
        return;
    }
    m_errors.back() = Error{error::kQueueOverflow, {}};
}

Error ErrorQueue::pop()
{
    if (m_errors.empty())
        return {};
    Error first = std::move(m_errors.front());
    m_errors.pop_front();
    return first;
}

} // namespace vantrel::scpi
