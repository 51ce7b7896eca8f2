#include "loop_filter.h"

#include <cmath>
#include <numbers>

#include "bracketed_root.h"

namespace vantrel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kDegreesPerRadian = 180 / std::numbers::pi;
// The crossover is solved in log10 of the frequency to this: 1e-10 of a
// decade, far below the 0.1 % the figures are asked for.
constexpr double kLogTolerance = 1e-10;
// How far the bracket may be widened from the first guess, in decades: from
// a millihertz loop to one beyond any PFD, with room.
constexpr int kMaxBracketDecades = 24;

std::string partError(const char* name, double value)
{
    if (std::isnan(value))
        return std::string(name) + " is not a number";
    if (!std::isfinite(value))
        return std::string(name) + " is infinite";
    if (value < 0)
        return std::string(name) + " is negative";
    return {};
}

// The phase of G in degrees, continuous: -180 at DC, rising with the zero
// and falling with the two poles, towards -270 (-180 in second order).
double phaseDeg(const FilterCoefficients& c, double hz)
{
    const double w = kTwoPi * hz;
    return (std::atan(w * c.t2) - std::atan2(w * c.a1, c.a0 - w * w * c.a2)) * kDegreesPerRadian - 180;
}

} // namespace

std::string filterError(const LoopFilter& f)
{
    const std::pair<const char*, double> parts[] = {
        {"C1", f.c1}, {"C2", f.c2}, {"C3", f.c3}, {"R2", f.r2}, {"R3", f.r3}};
    for (const auto& [name, value] : parts) {
        if (std::string why = partError(name, value); !why.empty())
            return why;
    }
    for (const auto& [name, value] : {parts[0], parts[1], parts[3]}) {
        if (value == 0)
            return std::string(name) + " is 0: the filter needs it";
    }
    if (f.r3 == 0 && f.c3 != 0)
        return "R3 is 0 while C3 is set: give both for a third-order filter, or neither for a second-order one";
    if (f.c3 == 0 && f.r3 != 0)
        return "C3 is 0 while R3 is set: give both for a third-order filter, or neither for a second-order one";
    return {};
}

FilterCoefficients filterCoefficients(const LoopFilter& f)
{
    FilterCoefficients c;
    c.a0 = f.c1 + f.c2 + f.c3;
    c.a1 = f.c2 * f.r2 * (f.c1 + f.c3) + f.c3 * f.r3 * (f.c1 + f.c2);
    c.a2 = f.c1 * f.c2 * f.c3 * f.r2 * f.r3;
    c.t2 = f.r2 * f.c2;
    return c;
}

std::string plantError(const LoopPlant& plant)
{
    const auto positive = [](double value) { return std::isfinite(value) && value > 0; };
    if (!positive(plant.icpA))
        return "the charge-pump current is not above 0 (check RSET)";
    if (!positive(plant.kvHzPerV))
        return "the VCO sensitivity Kv is not above 0";
    if (!positive(plant.nEff))
        return "the plan has no N (no VCO or PFD frequency)";
    return {};
}

std::complex<double> filterImpedance(const FilterCoefficients& c, double hz)
{
    const double w = kTwoPi * hz;
    const std::complex<double> s(0, w);
    return (1.0 + s * c.t2) / (s * (c.a0 + s * c.a1 + s * s * c.a2));
}

std::complex<double> openLoopGain(const FilterCoefficients& c, const LoopPlant& plant, double hz)
{
    // G = K (1 + jw T2) / (-w^2 (A0 - w^2 A2 + jw A1)), divided out by hand:
    // std::complex's division guards against infinities at several times the
    // cost, and a curve takes hundreds of these.
    const double w = kTwoPi * hz;
    const double k = -plant.icpA * plant.kvHzPerV / (plant.nEff * w * w);
    const double re = c.a0 - w * w * c.a2;
    const double im = w * c.a1;
    const double zero = w * c.t2;
    const double scale = k / (re * re + im * im);
    return {scale * (re + zero * im), scale * (zero * re - im)};
}

BodePoint bodeAt(const FilterCoefficients& c, const LoopPlant& plant, double hz)
{
    return {hz, 20 * std::log10(std::abs(openLoopGain(c, plant, hz))), phaseDeg(c, hz)};
}

LoopAnalysisResult analyseLoop(const LoopFilter& filter, const LoopPlant& plant)
{
    LoopAnalysisResult result;
    result.error = filterError(filter);
    if (result.error.empty())
        result.error = plantError(plant);
    if (!result.error.empty())
        return result;
    const FilterCoefficients c = filterCoefficients(filter);

    // |G| falls all the way from DC (as 1/f^2) to infinity, so it crosses 1
    // once. The first guess is where the DC asymptote does.
    const auto logGain = [&](double logHz) { return std::log10(std::abs(openLoopGain(c, plant, std::pow(10.0, logHz)))); };
    const double guess = std::log10(std::sqrt(plant.icpA * plant.kvHzPerV / (plant.nEff * c.a0)) / kTwoPi);
    double lo = guess - 1;
    double hi = guess + 1;
    for (int i = 0; i < kMaxBracketDecades && logGain(lo) < 0; ++i)
        lo -= 1;
    for (int i = 0; i < kMaxBracketDecades && logGain(hi) > 0; ++i)
        hi += 1;
    const std::optional<double> crossover = rootInBracket(logGain, lo, hi, kLogTolerance);
    if (!crossover || !std::isfinite(*crossover)) {
        result.error = "the loop gain has no crossover within reach: the parts are far apart in scale";
        return result;
    }
    LoopAnalysis a;
    a.crossoverHz = std::pow(10.0, *crossover);
    a.phaseMarginDeg = 180 + phaseDeg(c, a.crossoverHz);
    // The phase is -180 where atan(w T2) = atan2(w A1, A0 - w^2 A2): there
    // w^2 = (T2 A0 - A1) / (T2 A2), when the zero comes before the poles.
    const double numerator = c.t2 * c.a0 - c.a1;
    if (c.a2 > 0 && numerator > 0) {
        const double hz = std::sqrt(numerator / (c.t2 * c.a2)) / kTwoPi;
        const double gain = std::abs(openLoopGain(c, plant, hz));
        if (std::isfinite(hz) && gain > 0 && std::isfinite(gain)) {
            a.phaseCrossoverHz = hz;
            a.gainMarginDb = -20 * std::log10(gain);
        }
    }
    result.analysis = a;
    return result;
}

} // namespace vantrel
