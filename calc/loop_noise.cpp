#include "loop_noise.h"

#include <algorithm>
#include <cmath>

#include "plan_quality.h"

namespace vantrel {
namespace {

// The table's figures at one offset for a VCO at `vcoMHz`, linear between the rows.
std::array<double, 4> rowAt(double vcoMHz)
{
    const auto& table = kVcoNoiseTable;
    if (!(vcoMHz > table.front().carrierMHz))
        return table.front().dbcHz;
    if (vcoMHz >= table.back().carrierMHz)
        return table.back().dbcHz;
    std::size_t upper = 1;
    while (table[upper].carrierMHz < vcoMHz)
        ++upper;
    const VcoNoiseRow& a = table[upper - 1];
    const VcoNoiseRow& b = table[upper];
    const double share = (vcoMHz - a.carrierMHz) / (b.carrierMHz - a.carrierMHz);
    std::array<double, 4> row{};
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = a.dbcHz[i] + share * (b.dbcHz[i] - a.dbcHz[i]);
    return row;
}

double dB(double power) { return 10 * std::log10(power); }

// The integral of 10^(L/10) from a to b, L a straight line in log offset
// between them: the power goes as f^k there.
double segmentPower(const NoisePoint& a, const NoisePoint& b)
{
    const double ratio = b.offsetHz / a.offsetHz;
    const double logRatio = std::log(ratio);
    const double k = (b.totalDbcHz - a.totalDbcHz) / 10 / std::log10(ratio);
    const double y = (k + 1) * logRatio;
    // (r^(k+1) - 1) / (k + 1), written so that k = -1 needs no case of its own.
    const double growth = y == 0 ? logRatio : logRatio * std::expm1(y) / y;
    return std::pow(10.0, a.totalDbcHz / 10) * a.offsetHz * growth;
}

// The grid's offsets 10^(i / 20) strictly between `from` and `to`.
void addGridBetween(double from, double to, std::vector<double>& offsets)
{
    const int first = static_cast<int>(std::floor(std::log10(from) * kNoiseCurvePointsPerDecade));
    const int last = static_cast<int>(std::ceil(std::log10(to) * kNoiseCurvePointsPerDecade));
    for (int i = first; i <= last; ++i) {
        const double hz = std::pow(10.0, static_cast<double>(i) / kNoiseCurvePointsPerDecade);
        if (hz > from && hz < to)
            offsets.push_back(hz);
    }
}

// The table's row at offsetHz: straight lines in log offset.
double vcoRowAt(const std::array<double, 4>& row, double offsetHz)
{
    const auto& at = kVcoNoiseOffsetsHz;
    // The segment holding the offset, or the nearest one.
    std::size_t i = 0;
    while (i + 2 < at.size() && offsetHz > at[i + 1])
        ++i;
    const double slope = (row[i + 1] - row[i]) / std::log10(at[i + 1] / at[i]);
    return row[i] + slope * std::log10(offsetHz / at[i]);
}

double power(double dbcHz) { return std::pow(10.0, dbcHz / 10); }

} // namespace

double vcoNoiseDbcHz(double vcoMHz, double offsetHz) { return vcoRowAt(rowAt(vcoMHz), offsetHz); }

NoiseModel::NoiseModel(const NoiseSources& s)
    : m_sources(s)
    , m_floorPower(power(inBandFloorDbcHz(s.abp, s.pfdMHz, s.outputMHz)))
    , m_flicker10kPower(power(flickerNoiseDbcHz(s.abp, s.outputMHz, kFlickerReferenceOffsetHz)))
    , m_vcoRow(rowAt(s.vcoMHz))
    , m_dividerPower(1 / (s.outDiv * s.outDiv))
{
}

NoisePoint NoiseModel::at(double offsetHz) const
{
    const std::complex<double> g = openLoopGain(m_sources.filter, m_sources.plant, offsetHz);
    const double highPass = 1 / std::norm(1.0 + g); // |1 / (1 + G)|^2
    const double closed = std::norm(g) * highPass;  // |G / (1 + G)|^2
    // The 1/f noise falls 10 dB a decade: as a power, as 1/f.
    const double inBand = m_floorPower + m_flicker10kPower * kFlickerReferenceOffsetHz / offsetHz;
    const double pll = inBand * closed;
    const double vco = power(vcoRowAt(m_vcoRow, offsetHz)) * m_dividerPower * highPass;
    NoisePoint p;
    p.offsetHz = offsetHz;
    p.pllDbcHz = dB(pll);
    p.vcoDbcHz = dB(vco);
    p.totalDbcHz = dB(pll + vco);
    return p;
}

NoisePoint noiseAt(const NoiseSources& sources, double offsetHz) { return NoiseModel(sources).at(offsetHz); }

std::vector<double> noiseCurveOffsets()
{
    std::vector<double> offsets{kNoiseCurveStartHz};
    addGridBetween(kNoiseCurveStartHz, kNoiseCurveStopHz, offsets);
    offsets.push_back(kNoiseCurveStopHz);
    return offsets;
}

std::vector<NoisePoint> noiseCurve(const NoiseSources& sources)
{
    std::vector<NoisePoint> curve;
    const std::vector<double> offsets = noiseCurveOffsets();
    const NoiseModel model(sources);
    curve.reserve(offsets.size());
    for (const double hz : offsets)
        curve.push_back(model.at(hz));
    return curve;
}

std::string jitterRangeError(const JitterRange& range)
{
    const auto within = [](double hz) { return hz >= kMinJitterHz && hz <= kMaxJitterHz; };
    if (!within(range.startHz) || !within(range.stopHz))
        return "the integration range is not within 1 Hz to 100 MHz";
    if (!(range.startHz < range.stopHz))
        return "the integration range does not start below its stop";
    return {};
}

std::vector<NoisePoint> integrationPoints(const NoiseSources& sources, const JitterRange& range)
{
    std::vector<double> offsets{range.startHz};
    addGridBetween(range.startHz, range.stopHz, offsets);
    offsets.push_back(range.stopHz);
    std::vector<NoisePoint> points;
    const NoiseModel model(sources);
    points.reserve(offsets.size());
    for (const double hz : offsets)
        points.push_back(model.at(hz));
    return points;
}

double rmsPhaseErrorRad(const std::vector<NoisePoint>& points)
{
    double power = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        power += segmentPower(points[i - 1], points[i]);
    return std::sqrt(2 * power);
}

} // namespace vantrel
