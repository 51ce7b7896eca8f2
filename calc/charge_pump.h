// The charge pump: its current for a ChrgPump code and RSET, and which code
// brings the loop's crossover nearest a designed one at a plan's N.
#pragma once

#include <optional>

#include "loop_filter.h"

namespace vantrel {

// I_CP = (code + 1) x 0.3125 mA x 5.1 kOhm / RSET, mA.
double chargePumpCurrentMA(int code, double rsetKOhm);

struct ChargePumpAdvice {
    int currentCode = 0;
    double currentCrossoverHz = 0; // what the panel's code gives
    int bestCode = 0;              // the code whose crossover is nearest the target
    double bestCrossoverHz = 0;
    double targetHz = 0;
};

// Over every code 0 to 15, with the plant's K_V and N and `rsetKOhm`: the
// one whose crossover is nearest `targetHz` (the lower code of two as near).
// Nothing when the filter or the plant is no loop.
std::optional<ChargePumpAdvice> adviseChargePump(const LoopFilter& filter, const LoopPlant& plant, int currentCode,
                                                 double rsetKOhm, double targetHz);

} // namespace vantrel
