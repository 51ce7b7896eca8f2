#include "frequency_units.h"

#include <array>
#include <charconv>
#include <cmath>

#include "echoed_text.h"
#include "number_reader.h"

namespace vantrel {
namespace {

int powerOfTen(FrequencyUnit unit)
{
    switch (unit) {
    case FrequencyUnit::Hz: return 0;
    case FrequencyUnit::kHz: return 3;
    case FrequencyUnit::MHz: return 6;
    case FrequencyUnit::GHz: return 9;
    }
    return 0;
}

std::optional<FrequencyUnit> unitNamed(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (lower == "hz")
        return FrequencyUnit::Hz;
    if (lower == "k" || lower == "khz")
        return FrequencyUnit::kHz;
    if (lower == "m" || lower == "mhz")
        return FrequencyUnit::MHz;
    if (lower == "g" || lower == "ghz")
        return FrequencyUnit::GHz;
    return std::nullopt;
}

FrequencyReading failure(std::string error) { return {std::nullopt, std::nullopt, std::move(error)}; }

} // namespace

std::string_view unitName(FrequencyUnit unit)
{
    switch (unit) {
    case FrequencyUnit::Hz: return "Hz";
    case FrequencyUnit::kHz: return "kHz";
    case FrequencyUnit::MHz: return "MHz";
    case FrequencyUnit::GHz: return "GHz";
    }
    return "";
}

FrequencyReading readFrequency(std::string_view text, FrequencyUnit unit)
{
    text = withoutBlanksAround(text);
    if (text.empty())
        return failure("is empty");
    double value = 0;
    const char* const begin = text.data();
    const auto [end, error] = std::from_chars(begin, begin + text.size(), value);
    if (error == std::errc::invalid_argument)
        return failure("is not a number");
    const std::string_view number(begin, static_cast<std::size_t>(end - begin));
    if (error == std::errc::result_out_of_range)
        return failure("is out of range");
    // from_chars takes "inf" and "nan"; neither is a frequency.
    if (error != std::errc() || !std::isfinite(value))
        return failure("is not a number");
    const std::string_view rest = withoutBlanksAround(text.substr(number.size()));
    FrequencyReading reading;
    if (!rest.empty()) {
        reading.unit = unitNamed(rest);
        if (!reading.unit)
            return failure("has \"" + echoedText(rest, kEchoedInputChars) + "\" after the number, which is no unit");
    }
    const int shift = reading.unit ? powerOfTen(*reading.unit) - powerOfTen(unit) : 0;
    if (shift != 0) {
        // The unit moves the decimal exponent, so that "2.4G" in MHz is the
        // double nearest 2400, not 2.4 * 1000 with its own rounding.
        const std::size_t e = number.find_first_of("eE");
        long long exponent = 0;
        if (e != std::string_view::npos) {
            std::string_view digits = number.substr(e + 1);
            if (!digits.empty() && digits.front() == '+')
                digits.remove_prefix(1);
            if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc())
                return failure("is not a number");
        }
        const std::string scaled =
            std::string(number.substr(0, e)) + "e" + std::to_string(exponent + shift);
        const auto scaledResult = std::from_chars(scaled.data(), scaled.data() + scaled.size(), value);
        if (scaledResult.ec != std::errc() || !std::isfinite(value))
            return failure("is out of range");
    }
    reading.value = value;
    return reading;
}

bool readsAsWritten(std::string_view text, std::optional<FrequencyUnit> unit)
{
    text = withoutBlanksAround(text);
    if (text.empty())
        return true;
    // The rule takes a leading "+", which the strict reading does not.
    if (text.front() == '+' && text.size() > 1 && text[1] != '-')
        text.remove_prefix(1);
    const FrequencyReading reading = readFrequency(text, unit.value_or(FrequencyUnit::Hz));
    return reading.value && (!reading.unit || reading.unit == unit);
}

std::string exactDecimalText(double value)
{
    // Fixed notation needs at most 309 integer digits plus the shortest fraction.
    std::array<char, 1100> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

} // namespace vantrel
