#include "plan_quality.h"

#include <algorithm>
#include <cmath>

namespace vantrel {
namespace {

constexpr double kHzPerMHz = 1e6;
constexpr double kKHzPerMHz = 1e3;
constexpr double kHzPerKHz = 1e3;

} // namespace

bool isLoopBandwidth(double kHz) { return kHz >= kMinLoopBandwidthKHz && kHz <= kMaxLoopBandwidthKHz; }

double inBandFloorDbcHz(Antibacklash abp, double pfdMHz, double outputMHz)
{
    const double floor = abp == Antibacklash::Ns3 ? kPnSynthAbp3DbcHz : kPnSynthAbp6DbcHz;
    return floor + 10 * std::log10(pfdMHz * kHzPerMHz) + 20 * std::log10(outputMHz / pfdMHz);
}

double flickerNoiseDbcHz(Antibacklash abp, double outputMHz, double offsetHz)
{
    const double flicker = abp == Antibacklash::Ns3 ? kPnFlickerAbp3DbcHz : kPnFlickerAbp6DbcHz;
    return flicker + 10 * std::log10(kFlickerReferenceOffsetHz / offsetHz)
           + 20 * std::log10(outputMHz / kFlickerReferenceCarrierMHz);
}

double powerSumDb(double a, double b)
{
    // Taken relative to the larger, so that neither power underflows.
    const double larger = std::max(a, b);
    return larger + 10 * std::log10(std::pow(10.0, (a - larger) / 10) + std::pow(10.0, (b - larger) / 10));
}

int fractionalRepeatFactor(double mod)
{
    const bool even = std::fmod(mod, 2) == 0;
    const bool third = std::fmod(mod, 3) == 0;
    if (even && third)
        return kFractionalRepeatSixth;
    if (even)
        return kFractionalRepeatEven;
    if (third)
        return kFractionalRepeatThird;
    return 1;
}

PlanQuality planQuality(const QualityInput& in)
{
    PlanQuality q;
    q.pfdMHz = in.pfdMHz;
    q.inBandFloorDbcHz = inBandFloorDbcHz(in.abp, in.pfdMHz, in.outputMHz);
    q.flicker10kHzDbcHz = flickerNoiseDbcHz(in.abp, in.outputMHz, kFlickerReferenceOffsetHz);
    q.inBand10kHzDbcHz = powerSumDb(q.inBandFloorDbcHz, q.flicker10kHzDbcHz);

    // The N counter's input lies FRAC / MOD of a PFD step past a multiple of
    // f_PFD, and as far from the next: the nearer is the spur's offset. The
    // divider leaves an offset as it is and lowers the level by 20 log D,
    // unless the counter is fed from the divider's output.
    const bool fracZero = in.frac == 0;
    q.boundary = in.integerN ? BoundarySpur::IntegerN : fracZero ? BoundarySpur::FracZero : BoundarySpur::Present;
    if (q.boundary == BoundarySpur::Present) {
        q.boundarySpurOffsetKHz = in.pfdMHz * std::min(in.frac, in.mod - in.frac) / in.mod * kKHzPerMHz;
        q.boundarySpurInLoop = q.boundarySpurOffsetKHz < in.loopBandwidthKHz;
        q.boundarySpurOutputDropDb = in.fundamentalFeedback ? 20 * std::log10(in.outDiv) : 0;
    }

    // With FRAC 0 the modulator's input is 0 and its output stays still: no
    // sequence, no fractional spurs. The dither runs whatever FRAC is.
    if (in.integerN || (fracZero && !in.lowSpur)) {
        q.fractional = FractionalSpurs::None;
    } else if (in.lowSpur) {
        q.fractional = FractionalSpurs::Dithered;
    } else {
        q.fractional = FractionalSpurs::Interval;
        q.fractionalSpurIntervalKHz = in.pfdMHz / (in.mod * fractionalRepeatFactor(in.mod)) * kKHzPerMHz;
    }

    q.pfdSpurOffsetMHz = in.pfdMHz;
    q.loopBandwidthKHz = in.loopBandwidthKHz;
    return q;
}

std::optional<PlanQuality> planQuality(const Settings& s, const PlanResult& result, const LoopBandwidth& loop)
{
    if (result.outcome != PlanOutcome::Complete)
        return std::nullopt;
    const PlanValues& p = result.values;
    // An output of 0 or less has no noise in dBc to speak of (and no logarithm).
    const double output = p.fout + p.errorHz / kHzPerMHz;
    if (!(output > 0))
        return std::nullopt;
    QualityInput in;
    in.pfdMHz = p.fcomp;
    in.outputMHz = output;
    in.frac = p.fract;
    in.mod = p.denom;
    in.outDiv = p.outDiv;
    in.integerN = s.intN;
    in.lowSpur = s.lowSpur;
    in.fundamentalFeedback = !s.feedback;
    in.abp = s.chip.abp;
    in.loopBandwidthKHz = loop.kHz();
    // The panel takes no filter that makes no loop; a plan whose values make
    // none (no N) keeps the bandwidth set or assumed.
    std::optional<double> crossoverKHz;
    if (loop.circuit) {
        if (const LoopAnalysisResult analysis = analysePlanLoop(s, p, *loop.circuit); analysis.analysis)
            crossoverKHz = analysis.analysis->crossoverHz / kHzPerKHz;
    }
    if (crossoverKHz)
        in.loopBandwidthKHz = *crossoverKHz;
    PlanQuality q = planQuality(in);
    q.loopBandwidthAssumed = !crossoverKHz && !loop.setKHz;
    q.loopBandwidthFromFilter = crossoverKHz.has_value();
    return q;
}

} // namespace vantrel
