#include "plan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "hex_codec.h"
#include "line_end.h"

namespace vantrel {

const char* outcomeName(PlanOutcome outcome)
{
    switch (outcome) {
    case PlanOutcome::Complete: return "complete";
    case PlanOutcome::NoPfd: return "no-pfd";
    case PlanOutcome::ModLimit: return "mod-limit";
    case PlanOutcome::Refused: return "refused";
    }
    return "";
}

PlanSession runPlanRequest(const PlanRequest& request)
{
    PlanSession run(request.settings);
    if (request.autoDivider)
        run.pressAutoSet();
    if (request.forceD)
        run.typeForceD(*request.forceD);
    if (request.bestFraction)
        run.pressBestFraction();
    return run;
}

std::string planText(const PlanSession& run)
{
    std::string text = withLineFeeds(run.listing());
    if (!text.empty() && text.back() != '\n')
        text.push_back('\n');
    return text;
}

std::vector<ChipLimitBreak> chipLimits(const PlanSession& run) { return checkChipLimits(run.settings(), run.result()); }

QByteArray planJson(const PlanSession& run)
{
    const PlanValues& p = run.plan();
    QJsonArray registers;
    for (const std::uint32_t word : p.registers)
        registers.append(QString::fromStdString(hexFormat(word)));
    QJsonArray warnings;
    for (const PlanWarning warning : run.result().warnings)
        warnings.append(QString::fromStdString(warningText(warning)));

    QJsonObject object;
    object.insert(QStringLiteral("outcome"), QString::fromLatin1(outcomeName(run.result().outcome)));
    object.insert(QStringLiteral("Fr"), p.fr);
    object.insert(QStringLiteral("Fcomp"), p.fcomp);
    object.insert(QStringLiteral("R"), p.r);
    object.insert(QStringLiteral("OutDiv"), p.outDiv);
    object.insert(QStringLiteral("Fout"), p.fout);
    object.insert(QStringLiteral("VCO"), p.vco);
    object.insert(QStringLiteral("Resolution"), p.resolution);
    object.insert(QStringLiteral("N"), p.n);
    object.insert(QStringLiteral("Fract"), p.fract);
    object.insert(QStringLiteral("Denom"), p.denom);
    object.insert(QStringLiteral("ErrorHz"), p.errorHz);
    object.insert(QStringLiteral("BandSelect"), p.bandSelect);
    object.insert(QStringLiteral("MuxVal"), p.muxVal);
    object.insert(QStringLiteral("registers"), registers);
    object.insert(QStringLiteral("pfd_label"), QString::fromStdString(run.result().pfdLabel.text));
    object.insert(QStringLiteral("vco_label"), QString::fromStdString(run.result().vcoLabel.text));
    object.insert(QStringLiteral("listing"), QString::fromStdString(run.listing()));
    object.insert(QStringLiteral("listing_red"), run.listingColour() == kRed);
    object.insert(QStringLiteral("warnings"), warnings);
    QJsonArray limits;
    for (const ChipLimitBreak& item : chipLimits(run)) {
        QJsonObject limit;
        limit.insert(QStringLiteral("limit"), QString::fromStdString(item.name));
        limit.insert(QStringLiteral("value"), item.value);
        limit.insert(QStringLiteral("unit"), QString::fromStdString(item.unit));
        limit.insert(QStringLiteral("bound"), QString::fromStdString(item.bound));
        limit.insert(QStringLiteral("summary"), QString::fromStdString(item.summary));
        limit.insert(QStringLiteral("advice"), QString::fromStdString(item.advice));
        limits.append(limit);
    }
    object.insert(QStringLiteral("chip_limits"), limits);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace vantrel
