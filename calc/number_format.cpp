#include "number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vantrel {
namespace {

constexpr int kSignificantDigits = 15;

std::string nonFinite(double value)
{
    if (std::isnan(value))
        return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

// A finite, non-zero magnitude as decimal digits d1 d2 ... d15 (trailing zeros
// dropped) and the decimal exponent of d1: value = d1.d2d3... x 10^exponent.
// The double is rounded to 15 significant digits first, as the window always
// shows numbers, so 2.675 is taken as 2.675 and not as 2.67499999999999982.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal toDecimal(double magnitude)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                      kSignificantDigits - 1);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    Decimal decimal;
    for (const char c : text.substr(0, e)) {
        if (c != '.')
            decimal.digits.push_back(c);
    }
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), decimal.exponent);
    return decimal;
}

std::string unsignedGeneral(double magnitude)
{
    if (magnitude == 0)
        return "0";
    const Decimal d = toDecimal(magnitude);
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent >= kSignificantDigits || d.exponent < -5) {
        std::string text = d.digits.substr(0, 1);
        if (count > 1)
            text += "." + d.digits.substr(1);
        const int e = std::abs(d.exponent);
        text += d.exponent < 0 ? "E-" : "E+";
        if (e < 10)
            text += '0';
        return text + std::to_string(e);
    }
    // Digits before the point; the exponent lies within -5..14 here.
    const int integerDigits = d.exponent + 1;
    if (integerDigits <= 0)
        return "0." + std::string(static_cast<std::size_t>(-integerDigits), '0') + d.digits;
    if (count <= integerDigits)
        return d.digits + std::string(static_cast<std::size_t>(integerDigits - count), '0');
    const auto point = static_cast<std::size_t>(integerDigits);
    return d.digits.substr(0, point) + "." + d.digits.substr(point);
}

// A whole number below 10^15 in magnitude: every digit exact within the 15
// significant digits the window shows.
bool isSmallWhole(double value) { return std::fabs(value) < 1e15 && value == std::floor(value); }

} // namespace

std::string generalNumber(double value)
{
    if (!std::isfinite(value))
        return (value > 0 ? " " : "") + nonFinite(value);
    if (value < 0)
        return "-" + unsignedGeneral(-value);
    return " " + unsignedGeneral(value);
}

std::string plainNumber(double value)
{
    const std::string text = generalNumber(value);
    return text.front() == ' ' ? text.substr(1) : text;
}

std::string formatMask(double value, std::string_view mask)
{
    int minIntegerDigits = 0, minDecimals = 0, maxDecimals = 0;
    bool hasPoint = false;
    std::size_t pos = 0;
    for (; pos < mask.size(); ++pos) {
        const char c = mask[pos];
        if (c == '.' && !hasPoint) {
            hasPoint = true;
        } else if (c == '0' || c == '#') {
            if (hasPoint) {
                ++maxDecimals;
                if (c == '0')
                    minDecimals = maxDecimals;
            } else if (c == '0') {
                ++minIntegerDigits;
            }
        } else {
            break;
        }
    }
    const std::string_view literal = mask.substr(pos);
    if (!std::isfinite(value))
        return nonFinite(value) + std::string(literal);

    // Integer digits and decimals of the magnitude, rounded half away from
    // zero at the last place the mask allows.
    std::string integerPart, fraction;
    if (isSmallWhole(value)) {
        // Most values shown are whole (R, N, FRAC, MOD, a limit): their digits
        // are exact, nothing to round, so the general path is not needed.
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(std::fabs(value)));
        integerPart.assign(buffer, result.ptr);
        if (integerPart == "0")
            integerPart.clear();
    } else if (value != 0) {
        const Decimal d = toDecimal(std::fabs(value));
        // Place every digit: position p (0 = units) gets digit index exponent - p.
        const int keepUpTo = -maxDecimals; // lowest place kept
        std::string placed; // digits from place max(exponent,0) down to keepUpTo
        const int top = std::max(d.exponent, 0);
        for (int place = top; place >= keepUpTo; --place) {
            const int index = d.exponent - place;
            placed.push_back(index >= 0 && index < static_cast<int>(d.digits.size())
                                 ? d.digits[static_cast<std::size_t>(index)] : '0');
        }
        const int firstDropped = d.exponent - (keepUpTo - 1);
        const bool roundUp = firstDropped >= 0 && firstDropped < static_cast<int>(d.digits.size())
                             && d.digits[static_cast<std::size_t>(firstDropped)] >= '5';
        if (roundUp) {
            int i = static_cast<int>(placed.size()) - 1;
            while (i >= 0 && placed[static_cast<std::size_t>(i)] == '9')
                placed[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0)
                ++placed[static_cast<std::size_t>(i)];
            else
                placed.insert(placed.begin(), '1');
        }
        integerPart = placed.substr(0, placed.size() - static_cast<std::size_t>(maxDecimals));
        fraction = placed.substr(placed.size() - static_cast<std::size_t>(maxDecimals));
        const std::size_t firstNonZero = integerPart.find_first_not_of('0');
        integerPart = firstNonZero == std::string::npos ? "" : integerPart.substr(firstNonZero);
    }
    while (static_cast<int>(integerPart.size()) < minIntegerDigits)
        integerPart.insert(integerPart.begin(), '0');
    fraction.resize(static_cast<std::size_t>(maxDecimals), '0');
    while (static_cast<int>(fraction.size()) > minDecimals && fraction.back() == '0')
        fraction.pop_back();

    std::string text = value < 0 ? "-" : "";
    text += integerPart;
    if (hasPoint && !fraction.empty())
        text += "." + fraction;
    return text + std::string(literal);
}

} // namespace vantrel

namespace vantrel {

double shownValue(double value, int places)
{
    if (!std::isfinite(value))
        return value;
    // The decimal text is the rounding: scaling by 10^places first would
    // add an error of its own for large values.
    const std::string mask = places > 0 ? "0." + std::string(static_cast<std::size_t>(places), '0') : "0";
    const std::string text = formatMask(value, mask);
    double shown = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    return shown == 0.0 ? 0.0 : shown;
}

} // namespace vantrel
