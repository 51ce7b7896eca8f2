#include "duration_text.h"

#include <charconv>

namespace vantrel {
namespace {

std::string wholeNumber(long long value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, end.ptr);
}

} // namespace

std::string durationText(long long seconds)
{
    if (seconds <= 0)
        return "0 s";
    const long long hours = seconds / 3600;
    const long long minutes = seconds % 3600 / 60;
    const long long rest = seconds % 60;
    std::string text;
    const auto part = [&text](long long amount, const char* unit) {
        if (amount == 0)
            return;
        if (!text.empty())
            text += ' ';
        text += wholeNumber(amount) + ' ' + unit;
    };
    part(hours, "h");
    part(minutes, "min");
    part(rest, "s");
    return text;
}

} // namespace vantrel
