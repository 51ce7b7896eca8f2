#include "loop_figures.h"

#include <cmath>
#include <numbers>

namespace vantrel {
namespace {

constexpr double kHzPerMHz = 1e6;
constexpr double kFsPerS = 1e15;
constexpr double kDegreesPerRadian = 180 / std::numbers::pi;

struct PlanLoop {
    LoopCircuit circuit;
    LoopPlant plant;
    std::string error;
};

// The plan's loop, or why there is none.
PlanLoop planLoop(const Settings& settings, const PlanResult& result, const LoopSettings& loop)
{
    PlanLoop at;
    if (result.outcome != PlanOutcome::Complete) {
        at.error = "the plan stopped";
        return at;
    }
    at.error = circuitError(loop.kvMHzPerV, loop.rsetKOhm);
    if (!at.error.empty())
        return at;
    at.circuit = {loop.filter.value_or(LoopFilter{}), loop.kvMHzPerV, loop.rsetKOhm};
    at.plant = loopPlant(settings, result.values, at.circuit);
    at.error = plantError(at.plant);
    return at;
}

} // namespace

std::optional<LoopCircuit> LoopSettings::circuit() const
{
    if (!filter)
        return std::nullopt;
    return LoopCircuit{*filter, kvMHzPerV, rsetKOhm};
}

std::string circuitError(double kvMHzPerV, double rsetKOhm)
{
    if (!(std::isfinite(kvMHzPerV) && kvMHzPerV > 0))
        return "Kv is not above 0 MHz/V";
    if (!(std::isfinite(rsetKOhm) && rsetKOhm > 0))
        return "RSET is not above 0 kOhm";
    return {};
}

LoopFiguresResult loopFigures(const Settings& settings, const PlanResult& result, const LoopSettings& loop,
                              NoiseCurve curve)
{
    LoopFiguresResult out;
    if (!loop.filter) {
        out.error = "no loop filter entered";
        return out;
    }
    const PlanLoop at = planLoop(settings, result, loop);
    if (!at.error.empty()) {
        out.error = at.error;
        return out;
    }
    out.error = jitterRangeError(loop.range);
    if (!out.error.empty())
        return out;
    const LoopAnalysisResult analysis = analyseLoop(*loop.filter, at.plant);
    if (!analysis.analysis) {
        out.error = analysis.error;
        return out;
    }
    const PlanValues& p = result.values;
    const double outputMHz = p.fout + p.errorHz / kHzPerMHz;
    if (!(outputMHz > 0)) {
        out.error = "the plan has no output frequency";
        return out;
    }
    LoopFigures f;
    f.icpMA = at.plant.icpA * 1e3;
    f.nEff = at.plant.nEff;
    f.loop = *analysis.analysis;
    NoiseSources sources;
    sources.filter = filterCoefficients(*loop.filter);
    sources.plant = at.plant;
    sources.abp = settings.chip.abp;
    sources.pfdMHz = p.fcomp;
    sources.outputMHz = outputMHz;
    sources.vcoMHz = p.vco;
    sources.outDiv = p.outDiv;
    const NoiseModel model(sources);
    for (std::size_t i = 0; i < f.noise.size(); ++i)
        f.noise[i] = model.at(kNoiseFigureOffsetsHz[i]);
    if (curve == NoiseCurve::Included) {
        f.curve = noiseCurve(sources);
        f.bode.reserve(f.curve.size());
        for (const NoisePoint& point : f.curve)
            f.bode.push_back(bodeAt(sources.filter, sources.plant, point.offsetHz));
    }
    const double rms = rmsPhaseErrorRad(integrationPoints(sources, loop.range));
    f.rmsPhaseErrorDeg = rms * kDegreesPerRadian;
    f.jitterFs = rms / (2 * std::numbers::pi * outputMHz * kHzPerMHz) * kFsPerS;
    if (loop.target)
        f.chargePump = adviseChargePump(*loop.filter, at.plant, settings.chrgPump, loop.rsetKOhm,
                                        loop.target->crossoverHz);
    out.figures = std::move(f);
    return out;
}

LoopDesignResult designForPlan(const Settings& settings, const PlanResult& result, const LoopSettings& loop,
                               const DesignTarget& target)
{
    const PlanLoop at = planLoop(settings, result, loop);
    if (!at.error.empty()) {
        LoopDesignResult failed;
        failed.error = at.error;
        return failed;
    }
    return designLoopFilter(target, at.plant);
}

} // namespace vantrel
