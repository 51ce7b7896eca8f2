#include "number_reader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace vantrel {
namespace {

bool isSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

double readLeadingNumber(std::string_view text)
{
    // The skipped characters may stand anywhere, even between digits, so the
    // number is gathered into a compact copy before it is parsed.
    std::string digits;   // mantissa digits, leading zeros dropped
    bool negative = false;
    bool seenSign = false, seenDigit = false, seenPoint = false;
    long long pointShift = 0; // mantissa digits after the point
    std::string exponentDigits;
    bool exponentNegative = false;

    enum class Stage { Mantissa, ExponentSign, ExponentDigits } stage = Stage::Mantissa;
    for (const char c : text) {
        if (isSkipped(c))
            continue;
        if (stage == Stage::Mantissa) {
            if ((c == '+' || c == '-') && !seenSign && !seenDigit && !seenPoint) {
                seenSign = true;
                negative = (c == '-');
            } else if (isDigit(c)) {
                seenDigit = true;
                if (!(digits.empty() && c == '0'))
                    digits.push_back(c);
                if (seenPoint)
                    ++pointShift;
            } else if (c == '.' && !seenPoint) {
                seenPoint = true;
            } else if ((c == 'e' || c == 'E') && seenDigit) {
                stage = Stage::ExponentSign;
            } else {
                break;
            }
        } else if (stage == Stage::ExponentSign) {
            if (c == '+' || c == '-') {
                exponentNegative = (c == '-');
                stage = Stage::ExponentDigits;
            } else if (isDigit(c)) {
                exponentDigits.push_back(c);
                stage = Stage::ExponentDigits;
            } else {
                break;
            }
        } else {
            if (!isDigit(c))
                break;
            exponentDigits.push_back(c);
        }
    }
    if (!seenDigit || digits.empty())
        return negative ? -0.0 : 0.0;

    // Digits that stood after the point but were dropped as leading zeros
    // still count in pointShift; that is what places the point.
    long long exponent = 0;
    for (const char c : exponentDigits) {
        if (exponent < 1'000'000'000)
            exponent = exponent * 10 + (c - '0');
    }
    if (exponentNegative)
        exponent = -exponent;
    exponent -= pointShift;

    const std::string canonical = digits + "e" + std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                              std::chars_format::scientific);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // The decimal exponent of the leading digit tells overflow from underflow.
        const long long magnitude = exponent + static_cast<long long>(digits.size());
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::string_view withoutBlanksAround(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace vantrel
