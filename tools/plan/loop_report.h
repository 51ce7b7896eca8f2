// The loop's figures and a design as vantrel-plan and vantrel-ctl give
// them: the "loop" object of the JSON (each number rounded as its text
// shows it), the "exact" and "e24" parts of a design, and the text blocks.
#pragma once

#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <string>

#include "loop_figures.h"
#include "plan_options.h"
#include "plan_session.h"

namespace vantrel {

// "crossover_khz", "phase_margin_deg", "gain_margin_db" (null when the phase
// never reaches -180 degrees), "noise_dbc_hz" with "1000", "10000",
// "100000", "1000000", "rms_phase_error_deg", "jitter_fs", "icp_ma", "n_eff".
QJsonObject loopObject(const LoopFigures& figures);
// The object, or null when there are no figures (the plan stopped).
QJsonValue loopValue(const LoopFiguresResult& result);

// The run's loop with the request's settings; none without a filter.
std::optional<LoopFiguresResult> loopOf(const PlanSession& run, const PlanRequest& request,
                                        NoiseCurve curve = NoiseCurve::Left);
// vantrel-plan --quality: the "Loop:" block, or why there are no figures.
std::string loopReport(const LoopFiguresResult& result, const LoopSettings& loop);

// The design for the run's plan, when the request asks for one.
std::optional<LoopDesignResult> designOf(const PlanSession& run, const PlanRequest& request);
// "exact" and "e24" into `object`, each null when the design failed.
void addDesign(QJsonObject& object, const LoopDesignResult& design);

} // namespace vantrel
