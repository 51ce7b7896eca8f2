// The texts of a broken chip limit, made when they are shown: its name, unit,
// bound, summary and advice, from the numbers and cures the check kept.
#include <charconv>
#include <cmath>
#include <initializer_list>

#include "chip.h"
#include "chip_check.h"
#include "number_format.h"

namespace vantrel {
namespace {

// A number in a text, with its unit when it has one: up to six decimals, no
// trailing zeros (33.3333333 -> "33.333333", 10 -> "10").
struct Amount {
    double value;
    std::string_view unit = {};
};

void append(std::string& text, std::string_view part) { text += part; }

void append(std::string& text, const Amount& amount)
{
    // Most amounts are whole (INT, MOD, a bound), and written straight away.
    if (amount.value == std::floor(amount.value) && std::fabs(amount.value) < 1e15) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(amount.value)).ptr;
        text.append(digits, end);
    } else {
        text += formatMask(amount.value, "#0.######");
    }
    if (!amount.unit.empty()) {
        text += ' ';
        text += amount.unit;
    }
}

template <class... Parts>
void appendAll(std::string& text, const Parts&... parts)
{
    (append(text, parts), ...);
}

// The parts in a row, in one string: the summary is made after every
// keystroke, for the strip.
template <class... Parts>
std::string words(const Parts&... parts)
{
    std::string text;
    text.reserve(64);
    appendAll(text, parts...);
    return text;
}

// "a", "a, or b", "a, b, or c": the cures of one break that apply, any of
// which will do, each in the words of this limit.
struct Cure {
    ChipCure cure;
    std::string_view words;
};
std::string anyOf(const ChipLimitBreak& item, std::initializer_list<Cure> cures)
{
    std::size_t count = 0;
    for (const Cure& c : cures)
        count += item.curedBy(c.cure) ? 1 : 0;
    std::string text;
    std::size_t i = 0;
    for (const Cure& c : cures) {
        if (!item.curedBy(c.cure))
            continue;
        if (i > 0)
            text += i + 1 == count ? ", or " : ", ";
        text += c.words;
        ++i;
    }
    return text;
}

// The bound says the variant: below or above, the prescaler, the PFD's
// mode, the band-select clock's mode.
bool below(const ChipLimitBreak& item, double lower) { return item.bound == lower; }

std::string_view prescalerOf(const ChipLimitBreak& item) { return item.bound == kMinInt89 ? "8/9" : "4/5"; }

std::string_view pfdModeOf(const ChipLimitBreak& item)
{
    if (item.bound == kMaxPfdIntegerNPhaseAdjustMHz)
        return " in integer-N with phase adjust";
    if (item.bound == kMaxPfdIntegerNMHz)
        return " in integer-N";
    return "";
}

bool clockModeHigh(const ChipLimitBreak& item) { return item.bound == kMaxBandSelectClockHighMHz * 1000; }

constexpr Amount mhz(double value) { return {value, "MHz"}; }

// The words after the amount in an amount's summary: "below 75 for prescaler 8/9".
void appendRelation(std::string& text, const ChipLimitBreak& item)
{
    switch (item.limit) {
    case ChipLimit::RefIn:
        if (below(item, kMinRefInMHz))
            return appendAll(text, "below ", mhz(kMinRefInMHz));
        return appendAll(text, "above ", mhz(kMaxRefInMHz));
    case ChipLimit::RefInDoubled: return appendAll(text, "above ", mhz(kMaxRefInDoubledMHz), " with the doubler on");
    case ChipLimit::IntMin: return appendAll(text, "below ", Amount{item.bound}, " for prescaler ", prescalerOf(item));
    case ChipLimit::IntMax: return appendAll(text, "above ", Amount{kMaxInt});
    case ChipLimit::Mod:
        if (below(item, kMinModFractional))
            return appendAll(text, "below ", Amount{kMinModFractional}, " in fractional mode");
        return appendAll(text, "above ", Amount{kMaxMod});
    case ChipLimit::Frac:
        return appendAll(text, "outside 0 to ", Amount{item.bound - 1}, " (MOD ", Amount{item.bound}, ")");
    case ChipLimit::RCounter: return appendAll(text, "outside ", Amount{kMinR}, " to ", Amount{kMaxR});
    case ChipLimit::Pfd: return appendAll(text, "above ", mhz(item.bound), pfdModeOf(item));
    case ChipLimit::BandSelectClock: return appendAll(text, "above ", Amount{item.bound, "kHz"});
    case ChipLimit::Vco:
        if (below(item, kMinVcoMHz))
            return appendAll(text, "below ", mhz(kMinVcoMHz));
        return appendAll(text, "above ", mhz(kMaxVcoMHz));
    case ChipLimit::Prescaler45:
        return appendAll(text, "above ", mhz(kMaxVcoForPrescaler45MHz), " with prescaler 4/5");
    case ChipLimit::Output:
        if (below(item, kMinOutputMHz))
            return appendAll(text, "below ", mhz(kMinOutputMHz));
        return appendAll(text, "above ", mhz(kMaxOutputMHz));
    case ChipLimit::LowSpurMod: return appendAll(text, "below ", Amount{kMinModLowSpur}, " in low spur mode");
    case ChipLimit::PhaseValue: return appendAll(text, "not below MOD ", Amount{item.bound});
    default: return;
    }
}

