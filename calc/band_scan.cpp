#include "band_scan.h"

#include <algorithm>
#include <cmath>

#include "auto_divider.h"
#include "chip.h"
#include "number_reader.h"
#include "sweep_plan.h"
#include "sweep_points.h"

namespace vantrel {

PointFigures::PointFigures(const PlanQuality& quality)
    : inBand10kHzDbcHz(quality.inBand10kHzDbcHz)
    , boundary(quality.boundary)
    , boundarySpurOffsetKHz(quality.boundarySpurOffsetKHz)
    , boundarySpurInLoop(quality.boundarySpurInLoop)
    , crossoverKHz(quality.loopBandwidthFromFilter ? std::optional<double>(quality.loopBandwidthKHz) : std::nullopt)
{
}

PlanQuality PointFigures::asQuality() const
{
    PlanQuality quality;
    quality.inBand10kHzDbcHz = inBand10kHzDbcHz;
    quality.boundary = boundary;
    quality.boundarySpurOffsetKHz = boundarySpurOffsetKHz;
    quality.boundarySpurInLoop = boundarySpurInLoop;
    return quality;
}

FrequencyRange dividerOutputRange(int k)
{
    k = std::clamp(k, 0, kMaxOutDivIndex);
    const double divider = outputDivider(k);
    return {std::max(kMinVcoMHz / divider, kMinOutputMHz), std::min(kMaxVcoMHz / divider, kMaxOutputMHz),
            1.0 / divider};
}

BandScan scanBand(const FrequencyRange& range, const Settings& settings, const Presses& presses, const LoopBandwidth& loop)
{
    BandScan scan;
    scan.range = range;
    const SweepPoints points = linearSweep(range.startMHz, range.stopMHz, range.stepMHz, {"scan", "points"});
    if (!points.ok()) {
        scan.error = points.error;
        return scan;
    }
    scan.points.reserve(points.points.size());
    for (const SweepPoint& at : points.points) {
        const PlanSession session = planAtFrequency(settings, at.mhz, presses);
        const PlanResult& result = session.result();
        BandPoint point;
        point.foutMHz = readLeadingNumber(session.settings().foutText);
        point.outcome = result.outcome;
        point.stopReason = planStopReason(result);
        if (point.complete()) {
            const PlanValues& p = result.values;
            point.errorHz = p.errorHz;
            point.pfdMHz = p.fcomp;
            point.r = p.r;
            point.n = p.n;
            point.frac = p.fract;
            point.mod = p.denom;
            point.outDiv = p.outDiv;
            point.vcoMHz = p.vco;
            if (const std::optional<PlanQuality> quality = planQuality(session.settings(), result, loop))
                point.quality = PointFigures(*quality);
        }
        point.limits = limitSummaries(session);
        scan.points.push_back(std::move(point));
    }
    return scan;
}

BandScanCounts countPoints(const BandScan& scan)
{
    BandScanCounts counts;
    for (const BandPoint& point : scan.points) {
        if (!point.complete())
            ++counts.stopped;
        else if (point.limits.empty())
            ++counts.within;
        else
            ++counts.broken;
    }
    return counts;
}

std::optional<std::size_t> nearestPoint(const BandScan& scan, double mhz)
{
    if (scan.points.empty() || !std::isfinite(mhz))
        return std::nullopt;
    // The points stand a step apart from the start, so the index follows
    // from the distance; the neighbours settle a rounding at a midpoint.
    const double steps = (mhz - scan.range.startMHz) / scan.range.stepMHz;
    const double last = static_cast<double>(scan.points.size() - 1);
    const auto guess = static_cast<std::size_t>(std::clamp(std::round(steps), 0.0, last));
    std::size_t best = guess;
    for (const std::size_t i : {guess == 0 ? guess : guess - 1, guess + 1}) {
        if (i < scan.points.size()
            && std::abs(scan.points[i].foutMHz - mhz) < std::abs(scan.points[best].foutMHz - mhz))
            best = i;
    }
    return best;
}

} // namespace vantrel
