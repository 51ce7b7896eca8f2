// The frequencies of a sweep (start, stop, step) or of a hop list (one
// frequency a line, with an optional dwell), checked whole before anything
// is planned or sent.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct SweepPoint {
    double mhz = 0;
    std::optional<std::chrono::milliseconds> dwell; // a hop line's own dwell
    int line = 0;                                   // hop list line, 1 up; 0 for a sweep
    int ordinal = 0; // the point's place in the whole sweep or hop list, 1 up, kept when others are skipped
};

struct SweepPoints {
    std::vector<SweepPoint> points;
    std::string error; // empty when the points are good

    bool ok() const { return error.empty(); }
};

// A range of output frequencies: start, stop and the step between them.
struct FrequencyRange {
    double startMHz = 0;
    double stopMHz = 0;
    double stepMHz = 0; // may be negative, from a start above the stop

    bool operator==(const FrequencyRange&) const = default;
};

// A sweep holds at most this many points; more is taken for a typing slip.
inline constexpr std::size_t kMaxSweepPoints = 100'000;

// What the errors of a range call it and its members: a sweep of steps, a
// band scan of points.
struct RangeNames {
    std::string_view range = "sweep";
    std::string_view members = "steps";
};

// start, start + step, ... up to stop (included when it is reached within
// rounding). The step may be negative, from a start above the stop.
SweepPoints linearSweep(double startMHz, double stopMHz, double stepMHz, RangeNames names = {});

// One frequency a line, in MHz or with a unit ("2403 MHz", "2.403G"),
// optionally ",MS" for that line's dwell in milliseconds. Blank lines, text
// from "#" on and a UTF-8 byte order mark are ignored. A bad line is an
// error naming its number.
SweepPoints parseHopList(std::string_view text);

// The point's frequency as typed into the output frequency box.
std::string frequencyText(double mhz);

// The whole of text (blanks around it aside) as a finite number, or nothing:
// a sweep's bounds are checked strictly, unlike a text box, so that "24OO"
// or "2400,5" is not taken for something else.
std::optional<double> strictNumber(std::string_view text);

} // namespace vantrel
