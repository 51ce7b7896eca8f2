// The plan of every step of a sweep or hop list, made before anything is
// sent: the panel's settings with only the output frequency changed, the
// same presses each step, and whether the step can go out.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "loop_figures.h"
#include "plan_quality.h"
#include "plan_session.h"
#include "register_layout.h"
#include "settings.h"
#include "sweep_points.h"

namespace vantrel {

struct SweepStepPlan {
    SweepPoint point;
    RegisterSet set{};
    double plannedMHz = 0; // what the words synthesize: the output plus the error
    double errorHz = 0;
    std::vector<std::string> limits; // summaries of the chip limits broken
    std::optional<PlanQuality> quality; // the step's figures, when its plan is complete
    std::optional<LoopFiguresResult> loop; // with a loop filter: the loop's figures (no curve), or why none
    std::string problem;             // why the step cannot go out; empty when it can

    bool usable() const { return problem.empty(); }
};

// Why a plan stopped, the first line of what it shows instead of the
// listing ("More than 12 bits needed for fractional registers"); empty for a
// complete one.
std::string planStopReason(const PlanResult& result);
// Why a plan cannot go out ("no plan: MOD ..."); empty for a complete one.
std::string planProblem(const PlanSession& session);

// The plan of one output frequency as every sweep step and band-map point
// gets it: `settings` with only the output's text changed and tracking off
// (each point sets the output; tracking would keep the VCO instead), one
// run, then the presses. The runs make the values alone, and the texts of
// the last one only when it stopped (planStopReason reads them).
PlanSession planAtFrequency(Settings settings, double mhz, const Presses& presses);

// The summaries of the chip limits the session's plan breaks, as a step's
// list and a band-map point show them.
std::vector<std::string> limitSummaries(const PlanSession& session);

// Each point planned on its own, from `settings` as they are, so that no
// step depends on the one before. A plan that stops or is refused is a
// problem; so is one that breaks a chip limit when `strict`. Each complete
// step has its quality figures with the loop bandwidth `loop`, and with a
// filter in `loopSettings` the loop's figures.
std::vector<SweepStepPlan> planSweep(const std::vector<SweepPoint>& points, const Settings& settings,
                                     const Presses& presses, bool strict, const LoopBandwidth& loop = {},
                                     const LoopSettings& loopSettings = {});

// Whole seconds left once `started` of `total` steps have begun, the last of
// them `sinceFirst` after the first: the steps so far tell the pace of the
// rest. Nothing before the second step.
std::optional<long long> secondsLeft(std::chrono::nanoseconds sinceFirst, long long started, long long total);

} // namespace vantrel
