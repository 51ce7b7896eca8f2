#include "loop_design.h"

#include <cmath>
#include <numbers>

#include "bracketed_root.h"
#include "part_value.h"

namespace vantrel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// x = w_c T1 is sought between these, in log10: every margin strictly
// between 0 and 90 degrees has its root far inside.
constexpr double kMinLogX = -12;
constexpr double kMaxLogX = 12;
constexpr double kLogTolerance = 1e-13;

// The phase margin, radians, that T1 = x / w_c gives.
double marginOf(double x, const DesignTarget& t)
{
    return std::atan(t.gamma / (x * (1 + t.t31))) - std::atan(x) - std::atan(x * t.t31);
}

bool positive(double value) { return std::isfinite(value) && value > 0; }

LoopDesignResult failed(std::string why)
{
    LoopDesignResult result;
    result.error = std::move(why);
    return result;
}

} // namespace

std::string targetError(const DesignTarget& t)
{
    if (!positive(t.crossoverHz))
        return "the crossover frequency is not above 0";
    if (!(t.phaseMarginDeg > 0 && t.phaseMarginDeg < 90))
        return "the phase margin is not between 0 and 90 degrees";
    if (!positive(t.gamma))
        return "gamma is not above 0";
    if (!(t.t31 >= 0 && t.t31 < 1))
        return "T31 is not from 0 up to 1";
    return {};
}

LoopFilter nearestE24Filter(const LoopFilter& f)
{
    return {nearestE24(f.c1), nearestE24(f.c2), nearestE24(f.c3), nearestE24(f.r2), nearestE24(f.r3)};
}

LoopDesignResult designLoopFilter(const DesignTarget& target, const LoopPlant& plant)
{
    if (std::string why = targetError(target); !why.empty())
        return failed(std::move(why));
    if (std::string why = plantError(plant); !why.empty())
        return failed(std::move(why));

    // The margin falls from 90 degrees at T1 = 0 to below 0 as T1 grows:
    // one root.
    const double phi = target.phaseMarginDeg * kRadiansPerDegree;
    const auto residual = [&](double logX) { return marginOf(std::pow(10.0, logX), target) - phi; };
    const std::optional<double> logX = rootInBracket(residual, kMinLogX, kMaxLogX, kLogTolerance);
    if (!logX)
        return failed("no T1 gives this phase margin with this gamma and T31");
    const double wc = kTwoPi * target.crossoverHz;
    TimeConstants t;
    t.t1 = std::pow(10.0, *logX) / wc;
    t.t3 = target.t31 * t.t1;
    t.t2 = target.gamma / (wc * wc * (t.t1 + t.t3));

    const double a0 = plant.icpA * plant.kvHzPerV / (plant.nEff * wc * wc)
                      * std::sqrt((1 + wc * wc * t.t2 * t.t2)
                                  / ((1 + wc * wc * t.t1 * t.t1) * (1 + wc * wc * t.t3 * t.t3)));
    const double a1 = a0 * (t.t1 + t.t3);
    const double a2 = a0 * t.t1 * t.t3;
    LoopFilter exact;
    if (target.t31 == 0) {
        // Second order: A1 = C1 C2 R2 = C1 T2, so C1 = A0 T1 / T2.
        exact.c1 = a0 * t.t1 / t.t2;
        exact.c2 = a0 - exact.c1;
        exact.r2 = t.t2 / exact.c2;
    } else {
        const double root = 1 + t.t2 / a2 * (t.t2 * a0 - a1);
        if (!(root >= 0))
            return failed("these targets give no passive filter (C1 has no real value): lower T31 or raise gamma");
        exact.c1 = a2 / (t.t2 * t.t2) * (1 + std::sqrt(root));
        exact.c3 = (-t.t2 * t.t2 * exact.c1 * exact.c1 + t.t2 * a1 * exact.c1 - a2 * a0)
                   / (t.t2 * t.t2 * exact.c1 - a2);
        exact.c2 = a0 - exact.c1 - exact.c3;
        exact.r2 = t.t2 / exact.c2;
        exact.r3 = a2 / (exact.c1 * exact.c3 * t.t2);
    }
    const std::pair<const char*, double> parts[] = {
        {"C1", exact.c1}, {"C2", exact.c2}, {"C3", exact.c3}, {"R2", exact.r2}, {"R3", exact.r3}};
    for (const auto& [name, value] : parts) {
        if (!std::isfinite(value) || value < 0 || (value == 0 && target.t31 != 0))
            return failed(std::string("these targets give no passive filter (") + name
                          + " comes out negative): lower T31 or raise gamma");
    }
    if (std::string why = filterError(exact); !why.empty())
        return failed("these targets give no passive filter (" + why + ")");

    LoopDesign design;
    design.times = t;
    design.exact = exact;
    design.e24 = nearestE24Filter(exact);
    const LoopAnalysisResult e24 = analyseLoop(design.e24, plant);
    if (!e24.analysis)
        return failed("the E24 parts make no loop: " + e24.error);
    design.e24Loop = *e24.analysis;
    LoopDesignResult result;
    result.design = design;
    return result;
}

} // namespace vantrel
