#include "band_scan_text.h"

#include "frequency_units.h"
#include "loop_text.h"
#include "number_format.h"
#include "quality_text.h"

namespace vantrel {
namespace {

// A field as CSV wants it: quoted, with its quotes doubled, when it holds a
// separator, a quote or a line end.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string wholeText(double value) { return plainNumber(value); }

} // namespace

std::string scanNumber(double value) { return exactDecimalText(value + 0.0); }

std::string limitsText(const BandPoint& point)
{
    std::string text;
    for (const std::string& summary : point.limits)
        text += (text.empty() ? "" : "; ") + summary;
    return text;
}

std::string bandScanCsvLine(const BandPoint& point)
{
    std::string line = scanNumber(point.foutMHz) + ',' + planOutcomeName(point.outcome) + ',';
    if (point.complete()) {
        line += scanNumber(point.errorHz) + ',' + scanNumber(point.pfdMHz) + ',' + scanNumber(point.n) + ','
                + scanNumber(point.frac) + ',' + scanNumber(point.mod) + ',';
    } else {
        line += ",,,,,";
    }
    if (const std::optional<PointFigures>& q = point.quality) {
        if (const std::optional<double> offset = q->boundarySpurOffset())
            line += scanNumber(*offset);
        line += ',';
        line += q->spurInLoop() ? "true," : "false,";
        line += scanNumber(q->inBand10kHzDbcHz) + ',';
    } else {
        line += ",,,";
    }
    if (const std::optional<double> crossover = scanCrossoverKHz(point))
        line += scanNumber(*crossover);
    return line + ',' + csvField(limitsText(point));
}

std::optional<double> scanCrossoverKHz(const BandPoint& point)
{
    if (!point.quality || !point.quality->crossoverKHz)
        return std::nullopt;
    return shownValue(*point.quality->crossoverKHz, kCrossoverKHzPlaces);
}

std::string bandScanCsv(const BandScan& scan)
{
    std::string text = std::string(kBandScanColumns) + '\n';
    for (const BandPoint& point : scan.points)
        text += bandScanCsvLine(point) + '\n';
    return text;
}

std::string bandPointTip(const BandPoint& point)
{
    std::string tip = plainNumber(point.foutMHz) + " MHz: ";
    if (!point.complete()) {
        tip += "no plan: " + point.stopReason;
    } else {
        // Rounded first: an error of a few thousandths below zero is "0.0", not "-0.0".
        tip += "error " + formatMask(shownValue(point.errorHz, 2), "###0.0#") + " Hz\n";
        tip += "R " + wholeText(point.r) + ", INT " + wholeText(point.n) + ", FRAC " + wholeText(point.frac)
               + ", MOD " + wholeText(point.mod) + "; PFD " + formatMask(point.pfdMHz, kPfdMHzMask)
               + " MHz, O/P divider " + wholeText(point.outDiv) + ", VCO " + plainNumber(point.vcoMHz) + " MHz";
        if (const std::optional<PointFigures>& q = point.quality) {
            tip += "\nInteger-boundary spur: ";
            if (q->boundarySpurOffset())
                tip += "at " + boundarySpurText(q->asQuality())
                       + (q->spurInLoop() ? ", inside the loop bandwidth" : ", outside the loop bandwidth");
            else
                tip += boundarySpurText(q->asQuality());
            tip += "\nIn-band noise at 10 kHz: " + noiseText(q->inBand10kHzDbcHz);
            if (q->crossoverKHz)
                tip += "\nLoop bandwidth: " + crossoverText(*q->crossoverKHz * 1e3) + " (from the loop filter)";
        }
    }
    tip += "\nChip limits:";
    if (point.limits.empty())
        return tip + " none";
    for (const std::string& summary : point.limits)
        tip += "\n  " + summary;
    return tip;
}

} // namespace vantrel
