#include "panel_actions.h"

#include "auto_divider.h"
#include "best_fraction.h"
#include "chip.h"
#include "chip_options.h"
#include "line_end.h"
#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

// Dividers 32 and 64 exist on the ADF4351 only.
constexpr int kLargestAdf4150Divider = 4;

std::optional<std::string> asResolutionText(const std::optional<double>& step)
{
    if (!step)
        return std::nullopt;
    return plainNumber(*step);
}

} // namespace

std::string dividerLabel(int k)
{
    std::string caption = "O/P Divider " + generalNumber(outputDivider(k));
    if (k > kLargestAdf4150Divider)
        caption += std::string(kCrLf) + " ADF4351 Only";
    return caption;
}

std::string chargePumpLabel(int value) { return "Chrg. Pump " + plainNumber(value); }

std::string powerLabel(int value) { return "O/P Power " + generalNumber(value); }

std::string outputPowerText(int value) { return std::string(powerLevelLabel(std::uint32_t(value))); }

std::string chargePumpCurrentText(int value)
{
    return formatMask((value + 1) * kChargePumpStepMilliamps, "0.00") + " mA";
}

void moveDivider(PlanValues& plan, int k) { plan.outDiv = outputDivider(k); }

std::optional<int> startAutoSet(PlanValues& plan, std::string_view foutText)
{
    const double fout = readLeadingNumber(foutText);
    const std::optional<int> k = autoDividerIndex(fout);
    if (!k)
        return std::nullopt;
    plan.fout = fout;
    plan.vco = fout;
    plan.outDiv = 1;
    return k;
}

void stepAutoSet(PlanValues& plan)
{
    plan.vco = plan.vco * 2;
    plan.outDiv = plan.outDiv * 2;
}

std::optional<std::string> integerNResolutionText(const PlanValues& plan)
{
    return asResolutionText(integerNStep(plan.fr, plan.r, plan.outDiv));
}

std::optional<std::string> forcedResolutionText(bool intN, std::string_view forceDText, const PlanValues& plan)
{
    return asResolutionText(forcedResolution(intN, forceDText, plan.fr, plan.r, plan.outDiv));
}

BestFractionPress pressBestFraction(const PlanValues& plan)
{
    const BestFraction best = searchBestFraction(plan.vco, plan.fcomp);
    BestFractionPress press;
    press.searched = best.end != BestFraction::End::NoPlan;
    if (best.end == BestFraction::End::Found)
        press.forceDText = generalNumber(best.denominator);
    return press;
}

} // namespace vantrel
