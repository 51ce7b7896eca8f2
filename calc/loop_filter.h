// The board's loop filter and the loop it closes: the third-order passive
// filter (the charge pump into C1 to ground; R2 in series with C2 to ground
// beside it; then R3 in series to C3 to ground, whose node tunes the VCO;
// second order with R3 = C3 = 0), its transimpedance Z(s), the open loop
// G(s) = I_CP K_V Z(s) / (N s) and what is read off it: the crossover
// (unity-gain) frequency, the phase margin there and the gain margin.
// Parts that make no filter are refused with the reason, so that no NaN
// reaches a figure.
#pragma once

#include <complex>
#include <optional>
#include <string>

namespace vantrel {

struct LoopFilter {
    double c1 = 0; // F
    double c2 = 0; // F
    double c3 = 0; // F; 0 with R3 0: second order
    double r2 = 0; // ohm
    double r3 = 0; // ohm

    bool thirdOrder() const { return r3 != 0 || c3 != 0; }
    bool operator==(const LoopFilter&) const = default;
};

// Why the parts make no filter ("C2 is 0", "R3 is 0 while C3 is set: give
// both for a third-order filter, or neither"); empty when they do.
std::string filterError(const LoopFilter& filter);

// Z(s) = (1 + s T2) / (s (A2 s^2 + A1 s + A0)), the textbook's coefficients.
struct FilterCoefficients {
    double a0 = 0; // F: C1 + C2 + C3
    double a1 = 0; // F s
    double a2 = 0; // F s^2; 0 in second order
    double t2 = 0; // s: R2 C2, the zero
};
FilterCoefficients filterCoefficients(const LoopFilter& filter);

// What the loop gain is made of besides the filter.
struct LoopPlant {
    double icpA = 0;     // charge-pump current, A
    double kvHzPerV = 0; // VCO sensitivity, Hz/V
    double nEff = 0;     // f_VCO / f_PFD, with divided feedback too (the counter sees K_V / D)
};

// Why the plant makes no loop; empty when it does.
std::string plantError(const LoopPlant& plant);

// The filter's transimpedance at `hz`, ohm.
std::complex<double> filterImpedance(const FilterCoefficients& filter, double hz);
// G(j 2 pi hz).
std::complex<double> openLoopGain(const FilterCoefficients& filter, const LoopPlant& plant, double hz);

// The open loop at one frequency, as a Bode plot draws it.
struct BodePoint {
    double hz = 0;
    double gainDb = 0;   // 20 log |G|
    double phaseDeg = 0; // continuous: -180 at DC, towards -270 in third order
};
BodePoint bodeAt(const FilterCoefficients& filter, const LoopPlant& plant, double hz);

struct LoopAnalysis {
    double crossoverHz = 0;
    double phaseMarginDeg = 0;
    // Where the phase falls to -180 degrees, and how far below 1 the gain
    // is there, dB; none when the phase never reaches it (second order).
    std::optional<double> phaseCrossoverHz;
    std::optional<double> gainMarginDb;
};

struct LoopAnalysisResult {
    std::optional<LoopAnalysis> analysis;
    std::string error; // why not, when the filter or the plant is no loop
};

LoopAnalysisResult analyseLoop(const LoopFilter& filter, const LoopPlant& plant);

} // namespace vantrel
