// The root of a continuous function between two points where it has
// opposite signs: regula falsi with the Illinois step, which converges
// nearly as fast as the secant on the smooth curves of the loop, and
// bisection whenever a step would fall outside the bracket. It never leaves
// the bracket and never returns a NaN.
#pragma once

#include <cmath>
#include <optional>

namespace vantrel {

// The x in [lo, hi] where f(x) = 0, to within `tolerance` of x; nothing when
// f(lo) and f(hi) have the same sign or either is not a number.
template <typename F>
std::optional<double> rootInBracket(F f, double lo, double hi, double tolerance)
{
    double flo = f(lo);
    double fhi = f(hi);
    if (std::isnan(flo) || std::isnan(fhi) || (flo > 0) == (fhi > 0))
        return flo == 0 ? std::optional<double>(lo) : fhi == 0 ? std::optional<double>(hi) : std::nullopt;
    constexpr int kMaxSteps = 200; // far beyond what a double's precision needs
    int side = 0;                  // which end stayed twice running
    double last = lo;
    for (int step = 0; step < kMaxSteps && hi - lo > tolerance; ++step) {
        double x = (lo * fhi - hi * flo) / (fhi - flo);
        if (!(x > lo && x < hi))
            x = lo + (hi - lo) / 2;
        const double fx = f(x);
        if (std::isnan(fx))
            return std::nullopt;
        // A step this small lands on the root: one end may stay far off.
        if (fx == 0 || (step > 0 && std::fabs(x - last) < tolerance / 4))
            return x;
        last = x;
        if ((fx > 0) == (flo > 0)) {
            lo = x;
            flo = fx;
            if (side == -1)
                fhi /= 2;
            side = -1;
        } else {
            hi = x;
            fhi = fx;
            if (side == 1)
                flo /= 2;
            side = 1;
        }
    }
    return std::fabs(flo) < std::fabs(fhi) ? lo : hi;
}

} // namespace vantrel
