#include "chip_check.h"

#include "chip.h"
#include "chip_options.h"
#include "echoed_text.h"
#include "frequency_units.h"
#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

// A box's text as its note echoes it: the strip is one line, its tool tip a few.
constexpr std::size_t kEchoedBoxChars = 40;

constexpr std::uint8_t bit(ChipCure cure) { return static_cast<std::uint8_t>(cure); }

// A limit that is a state rather than an amount: its value is the state's code.
ChipLimitBreak state(ChipLimit limit, double code) { return {limit, code, 0, 0}; }

// The limits that the chip options bring, in the order of the enum.
void addOptionLimits(ChipLimitBreaks& breaks, const Settings& s, const PlanResult& result)
{
    const PlanValues& p = result.values;
    const ChipOptions& chip = s.chip;
    const bool countersComputed = result.outcome != PlanOutcome::NoPfd;
    const bool fractional = !s.intN || p.fract != 0;
    // Below MOD 2 the MOD limit is broken already; the phase and dither bounds add nothing.
    const bool modUsable = countersComputed && fractional && p.denom >= kMinModFractional && p.denom <= kMaxMod;

    if (modUsable && s.lowSpur && p.denom < kMinModLowSpur)
        breaks.add({ChipLimit::LowSpurMod, p.denom, kMinModLowSpur, 0});
    if (modUsable && chip.phaseValue >= p.denom)
        breaks.add({ChipLimit::PhaseValue, double(chip.phaseValue), p.denom, 0});
    if (chip.cycleSlipReduction && !s.refDiv2)
        breaks.add(state(ChipLimit::CycleSlipReduction, 1));
    if (chip.chargeCancellation && fractional)
        breaks.add(state(ChipLimit::ChargeCancellation, 1));
    if (chip.abp == Antibacklash::Ns3 && fractional)
        breaks.add(state(ChipLimit::Antibacklash, 3));
    if (p.muxVal == static_cast<int>(MuxOut::NDivider) && !chip.phaseAdjust)
        breaks.add(state(ChipLimit::MuxNDivider, p.muxVal));
    if (p.muxVal == static_cast<int>(MuxOut::Reserved))
        breaks.add(state(ChipLimit::MuxReserved, p.muxVal));
}

// The whole-and-fractional N the counters divide by; INT and the PFD are
// inversely proportional, so it tells how far a change of the PFD moves INT.
double totalN(const PlanValues& p) { return p.denom > 0 ? p.n + p.fract / p.denom : p.n; }

