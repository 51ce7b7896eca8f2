// The frequency plan: from the settings and the previous plan, the new plan
// values, how the run ended, its warnings and every text the window shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plan_values.h"
#include "results_listing.h"
#include "settings.h"

namespace vantrel {

enum class PlanOutcome {
    Complete, // registers packed, listing written
    NoPfd,    // Fcomp below 0.001 MHz: stopped before INT, FRAC and MOD
    ModLimit, // MOD above 4095: the listing holds the two-line message
    Refused,  // a plan value does not fit its register field
};

enum class PlanWarning {
    PfdTooHigh,        // Fcomp above 32 MHz
    VcoOutOfRange,     // VCO outside 2200..4400 MHz
    PrescalerRequired, // VCO above 3600 MHz with prescaler 4/5: a message box
};

constexpr const char* kPrescalerMessage = "Must use Prescale 8/9 for Freqeuncies above 3.6GHz on ADF4351";

struct PlanResult {
    PlanValues values;
    PlanOutcome outcome = PlanOutcome::Complete;
    std::vector<PlanWarning> warnings;
    StyledText pfdLabel;
    StyledText vcoLabel;
    // The output frequency text written back while tracking the divider.
    std::optional<std::string> trackedFoutText;
    // The new text of the results box; absent when the box keeps its text.
    std::optional<std::string> listingText;
    // The new colour of the results box; absent when it keeps its colour.
    std::optional<Colour> listingColour;

    bool has(PlanWarning warning) const;
};

PlanResult computePlan(const Settings& settings, const PlanValues& previous);
// The same run without its texts: the values, the outcome and the warnings,
// with no labels, tracked text or listing. For searches that plan thousands
// of settings and show few of them.
PlanResult computePlanValues(const Settings& settings, const PlanValues& previous);
// The texts of a run made by computePlanValues with `settings`: computePlan
// is the two in turn.
void addPlanTexts(const Settings& settings, PlanResult& result);

std::string warningText(PlanWarning warning);

// "complete", "no-pfd", "mod-limit", "refused": how a run ended, as the
// tools print it.
const char* planOutcomeName(PlanOutcome outcome);

} // namespace vantrel
