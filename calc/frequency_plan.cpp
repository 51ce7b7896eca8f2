#include "frequency_plan.h"

#include <algorithm>
#include <cmath>

#include "auto_divider.h"
#include "chip.h"
#include "number_format.h"
#include "number_reader.h"
#include "register_packing.h"
#include "rounding.h"

namespace vantrel {
namespace {

// A code chosen among the chip options wins (choosing it clears the
// buttons); with no button selected the code stays what it was.
int muxCode(const Settings& s, int previous)
{
    if (s.chip.muxCode)
        return static_cast<int>(*s.chip.muxCode);
    const std::optional<MuxOut> code = muxCodeFor(s.mux);
    return code ? static_cast<int>(*code) : previous;
}

// The first plan value that would spill out of its register field. Written as
// "not inside" so that a NaN from an overflowing text is caught too.
std::optional<std::string> fieldLimit(const PlanValues& p)
{
    struct Check { const char* name; double value; double low; double high; };
    const Check checks[] = {
        {"INT", p.n, 0, kMaxInt},
        {"FRAC", p.fract, 0, kMaxFrac},
        {"MOD", p.denom, 0, kMaxMod},
        {"R", p.r, kMinR, kMaxR},
    };
    for (const Check& c : checks) {
        if (!(c.value >= c.low && c.value <= c.high))
            return fieldLimitMessage(c.name, c.value, c.low, c.high);
    }
    return std::nullopt;
}

// A quotient that floating point leaves a hair from a whole number is that
// whole number: 900 / (25 / 3) gives 107.99999999999999, and floored as it
// stands an integer-N plan would lose a whole INT step (and a set read back
// would come back with INT one lower). The hair allowed, 1e-13 of the
// value, is far below the 15 significant digits a frequency is shown with,
// and far above what two divisions can leave.
constexpr double kWholeTolerance = 1e-13;

double wholeIfNearly(double x)
{
    const double nearest = std::round(x);
    return std::fabs(x - nearest) <= std::fabs(nearest) * kWholeTolerance ? nearest : x;
}

// A fraction within half a FRAC step of 1 rounds up to FRAC = MOD, which the
// chip's FRAC field cannot hold (it takes 0 to MOD - 1): carry it into INT.
// INT + 1 with FRAC 0 is the same frequency, so the error stays as it is.
void carryWholeFraction(PlanValues& p, double mod)
{
    if (mod > 0 && p.fract == mod) {
        p.n = p.n + 1;
        p.fract = 0;
    }
}

// Fcomp / BandSelect as close to 125 kHz as a whole divider gets without
// passing it: rounded to nearest, some references land just above (12.8 MHz
// gives 102 and 125.5 kHz), and the next whole number up fixes that. The
// 8-bit field stops it at 255; with the band-select clock mode high the chip
// takes at most 254.
std::int32_t bandSelectDivider(double fcomp, BandSelectClockMode mode)
{
    double divider = roundHalfEven(fcomp * 8);
    if (!(fcomp / divider <= kMaxBandSelectClockMHz))
        divider = divider + 1;
    const std::int32_t largest = mode == BandSelectClockMode::High ? kMaxBandSelectHighMode : kMaxBandSelect;
    return static_cast<std::int32_t>(std::min(divider, double(largest)));
}

} // namespace

bool PlanResult::has(PlanWarning warning) const
{
    return std::find(warnings.begin(), warnings.end(), warning) != warnings.end();
}

std::string warningText(PlanWarning warning)
{
    switch (warning) {
    case PlanWarning::PfdTooHigh: return "TOO HIGH";
    case PlanWarning::VcoOutOfRange: return "External VCO Only";
    case PlanWarning::PrescalerRequired: return kPrescalerMessage;
    }
    return {};
}

PlanResult computePlanValues(const Settings& s, const PlanValues& previous)
{
    PlanResult result;
    PlanValues& p = result.values;
    p = previous;

    // Reference.
    p.fr = readLeadingNumber(s.frText);
    if (s.refDbl)
        p.fr = p.fr * 2;
    if (s.refDiv2)
        p.fr = p.fr / 2;

    // R counter and PFD frequency: a fractional R entry rounds half up to a
    // whole R, and Fcomp is recomputed from it; a blank or non-positive entry
    // keeps the previous Fcomp and picks the whole R nearest to it.
    const double q = readLeadingNumber(s.rdividerText);
    if (q > 0)
        p.fcomp = p.fr / q;
    if (p.fcomp > 0)
        p.r = std::floor(p.fr / p.fcomp + 0.5);
    if (p.r > 0)
        p.fcomp = p.fr / p.r;

    if (p.fcomp > kMaxPfdMHz)
        result.warnings.push_back(PlanWarning::PfdTooHigh);

    p.outDiv = outputDivider(s.outDivCont);

    if (s.trackDivider) {
        p.fout = p.vco / p.outDiv;
    } else {
        p.fout = readLeadingNumber(s.foutText);
        p.vco = p.fout * p.outDiv;
    }

    if (p.vco < kMinVcoMHz || p.vco > kMaxVcoMHz)
        result.warnings.push_back(PlanWarning::VcoOutOfRange);
    if (p.vco > kMaxVcoForPrescaler45MHz && !s.prescale8)
        result.warnings.push_back(PlanWarning::PrescalerRequired);

    p.resolution = readLeadingNumber(s.resolutionText);

    // "Not at least" so that a NaN comparison frequency stops here as well.
    if (!(p.fcomp >= kMinFcompMHz)) {
        result.outcome = PlanOutcome::NoPfd;
        return result;
    }

    // INT, MOD, FRAC and the error, in exactly this order of operations: the
    // results are floored, so a different order could change a digit.
    double d = p.denom;
    if (s.feedback) {
        const double q = wholeIfNearly(p.fout / p.fcomp);
        p.n = std::floor(q);
        if (p.resolution > 0)
            d = std::floor((p.fcomp * 1000000) / p.resolution + 0.5);
        // In integer-N mode MOD becomes 0 below, and a FRAC beside it is a
        // word the chip cannot use.
        if (!s.intN)
            p.fract = std::floor((q - std::floor(q)) * d + 0.5);
        else
            p.fract = 0;
        carryWholeFraction(p, d);
        if (d > 0)
            p.errorHz = ((p.n + p.fract / d) * p.fcomp - p.fout) * 1000000;
        else
            p.errorHz = (p.n * p.fcomp - p.fout) * 1000000; // no MOD: the error of INT alone
    } else {
        const double x = wholeIfNearly((p.fout / p.fcomp) * p.outDiv);
        p.n = std::floor(x);
        if (p.resolution > 0 && p.outDiv > 0)
            d = std::floor(((p.fcomp * 1000000) / p.resolution) / p.outDiv + 0.5);
        if (!s.intN)
            p.fract = std::floor((x - std::floor(x)) * d + 0.5);
        else
            p.fract = 0;
        carryWholeFraction(p, d);
        if (p.outDiv > 0 && d > 0)
            p.errorHz = (((p.n + p.fract / d) * p.fcomp) / p.outDiv - p.fout) * 1000000;
        if (s.intN || !(d > 0))
            p.errorHz = ((p.n * p.fcomp) / p.outDiv - p.fout) * 1000000;
    }
    if (s.intN)
        d = 0;
    p.denom = d;

    if (p.denom > kMaxMod) {
        result.outcome = PlanOutcome::ModLimit;
        return result;
    }
    if (fieldLimit(p)) {
        // Refused like the MOD limit: the register words stay those of the
        // last complete run, so nothing spills into a neighbouring field.
        result.outcome = PlanOutcome::Refused;
        return result;
    }

    p.muxVal = muxCode(s, p.muxVal);
    p.bandSelect = bandSelectDivider(p.fcomp, s.chip.bandSelectClockMode);
    p.registers = packRegisters(p, s);
    result.outcome = PlanOutcome::Complete;
    return result;
}

PlanResult computePlan(const Settings& s, const PlanValues& previous)
{
    PlanResult result = computePlanValues(s, previous);
    addPlanTexts(s, result);
    return result;
}

void addPlanTexts(const Settings& s, PlanResult& result)
{
    // The texts of the values as the run left them: none of these values
    // changes after the point where the window would show it.
    const PlanValues& p = result.values;
    result.pfdLabel = pfdLabel(p.fcomp);
    if (s.trackDivider)
        result.trackedFoutText = generalNumber(p.fout);
    result.vcoLabel = vcoLabel(p.vco);
    switch (result.outcome) {
    case PlanOutcome::NoPfd:
        break;
    case PlanOutcome::ModLimit:
        result.listingText = modLimitMessage();
        break;
    case PlanOutcome::Refused:
        result.listingText = fieldLimit(p);
        break;
    case PlanOutcome::Complete: {
        const StyledText listing = resultsListing(p, s.intN);
        result.listingText = listing.text;
        result.listingColour = listing.colour;
        break;
    }
    }
}

const char* planOutcomeName(PlanOutcome outcome)
{
    switch (outcome) {
    case PlanOutcome::Complete: return "complete";
    case PlanOutcome::NoPfd: return "no-pfd";
    case PlanOutcome::ModLimit: return "mod-limit";
    case PlanOutcome::Refused: return "refused";
    }
    return "";
}

} // namespace vantrel
