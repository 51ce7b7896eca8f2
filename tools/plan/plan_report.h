// Running a vantrel-plan request through the panel's presses, and reporting
// the outcome as text or JSON.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

#include <string>

#include "chip_check.h"
#include "frequency_plan.h"
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

// The outcome, the plan values, the register words, the labels, the
// listing, the warnings, the chip limits broken, the datasheet's advice and
// the chip options decoded.
QJsonObject planObject(const PlanSession& run);
// Every setting control as the plan reads it.
QJsonObject settingsObject(const Settings& settings);
// Eight-digit words, Reg0 first.
QJsonArray registerArray(const RegisterSet& set);
// An object as one indented document with a final line break.
QByteArray jsonText(const QJsonObject& object);

// After a decode: the words read, the settings they left and the words the
// plan packs otherwise ("read_back_differences").
void addReadBack(QJsonObject& object, const PlanSession& run, const RegisterSet& read);

// vantrel-plan --json: planObject, with addReadBack after a decode.
QByteArray planJson(const PlanSession& run, const PlanRequest& request);

// The datasheet limits the plan breaks, as the window's chip-check strip lists them.
ChipLimitBreaks chipLimits(const PlanSession& run);
// The datasheet's advice that is no limit; --strict does not count it.
std::vector<std::string> chipAdviceOf(const PlanSession& run);

const char* outcomeName(PlanOutcome outcome);

} // namespace vantrel
