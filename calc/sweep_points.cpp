#include "sweep_points.h"

#include <charconv>
#include <cmath>
#include <limits>

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

SweepPoints failure(std::string error) { return {{}, std::move(error)}; }

std::string lineError(int line, std::string_view what) { return "line " + std::to_string(line) + ": " + std::string(what); }

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

        const std::size_t comma = line.find(',');
        const std::string_view frequency = withoutBlanksAround(line.substr(0, comma));
        const std::optional<double> mhz = readFrequency(frequency, FrequencyUnit::MHz).value;
        if (!mhz || *mhz <= 0)
            return failure(lineError(number, "\"" + std::string(frequency)
                                                 + "\" is not a frequency in MHz or with a unit (Hz, kHz, MHz, GHz)"));
        SweepPoint point{*mhz, std::nullopt, number, static_cast<int>(hops.points.size()) + 1};
        if (comma != std::string_view::npos) {
            const std::string_view dwell = withoutBlanksAround(line.substr(comma + 1));
            const std::optional<long long> ms = wholeNumber<long long>(dwell);
            if (!ms || *ms < 0 || *ms > std::numeric_limits<int>::max())
                return failure(lineError(number, "\"" + std::string(dwell) + "\" is not a dwell in whole milliseconds"));
            point.dwell = std::chrono::milliseconds(*ms);
        }
        if (hops.points.size() == kMaxSweepPoints)
            return failure(lineError(number, "more than " + std::to_string(kMaxSweepPoints) + " frequencies"));
        hops.points.push_back(point);
    }
    if (hops.points.empty())
        return failure("the hop list holds no frequency");
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
