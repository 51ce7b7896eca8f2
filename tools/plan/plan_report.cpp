#include "plan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <string_view>

#include "hex_codec.h"
#include "line_end.h"
#include "loop_report.h"
#include "number_format.h"
#include "number_reader.h"
#include "quality_text.h"
#include "register_decode.h"
#include "settings_file.h"

namespace vantrel {
namespace {

// Fcomp as the listing shows it, without its "MHz".
constexpr const char* kFcompMask = "#0.00####";

} // namespace

const char* outcomeName(PlanOutcome outcome) { return planOutcomeName(outcome); }

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

    const bool complete = run.result().outcome == PlanOutcome::Complete;
    QJsonObject object;
    object.insert(QStringLiteral("outcome"), QString::fromLatin1(outcomeName(run.result().outcome)));
    object.insert(QStringLiteral("Fr"), shownNumber(p.fr));
    object.insert(QStringLiteral("Fcomp"), shownNumber(p.fcomp, kFcompMask));
    object.insert(QStringLiteral("R"), shownNumber(p.r));
    object.insert(QStringLiteral("OutDiv"), p.outDiv);
    object.insert(QStringLiteral("Fout"), shownNumber(p.fout));
    object.insert(QStringLiteral("VCO"), shownNumber(p.vco));
    object.insert(QStringLiteral("Resolution"), shownNumber(p.resolution));
    object.insert(QStringLiteral("N"), shownNumber(p.n));
    object.insert(QStringLiteral("Fract"), shownNumber(p.fract));
    object.insert(QStringLiteral("Denom"), shownNumber(p.denom));
    object.insert(QStringLiteral("ErrorHz"), shownNumber(p.errorHz, kErrorHzMask));
    object.insert(QStringLiteral("BandSelect"), p.bandSelect);
    object.insert(QStringLiteral("MuxVal"), p.muxVal);
    object.insert(QStringLiteral("registers"),
                  complete ? QJsonValue(registerArray(p.registers)) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("pfd_label"), QString::fromStdString(run.result().pfdLabel.text));
    object.insert(QStringLiteral("vco_label"), QString::fromStdString(run.result().vcoLabel.text));
    object.insert(QStringLiteral("listing"), QString::fromStdString(run.listing()));
    object.insert(QStringLiteral("listing_red"), run.listingColour() == kRed);
    object.insert(QStringLiteral("warnings"), warnings);
    QJsonArray limits;
    for (const ChipLimitBreak& item : chipLimits(run)) {
        QJsonObject limit;
        limit.insert(QStringLiteral("limit"), QString::fromUtf8(item.name()));
        limit.insert(QStringLiteral("value"), shownNumber(item.value));
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
    // A plan that stopped has no words of its own to compare with.
    if (run.result().outcome != PlanOutcome::Complete) {
        object.insert(QStringLiteral("read_back_differences"), QJsonValue(QJsonValue::Null));
        return;
    }
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

QByteArray planJson(const PlanSession& run, const PlanRequest& request, const Advice* advice)
{
    QJsonObject object = planObject(run);
    object.insert(QStringLiteral("quality"), qualityValue(qualityOf(run, request)));
    if (request.decode)
        addReadBack(object, run, *request.decode);
    if (advice) {
        object.insert(QStringLiteral("suggestions"), suggestionsArray(*advice, request, run));
        object.insert(QStringLiteral("current_plan_cleanest"), advice->currentIsCleanest);
    }
    if (const std::optional<LoopFiguresResult> loop = loopOf(run, request))
        object.insert(QStringLiteral("loop"), loopValue(*loop));
    if (const std::optional<LoopDesignResult> design = designOf(run, request))
        addDesign(object, *design);
    return jsonText(object);
}

std::string errorText(double errorHz)
{
    // Shown as the listing shows it, but never "-0.0Hz" for an exact plan.
    return formatMask(shownNumber(errorHz, kErrorHzMask), kErrorHzMask) + "Hz";
}

double shownNumber(double value, const char* mask)
{
    // The mask's places: its "0" and "#" after the point.
    const std::string_view text(mask);
    const std::size_t point = text.find('.');
    int places = 0;
    for (std::size_t i = point == std::string_view::npos ? text.size() : point + 1;
         i < text.size() && (text[i] == '0' || text[i] == '#'); ++i)
        ++places;
    return shownValue(value, places);
}

double shownNumber(double value)
{
    if (!std::isfinite(value))
        return value;
    return readLeadingNumber(plainNumber(value)) + 0.0;
}

QJsonObject qualityObject(const PlanQuality& q)
{
    const auto number = [](double value, const char* mask) { return shownNumber(value, mask); };
    QJsonObject object;
    object.insert(QStringLiteral("pfd_mhz"), number(q.pfdMHz, kPfdMHzMask));
    object.insert(QStringLiteral("in_band_floor_dbc_hz"), number(q.inBandFloorDbcHz, kNoiseMask));
    object.insert(QStringLiteral("flicker_10khz_dbc_hz"), number(q.flicker10kHzDbcHz, kNoiseMask));
    object.insert(QStringLiteral("in_band_10khz_dbc_hz"), number(q.inBand10kHzDbcHz, kNoiseMask));
    object.insert(QStringLiteral("boundary_spur_offset_khz"),
                  q.boundary == BoundarySpur::Present ? QJsonValue(number(q.boundarySpurOffsetKHz, kOffsetKHzMask))
                                                      : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("boundary_spur_in_loop"), q.boundary == BoundarySpur::Present && q.boundarySpurInLoop);
    QJsonValue fractional(QJsonValue::Null);
    if (q.fractional == FractionalSpurs::Interval)
        fractional = number(q.fractionalSpurIntervalKHz, kOffsetKHzMask);
    else if (q.fractional == FractionalSpurs::Dithered)
        fractional = QStringLiteral("dithered");
    object.insert(QStringLiteral("fractional_spur_interval_khz"), fractional);
    object.insert(QStringLiteral("pfd_spur_offset_mhz"), number(q.pfdSpurOffsetMHz, kPfdMHzMask));
    object.insert(QStringLiteral("loop_bandwidth_khz"), shownNumber(q.loopBandwidthKHz));
    return object;
}

QJsonValue qualityValue(const std::optional<PlanQuality>& quality)
{
    return quality ? QJsonValue(qualityObject(*quality)) : QJsonValue(QJsonValue::Null);
}

std::optional<PlanQuality> qualityOf(const PlanSession& run, const PlanRequest& request)
{
    return planQuality(run.settings(), run.result(), request.loopBandwidth);
}

std::string qualityReport(const PlanSession& run, const PlanRequest& request)
{
    const std::optional<PlanQuality> quality = qualityOf(run, request);
    if (!quality)
        return "Plan quality: none, the plan stopped.\n";
    return qualityText(*quality);
}

Advice adviseRun(const PlanSession& run, const PlanRequest& request)
{
    AdviceRequest advice;
    advice.settings = run.settings();
    advice.current = run.result();
    advice.loop = request.loopBandwidth;
    advice.chipForMode = request.chipForMode;
    return advisePlans(advice, static_cast<std::size_t>(request.advise));
}

bool stepWasPressed(const PlanRequest& request) { return request.presses.forceD || request.presses.bestFraction; }

QStringList suggestionOptions(const PlanSuggestion& suggestion, const PlanRequest& request, const PlanSession& run)
{
    const PlanChange& c = suggestion.change;
    QStringList options;
    if (stepWasPressed(request))
        options << QStringLiteral("--resolution") << QString::fromStdString(run.settings().resolutionText);
    if (c.r)
        options << QStringLiteral("--rdiv") << QString::fromStdString(rdividerText(*c.r));
    if (c.refDbl)
        options << (*c.refDbl ? QStringLiteral("--doubler") : QStringLiteral("--no-doubler"));
    if (c.refDiv2)
        options << (*c.refDiv2 ? QStringLiteral("--halve") : QStringLiteral("--no-halve"));
    if (c.prescale8)
        options << (*c.prescale8 ? QStringLiteral("--prescaler89") : QStringLiteral("--prescaler45"));
    if (c.intN)
        options << (*c.intN ? QStringLiteral("--int-n") : QStringLiteral("--no-int-n"));
    return options;
}

namespace {


std::string joined(const std::vector<std::string>& words, const char* between)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : between) + word;
    return text;
}

} // namespace

