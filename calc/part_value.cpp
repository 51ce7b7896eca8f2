#include "part_value.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

struct Prefix {
    std::string_view text;
    int exponent; // power of ten
};

// Lower-case m is milli and upper-case M mega, as engineers write them.
constexpr std::array<Prefix, 10> kPrefixes{{
    {"p", -12},
    {"n", -9},
    {"u", -6},
    {"\xC2\xB5", -6}, // the micro sign
    {"\xCE\xBC", -6}, // the Greek small mu
    {"m", -3},
    {"k", 3},
    {"K", 3},
    {"M", 6},
    {"G", 9},
}};

constexpr std::array<std::string_view, 2> kFaradWords{"F", "f"};
constexpr std::array<std::string_view, 7> kOhmWords{"ohm", "Ohm", "OHM", "ohms", "Ohms",
                                                     "\xCE\xA9",      // the Greek capital omega
                                                     "\xE2\x84\xA6"}; // the ohm sign
constexpr std::array<std::string_view, 4> kSensitivityWords{"Hz/V", "hz/v", "HZ/V", "Hz/v"};

bool isUnitWord(std::string_view word, Quantity quantity)
{
    const auto in = [word](const auto& words) { return std::find(words.begin(), words.end(), word) != words.end(); };
    switch (quantity) {
    case Quantity::Capacitance: return in(kFaradWords);
    case Quantity::Resistance: return in(kOhmWords) || word == "R";
    case Quantity::Sensitivity: return in(kSensitivityWords);
    }
    return false;
}

const char* example(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Capacitance: return "a prefix and unit of F (such as 22n or 22 nF)";
    case Quantity::Resistance: return "a prefix and unit of ohm (such as 2k2, 2.2k or 2.2 kOhm)";
    case Quantity::Sensitivity: return "a prefix and unit of Hz/V (such as 40M or 40 MHz/V)";
    }
    return "";
}

std::optional<int> prefixAt(std::string_view text, std::size_t& length)
{
    for (const Prefix& prefix : kPrefixes) {
        if (text.substr(0, prefix.text.size()) == prefix.text) {
            length = prefix.text.size();
            return prefix.exponent;
        }
    }
    return std::nullopt;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QuantityReading failed(std::string why)
{
    QuantityReading reading;
    reading.error = std::move(why);
    return reading;
}

double scaled(double value, int exponent)
{
    // Through the decimal text, so that "2.2k" is the double nearest 2200
    // and not 2.2 x 1000 with the error of each.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    std::string text(buffer, end);
    const std::size_t e = text.find('e');
    int power = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), power);
    char digits[16];
    const char* digitsEnd = std::to_chars(digits, digits + sizeof digits, power + exponent).ptr;
    text.replace(e + 1, std::string::npos, digits, static_cast<std::size_t>(digitsEnd - digits));
    double result = 0;
    // Beyond a double's range: an infinity of the sign, or 0 below its smallest.
    if (std::from_chars(text.data(), text.data() + text.size(), result).ec == std::errc::result_out_of_range)
        return power + exponent > 0 ? std::copysign(HUGE_VAL, value) : 0.0;
    return result;
}

// A value read, or why not when scaling took it beyond a double's range.
QuantityReading valueOf(double value)
{
    if (!std::isfinite(value))
        return failed("is too large a number");
    return {value, {}};
}

} // namespace

QuantityReading readQuantity(std::string_view text, Quantity quantity, double plainScale)
{
    text = withoutBlanksAround(text);
    if (text.empty())
        return failed("is empty");
    double number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc::result_out_of_range)
        return failed("is too large a number");
    if (ec != std::errc())
        return failed("is not a number");
    if (!std::isfinite(number))
        return failed("is not a finite number");
    const std::string_view digits = text.substr(0, static_cast<std::size_t>(end - text.data()));
    std::string_view rest = text.substr(digits.size());

    // "2k2", "4n7", "4R7": the prefix stands for the point of a whole number.
    std::size_t prefixLength = 0;
    std::optional<int> exponent = prefixAt(rest, prefixLength);
    if (!exponent && quantity == Quantity::Resistance && !rest.empty() && rest.front() == 'R'
        && allDigits(rest.substr(1))) {
        exponent = 0;
        prefixLength = 1;
    }
    const std::string_view fraction = exponent ? rest.substr(prefixLength) : std::string_view();
    if (exponent && allDigits(fraction)) {
        if (!allDigits(digits.front() == '-' ? digits.substr(1) : digits))
            return failed("is not a number: a point and a prefix in its place");
        const std::string joined = std::string(digits) + "." + std::string(fraction);
        double whole = 0;
        std::from_chars(joined.data(), joined.data() + joined.size(), whole);
        return valueOf(scaled(whole, *exponent));
    }

    rest = withoutBlanksAround(rest);
    if (rest.empty())
        return valueOf(number * plainScale);
    if (isUnitWord(rest, quantity))
        return {number, {}};
    exponent = prefixAt(rest, prefixLength);
    if (exponent) {
        const std::string_view unit = rest.substr(prefixLength);
        if (unit.empty() || isUnitWord(unit, quantity))
            return valueOf(scaled(number, *exponent));
    }
    return failed(std::string("does not end in ") + example(quantity));
}

std::optional<double> readPlainNumber(std::string_view text)
{
    text = withoutBlanksAround(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double shownSignificant(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    const int places = digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (places >= 0)
        return shownValue(value, places);
    // Whole multiples of a power of ten are exact in a double.
    const double unit = std::pow(10.0, -places);
    return shownValue(value / unit, 0) * unit;
}

std::string engineeringText(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return plainNumber(value);
    // Rounded first, so that 999.96 becomes "1k" and not "1000".
    const double rounded = shownSignificant(value, digits);
    const int power = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    int group = power >= 0 ? power / 3 * 3 : -((-power + 2) / 3 * 3);
    group = std::clamp(group, -12, 9);
    const double mantissa = shownSignificant(scaled(rounded, -group), digits);
    std::string prefix;
    for (const Prefix& p : kPrefixes) {
        if (p.exponent == group && p.text != "K" && p.text.size() == 1)
            prefix = std::string(p.text);
    }
    return plainNumber(mantissa) + prefix;
}

double nearestE24(double value)
{
    static constexpr std::array<double, 25> kE24{1.0, 1.1, 1.2, 1.3, 1.5, 1.6, 1.8, 2.0, 2.2, 2.4, 2.7, 3.0, 3.3,
                                                 3.6, 3.9, 4.3, 4.7, 5.1, 5.6, 6.2, 6.8, 7.5, 8.2, 9.1, 10.0};
    if (!(value > 0) || !std::isfinite(value))
        return value;
    const int decade = static_cast<int>(std::floor(std::log10(value)));
    const double mantissa = value / std::pow(10.0, decade);
    double best = kE24.front();
    for (const double e24 : kE24) {
        if (std::fabs(std::log(mantissa / e24)) < std::fabs(std::log(mantissa / best)))
            best = e24;
    }
    return shownSignificant(scaled(best, decade), 2);
}

} // namespace vantrel
