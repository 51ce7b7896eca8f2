#include "sweep_plan.h"

#include <cmath>
#include <utility>

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

PlanSession planAtFrequency(Settings settings, double mhz, const Presses& presses)
{
    settings.trackDivider = false;
    settings.foutText = frequencyText(mhz);
    // Thousands of points are planned at a time, and a point shows no
    // listing: a stopped plan's texts alone are read, for its reason.
    PlanSession session(std::move(settings), {}, PlanTexts::None);
    session.press(presses);
    if (session.result().outcome != PlanOutcome::Complete)
        session.addTexts();
    return session;
}

std::vector<std::string> limitSummaries(const PlanSession& session)
{
    std::vector<std::string> summaries;
    for (const ChipLimitBreak& item : checkChipLimits(session.settings(), session.result()))
        summaries.push_back(item.summary());
    return summaries;
}

std::vector<SweepStepPlan> planSweep(const std::vector<SweepPoint>& points, const Settings& settings,
                                     const Presses& presses, bool strict, const LoopBandwidth& loop,
                                     const LoopSettings& loopSettings)
{
    std::vector<SweepStepPlan> steps;
    steps.reserve(points.size());
    for (const SweepPoint& point : points) {
        const PlanSession session = planAtFrequency(settings, point.mhz, presses);

        SweepStepPlan step;
        step.point = point;
        step.problem = planProblem(session);
        const PlanValues& plan = session.plan();
        if (step.usable()) {
            step.set = plan.registers;
            step.errorHz = plan.errorHz;
            step.plannedMHz = plan.fout + plan.errorHz / 1000000;
            step.limits = limitSummaries(session);
            step.quality = planQuality(session.settings(), session.result(), loop);
            if (loopSettings.filter)
                step.loop = loopFigures(session.settings(), session.result(), loopSettings, NoiseCurve::Left);
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
