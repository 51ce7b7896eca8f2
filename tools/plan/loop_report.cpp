#include "loop_report.h"

#include "loop_filter_text.h"
#include "loop_text.h"
#include "number_format.h"
#include "part_value.h"

namespace vantrel {
namespace {

constexpr double kHzPerKHz = 1e3;

QJsonValue nullable(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject partsObject(const LoopFilter& f, int digits)
{
    QJsonObject object;
    object.insert(QStringLiteral("c1_f"), shownSignificant(f.c1, digits));
    object.insert(QStringLiteral("c2_f"), shownSignificant(f.c2, digits));
    object.insert(QStringLiteral("c3_f"), shownSignificant(f.c3, digits));
    object.insert(QStringLiteral("r2_ohm"), shownSignificant(f.r2, digits));
    object.insert(QStringLiteral("r3_ohm"), shownSignificant(f.r3, digits));
    return object;
}

} // namespace

QJsonObject loopObject(const LoopFigures& f)
{
    QJsonObject noise;
    for (std::size_t i = 0; i < f.noise.size(); ++i)
        noise.insert(QString::fromStdString(plainNumber(kNoiseFigureOffsetsHz[i])),
                     shownValue(f.noise[i].totalDbcHz, kLoopNoisePlaces));
    QJsonObject object;
    object.insert(QStringLiteral("crossover_khz"), shownValue(f.loop.crossoverHz / kHzPerKHz, kCrossoverKHzPlaces));
    object.insert(QStringLiteral("phase_margin_deg"), shownValue(f.loop.phaseMarginDeg, kMarginPlaces));
    object.insert(QStringLiteral("gain_margin_db"),
                  nullable(f.loop.gainMarginDb ? std::optional<double>(shownValue(*f.loop.gainMarginDb, kMarginPlaces))
                                               : std::nullopt));
    object.insert(QStringLiteral("noise_dbc_hz"), noise);
    object.insert(QStringLiteral("rms_phase_error_deg"), shownValue(f.rmsPhaseErrorDeg, kRmsPhaseErrorPlaces));
    object.insert(QStringLiteral("jitter_fs"), shownValue(f.jitterFs, kJitterFsPlaces));
    object.insert(QStringLiteral("icp_ma"), shownValue(f.icpMA, kChargePumpMAPlaces));
    object.insert(QStringLiteral("n_eff"), shownValue(f.nEff, kNEffPlaces));
    return object;
}

QJsonValue loopValue(const LoopFiguresResult& result)
{
    return result.figures ? QJsonValue(loopObject(*result.figures)) : QJsonValue(QJsonValue::Null);
}

std::optional<LoopFiguresResult> loopOf(const PlanSession& run, const PlanRequest& request, NoiseCurve curve)
{
    if (!request.loop.filter)
        return std::nullopt;
    return loopFigures(run.settings(), run.result(), request.loop, curve);
}

std::string loopReport(const LoopFiguresResult& result, const LoopSettings& loop)
{
    if (!result.figures)
        return "Loop: none, " + result.error + ".\n";
    return loopText(*result.figures, loop.range);
}

std::optional<LoopDesignResult> designOf(const PlanSession& run, const PlanRequest& request)
{
    if (!request.design)
        return std::nullopt;
    return designForPlan(run.settings(), run.result(), request.loop, *request.design);
}

void addDesign(QJsonObject& object, const LoopDesignResult& result)
{
    if (!result.design) {
        object.insert(QStringLiteral("exact"), QJsonValue::Null);
        object.insert(QStringLiteral("e24"), QJsonValue::Null);
        return;
    }
    const LoopDesign& d = *result.design;
    object.insert(QStringLiteral("exact"), partsObject(d.exact, kExactPartDigits));
    QJsonObject e24 = partsObject(d.e24, 2);
    e24.insert(QStringLiteral("crossover_khz"), shownValue(d.e24Loop.crossoverHz / kHzPerKHz, kCrossoverKHzPlaces));
    e24.insert(QStringLiteral("phase_margin_deg"), shownValue(d.e24Loop.phaseMarginDeg, kMarginPlaces));
    object.insert(QStringLiteral("e24"), e24);
}

} // namespace vantrel
