// The phase noise at the output with the loop closed: the PLL's in-band
// noise (the plan quality's floor and 1/f figures at each offset) through
// |G / (1 + G)|^2, the VCO's open-loop noise from the datasheet's table (less
// 20 log D for the output divider) through |1 / (1 + G)|^2, and their power
// sum; the curve over offsets, and its integral as RMS phase error and jitter.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "chip.h"
#include "loop_filter.h"

namespace vantrel {

// The curve's offsets: 20 a decade from 100 Hz to 10 MHz, 101 points.
constexpr double kNoiseCurveStartHz = 100.0;
constexpr double kNoiseCurveStopHz = 10e6;
constexpr int kNoiseCurvePointsPerDecade = 20;
// The integration range unless set otherwise, and how far it may be set.
constexpr double kDefaultJitterStartHz = 1e3;
constexpr double kDefaultJitterStopHz = 10e6;
constexpr double kMinJitterHz = 1.0;
constexpr double kMaxJitterHz = 100e6;

// The VCO's open-loop noise at `offsetHz` from a VCO at `vcoMHz`, dBc/Hz:
// linear in the carrier between the table's rows (the nearest row's figures
// outside them), straight lines in log offset between its offsets, the
// nearest segment's slope beyond.
double vcoNoiseDbcHz(double vcoMHz, double offsetHz);

// What the noise at the output depends on besides the offset.
struct NoiseSources {
    FilterCoefficients filter;
    LoopPlant plant;
    Antibacklash abp = Antibacklash::Ns6;
    double pfdMHz = 0;
    double outputMHz = 0;
    double vcoMHz = 0;
    double outDiv = 1;
};

struct NoisePoint {
    double offsetHz = 0;
    double pllDbcHz = 0;   // the PLL's in-band noise through the closed loop
    double vcoDbcHz = 0;   // the VCO's, divided, through the loop's high pass
    double totalDbcHz = 0; // their power sum
};

// The noise at one offset. The figures that do not depend on the offset
// are worked out once, and the powers summed as powers, so that a curve
// costs a few logarithms a point.
class NoiseModel {
public:
    explicit NoiseModel(const NoiseSources& sources);
    NoisePoint at(double offsetHz) const;

private:
    NoiseSources m_sources;
    double m_floorPower = 0;     // the in-band floor, as a power per Hz
    double m_flicker10kPower = 0; // the 1/f noise at 10 kHz, falling as 1/f
    std::array<double, 4> m_vcoRow{}; // the VCO table at this VCO, dBc/Hz
    double m_dividerPower = 1;   // 1 / D^2
};

NoisePoint noiseAt(const NoiseSources& sources, double offsetHz);

// The offsets of the curve: 20 a decade from 100 Hz to 10 MHz, exact powers
// of ten at the decades.
std::vector<double> noiseCurveOffsets();
std::vector<NoisePoint> noiseCurve(const NoiseSources& sources);

struct JitterRange {
    double startHz = kDefaultJitterStartHz;
    double stopHz = kDefaultJitterStopHz;

    bool operator==(const JitterRange&) const = default;
};

// Why `range` is no range to integrate over (start not below stop, outside
// 1 Hz to 100 MHz); empty when it is.
std::string jitterRangeError(const JitterRange& range);

// sqrt(2 x the integral of 10^(L/10) over the range), radians, from the
// noise at the range's ends and at the curve's offsets inside it, each
// piece taken as the straight line in log offset between its points: exact
// for a noise that falls or rises as a power of the offset.
double rmsPhaseErrorRad(const std::vector<NoisePoint>& points);
// The points the integral over `range` is taken from.
std::vector<NoisePoint> integrationPoints(const NoiseSources& sources, const JitterRange& range);

} // namespace vantrel