// The summary of a limit that is a state; empty for an amount.
std::string_view stateSummary(ChipLimit limit)
{
    switch (limit) {
    case ChipLimit::CycleSlipReduction: return "Cycle slip reduction without Ref Divide/2";
    case ChipLimit::ChargeCancellation: return "Charge cancellation on in fractional mode";
    case ChipLimit::Antibacklash: return "Antibacklash 3 ns in fractional mode";
    case ChipLimit::MuxNDivider: return "MUXOUT N divider output stops the VCO band selection";
    case ChipLimit::MuxReserved: return "MUXOUT code 7 (reserved)";
    default: return {};
    }
}

} // namespace

std::string_view ChipLimitBreak::name() const
{
    switch (limit) {
    case ChipLimit::RefIn:
    case ChipLimit::RefInDoubled: return "REFIN";
    case ChipLimit::IntMin:
    case ChipLimit::IntMax: return "INT";
    case ChipLimit::Mod:
    case ChipLimit::LowSpurMod: return "MOD";
    case ChipLimit::Frac: return "FRAC";
    case ChipLimit::RCounter: return "R";
    case ChipLimit::Pfd: return "PFD";
    case ChipLimit::BandSelectClock: return "Band-select clock";
    case ChipLimit::Vco:
    case ChipLimit::Prescaler45: return "VCO";
    case ChipLimit::Output: return "Output";
    case ChipLimit::PhaseValue: return "Phase value";
    case ChipLimit::CycleSlipReduction: return "Cycle slip reduction";
    case ChipLimit::ChargeCancellation: return "Charge cancellation";
    case ChipLimit::Antibacklash: return "Antibacklash";
    case ChipLimit::MuxNDivider:
    case ChipLimit::MuxReserved: return "MUXOUT";
    }
    return {};
}

std::string_view ChipLimitBreak::unit() const
{
    switch (limit) {
    case ChipLimit::RefIn:
    case ChipLimit::RefInDoubled:
    case ChipLimit::Pfd:
    case ChipLimit::Vco:
    case ChipLimit::Prescaler45:
    case ChipLimit::Output: return "MHz";
    case ChipLimit::BandSelectClock: return "kHz";
    default: return {};
    }
}

std::string ChipLimitBreak::boundText() const
{
    switch (limit) {
    case ChipLimit::RefIn: return words(Amount{kMinRefInMHz}, " to ", mhz(kMaxRefInMHz));
    case ChipLimit::RefInDoubled: return words("at most ", mhz(kMaxRefInDoubledMHz), " with the doubler on");
    case ChipLimit::IntMin: return words("at least ", Amount{bound}, " with prescaler ", prescalerOf(*this));
    case ChipLimit::IntMax: return words("at most ", Amount{kMaxInt});
    case ChipLimit::Mod: return words(Amount{kMinModFractional}, " to ", Amount{kMaxMod}, " in fractional mode");
    case ChipLimit::Frac: return "0 to MOD - 1";
    case ChipLimit::RCounter: return words(Amount{kMinR}, " to ", Amount{kMaxR});
    case ChipLimit::Pfd: return words("at most ", mhz(bound), pfdModeOf(*this));
    case ChipLimit::BandSelectClock: return words("at most ", Amount{bound, "kHz"});
    case ChipLimit::Vco: return words(Amount{kMinVcoMHz}, " to ", mhz(kMaxVcoMHz));
    case ChipLimit::Prescaler45: return words("at most ", mhz(kMaxVcoForPrescaler45MHz), " with prescaler 4/5");
    case ChipLimit::Output: return words(Amount{kMinOutputMHz}, " to ", mhz(kMaxOutputMHz));
    case ChipLimit::LowSpurMod: return words("at least ", Amount{kMinModLowSpur}, " in low spur mode");
    case ChipLimit::PhaseValue: return "below MOD";
    case ChipLimit::CycleSlipReduction: return "needs the 50 % duty cycle of Ref Divide/2";
    case ChipLimit::ChargeCancellation: return "off in fractional mode";
    case ChipLimit::Antibacklash: return "6 ns in fractional mode";
    case ChipLimit::MuxNDivider: return "not the N divider while the band selection runs";
    case ChipLimit::MuxReserved: return "codes 0 to 6";
    }
    return {};
}

