// Running vantrel-plan's EE options on a finished plan: the EE data listing
// for stdout and the append to the register listing file.
#pragma once

#include <string>

#include "ee_options.h"
#include "plan_report.h"

namespace vantrel {

struct EeReport {
    std::string output;  // for stdout, LF line ends
    std::string failure; // for stderr; empty when everything asked for was done
};

EeReport runEeRequest(const EeRequest& request, const PlanSession& run);

} // namespace vantrel
