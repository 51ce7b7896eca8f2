#include "charge_pump.h"

#include <cmath>

#include "chip.h"

namespace vantrel {

double chargePumpCurrentMA(int code, double rsetKOhm)
{
    return (code + 1) * kChargePumpStepMA * kChargePumpReferenceRsetKOhm / rsetKOhm;
}

std::optional<ChargePumpAdvice> adviseChargePump(const LoopFilter& filter, const LoopPlant& plant, int currentCode,
                                                 double rsetKOhm, double targetHz)
{
    ChargePumpAdvice advice;
    advice.currentCode = currentCode;
    advice.targetHz = targetHz;
    bool found = false;
    for (int code = 0; code <= kMaxChargePump; ++code) {
        LoopPlant at = plant;
        at.icpA = chargePumpCurrentMA(code, rsetKOhm) / 1e3;
        const LoopAnalysisResult result = analyseLoop(filter, at);
        if (!result.analysis)
            return std::nullopt;
        const double hz = result.analysis->crossoverHz;
        if (code == currentCode)
            advice.currentCrossoverHz = hz;
        if (!found || std::fabs(hz - targetHz) < std::fabs(advice.bestCrossoverHz - targetHz)) {
            advice.bestCode = code;
            advice.bestCrossoverHz = hz;
            found = true;
        }
    }
    return advice;
}

} // namespace vantrel
