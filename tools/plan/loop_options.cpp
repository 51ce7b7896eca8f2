#include "loop_options.h"

#include <QCommandLineParser>


#include "frequency_units.h"
#include "loop_filter_text.h"
#include "number_format.h"
#include "part_value.h"
#include "plan_options.h"

namespace vantrel {
namespace {

constexpr double kHzPerMHz = 1e6;
constexpr double kOhmPerKOhm = 1e3;
constexpr double kHzPerKHz = 1e3;

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

QString value(const QCommandLineParser& parser, const char* name) { return parser.value(QString::fromLatin1(name)); }
bool isSet(const QCommandLineParser& parser, const char* name) { return parser.isSet(QString::fromLatin1(name)); }

std::optional<QString> readRange(const QString& text, JitterRange& range)
{
    const QStringList ends = text.split(QLatin1Char(','));
    std::optional<double> hz[2];
    if (ends.size() == 2) {
        for (int i = 0; i < 2; ++i)
            hz[i] = readFrequency(ends[i].toStdString(), FrequencyUnit::Hz).value;
    }
    if (!hz[0] || !hz[1])
        return QStringLiteral("--jitter-range \"%1\": give START,STOP in Hz or with a unit (1k,10M)").arg(text);
    range = {*hz[0], *hz[1]};
    if (const std::string why = jitterRangeError(range); !why.empty())
        return QStringLiteral("--jitter-range \"%1\": %2").arg(text, fromStd(why));
    return std::nullopt;
}

} // namespace

void addLoopOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("loop-filter"),
        QStringLiteral("The board's loop filter, \"C1=1.5n,C2=22n,C3=470p,R2=1k,R3=2.2k\" (C3 and R3 left out: "
                       "second order); each part as engineers write it (22n, 22 nF, 2k2, 2.2k) or a plain number in "
                       "F or ohm. The plan quality then takes the loop bandwidth from it, and --json gains \"loop\"."),
        QStringLiteral("PARTS")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("kvco"),
        QStringLiteral("The VCO's tuning sensitivity in MHz/V, or with a unit (40M, 40 MHz/V) (default %1).")
            .arg(fromStd(plainNumber(kDefaultKvMHzPerV))),
        QStringLiteral("MHZ_PER_V")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("rset"),
        QStringLiteral("RSET in kOhm, or with a prefix (5k1): the charge-pump current scales with %1 kOhm / RSET "
                       "(default %1).")
            .arg(fromStd(plainNumber(kDefaultRsetKOhm))),
        QStringLiteral("KOHM")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("jitter-range"),
        QStringLiteral("The offsets the RMS phase error and jitter integrate over, in Hz or with units (default "
                       "1k,10M; within 1 Hz to 100 MHz)."),
        QStringLiteral("START,STOP")));
}

void addDesignOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("design-loop-filter"),
        QStringLiteral("Design the loop filter for the plan the other options give (its N, its charge-pump "
                       "current, --kvco): the crossover FC in kHz or with a unit; prints the exact and E24 parts as "
                       "--loop-filter takes them and what the E24 parts give (\"exact\" and \"e24\" with --json). "
                       "With --loop-filter, the loop's figures advise the charge-pump code nearest FC."),
        QStringLiteral("FC_KHZ")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("phase-margin"),
        QStringLiteral("The design's phase margin in degrees, above 0 and below 90 (default %1).")
            .arg(fromStd(plainNumber(kDefaultPhaseMarginDeg))),
        QStringLiteral("DEG")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("gamma"), QStringLiteral("The design's gamma (default %1).").arg(fromStd(plainNumber(kDefaultGamma))),
        QStringLiteral("G")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("t31"),
        QStringLiteral("The design's T3/T1, from 0 (a second-order filter) up to 1 (default %1).")
            .arg(fromStd(plainNumber(kDefaultT31))),
        QStringLiteral("T")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("noise-curve"),
        QStringLiteral("Print the closed-loop phase noise at the output instead of the listing, as CSV "
                       "offset_hz,pll_dbc_hz,vco_dbc_hz,total_dbc_hz, 20 points a decade from 100 Hz to 10 MHz; "
                       "needs --loop-filter.")));
}

