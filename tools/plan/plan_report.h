// Running a vantrel-plan request through the panel's presses, and reporting
// the outcome as text or JSON.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

#include <string>

#include "chip_check.h"
#include "frequency_plan.h"
#include "plan_advisor.h"
#include "plan_quality.h"
#include "plan_options.h"
#include "plan_session.h"
#include "register_decode.h"

namespace vantrel {

// What the window would show after the request's settings and presses:
// "Auto Set >>", then "Force Denom", then "Calc. Best F/D", then, with
// request.decode, the decode of those words.
PlanSession runPlanRequest(const PlanRequest& request);

// The listing with LF line ends, ending with a line break.
std::string planText(const PlanSession& run);

// The outcome, the plan values (as the listing and the boxes show them), the
// register words (null when the plan stopped: the words left are an earlier
// plan's), the labels, the listing, the warnings, the chip limits broken,
// the datasheet's advice and the chip options decoded.
QJsonObject planObject(const PlanSession& run);
// Every setting control as the plan reads it.
QJsonObject settingsObject(const Settings& settings);
// Eight-digit words, Reg0 first.
QJsonArray registerArray(const RegisterSet& set);
// An object as one indented document with a final line break.
QByteArray jsonText(const QJsonObject& object);

// After a decode: the words read, the settings they left and the words the
// plan packs otherwise ("read_back_differences", null when the plan stopped).
void addReadBack(QJsonObject& object, const PlanSession& run, const RegisterSet& read);

// vantrel-plan --json: planObject with "quality", addReadBack after a
// decode, and with `advice` "suggestions" and "current_plan_cleanest".
QByteArray planJson(const PlanSession& run, const PlanRequest& request, const Advice* advice = nullptr);

// The datasheet limits the plan breaks, as the window's chip-check strip lists them.
ChipLimitBreaks chipLimits(const PlanSession& run);
// The datasheet's advice that is no limit; --strict does not count it.
std::vector<std::string> chipAdviceOf(const PlanSession& run);

const char* outcomeName(PlanOutcome outcome);

// The error as the listing's "Error = " shows it, without its "Hz".
inline constexpr const char* kErrorHzMask = "###0.0#";

// The error for a line of text: "0.0Hz", "-1886.0Hz"; an exact plan's
// binary noise never shows as "-0.0Hz".
std::string errorText(double errorHz);

// A number for a program to read, as a text with this mask shows it
// ("###0.0#" for an error in Hz): 0 where the text says "0.0", not -2.27e-07,
// and never -0.
double shownNumber(double value, const char* mask);
// The same for a number the window shows in the general form, to 15
// significant digits: 2200.2, not 2200.2000000000003.
double shownNumber(double value);

// "pfd_mhz", "in_band_floor_dbc_hz", "flicker_10khz_dbc_hz",
// "in_band_10khz_dbc_hz", "boundary_spur_offset_khz" (null when none),
// "boundary_spur_in_loop", "fractional_spur_interval_khz" (null when none,
// "dithered" in low spur mode), "pfd_spur_offset_mhz", "loop_bandwidth_khz";
// each number as the quality texts show it.
QJsonObject qualityObject(const PlanQuality& quality);
// The object, or null for a plan without figures.
QJsonValue qualityValue(const std::optional<PlanQuality>& quality);

// The run's figures with the request's loop bandwidth; none when it stopped.
std::optional<PlanQuality> qualityOf(const PlanSession& run, const PlanRequest& request);
// vantrel-plan --quality: the figures as lines after the listing.
std::string qualityReport(const PlanSession& run, const PlanRequest& request);

// vantrel-plan --advise: the advisor over the run's settings as they stand.
Advice adviseRun(const PlanSession& run, const PlanRequest& request);
// The options that give a suggestion when added after the request's own:
// ["--rdiv", "4", "--doubler"]. When a press rewrote the step (--force-d,
// --best-fraction), the step it gave comes first ("--resolution", TEXT).
QStringList suggestionOptions(const PlanSuggestion& suggestion, const PlanRequest& request, const PlanSession& run);
// Whether the request pressed something that rewrites the step after R changes.
bool stepWasPressed(const PlanRequest& request);
// The advice as text: the current plan, the status and each suggestion.
std::string adviceReport(const Advice& advice, const PlanRequest& request, const PlanSession& run);
// "suggestions": each with "options", "changes", "error_hz" and "quality".
QJsonArray suggestionsArray(const Advice& advice, const PlanRequest& request, const PlanSession& run);

} // namespace vantrel