std::string adviceReport(const Advice& advice, const PlanRequest& request, const PlanSession& run)
{
    std::string text = "Plan advice. Current plan: ";
    if (advice.current)
        text += "error " + errorText(run.plan().errorHz) + "; " + qualitySummary(*advice.current);
    else
        text += "stopped";
    text += "\n" + adviceStatus(advice) + "\n";
    int number = 0;
    for (const PlanSuggestion& s : advice.suggestions) {
        text += plainNumber(++number) + ". " + joined(s.changes, ", ") + ": error " + errorText(s.plan.errorHz)
                + "; " + qualitySummary(s.quality) + "; options "
                + suggestionOptions(s, request, run).join(QLatin1Char(' ')).toStdString() + "\n";
    }
    return text;
}

QJsonArray suggestionsArray(const Advice& advice, const PlanRequest& request, const PlanSession& run)
{
    QJsonArray suggestions;
    for (const PlanSuggestion& s : advice.suggestions) {
        QJsonObject item;
        item.insert(QStringLiteral("options"), QJsonArray::fromStringList(suggestionOptions(s, request, run)));
        QStringList changes;
        for (const std::string& change : s.changes)
            changes << QString::fromStdString(change);
        item.insert(QStringLiteral("changes"), QJsonArray::fromStringList(changes));
        item.insert(QStringLiteral("error_hz"), shownNumber(s.plan.errorHz, kErrorHzMask));
        item.insert(QStringLiteral("quality"), qualityObject(s.quality));
        suggestions.append(item);
    }
    return suggestions;
}

} // namespace vantrel
