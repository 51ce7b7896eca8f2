// The loop's figures and a design as the Loop Filter window, vantrel-plan
// --quality and --design-loop-filter show them: one label and value per
// figure, with the decimals each is shown with. JSON gives each number as
// its text shows it (the places below).
#pragma once

#include <string>
#include <vector>

#include "loop_figures.h"
#include "quality_text.h"

namespace vantrel {

// Decimal places of each figure as shown, and in JSON.
constexpr int kCrossoverKHzPlaces = 3;  // to the Hz
constexpr int kMarginPlaces = 2;        // degrees and dB
constexpr int kLoopNoisePlaces = 2;     // dBc/Hz
constexpr int kRmsPhaseErrorPlaces = 3; // degrees
constexpr int kJitterFsPlaces = 1;
constexpr int kChargePumpMAPlaces = 4;  // 0.3125 mA steps
constexpr int kNEffPlaces = 6;

// "38.235 kHz".
std::string crossoverText(double hz);
// "Charge pump 7 gives 38.2 kHz here; 11 gives 49.1 kHz, nearest the designed
// 50 kHz", or "Charge pump 11 gives 49.1 kHz here, nearest the designed 50 kHz".
std::string chargePumpAdviceText(const ChargePumpAdvice& advice);

// Every figure, in the order of the window: charge-pump current, N, the
// crossover, the phase and gain margins, the noise at the four offsets, RMS
// phase error and jitter over `range`, and the charge-pump advice when there is one.
std::vector<QualityLine> loopLines(const LoopFigures& figures, const JitterRange& range);

// "Loop:" and "label: value" a line, each ended by LF: what vantrel-plan
// --quality prints after the plan quality.
std::string loopText(const LoopFigures& figures, const JitterRange& range);

// The columns of the noise curve's CSV, and the curve under them, each line
// ended by LF: the offset to the mHz, the noise to 0.01 dB.
constexpr const char* kNoiseCurveColumns = "offset_hz,pll_dbc_hz,vco_dbc_hz,total_dbc_hz";
std::string noiseCurveCsv(const std::vector<NoisePoint>& curve);
// The open loop the same way: "offset_hz,gain_db,phase_deg".
constexpr const char* kBodeColumns = "offset_hz,gain_db,phase_deg";
std::string bodeCsv(const std::vector<BodePoint>& bode);

// What vantrel-plan --design-loop-filter prints: the target, the exact and
// E24 parts as --loop-filter reads them, and what the E24 parts give.
std::string designText(const DesignTarget& target, const LoopDesign& design);

} // namespace vantrel
