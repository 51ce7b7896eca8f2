#include "loop_plan.h"

#include "charge_pump.h"

namespace vantrel {
namespace {

constexpr double kAPerMA = 1e-3;
constexpr double kHzPerMHz = 1e6;

} // namespace

LoopPlant loopPlant(const Settings& s, const PlanValues& p, const LoopCircuit& circuit)
{
    LoopPlant plant;
    plant.icpA = chargePumpCurrentMA(s.chrgPump, circuit.rsetKOhm) * kAPerMA;
    plant.kvHzPerV = circuit.kvMHzPerV * kHzPerMHz;
    plant.nEff = p.fcomp > 0 ? p.vco / p.fcomp : 0;
    return plant;
}

LoopAnalysisResult analysePlanLoop(const Settings& settings, const PlanValues& plan, const LoopCircuit& circuit)
{
    return analyseLoop(circuit.filter, loopPlant(settings, plan, circuit));
}

} // namespace vantrel
