// The plan quality figures as the window, the chip-check strip's tool tip
// and vantrel-plan --quality show them: one label and value per figure, with
// the decimals each figure is shown with.
#pragma once

#include <string>
#include <vector>

#include "plan_advisor.h"
#include "plan_quality.h"

namespace vantrel {

// Said wherever the figures are shown: they are estimates.
constexpr const char* kQualityEstimateNote =
    "Estimates from the datasheet's normalised noise figures; the board's loop filter, reference and layout "
    "decide the real ones.";

// The masks the figures are shown with; JSON that gives numbers as the text
// shows them rounds with the same.
constexpr const char* kNoiseMask = "0.0";        // dBc/Hz, and dB
constexpr const char* kOffsetKHzMask = "#0.0##"; // kHz: to the Hz
constexpr const char* kPfdMHzMask = "#0.0#####"; // MHz, as the panel's Fcomp label

struct QualityLine {
    std::string label; // "In-band noise at 10 kHz"
    std::string value; // "-99.0 dBc/Hz"
};

// Every figure, in the order of the window: PFD, floor, 1/f noise, their
// sum at 10 kHz, the integer-boundary spur, the fractional spurs, the PFD
// spur and the loop bandwidth.
std::vector<QualityLine> qualityLines(const PlanQuality& quality);

// "-99.0 dBc/Hz".
std::string noiseText(double dbcHz);
// "500.0 kHz", "none (FRAC 0)" ...: the integer-boundary spur's offset alone.
std::string boundarySpurText(const PlanQuality& quality);
// "every 1.25 kHz", "dithered", "none (integer-N)".
std::string fractionalSpursText(const PlanQuality& quality);

// The figures that rank a plan, in one line: "in-band -99.0 dBc/Hz at 10 kHz;
// boundary spur at 500.0 kHz, outside the loop; fractional spurs every 1.25 kHz".
std::string qualitySummary(const PlanQuality& quality);

// What the advisor found, in a line: "3 cleaner plans found", "the current
// plan is the cleanest found; the next best:" ...
std::string adviceStatus(const Advice& advice);

// The note, then "label: value" a line, each ended by LF: what
// vantrel-plan --quality prints after the listing.
std::string qualityText(const PlanQuality& quality);

} // namespace vantrel
