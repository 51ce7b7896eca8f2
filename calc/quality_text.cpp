#include "quality_text.h"

#include "number_format.h"

namespace vantrel {
namespace {

std::string kiloHertz(double kHz) { return formatMask(kHz, kOffsetKHzMask) + " kHz"; }
std::string megaHertz(double mHz) { return formatMask(mHz, kPfdMHzMask) + " MHz"; }

} // namespace

std::string noiseText(double dbcHz) { return formatMask(dbcHz, kNoiseMask) + " dBc/Hz"; }

std::string boundarySpurText(const PlanQuality& q)
{
    switch (q.boundary) {
    case BoundarySpur::IntegerN: return "none (integer-N)";
    case BoundarySpur::FracZero: return "none (FRAC 0)";
    case BoundarySpur::Present: break;
    }
    return kiloHertz(q.boundarySpurOffsetKHz);
}

std::string fractionalSpursText(const PlanQuality& q)
{
    switch (q.fractional) {
    case FractionalSpurs::Interval: return "every " + kiloHertz(q.fractionalSpurIntervalKHz);
    case FractionalSpurs::Dithered: return "dithered";
    case FractionalSpurs::None: break;
    }
    return q.boundary == BoundarySpur::FracZero ? "none (FRAC 0)" : "none (integer-N)";
}

std::vector<QualityLine> qualityLines(const PlanQuality& q)
{
    std::string boundary = boundarySpurText(q);
    if (q.boundary == BoundarySpur::Present) {
        boundary = "at " + boundary
                   + (q.boundarySpurInLoop ? ", inside the loop bandwidth: the loop filter leaves it"
                                           : ", outside the loop bandwidth");
        if (q.boundarySpurOutputDropDb > 0)
            boundary += "; " + formatMask(q.boundarySpurOutputDropDb, kNoiseMask) + " dB lower at the output than at the VCO";
    }
    std::string fractional = fractionalSpursText(q);
    if (q.fractional == FractionalSpurs::Dithered)
        fractional += " (low spur mode): no discrete spurs; the in-band noise is higher than the figures above";
    std::string loop = q.loopBandwidthFromFilter ? kiloHertz(q.loopBandwidthKHz) + " (from the loop filter)"
                                                 : plainNumber(q.loopBandwidthKHz) + " kHz";
    if (q.loopBandwidthAssumed)
        loop += " (assumed)";
    return {
        {"PFD", megaHertz(q.pfdMHz)},
        {"In-band floor", noiseText(q.inBandFloorDbcHz)},
        {"1/f noise at 10 kHz", noiseText(q.flicker10kHzDbcHz)},
        {"In-band noise at 10 kHz", noiseText(q.inBand10kHzDbcHz)},
        {"Integer-boundary spur", std::move(boundary)},
        {"Fractional spurs", std::move(fractional)},
        {"PFD spur", "at " + megaHertz(q.pfdSpurOffsetMHz)},
        {"Loop bandwidth", std::move(loop)},
    };
}

std::string qualitySummary(const PlanQuality& q)
{
    std::string text = "in-band " + noiseText(q.inBand10kHzDbcHz) + " at 10 kHz; ";
    if (q.boundary == BoundarySpur::Present)
        text += "boundary spur at " + boundarySpurText(q)
                + (q.boundarySpurInLoop ? ", inside the loop" : ", outside the loop");
    else
        text += "no boundary spur" + boundarySpurText(q).substr(std::string("none").size());
    text += "; ";
    if (q.fractional == FractionalSpurs::None)
        text += "no fractional spurs" + fractionalSpursText(q).substr(std::string("none").size());
    else
        text += "fractional spurs " + fractionalSpursText(q);
    return text;
}

std::string adviceStatus(const Advice& advice)
{
    const std::size_t found = advice.suggestions.size();
    if (advice.currentIsCleanest)
        return found == 0 ? "the current plan is the cleanest found"
                          : "the current plan is the cleanest found; the next best:";
    if (!advice.currentUsable) {
        const std::string why = advice.currentStopped ? "the current plan stopped" : "the current plan breaks a chip limit";
        if (found == 0)
            return why + "; no plan found within the chip's limits and half the step";
        return why + "; these keep the chip's limits, within half the step:";
    }
    return found == 1 ? "1 cleaner plan found:" : plainNumber(double(found)) + " cleaner plans found:";
}

std::string qualityText(const PlanQuality& q)
{
    std::string text = "Plan quality. ";
    text += kQualityEstimateNote;
    text += '\n';
    for (const QualityLine& line : qualityLines(q)) {
        text += line.label;
        text += ": ";
        text += line.value;
        text += '\n';
    }
    return text;
}

} // namespace vantrel
