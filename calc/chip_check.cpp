#include "chip_check.h"

#include "chip.h"
#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

// Up to six decimals, no trailing zeros: 33.3333333 -> "33.333333", 10 -> "10".
std::string amount(double value) { return formatMask(value, "#0.######"); }

std::string withUnit(double value, const std::string& unit)
{
    return unit.empty() ? amount(value) : amount(value) + " " + unit;
}

// Adds one broken limit; its summary reads "INT 73 below 75 for prescaler 8/9".
void add(std::vector<ChipLimitBreak>& breaks, ChipLimit limit, std::string name, double value, std::string unit,
         std::string bound, const std::string& relation, std::string advice)
{
    ChipLimitBreak item{limit, std::move(name), value, std::move(unit), std::move(bound), {}, std::move(advice)};
    item.summary = item.name + " " + withUnit(value, item.unit) + " " + relation;
    breaks.push_back(std::move(item));
}

// "a", "a, or b", "a, b, or c": the cures of one break, any of which will do.
std::string anyOf(const std::vector<std::string>& cures)
{
    std::string text;
    for (std::size_t i = 0; i < cures.size(); ++i) {
        if (i > 0)
            text += i + 1 == cures.size() ? ", or " : ", ";
        text += cures[i];
    }
    return text;
}

// The whole-and-fractional N the counters divide by; INT and the PFD are
// inversely proportional, so it tells how far a change of the PFD moves INT.
double totalN(const PlanValues& p) { return p.denom > 0 ? p.n + p.fract / p.denom : p.n; }

// The changes of the reference path that lower the PFD enough to bring an
// INT of `n` up to `minInt` on their own. Only changes the user can still
// make are named: Ref Divide/2 not when it is ticked already.
std::vector<std::string> pfdLowerings(const Settings& s, const PlanValues& p, double n, double minInt)
{
    std::vector<std::string> means;
    if (s.refDbl && 2 * n >= minInt)
        means.push_back("clear Ref Doubler");
    if (p.r < kMaxR && n > 0 && p.r * minInt / n <= kMaxR)
        means.push_back("a larger Ref Divider");
    if (!s.refDiv2 && 2 * n >= minInt)
        means.push_back("tick Ref Divide/2");
    return means;
}

// Whether some O/P divider other than the present one puts `foutMHz` into
// the VCO's range (tracking keeps the VCO instead, so no divider moves it).
bool anotherDividerFits(const Settings& s, double foutMHz)
{
    if (s.trackDivider)
        return false;
    for (int k = 0; k <= kMaxOutDivIndex; ++k) {
        const double vco = foutMHz * double(1 << k);
        if (k != s.outDivCont && vco >= kMinVcoMHz && vco <= kMaxVcoMHz)
            return true;
    }
    return false;
}

} // namespace