std::string ChipLimitBreak::summary() const
{
    const std::string_view fixed = stateSummary(limit);
    if (!fixed.empty())
        return std::string(fixed);
    std::string text = words(name(), " ", Amount{value, unit()}, " ");
    appendRelation(text, *this);
    return text;
}

std::string ChipLimitBreak::advice() const
{
    switch (limit) {
    case ChipLimit::RefIn:
        return words("enter a reference of ", Amount{kMinRefInMHz}, " to ", mhz(kMaxRefInMHz), " in Ref In");
    case ChipLimit::RefInDoubled:
        return words("clear Ref Doubler, or use a reference of ", mhz(kMaxRefInDoubledMHz), " or less");
    case ChipLimit::IntMin: {
        const std::string lowerings = anyOf(*this, {{ChipCure::RefDoubler, "clear Ref Doubler"},
                                                    {ChipCure::RefDivider, "a larger Ref Divider"},
                                                    {ChipCure::RefDivide2, "tick Ref Divide/2"}});
        if (curedBy(ChipCure::ClearPrescaler))
            return lowerings.empty() ? "clear Prescalar 8/9 (VCO up to 3600 MHz)"
                                     : "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD";
        return lowerings.empty() ? "lower the reference in Ref In" : "lower the PFD: " + lowerings;
    }
    case ChipLimit::IntMax: {
        const std::string raisings = anyOf(*this, {{ChipCure::RefDivider, "a smaller Ref Divider"},
                                                   {ChipCure::RefDivide2, "clear Ref Divide/2"},
                                                   {ChipCure::RefDoubler, "tick Ref Doubler"}});
        return raisings.empty() ? "raise the reference in Ref In" : "raise the PFD: " + raisings;
    }
    case ChipLimit::Mod:
        if (!below(*this, kMinModFractional))
            return "make the resolution coarser (more Hz), or press Calc. Best F/D";
        return curedBy(ChipCure::IntegerN) ? "tick Integer N (FRAC is 0), or make the resolution finer"
                                           : "make the resolution finer (fewer Hz)";
    case ChipLimit::Frac: return "change the resolution or the output frequency";
    case ChipLimit::RCounter: return words("enter a Ref Divider of ", Amount{kMinR}, " to ", Amount{kMaxR});
    case ChipLimit::Pfd: {
        const std::string lowerings = anyOf(*this, {{ChipCure::RefDivider, "raise the Ref Divider"},
                                                    {ChipCure::RefDivide2, "tick Ref Divide/2"},
                                                    {ChipCure::RefDoubler, "clear Ref Doubler"}});
        return lowerings.empty() ? "lower the reference in Ref In" : lowerings;
    }
    case ChipLimit::BandSelectClock: {
        const bool high = clockModeHigh(*this);
        const std::int32_t maxDivider = high ? kMaxBandSelectHighMode : kMaxBandSelect;
        const double maxClockMHz = high ? kMaxBandSelectClockHighMHz : kMaxBandSelectClockMHz;
        return words("lower the PFD to ", mhz(maxDivider * maxClockMHz), " or less: the divider stops at ",
                     Amount{double(maxDivider)});
    }
    case ChipLimit::Vco: {
        std::string cures = anyOf(*this, {{ChipCure::AutoSet, "press Auto Set >>"},
                                          {ChipCure::OutDivider, "choose another O/P divider"}});
        if (cures.empty())
            return words("enter a Wanted F out of ", Amount{kMinOutputMHz}, " to ", mhz(kMaxOutputMHz),
                         " and press Auto Set >>");
        return cures;
    }
    case ChipLimit::Prescaler45: return "tick Prescalar 8/9";
    case ChipLimit::Output:
        return words("the chip's output runs from ", Amount{kMinOutputMHz}, " to ", mhz(kMaxOutputMHz));
    case ChipLimit::LowSpurMod: return "make the resolution finer (fewer Hz), or clear Low Spur mode";
    case ChipLimit::PhaseValue: return "set a phase value below MOD in Chip \u25B8 Options\u2026 (1 is usual)";
    case ChipLimit::CycleSlipReduction:
        return "tick Ref Divide/2, or turn cycle slip reduction off in Chip \u25B8 Options\u2026";
    case ChipLimit::ChargeCancellation:
        return "turn charge cancellation off in Chip \u25B8 Options\u2026, or tick Integer N";
    case ChipLimit::Antibacklash: return "set antibacklash 6 ns in Chip \u25B8 Options\u2026, or tick Integer N";
    case ChipLimit::MuxNDivider:
        return "choose another MUXOUT, or turn phase adjust on in Chip \u25B8 Options\u2026 for a fixed frequency";
    case ChipLimit::MuxReserved: return "choose a MUXOUT button, or a code in Chip \u25B8 Options\u2026";
    }
    return {};
}

std::string ChipLimitBreak::text() const { return summary() + ": " + advice(); }

} // namespace vantrel
