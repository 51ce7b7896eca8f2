#include "sweep_points.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <variant>

#include "echoed_text.h"
#include "frequency_units.h"
#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

// The whole of text as a number, or nothing: a hop list is checked strictly,
// unlike a text box, so that "2400,5" or "24OO" is not taken for something else.
template <typename T>
std::optional<T> wholeNumber(std::string_view text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

SweepPoints failure(std::string error) { return {{}, std::move(error), {}}; }

std::string lineError(int line, std::string_view what) { return "line " + std::to_string(line) + ": " + std::string(what); }

// A hop line's text in a message: quoted, escaped and cut, as the line may be
// any bytes of any length.
std::string quoted(std::string_view text) { return "\"" + echoedText(text, kEchoedInputChars) + "\""; }

} // namespace

SweepPoints linearSweep(double start, double stop, double step, RangeNames names)
{
    if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(step))
        return failure("START, STOP and STEP must be numbers");
    if (step == 0)
        return failure("STEP must not be 0");
    const double span = (stop - start) / step;
    if (span < 0)
        return failure("STEP " + plainNumber(step) + " leads away from STOP; give it the sign of STOP - START");
    // A last point that rounding puts a hair beyond STOP still counts.
    const double count = std::floor(span + 1e-9) + 1;
    if (count > static_cast<double>(kMaxSweepPoints)) {
        // A count too large to write plainly (or infinite, for a step that
        // vanishes against the span) is only said to be too many.
        const std::string members(names.members);
        const std::string many = count < 1e15 ? plainNumber(count) + " " + members + ", " : std::string();
        return failure("the " + std::string(names.range) + " would have " + many + "more than "
                       + std::to_string(kMaxSweepPoints) + " " + members);
    }
    SweepPoints sweep;
    sweep.points.reserve(static_cast<std::size_t>(count));
    // Each point from START, not from the one before, so no rounding piles up.
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k)
        sweep.points.push_back({start + static_cast<double>(k) * step, std::nullopt, 0, static_cast<int>(k) + 1});
    return sweep;
}

namespace {

// A decimal comma would make "2400,5" 2400.5 MHz; the list reads it as a dwell.
bool ambiguousComma(std::string_view line, std::size_t comma)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return comma > 0 && comma + 1 < line.size() && digit(line[comma - 1]) && digit(line[comma + 1]);
}

// The point of one line that is neither blank nor a comment, or why it is none.
std::variant<SweepPoint, std::string> hopLine(std::string_view line, int number)
{
    const std::size_t comma = line.find(',');
    const std::string_view frequency = withoutBlanksAround(line.substr(0, comma));
    const std::optional<double> mhz = readFrequency(frequency, FrequencyUnit::MHz).value;
    if (!mhz)
        return lineError(number, quoted(frequency) + " is not a frequency in MHz or with a unit (Hz, kHz, MHz, GHz)");
    if (*mhz < kMinBoardFrequencyMHz)
        return lineError(number, quoted(frequency) + " is below 1 kHz, no output for a board");
    SweepPoint point{*mhz, std::nullopt, number, 0};
    if (comma == std::string_view::npos)
        return point;
    const std::string_view dwell = withoutBlanksAround(line.substr(comma + 1));
    const std::optional<long long> ms = wholeNumber<long long>(dwell);
    if (!ms || *ms < 0 || *ms > kMaxDwell.count())
        return lineError(number, quoted(dwell) + " is not a dwell in whole milliseconds from 0 to "
                                     + std::to_string(kMaxDwell.count()));
    if (ambiguousComma(line, comma)) {
        // Both read as numbers, so they are safe to show whole.
        const std::string f(frequency);
        const std::string d(dwell);
        return lineError(number, quoted(line) + " is ambiguous: write " + f + "." + d + " for a frequency or \"" + f
                                     + ", " + d + "\" for a " + d + " ms dwell");
    }
    point.dwell = std::chrono::milliseconds(*ms);
    return point;
}

} // namespace

SweepPoints parseHopList(std::string_view text)
{
    SweepPoints hops;
    int number = 0;
    // Editors on Windows put a byte order mark before the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        line = withoutBlanksAround(line);
        if (line.empty())
            continue;
        if (hops.count() == kMaxSweepPoints)
            return failure(lineError(number, "more than " + std::to_string(kMaxSweepPoints) + " frequencies"));
        std::variant<SweepPoint, std::string> read = hopLine(line, number);
        if (SweepPoint* point = std::get_if<SweepPoint>(&read)) {
            // A bad line keeps its place, so that the steps after it keep their numbers.
            point->ordinal = static_cast<int>(hops.count()) + 1;
            hops.points.push_back(*point);
        } else {
            hops.badLines.push_back(std::move(std::get<std::string>(read)));
        }
    }
    if (!hops.badLines.empty())
        hops.error = hops.badLines.front();
    else if (hops.points.empty())
        hops.error = "the hop list holds no frequency";
    return hops;
}

std::string frequencyText(double mhz) { return plainNumber(mhz); }

std::optional<double> strictNumber(std::string_view text)
{
    const std::optional<double> value = wholeNumber<double>(withoutBlanksAround(text));
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

} // namespace vantrel
