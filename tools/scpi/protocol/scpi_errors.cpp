#include "scpi_errors.h"

#include <charconv>

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
        const std::size_t width = c == '"' ? 2 : 1;
        if (quoted.size() + width > kMaxQuoted)
            break;
        // A line end inside the text would end the answer early.
        const char shown = c == '\r' || c == '\n' ? ' ' : c;
        quoted.append(width, shown);
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
