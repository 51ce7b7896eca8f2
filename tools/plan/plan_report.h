// Running a vantrel-plan request through the panel's presses, and reporting
// the outcome as text or JSON.
#pragma once

#include <QByteArray>

#include <string>

#include "chip_check.h"
#include "frequency_plan.h"
#include "plan_options.h"
#include "plan_session.h"

namespace vantrel {

// What the window would show after the request's settings and presses:
// "Auto Set >>", then "Force Denom", then "Calc. Best F/D".
PlanSession runPlanRequest(const PlanRequest& request);

// The listing with LF line ends, ending with a line break.
std::string planText(const PlanSession& run);

QByteArray planJson(const PlanSession& run);

// The datasheet limits the plan breaks, as the window's chip-check strip lists them.
std::vector<ChipLimitBreak> chipLimits(const PlanSession& run);

const char* outcomeName(PlanOutcome outcome);

} // namespace vantrel
