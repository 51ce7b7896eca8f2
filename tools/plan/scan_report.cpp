#include "scan_report.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "band_scan_text.h"
#include "plan_report.h"
#include "quality_text.h"

namespace vantrel {

BandScan runScanRequest(const PlanRequest& request)
{
    return scanBand(*request.scan, request.settings, request.presses, request.loopBandwidth);
}

QJsonObject scanPointObject(const BandPoint& point)
{
    const QJsonValue none(QJsonValue::Null);
    const bool complete = point.complete();
    const auto planNumber = [complete, &none](double value) { return complete ? QJsonValue(value + 0.0) : none; };
    QJsonObject object;
    object.insert(QStringLiteral("fout_mhz"), point.foutMHz);
    object.insert(QStringLiteral("outcome"), QString::fromLatin1(planOutcomeName(point.outcome)));
    object.insert(QStringLiteral("error_hz"), planNumber(point.errorHz));
    object.insert(QStringLiteral("pfd_mhz"), planNumber(point.pfdMHz));
    object.insert(QStringLiteral("int"), planNumber(point.n));
    object.insert(QStringLiteral("frac"), planNumber(point.frac));
    object.insert(QStringLiteral("mod"), planNumber(point.mod));
    const std::optional<PointFigures>& q = point.quality;
    const std::optional<double> offset = q ? q->boundarySpurOffset() : std::nullopt;
    object.insert(QStringLiteral("boundary_spur_offset_khz"), offset ? QJsonValue(*offset) : none);
    object.insert(QStringLiteral("boundary_spur_in_loop"), q ? QJsonValue(q->spurInLoop()) : none);
    object.insert(QStringLiteral("in_band_10khz_dbc_hz"), q ? QJsonValue(q->inBand10kHzDbcHz) : none);
    const std::optional<double> crossover = scanCrossoverKHz(point);
    object.insert(QStringLiteral("crossover_khz"), crossover ? QJsonValue(*crossover) : none);
    QJsonArray limits;
    for (const std::string& summary : point.limits)
        limits.append(QString::fromStdString(summary));
    object.insert(QStringLiteral("chip_limits"), limits);

    return object;
}

BandPoint shownPoint(BandPoint point)
{
    point.foutMHz = shownNumber(point.foutMHz);
    point.errorHz = shownNumber(point.errorHz, kErrorHzMask);
    point.pfdMHz = shownNumber(point.pfdMHz, kPfdMHzMask);
    if (point.quality) {
        point.quality->inBand10kHzDbcHz = shownNumber(point.quality->inBand10kHzDbcHz, kNoiseMask);
        point.quality->boundarySpurOffsetKHz = shownNumber(point.quality->boundarySpurOffsetKHz, kOffsetKHzMask);
    }
    return point;
}

QByteArray scanLine(const BandPoint& point, bool json)
{
    if (json)
        return QJsonDocument(scanPointObject(shownPoint(point))).toJson(QJsonDocument::Compact) + '\n';
    return QByteArray::fromStdString(bandScanCsvLine(point)) + '\n';
}

} // namespace vantrel
