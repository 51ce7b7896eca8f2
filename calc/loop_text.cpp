#include "loop_text.h"

#include <string_view>

#include "loop_filter_text.h"
#include "number_format.h"
#include "part_value.h"

namespace vantrel {
namespace {

constexpr double kHzPerKHz = 1e3;

std::string places(double value, int count)
{
    return formatMask(value, count > 0 ? "0." + std::string(static_cast<std::size_t>(count), '0') : "0");
}

// A whole or short figure: "50", "38.2".
std::string shortKHz(double hz) { return formatMask(hz / kHzPerKHz, "#0.#") + " kHz"; }

std::string degrees(double value, int count) { return places(value, count) + " degrees"; }

// "1 kHz", "10 MHz", "300 Hz".
std::string offsetText(double hz)
{
    if (hz >= 1e6)
        return plainNumber(shownSignificant(hz, 6) / 1e6) + " MHz";
    if (hz >= 1e3)
        return plainNumber(shownSignificant(hz, 6) / 1e3) + " kHz";
    return plainNumber(shownSignificant(hz, 6)) + " Hz";
}

std::string rangeText(const JitterRange& range) { return offsetText(range.startHz) + " to " + offsetText(range.stopHz); }

} // namespace

std::string crossoverText(double hz) { return places(hz / kHzPerKHz, kCrossoverKHzPlaces) + " kHz"; }

std::string chargePumpAdviceText(const ChargePumpAdvice& a)
{
    std::string text = "Charge pump " + plainNumber(a.currentCode) + " gives " + shortKHz(a.currentCrossoverHz)
                       + " here";
    if (a.bestCode != a.currentCode)
        text += "; " + plainNumber(a.bestCode) + " gives " + shortKHz(a.bestCrossoverHz);
    return text + ", nearest the designed " + shortKHz(a.targetHz);
}

std::vector<QualityLine> loopLines(const LoopFigures& f, const JitterRange& range)
{
    std::vector<QualityLine> lines{
        {"Charge-pump current", formatMask(f.icpMA, "0.0###") + " mA"},
        {"N (f_VCO / f_PFD)", formatMask(f.nEff, "0.0#####")},
        {"Crossover", crossoverText(f.loop.crossoverHz)},
        {"Phase margin", degrees(f.loop.phaseMarginDeg, kMarginPlaces)},
        {"Gain margin", f.loop.gainMarginDb ? places(*f.loop.gainMarginDb, kMarginPlaces) + " dB"
                                            : "none: the phase stays above -180 degrees"},
    };
    constexpr std::string_view kOffsetNames[] = {"1 kHz", "10 kHz", "100 kHz", "1 MHz"};
    for (std::size_t i = 0; i < f.noise.size(); ++i)
        lines.push_back({"Noise at " + std::string(kOffsetNames[i]),
                         places(f.noise[i].totalDbcHz, kLoopNoisePlaces) + " dBc/Hz"});
    lines.push_back({"RMS phase error", degrees(f.rmsPhaseErrorDeg, kRmsPhaseErrorPlaces) + " (" + rangeText(range) + ")"});
    lines.push_back({"Jitter", places(f.jitterFs, kJitterFsPlaces) + " fs"});
    if (f.chargePump)
        lines.push_back({"Charge pump", chargePumpAdviceText(*f.chargePump)});
    return lines;
}

std::string loopText(const LoopFigures& figures, const JitterRange& range)
{
    std::string text = "Loop:\n";
    for (const QualityLine& line : loopLines(figures, range))
        text += line.label + ": " + line.value + "\n";
    return text;
}

std::string noiseCurveCsv(const std::vector<NoisePoint>& curve)
{
    std::string text = std::string(kNoiseCurveColumns) + "\n";
    for (const NoisePoint& p : curve) {
        text += plainNumber(shownValue(p.offsetHz, 3));
        for (const double dbcHz : {p.pllDbcHz, p.vcoDbcHz, p.totalDbcHz})
            text += "," + plainNumber(shownValue(dbcHz, kLoopNoisePlaces));
        text += "\n";
    }
    return text;
}

std::string bodeCsv(const std::vector<BodePoint>& bode)
{
    std::string text = std::string(kBodeColumns) + "\n";
    for (const BodePoint& p : bode)
        text += plainNumber(shownValue(p.hz, 3)) + "," + plainNumber(shownValue(p.gainDb, kMarginPlaces)) + ","
                + plainNumber(shownValue(p.phaseDeg, kMarginPlaces)) + "\n";
    return text;
}

std::string designText(const DesignTarget& t, const LoopDesign& d)
{
    std::string text = "Loop filter design: crossover " + shortKHz(t.crossoverHz) + ", phase margin "
                       + plainNumber(t.phaseMarginDeg) + " degrees, gamma " + plainNumber(t.gamma) + ", T31 "
                       + plainNumber(t.t31) + (t.t31 == 0 ? " (second order)" : "") + "\n";
    text += "Exact: " + loopFilterText(d.exact, kExactPartDigits) + "\n";
    text += "E24:   " + loopFilterText(d.e24, 2) + "\n";
    text += "E24 parts give: crossover " + crossoverText(d.e24Loop.crossoverHz) + ", phase margin "
            + degrees(d.e24Loop.phaseMarginDeg, kMarginPlaces) + "\n";
    return text;
}

} // namespace vantrel
