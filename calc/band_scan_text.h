// The band scan as text: the CSV that vantrel-plan --scan prints and the
// band map exports, one line per point, and the plan of one point as the
// map's tool tip shows it.
#pragma once

#include <optional>
#include <string>

#include "band_scan.h"

namespace vantrel {

// The columns, in their order; vantrel-plan --scan --json gives each line
// the same keys.
constexpr const char* kBandScanColumns =
    "fout_mhz,outcome,error_hz,pfd_mhz,int,frac,mod,boundary_spur_offset_khz,boundary_spur_in_loop,"
    "in_band_10khz_dbc_hz,crossover_khz,chip_limits";

// The loop filter's crossover as the scan gives it, kHz to the Hz (as the
// loop figures show it); nothing for a point without one.
std::optional<double> scanCrossoverKHz(const BandPoint& point);

// A number of the scan as exact text: the shortest decimal that reads back
// as the same double, so that a file gives what was computed.
std::string scanNumber(double value);

// The summaries of the limits broken, "; " between them; empty for none.
std::string limitsText(const BandPoint& point);

// One CSV line, without its line end. A stopped plan fills only the output,
// the outcome and the limits; a plan without an integer-boundary spur leaves
// its offset empty and is not in the loop.
std::string bandScanCsvLine(const BandPoint& point);

// The header and every point, each line ended by LF.
std::string bandScanCsv(const BandScan& scan);

// The point's plan in a few lines (LF between them): the output and how the
// plan ended, R, INT, FRAC and MOD, the integer-boundary spur and the
// in-band noise, and the chip limits broken.
std::string bandPointTip(const BandPoint& point);

} // namespace vantrel