std::optional<QString> readLoopOptions(const QCommandLineParser& parser, PlanRequest& request)
{
    LoopSettings& loop = request.loop;
    if (isSet(parser, "loop-filter")) {
        const QString text = value(parser, "loop-filter");
        const LoopFilterReading reading = readLoopFilter(text.toStdString());
        if (!reading.filter)
            return QStringLiteral("--loop-filter \"%1\": %2").arg(text, fromStd(reading.error));
        loop.filter = reading.filter;
    }
    if (isSet(parser, "kvco")) {
        const QString text = value(parser, "kvco");
        const QuantityReading reading = readQuantity(text.toStdString(), Quantity::Sensitivity, kHzPerMHz);
        if (!reading.value || !(*reading.value > 0))
            return QStringLiteral("--kvco \"%1\": %2").arg(
                text, reading.value ? QStringLiteral("Kv is not above 0 MHz/V") : fromStd(reading.error));
        loop.kvMHzPerV = *reading.value / kHzPerMHz;
    }
    if (isSet(parser, "rset")) {
        const QString text = value(parser, "rset");
        const QuantityReading reading = readQuantity(text.toStdString(), Quantity::Resistance, kOhmPerKOhm);
        if (!reading.value || !(*reading.value > 0))
            return QStringLiteral("--rset \"%1\": %2").arg(
                text, reading.value ? QStringLiteral("RSET is not above 0 kOhm") : fromStd(reading.error));
        loop.rsetKOhm = *reading.value / kOhmPerKOhm;
    }
    if (isSet(parser, "jitter-range")) {
        if (std::optional<QString> error = readRange(value(parser, "jitter-range"), loop.range))
            return error;
    }
    request.loopBandwidth.circuit = loop.circuit();
    return std::nullopt;
}

std::optional<QString> readDesignOptions(const QCommandLineParser& parser, PlanRequest& request)
{
    for (const char* option : {"noise-curve", "design-loop-filter"}) {
        if (isSet(parser, option) && isSet(parser, "scan"))
            return QStringLiteral("--scan and --%1 exclude each other: the scan gives each point's crossover")
                .arg(QString::fromLatin1(option));
    }
    if (isSet(parser, "noise-curve")) {
        if (!request.loop.filter)
            return QStringLiteral("--noise-curve needs --loop-filter: the curve is of the board's filter");
        if (isSet(parser, "json"))
            return QStringLiteral("--noise-curve and --json exclude each other: the curve is CSV");
        request.noiseCurve = true;
    }
    const bool design = isSet(parser, "design-loop-filter");
    DesignTarget target;
    const struct {
        const char* name;
        double* target;
    } numbers[] = {{"phase-margin", &target.phaseMarginDeg}, {"gamma", &target.gamma}, {"t31", &target.t31}};
    for (const auto& number : numbers) {
        if (!isSet(parser, number.name))
            continue;
        if (!design)
            return QStringLiteral("--%1 needs --design-loop-filter").arg(QString::fromLatin1(number.name));
        const QString text = value(parser, number.name);
        const std::optional<double> read = readPlainNumber(text.toStdString());
        if (!read)
            return QStringLiteral("--%1 \"%2\": not a number").arg(QString::fromLatin1(number.name), text);
        *number.target = *read;
    }
    if (!design)
        return std::nullopt;
    const QString text = value(parser, "design-loop-filter");
    const FrequencyReading fc = readFrequency(text.toStdString(), FrequencyUnit::kHz);
    if (!fc.value)
        return QStringLiteral("--design-loop-filter \"%1\": %2: give the crossover in kHz or with a unit")
            .arg(text, fromStd(fc.error));
    target.crossoverHz = *fc.value * kHzPerKHz;
    if (const std::string why = targetError(target); !why.empty())
        return QStringLiteral("--design-loop-filter: %1").arg(fromStd(why));
    request.design = target;
    request.loop.target = target;
    return std::nullopt;
}

} // namespace vantrel
