// The output frequency steps that the window writes into the resolution box:
// the integer-N step, the step for a forced denominator, and the search for
// the denominator whose fraction best fits the wanted ratio.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

namespace vantrel {

// ((Fr x 1e6) / R) / OutDiv in Hz; nothing when R or OutDiv is 0 (before the
// first plan) or the step is not finite. Negative values compute as written.
std::optional<double> integerNStep(double fr, double r, double outDiv);

// (((Fr x 1e6) / R) / D) / OutDiv in Hz; nothing when a divisor is 0 or the
// step is not finite.
std::optional<double> stepForDenominator(double fr, double r, double d, double outDiv);

// What typing into "Force Denom" writes into the resolution box: with
// integer-N on, the integer-N step; otherwise the step for the typed
// denominator rounded half to even, or nothing for a text reading 0 or less.
std::optional<double> forcedResolution(bool intN, std::string_view forceDText, double fr, double r, double outDiv);

struct BestFraction {
    enum class End {
        Found,    // best denominator (0 when the first candidate needs 4095 or more)
        NoFraction, // the ratio is whole, or nearly: nothing changes
        TimedOut, // two seconds passed: nothing changes
        NoPlan,   // Fcomp 0 (no plan yet) or VCO / Fcomp not finite: nothing to search
    };
    End end = End::NoPlan;
    int denominator = 0;
};

// Tries numerators F = round(frac) + 1, 2 ... with D = round(F / frac) for
// D up to 4094; of equal fits the smallest numerator wins. Returns as soon
// as a fit is exact to 1e-11. The clock is injectable for tests.
using Clock = std::function<std::chrono::steady_clock::time_point()>;
BestFraction searchBestFraction(double vco, double fcomp, const Clock& now = std::chrono::steady_clock::now);

constexpr std::chrono::seconds kSearchTimeLimit{2};

} // namespace vantrel
