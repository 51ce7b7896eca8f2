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
    // A hop list's unreadable lines, "line 3: ...", each in its place among
    // the points' ordinals; `error` is the first of them when nothing worse
    // is wrong, and `points` holds the lines that were read.
    std::vector<std::string> badLines;

    bool ok() const { return error.empty(); }
    // Whether only unreadable lines are wrong, which --skip-bad leaves out.
    bool onlyBadLines() const { return !badLines.empty() && error == badLines.front(); }
    // The points a list held, its unreadable lines among them.
    std::size_t count() const { return points.size() + badLines.size(); }
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

// An output below 1 kHz, or a reference, is taken for a typing slip and
// never planned for a board: the chip makes 35 MHz at least.
inline constexpr double kMinBoardFrequencyMHz = 0.001;
// The coarsest output step a plan for a board takes (the finest is any
// step above 0 Hz): no step can be coarser than the chip's highest output.
inline constexpr double kMaxBoardResolutionHz = 4400e6;

// What the errors of a range call it and its members: a sweep of steps, a
// band scan of points.
struct RangeNames {
    std::string_view range = "sweep";
    std::string_view members = "steps";
};

// start, start + step, ... up to stop (included when it is reached within
// rounding). The step may be negative, from a start above the stop.
SweepPoints linearSweep(double startMHz, double stopMHz, double stepMHz, RangeNames names = {});

// The longest dwell of a step, a day: more is taken for a typing slip.
inline constexpr std::chrono::milliseconds kMaxDwell{86'400'000};

// One frequency a line, in MHz or with a unit ("2403 MHz", "2.403G"),
// optionally ",MS" for that line's dwell in milliseconds. Blank lines, text
// from "#" on and a UTF-8 byte order mark are ignored. A bad line is an
// error naming its number, and so is "2400,5", which may be meant as 2400.5
// MHz: a dwell takes a blank after the comma ("2400, 5").
SweepPoints parseHopList(std::string_view text);

// The point's frequency as typed into the output frequency box.
std::string frequencyText(double mhz);

// The whole of text (blanks around it aside) as a finite number, or nothing:
// a sweep's bounds are checked strictly, unlike a text box, so that "24OO"
// or "2400,5" is not taken for something else.
std::optional<double> strictNumber(std::string_view text);

} // namespace vantrel
