#include "plan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "best_fraction.h"
#include "hex_format.h"
#include "number_format.h"
#include "number_reader.h"
#include "output_divider.h"

namespace vantrel {
namespace {

void recalculate(PlanRun& run)
{
    run.result = computePlan(run.settings, run.result.values);
    if (run.result.listingText)
        run.listing = *run.result.listingText;
    if (run.result.listingColour)
        run.listingColour = *run.result.listingColour;
}

// Typing into "Force Denom": a new resolution text, and with it a new plan.
void forceDenominator(PlanRun& run, const std::string& text)
{
    const PlanValues& plan = run.result.values;
    if (const auto step = forcedResolution(run.settings.intN, text, plan.fr, plan.r, plan.outDiv)) {
        run.settings.resolutionText = plainNumber(*step);
        recalculate(run);
    }
}

} // namespace

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

PlanRun runPlanRequest(const PlanRequest& request)
{
    PlanRun run;
    run.settings = request.settings;
    if (request.autoDivider) {
        if (const auto k = autoDividerIndex(readLeadingNumber(run.settings.foutText)))
            run.settings.outDivCont = *k;
    }
    recalculate(run);
    if (request.forceD)
        forceDenominator(run, *request.forceD);
    if (request.bestFraction) {
        const PlanValues& plan = run.result.values;
        const BestFraction best = searchBestFraction(plan.vco, plan.fcomp);
        if (best.end == BestFraction::End::Found)
            forceDenominator(run, generalNumber(best.denominator));
    }
    return run;
}

std::string planText(const PlanRun& run)
{
    std::string text;
    for (const char c : run.listing) {
        if (c != '\r')
            text.push_back(c);
    }
    if (!text.empty() && text.back() != '\n')
        text.push_back('\n');
    return text;
}

QByteArray planJson(const PlanRun& run)
{
    const PlanValues& p = run.result.values;
    QJsonArray registers;
    for (const std::uint32_t word : p.registers)
        registers.append(QString::fromStdString(hexFormat(word)));
    QJsonArray warnings;
    for (const PlanWarning warning : run.result.warnings)
        warnings.append(QString::fromStdString(warningText(warning)));

    QJsonObject object;
    object.insert(QStringLiteral("outcome"), QString::fromLatin1(outcomeName(run.result.outcome)));
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
    object.insert(QStringLiteral("pfd_label"), QString::fromStdString(run.result.pfdLabel.text));
    object.insert(QStringLiteral("vco_label"), QString::fromStdString(run.result.vcoLabel.text));
    object.insert(QStringLiteral("listing"), QString::fromStdString(run.listing));
    object.insert(QStringLiteral("listing_red"), run.listingColour == kRed);
    object.insert(QStringLiteral("warnings"), warnings);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace vantrel
