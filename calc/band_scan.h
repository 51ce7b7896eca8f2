// The band scan behind the band map: every output frequency of a range
// planned from the panel's settings exactly as a sweep plans its steps
// (planAtFrequency), each point with how its plan ended, the chip limits it
// breaks and its quality figures, so that a whole band's plans can be seen
// at once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "frequency_plan.h"
#include "plan_quality.h"
#include "plan_session.h"
#include "settings.h"
#include "sweep_points.h"

namespace vantrel {

// The quality figures a point keeps of its plan's (planQuality): the in-band
// noise and the integer-boundary spur, what the map draws and the scan's
// lines give; a scan of 100,000 points keeps no more than these.
struct PointFigures {
    double inBand10kHzDbcHz = 0;
    BoundarySpur boundary = BoundarySpur::IntegerN;
    double boundarySpurOffsetKHz = 0; // with a boundary spur (Present)
    bool boundarySpurInLoop = false;  // with a boundary spur: its offset below the loop bandwidth
    std::optional<double> crossoverKHz; // the loop filter's crossover at this plan, when a filter is set

    PointFigures() = default;
    explicit PointFigures(const PlanQuality& quality);

    std::optional<double> boundarySpurOffset() const
    {
        return boundary == BoundarySpur::Present ? std::optional<double>(boundarySpurOffsetKHz) : std::nullopt;
    }
    // A spur inside the loop bandwidth, which the loop filter leaves as it is.
    bool spurInLoop() const { return boundary == BoundarySpur::Present && boundarySpurInLoop; }
    // These figures as a PlanQuality (the others zero), for its texts.
    PlanQuality asQuality() const;
};

struct BandPoint {
    double foutMHz = 0; // the output as the point's box reads it
    PlanOutcome outcome = PlanOutcome::Complete;
    std::string stopReason; // why the plan stopped; empty for a complete one
    // The plan's values; zero unless it is complete (a stopped run's values
    // are partly those of an earlier run, not a plan of this output).
    double errorHz = 0;
    double pfdMHz = 0;
    double r = 0;
    double n = 0;    // INT
    double frac = 0; // FRAC
    double mod = 0;  // MOD; 0 in integer-N
    double outDiv = 0;
    double vcoMHz = 0;
    std::optional<PointFigures> quality; // a complete plan's figures
    std::vector<std::string> limits;    // summaries of the chip limits broken, stopped or not

    bool complete() const { return outcome == PlanOutcome::Complete; }
    // A complete plan within every limit: what the map draws in its first colour.
    bool withinLimits() const { return complete() && limits.empty(); }
};

struct BandScan {
    FrequencyRange range;
    std::vector<BandPoint> points; // in the order of the range, from its start
    std::string error;             // why nothing was planned; empty when the range is good

    bool ok() const { return error.empty(); }
};

// How many points are within every limit, break one, or stopped.
struct BandScanCounts {
    std::size_t within = 0;
    std::size_t broken = 0; // complete, but breaking a chip limit
    std::size_t stopped = 0;
};

// The outputs the divider 2^k gives with the VCO within 2200..4400 MHz,
// kept within the chip's output range, by 1 / 2^k MHz: 2201 points for
// every divider but the last, which starts at 35 MHz.
FrequencyRange dividerOutputRange(int k);

// Every point of `range` planned as a sweep plans its steps, from `settings`
// with `presses` ("Auto Set >>" chooses each point's divider), with the chip
// limits it breaks and, when complete, its figures with the loop bandwidth
// `loop`. A range of more than kMaxSweepPoints points is refused with its
// count, and one that is none (a step of 0, or away from the stop) with why.
BandScan scanBand(const FrequencyRange& range, const Settings& settings, const Presses& presses,
                  const LoopBandwidth& loop = {});

BandScanCounts countPoints(const BandScan& scan);

// The index of the point whose output is nearest `mhz`; nothing for a scan
// without points or a value that is not a number.
std::optional<std::size_t> nearestPoint(const BandScan& scan, double mhz);

} // namespace vantrel
