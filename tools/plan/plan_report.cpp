#include "plan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "hex_codec.h"
#include "line_end.h"
#include "register_decode.h"
#include "settings_file.h"

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
    // Tracking, as a settings file may leave it ticked, has no handler and
    // acts from the run after it, as when the window opens such a file.
    Settings first = request.settings;
    first.trackDivider = false;
    PlanSession run(first);
    run.setTracking(request.settings.trackDivider);
    run.press(request.presses);
    if (request.decode)
        loadRegisterSet(run, *request.decode);
    return run;
}

std::string planText(const PlanSession& run)
{
    std::string text = withLineFeeds(run.listing());
    if (!text.empty() && text.back() != '\n')
        text.push_back('\n');
    return text;
}

ChipLimitBreaks chipLimits(const PlanSession& run) { return checkChipLimits(run.settings(), run.result()); }

std::vector<std::string> chipAdviceOf(const PlanSession& run) { return chipAdvice(run.settings(), run.result()); }

QJsonObject planObject(const PlanSession& run)
{
    const PlanValues& p = run.plan();
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
    object.insert(QStringLiteral("registers"), registerArray(p.registers));
    object.insert(QStringLiteral("pfd_label"), QString::fromStdString(run.result().pfdLabel.text));
    object.insert(QStringLiteral("vco_label"), QString::fromStdString(run.result().vcoLabel.text));
    object.insert(QStringLiteral("listing"), QString::fromStdString(run.listing()));
    object.insert(QStringLiteral("listing_red"), run.listingColour() == kRed);
    object.insert(QStringLiteral("warnings"), warnings);
    QJsonArray limits;
    for (const ChipLimitBreak& item : chipLimits(run)) {
        QJsonObject limit;
        limit.insert(QStringLiteral("limit"), QString::fromUtf8(item.name()));
        limit.insert(QStringLiteral("value"), item.value);
        limit.insert(QStringLiteral("unit"), QString::fromUtf8(item.unit()));
        limit.insert(QStringLiteral("bound"), QString::fromStdString(item.boundText()));
        limit.insert(QStringLiteral("summary"), QString::fromStdString(item.summary()));
        limit.insert(QStringLiteral("advice"), QString::fromStdString(item.advice()));
        limits.append(limit);
    }
    object.insert(QStringLiteral("chip_limits"), limits);
    QJsonArray advice;
    for (const std::string& text : chipAdviceOf(run))
        advice.append(QString::fromStdString(text));
    object.insert(QStringLiteral("chip_advice"), advice);
    object.insert(QStringLiteral("chip_options"), chipOptionsObject(run.settings().chip));
    return object;
}

QJsonArray registerArray(const RegisterSet& set)
{
    QJsonArray words;
    for (const std::uint32_t word : set)
        words.append(QString::fromStdString(hexFormat(word)));
    return words;
}

QJsonObject settingsObject(const Settings& s)
{
    QJsonObject object;
    object.insert(QStringLiteral("FoutText"), QString::fromStdString(s.foutText));
    object.insert(QStringLiteral("FrText"), QString::fromStdString(s.frText));
    object.insert(QStringLiteral("Rdivider"), QString::fromStdString(s.rdividerText));
    object.insert(QStringLiteral("ResolutionText"), QString::fromStdString(s.resolutionText));
    const std::pair<const char*, bool> boxes[] = {
        {"RefDbl", s.refDbl},   {"Refdiv2", s.refDiv2}, {"Feedback", s.feedback}, {"Prescale8", s.prescale8},
        {"PDpol", s.pdPol},     {"LowSpur", s.lowSpur}, {"Enable", s.enable},     {"MTLD", s.mtld},
        {"IntN", s.intN},       {"TrackDivider", s.trackDivider},
    };
    for (const auto& [name, ticked] : boxes)
        object.insert(QString::fromLatin1(name), ticked);
    QString mux = QStringLiteral("none selected");
    for (const MuxChoice& choice : kMuxChoices) {
        if (choice.button == s.mux)
            mux = QString::fromLatin1(choice.option.data(), qsizetype(choice.option.size()));
    }
    object.insert(QStringLiteral("mux"), mux);
    object.insert(QStringLiteral("OutDivCont"), s.outDivCont);
    object.insert(QStringLiteral("ChrgPump"), s.chrgPump);
    object.insert(QStringLiteral("Pwr"), s.pwr);
    return object;
}

QByteArray jsonText(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }

void addReadBack(QJsonObject& object, const PlanSession& run, const RegisterSet& read)
{
    object.insert(QStringLiteral("words"), registerArray(read));
    object.insert(QStringLiteral("settings"), settingsObject(run.settings()));
    QJsonArray differences;
    for (const WordDifference& d : wordDifferences(read, run.plan().registers)) {
        QJsonObject item;
        item.insert(QStringLiteral("register"), static_cast<qint64>(d.reg));
        item.insert(QStringLiteral("read"), QString::fromStdString(hexFormat(d.read)));
        item.insert(QStringLiteral("planned"), QString::fromStdString(hexFormat(d.planned)));
        differences.append(item);
    }
    object.insert(QStringLiteral("read_back_differences"), differences);
}

QByteArray planJson(const PlanSession& run, const PlanRequest& request)
{
    QJsonObject object = planObject(run);
    if (request.decode)
        addReadBack(object, run, *request.decode);
    return jsonText(object);
}

} // namespace vantrel
