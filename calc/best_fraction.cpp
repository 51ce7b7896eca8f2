#include "best_fraction.h"

#include <cmath>

#include "number_reader.h"
#include "rounding.h"

namespace vantrel {
namespace {

constexpr double kMinFraction = 0.00001; // below this D would stay 1 for ever
constexpr double kExactFit = 0.00000000001;
constexpr double kDenominatorLimit = 4095; // denominators 1..4094 are tried
// Reading the clock costs more than a pass of the loop; the loop makes at
// most about 4095 passes, so a look every 256 still ends it within the limit.
constexpr unsigned kPassesPerClockLook = 256;

std::optional<double> finite(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

// Negative divisors are computed as written (a negative reference gives a
// negative R); only a zero divisor has no step.
std::optional<double> integerNStep(double fr, double r, double outDiv)
{
    if (r == 0 || outDiv == 0)
        return std::nullopt;
    return finite(((fr * 1000000) / r) / outDiv);
}

std::optional<double> stepForDenominator(double fr, double r, double d, double outDiv)
{
    if (r == 0 || d == 0 || outDiv == 0)
        return std::nullopt;
    return finite((((fr * 1000000) / r) / d) / outDiv);
}

std::optional<double> forcedResolution(bool intN, std::string_view forceDText, double fr, double r, double outDiv)
{
    if (intN)
        return integerNStep(fr, r, outDiv);
    const std::optional<std::int32_t> d = roundToInt32(readLeadingNumber(forceDText));
    if (!d || *d <= 0)
        return std::nullopt;
    return stepForDenominator(fr, r, *d, outDiv);
}

BestFraction searchBestFraction(double vco, double fcomp, const Clock& now)
{
    // A negative Fcomp is searched like any other: frac stays within 0..1.
    const double x = vco / fcomp;
    if (fcomp == 0 || !std::isfinite(x))
        return {BestFraction::End::NoPlan, 0};
    const double frac = x - std::floor(x);
    // With so small a fraction D never leaves 1 and no candidate can end the
    // loop; the time limit would be its only end, after two frozen seconds.
    if (!(frac > kMinFraction))
        return {BestFraction::End::NoFraction, 0};

    const auto start = now();
    double f = roundHalfEven(frac);
    double d = 1;
    double bestError = 9999999;
    double bestDenominator = 0;
    for (unsigned pass = 1;; ++pass) {
        f = f + 1;
        d = roundHalfEven(f / frac);
        if (d >= kDenominatorLimit)
            break;
        const double error = std::fabs(f / d - frac);
        if (error < bestError) {
            bestError = error;
            bestDenominator = d;
        }
        if (pass % kPassesPerClockLook == 0 && now() - start > kSearchTimeLimit)
            return {BestFraction::End::TimedOut, 0};
        if (error < kExactFit)
            break;
    }
    return {BestFraction::End::Found, static_cast<int>(bestDenominator)};
}

} // namespace vantrel
