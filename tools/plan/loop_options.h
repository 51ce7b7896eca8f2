// The loop options: the board's loop filter, the VCO's sensitivity, RSET and
// the integration range (vantrel-plan and vantrel-ctl), and vantrel-plan's
// design of a filter and its noise curve. The parts are read as the Loop
// Filter window reads them ("1.5n", "2k2", or a plain number in F or ohm).
#pragma once

#include <QString>

#include <optional>

class QCommandLineParser;

namespace vantrel {

struct PlanRequest;

// --loop-filter, --kvco, --rset, --jitter-range.
void addLoopOptions(QCommandLineParser& parser);
// vantrel-plan's own: --design-loop-filter with --phase-margin, --gamma and
// --t31, and --noise-curve.
void addDesignOptions(QCommandLineParser& parser);

// Applies the loop options given onto request.loop (which holds a settings
// file's loop, if any) and gives the quality figures the filter; a usage
// error when one is no value.
std::optional<QString> readLoopOptions(const QCommandLineParser& parser, PlanRequest& request);
// The same for the design options; a usage error also when one is given
// without what it needs.
std::optional<QString> readDesignOptions(const QCommandLineParser& parser, PlanRequest& request);

} // namespace vantrel
