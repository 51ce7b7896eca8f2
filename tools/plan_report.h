// Running a vantrel-plan request through the plan as the window would, and
// reporting the outcome as text or JSON.
#pragma once

#include <QByteArray>

#include <string>

#include "frequency_plan.h"
#include "plan_options.h"

namespace vantrel {

// What the window would show after the request's settings and presses.
struct PlanRun {
    Settings settings;    // the controls as they end up (divider, resolution text)
    PlanResult result;    // the last recalculation
    std::string listing;  // the results box: kept from an earlier run when the last one left it
    Colour listingColour = kBlack;
};

PlanRun runPlanRequest(const PlanRequest& request);

// The listing with LF line ends, ending with a line break.
std::string planText(const PlanRun& run);

QByteArray planJson(const PlanRun& run);

const char* outcomeName(PlanOutcome outcome);

} // namespace vantrel
