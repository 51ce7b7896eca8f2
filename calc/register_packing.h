// Packing a complete plan, the option settings and the chip options into
// Reg0 ... Reg5.
#pragma once

#include "plan_values.h"
#include "register_layout.h"
#include "settings.h"

namespace vantrel {

// Every plan value must already fit its field (INT, FRAC, MOD, R, band
// select); the plan checks them before it packs.
RegisterSet packRegisters(const PlanValues& plan, const Settings& settings);

} // namespace vantrel