std::vector<ChipLimitBreak> checkChipLimits(const Settings& s, const PlanResult& result)
{
    std::vector<ChipLimitBreak> breaks;
    const PlanValues& p = result.values;
    const bool countersComputed = result.outcome != PlanOutcome::NoPfd;

    // The reference as typed, before the doubler and the divide-by-2.
    // The texts are built only for a limit that is broken: the check runs
    // after every keystroke.
    const double refIn = readLeadingNumber(s.frText);
    if (refIn < kMinRefInMHz || refIn > kMaxRefInMHz) {
        const std::string refRange = amount(kMinRefInMHz) + " to " + amount(kMaxRefInMHz) + " MHz";
        add(breaks, ChipLimit::RefIn, "REFIN", refIn, "MHz", refRange,
            refIn < kMinRefInMHz ? "below " + withUnit(kMinRefInMHz, "MHz")
                                 : "above " + withUnit(kMaxRefInMHz, "MHz"),
            "enter a reference of " + refRange + " in Ref In");
    }
    if (s.refDbl && refIn > kMaxRefInDoubledMHz)
        add(breaks, ChipLimit::RefInDoubled, "REFIN", refIn, "MHz",
            "at most " + withUnit(kMaxRefInDoubledMHz, "MHz") + " with the doubler on",
            "above " + withUnit(kMaxRefInDoubledMHz, "MHz") + " with the doubler on",
            "clear Ref Doubler, or use a reference of " + withUnit(kMaxRefInDoubledMHz, "MHz") + " or less");

    if (countersComputed) {
        const double minInt = s.prescale8 ? kMinInt89 : kMinInt45;
        if (p.n < minInt) {
            const std::string prescaler = s.prescale8 ? "8/9" : "4/5";
            // Clearing 8/9 cures only an INT that 4/5 takes, at a VCO 4/5 may run.
            const bool canClearPrescaler = s.prescale8 && p.vco <= kMaxVcoForPrescaler45MHz && p.n >= kMinInt45;
            const std::vector<std::string> lowerings = pfdLowerings(s, p, totalN(p), minInt);
            std::string advice;
            if (canClearPrescaler)
                advice = lowerings.empty() ? "clear Prescalar 8/9 (VCO up to 3600 MHz)"
                                           : "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD";
            else
                advice = lowerings.empty() ? "lower the reference in Ref In" : "lower the PFD: " + anyOf(lowerings);
            add(breaks, ChipLimit::IntMin, "INT", p.n, "",
                "at least " + amount(minInt) + " with prescaler " + prescaler, "below " + amount(minInt) + " for prescaler " + prescaler,
                advice);
        }
        if (p.n > kMaxInt) {
            // Raising the PFD by a factor f divides INT by f.
            const double n = totalN(p);
            std::vector<std::string> raisings;
            if (p.r > 1 && n / p.r <= kMaxInt)
                raisings.push_back("a smaller Ref Divider");
            if (s.refDiv2 && n / 2 <= kMaxInt)
                raisings.push_back("clear Ref Divide/2");
            if (!s.refDbl && refIn <= kMaxRefInDoubledMHz && n / 2 <= kMaxInt)
                raisings.push_back("tick Ref Doubler");
            add(breaks, ChipLimit::IntMax, "INT", p.n, "", "at most " + amount(kMaxInt), "above " + amount(kMaxInt),
                raisings.empty() ? "raise the reference in Ref In" : "raise the PFD: " + anyOf(raisings));
        }

        // Integer-N off, or a FRAC left beside it, is fractional mode.
        const bool fractional = !s.intN || p.fract != 0;
        if (fractional && !(p.denom >= kMinModFractional && p.denom <= kMaxMod)) {
            const std::string modRange = amount(kMinModFractional) + " to " + amount(kMaxMod) + " in fractional mode";
            if (p.denom < kMinModFractional)
                add(breaks, ChipLimit::Mod, "MOD", p.denom, "", modRange,
                    "below " + amount(kMinModFractional) + " in fractional mode",
                    p.fract == 0 ? "tick Integer N (FRAC is 0), or make the resolution finer"
                                 : "make the resolution finer (fewer Hz)");
            else
                add(breaks, ChipLimit::Mod, "MOD", p.denom, "", modRange, "above " + amount(kMaxMod),
                    "make the resolution coarser (more Hz), or press Calc. Best F/D");
        }

        if (p.fract < 0 || (p.fract > 0 && p.fract >= p.denom))
            add(breaks, ChipLimit::Frac, "FRAC", p.fract, "", "0 to MOD - 1",
                "outside 0 to " + amount(p.denom - 1) + " (MOD " + amount(p.denom) + ")",
                "change the resolution or the output frequency");

        if (!(p.r >= kMinR && p.r <= kMaxR))
            add(breaks, ChipLimit::RCounter, "R", p.r, "", amount(kMinR) + " to " + amount(kMaxR),
                "outside " + amount(kMinR) + " to " + amount(kMaxR),
                "enter a Ref Divider of " + amount(kMinR) + " to " + amount(kMaxR));
    }

    if (p.fcomp > kMaxPfdMHz) {
        std::vector<std::string> lowerings;
        if (p.r < kMaxR && p.fcomp * p.r / kMaxR <= kMaxPfdMHz)
            lowerings.push_back("raise the Ref Divider");
        if (!s.refDiv2 && p.fcomp / 2 <= kMaxPfdMHz)
            lowerings.push_back("tick Ref Divide/2");
        if (s.refDbl && p.fcomp / 2 <= kMaxPfdMHz)
            lowerings.push_back("clear Ref Doubler");
        add(breaks, ChipLimit::Pfd, "PFD", p.fcomp, "MHz", "at most " + withUnit(kMaxPfdMHz, "MHz"),
            "above " + withUnit(kMaxPfdMHz, "MHz"),
            lowerings.empty() ? "lower the reference in Ref In" : anyOf(lowerings));
    }

    if (result.outcome == PlanOutcome::Complete) {
        const double clockKHz = p.fcomp / p.bandSelect * 1000;
        const double maxKHz = kMaxBandSelectClockMHz * 1000;
        if (!(clockKHz <= maxKHz))
            add(breaks, ChipLimit::BandSelectClock, "Band-select clock", clockKHz, "kHz",
                "at most " + withUnit(maxKHz, "kHz"), "above " + withUnit(maxKHz, "kHz"),
                "lower the PFD to " + withUnit(kMaxBandSelect * kMaxBandSelectClockMHz, "MHz")
                    + " or less: the divider stops at " + amount(kMaxBandSelect));
    }

    if (p.vco < kMinVcoMHz || p.vco > kMaxVcoMHz) {
        // Auto Set >> takes the output as typed, and only 35 to 4400 MHz.
        const double typedFout = readLeadingNumber(s.foutText);
        std::vector<std::string> cures;
        if (typedFout >= kMinOutputMHz && typedFout <= kMaxOutputMHz)
            cures.push_back("press Auto Set >>");
        if (anotherDividerFits(s, p.fout))
            cures.push_back("choose another O/P divider");
        add(breaks, ChipLimit::Vco, "VCO", p.vco, "MHz", amount(kMinVcoMHz) + " to " + amount(kMaxVcoMHz) + " MHz",
            p.vco < kMinVcoMHz ? "below " + withUnit(kMinVcoMHz, "MHz") : "above " + withUnit(kMaxVcoMHz, "MHz"),
            cures.empty() ? "enter a Wanted F out of " + amount(kMinOutputMHz) + " to "
                                + withUnit(kMaxOutputMHz, "MHz") + " and press Auto Set >>"
                          : anyOf(cures));
    }
    if (p.vco > kMaxVcoForPrescaler45MHz && !s.prescale8)
        add(breaks, ChipLimit::Prescaler45, "VCO", p.vco, "MHz",
            "at most " + withUnit(kMaxVcoForPrescaler45MHz, "MHz") + " with prescaler 4/5",
            "above " + withUnit(kMaxVcoForPrescaler45MHz, "MHz") + " with prescaler 4/5", "tick Prescalar 8/9");

    if (p.fout < kMinOutputMHz || p.fout > kMaxOutputMHz) {
        const std::string outputRange = amount(kMinOutputMHz) + " to " + amount(kMaxOutputMHz) + " MHz";
        add(breaks, ChipLimit::Output, "Output", p.fout, "MHz", outputRange,
            p.fout < kMinOutputMHz ? "below " + withUnit(kMinOutputMHz, "MHz")
                                   : "above " + withUnit(kMaxOutputMHz, "MHz"),
            "the chip's output runs from " + outputRange);
    }
    return breaks;
}

} // namespace vantrel
