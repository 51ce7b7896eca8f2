// The loop at one plan: the board's filter with the VCO's sensitivity and
// the chip's RSET (a LoopCircuit), and what a plan adds, the charge-pump
// code of the panel and N_eff = f_VCO / f_PFD. With divided feedback the
// counter divides f_VCO / D and the VCO moves the counter's input by K_V / D,
// so the loop is the same. The plan quality, the band scan and the Loop
// Filter window take each plan's crossover from here.
#pragma once

#include <optional>

#include "chip.h"
#include "loop_filter.h"
#include "plan_values.h"
#include "settings.h"

namespace vantrel {

// RSET as the board is built unless set otherwise, kOhm.
constexpr double kDefaultRsetKOhm = kChargePumpReferenceRsetKOhm;

struct LoopCircuit {
    LoopFilter filter;
    double kvMHzPerV = kDefaultKvMHzPerV;
    double rsetKOhm = kDefaultRsetKOhm;

    bool operator==(const LoopCircuit&) const = default;
};

// The plant at a plan: I_CP of the panel's ChrgPump and RSET, K_V, N_eff.
LoopPlant loopPlant(const Settings& settings, const PlanValues& plan, const LoopCircuit& circuit);

// The loop's figures at a plan; the error says why there are none.
LoopAnalysisResult analysePlanLoop(const Settings& settings, const PlanValues& plan, const LoopCircuit& circuit);

} // namespace vantrel
