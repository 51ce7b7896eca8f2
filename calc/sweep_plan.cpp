#include "sweep_plan.h"

#include <cmath>

#include "chip_check.h"
#include "line_end.h"

namespace vantrel {
namespace {

// The first line of the message a stopped or refused plan shows.
std::string firstLine(const std::string& text) { return text.substr(0, text.find(kCrLf)); }

} // namespace

std::string planStopReason(const PlanResult& result)
{
    switch (result.outcome) {
    case PlanOutcome::Complete: return {};
    case PlanOutcome::NoPfd: return "the comparison frequency is below 0.001 MHz";
    case PlanOutcome::ModLimit:
    case PlanOutcome::Refused: return firstLine(result.listingText.value_or(std::string()));
    }
    return "the plan stopped";
}

std::string planProblem(const PlanSession& session)
{
    const std::string reason = planStopReason(session.result());
    return reason.empty() ? reason : "no plan: " + reason;
}

std::vector<SweepStepPlan> planSweep(const std::vector<SweepPoint>& points, const Settings& settings,
                                     const Presses& presses, bool strict)
{
    std::vector<SweepStepPlan> steps;
    steps.reserve(points.size());
    Settings stepSettings = settings;
    // Each step sets the output frequency: tracking the VCO would keep it instead.
    stepSettings.trackDivider = false;
    for (const SweepPoint& point : points) {
        stepSettings.foutText = frequencyText(point.mhz);
        PlanSession session(stepSettings);
        session.press(presses);

        SweepStepPlan step;
        step.point = point;
        step.problem = planProblem(session);
        const PlanValues& plan = session.plan();
        if (step.usable()) {
            step.set = plan.registers;
            step.errorHz = plan.errorHz;
            step.plannedMHz = plan.fout + plan.errorHz / 1000000;
            for (const ChipLimitBreak& item : checkChipLimits(session.settings(), session.result()))
                step.limits.push_back(item.summary());
            if (strict && !step.limits.empty())
                step.problem = "breaks a chip limit: " + step.limits.front();
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

std::optional<long long> secondsLeft(std::chrono::nanoseconds sinceFirst, long long started, long long total)
{
    if (started < 2)
        return std::nullopt;
    const double perStep = std::chrono::duration<double>(sinceFirst).count() / static_cast<double>(started - 1);
    return std::llround(perStep * static_cast<double>(total - started + 1));
}

} // namespace vantrel
