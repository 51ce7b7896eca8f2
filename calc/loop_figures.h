// The loop's figures for a plan, as the Loop Filter window and the tools
// show them: the crossover, phase and gain margins, the noise at 1 k, 10 k,
// 100 k and 1 MHz, the noise curve, the RMS phase error and jitter over the
// integration range, and, with a design target, the charge-pump advice;
// and the settings they come from, which the panel and the settings file
// keep.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "charge_pump.h"
#include "frequency_plan.h"
#include "loop_design.h"
#include "loop_noise.h"
#include "loop_plan.h"
#include "settings.h"

namespace vantrel {

// Until a filter is entered there is no loop to compute: the plan quality
// assumes its bandwidth.
struct LoopSettings {
    std::optional<LoopFilter> filter;
    double kvMHzPerV = kDefaultKvMHzPerV;
    double rsetKOhm = kDefaultRsetKOhm;
    // The Design box's target, once it has a crossover: the charge-pump
    // advice aims at it.
    std::optional<DesignTarget> target;
    JitterRange range;

    // The filter with Kv and RSET; none without a filter.
    std::optional<LoopCircuit> circuit() const;
    bool operator==(const LoopSettings&) const = default;
};

// Why Kv or RSET is no value for the loop; empty when both are.
std::string circuitError(double kvMHzPerV, double rsetKOhm);

// The offsets the figures give the noise at.
inline constexpr std::array<double, 4> kNoiseFigureOffsetsHz{1e3, 10e3, 100e3, 1e6};

struct LoopFigures {
    double icpMA = 0;
    double nEff = 0;
    LoopAnalysis loop;
    std::array<NoisePoint, 4> noise; // at kNoiseFigureOffsetsHz
    std::vector<NoisePoint> curve;   // noiseCurveOffsets(), when asked for
    std::vector<BodePoint> bode;     // the open loop at the same offsets, with the curve
    double rmsPhaseErrorDeg = 0;
    double jitterFs = 0;
    std::optional<ChargePumpAdvice> chargePump; // with a design target
};

struct LoopFiguresResult {
    std::optional<LoopFigures> figures;
    std::string error; // why none: no filter, the plan stopped, parts that make no loop
};

enum class NoiseCurve { Included, Left };

LoopFiguresResult loopFigures(const Settings& settings, const PlanResult& result, const LoopSettings& loop,
                              NoiseCurve curve = NoiseCurve::Included);

// The design for the panel's plan: its N, its charge-pump current, Kv.
LoopDesignResult designForPlan(const Settings& settings, const PlanResult& result, const LoopSettings& loop,
                               const DesignTarget& target);

} // namespace vantrel