// The changes of the reference path that lower the PFD enough to bring an
// INT of `n` up to `minInt` on their own. Only changes the user can still
// make count: Ref Divide/2 not when it is ticked already.
std::uint8_t pfdLowerings(const Settings& s, const PlanValues& p, double n, double minInt)
{
    std::uint8_t cures = 0;
    if (s.refDbl && 2 * n >= minInt)
        cures |= bit(ChipCure::RefDoubler);
    if (p.r < kMaxR && n > 0 && p.r * minInt / n <= kMaxR)
        cures |= bit(ChipCure::RefDivider);
    if (!s.refDiv2 && 2 * n >= minInt)
        cures |= bit(ChipCure::RefDivide2);
    return cures;
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

ChipLimitBreaks checkChipLimits(const Settings& s, const PlanResult& result)
{
    ChipLimitBreaks breaks;
    const PlanValues& p = result.values;
    const bool countersComputed = result.outcome != PlanOutcome::NoPfd;

    // The reference as typed, before the doubler and the divide-by-2.
    const double refIn = readLeadingNumber(s.frText);
    if (refIn < kMinRefInMHz || refIn > kMaxRefInMHz)
        breaks.add({ChipLimit::RefIn, refIn, refIn < kMinRefInMHz ? kMinRefInMHz : kMaxRefInMHz, 0});
    if (s.refDbl && refIn > kMaxRefInDoubledMHz)
        breaks.add({ChipLimit::RefInDoubled, refIn, kMaxRefInDoubledMHz, 0});

    if (countersComputed) {
        const double minInt = s.prescale8 ? kMinInt89 : kMinInt45;
        if (p.n < minInt) {
            std::uint8_t cures = pfdLowerings(s, p, totalN(p), minInt);
            // Clearing 8/9 cures only an INT that 4/5 takes, at a VCO 4/5 may run.
            if (s.prescale8 && p.vco <= kMaxVcoForPrescaler45MHz && p.n >= kMinInt45)
                cures |= bit(ChipCure::ClearPrescaler);
            breaks.add({ChipLimit::IntMin, p.n, minInt, cures});
        }
        if (p.n > kMaxInt) {
            // Raising the PFD by a factor f divides INT by f.
            const double n = totalN(p);
            std::uint8_t cures = 0;
            if (p.r > 1 && n / p.r <= kMaxInt)
                cures |= bit(ChipCure::RefDivider);
            if (s.refDiv2 && n / 2 <= kMaxInt)
                cures |= bit(ChipCure::RefDivide2);
            if (!s.refDbl && refIn <= kMaxRefInDoubledMHz && n / 2 <= kMaxInt)
                cures |= bit(ChipCure::RefDoubler);
            breaks.add({ChipLimit::IntMax, p.n, kMaxInt, cures});
        }

        // Integer-N off, or a FRAC left beside it, is fractional mode.
        const bool fractional = !s.intN || p.fract != 0;
        if (fractional && !(p.denom >= kMinModFractional && p.denom <= kMaxMod)) {
            if (p.denom < kMinModFractional) {
                const std::uint8_t cures = p.fract == 0 ? bit(ChipCure::IntegerN) : std::uint8_t{0};
                breaks.add({ChipLimit::Mod, p.denom, kMinModFractional, cures});
            } else
                breaks.add({ChipLimit::Mod, p.denom, kMaxMod, 0});
        }

        if (p.fract < 0 || (p.fract > 0 && p.fract >= p.denom))
            breaks.add({ChipLimit::Frac, p.fract, p.denom, 0});

        if (!(p.r >= kMinR && p.r <= kMaxR))
            breaks.add({ChipLimit::RCounter, p.r, p.r < kMinR ? kMinR : kMaxR, 0});
    }

    // Integer-N allows a faster PFD, and faster still without the band selection.
    const bool integerN = s.intN && p.fract == 0;
    const double maxPfd = !integerN ? kMaxPfdMHz
                          : s.chip.phaseAdjust ? kMaxPfdIntegerNPhaseAdjustMHz : kMaxPfdIntegerNMHz;
    if (p.fcomp > maxPfd) {
        std::uint8_t cures = 0;
        if (p.r < kMaxR && p.fcomp * p.r / kMaxR <= maxPfd)
            cures |= bit(ChipCure::RefDivider);
        if (!s.refDiv2 && p.fcomp / 2 <= maxPfd)
            cures |= bit(ChipCure::RefDivide2);
        if (s.refDbl && p.fcomp / 2 <= maxPfd)
            cures |= bit(ChipCure::RefDoubler);
        breaks.add({ChipLimit::Pfd, p.fcomp, maxPfd, cures});
    }

    if (result.outcome == PlanOutcome::Complete) {
        const bool clockHigh = s.chip.bandSelectClockMode == BandSelectClockMode::High;
        const double maxKHz = (clockHigh ? kMaxBandSelectClockHighMHz : kMaxBandSelectClockMHz) * 1000;
        const double clockKHz = p.fcomp / p.bandSelect * 1000;
        if (!(clockKHz <= maxKHz))
            breaks.add({ChipLimit::BandSelectClock, clockKHz, maxKHz, 0});
    }

    if (p.vco < kMinVcoMHz || p.vco > kMaxVcoMHz) {
        // Auto Set >> takes the output as typed, and only 35 to 4400 MHz.
        const double typedFout = readLeadingNumber(s.foutText);
        std::uint8_t cures = 0;
        if (typedFout >= kMinOutputMHz && typedFout <= kMaxOutputMHz)
            cures |= bit(ChipCure::AutoSet);
        if (anotherDividerFits(s, p.fout))
            cures |= bit(ChipCure::OutDivider);
        breaks.add({ChipLimit::Vco, p.vco, p.vco < kMinVcoMHz ? kMinVcoMHz : kMaxVcoMHz, cures});
    }
    if (p.vco > kMaxVcoForPrescaler45MHz && !s.prescale8)
        breaks.add({ChipLimit::Prescaler45, p.vco, kMaxVcoForPrescaler45MHz, 0});

    if (p.fout < kMinOutputMHz || p.fout > kMaxOutputMHz)
        breaks.add({ChipLimit::Output, p.fout, p.fout < kMinOutputMHz ? kMinOutputMHz : kMaxOutputMHz, 0});

    addOptionLimits(breaks, s, result);
    return breaks;
}

std::vector<std::string> chipAdvice(const Settings& s, const PlanResult& result)
{
    std::vector<std::string> advice;
    if (s.intN && result.values.fract == 0 && !followsDatasheetForMode(s.chip, true))
        advice.emplace_back(kIntegerNAdvice);
    return advice;
}

std::vector<std::string> boxReadingNotes(const Settings& s)
{
    struct Box {
        const char* caption;
        const std::string& text;
        std::optional<FrequencyUnit> unit;
    };
    const Box boxes[] = {{"Wanted F out", s.foutText, FrequencyUnit::MHz},
                         {"Ref In", s.frText, FrequencyUnit::MHz},
                         {"Ref Divider", s.rdividerText, std::nullopt},
                         {"Output Frequency resolution", s.resolutionText, FrequencyUnit::Hz}};
    std::vector<std::string> notes;
    for (const Box& box : boxes) {
        if (readsAsWritten(box.text, box.unit))
            continue;
        std::string note = std::string(box.caption) + " reads " + echoedText(withoutBlanksAround(box.text), kEchoedBoxChars)
                           + " as " + plainNumber(readLeadingNumber(box.text));
        if (box.unit)
            note += " " + std::string(unitName(*box.unit));
        notes.push_back(std::move(note));
    }
    return notes;
}

ChipCheck checkChip(const Settings& s, const PlanResult& result, const LoopBandwidth& loop)
{
    return {boxReadingNotes(s), checkChipLimits(s, result), chipAdvice(s, result), chipOptionNotes(s.chip),
            planQuality(s, result, loop)};
}

} // namespace vantrel
