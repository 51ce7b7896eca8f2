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

// Up to six decimals, no trailing zeros: 33.3333333 -> "33.333333", 10 -> "10".
// Most amounts are whole (INT, MOD, a bound), and written straight away.
std::string amount(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value)).ptr;
        return std::string(digits, end);
    }
    return formatMask(value, "#0.######");
}

std::string withUnit(double value, std::string_view unit)
{
    std::string text = amount(value);
    if (!unit.empty()) {
        text += ' ';
        text += unit;
    }
    return text;
}

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view part : parts)
        text += part;
    return text;
}

// "a", "a, or b", "a, b, or c": the cures of one break, any of which will do.
// Each cure is given with the words of this limit, and named when it applies.
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

// The cures that lower the PFD for an INT below its least, in the advice's order.
std::string intLowerings(const ChipLimitBreak& item)
{
    return anyOf(item, {{ChipCure::RefDoubler, "clear Ref Doubler"},
                        {ChipCure::RefDivider, "a larger Ref Divider"},
                        {ChipCure::RefDivide2, "tick Ref Divide/2"}});
}

bool below(const ChipLimitBreak& item, double lower) { return item.bound == lower; }

const char* prescalerOf(const ChipLimitBreak& item) { return item.bound == kMinInt89 ? "8/9" : "4/5"; }

// The PFD's bound says the mode it belongs to.
const char* pfdModeOf(const ChipLimitBreak& item)
{
    if (item.bound == kMaxPfdIntegerNPhaseAdjustMHz)
        return " in integer-N with phase adjust";
    if (item.bound == kMaxPfdIntegerNMHz)
        return " in integer-N";
    return "";
}

bool clockModeHigh(const ChipLimitBreak& item) { return item.bound == kMaxBandSelectClockHighMHz * 1000; }

std::string rangeMHz(double low, double high) { return amount(low) + " to " + amount(high) + " MHz"; }

// The words after the amount in an amount's summary: "below 75 for prescaler 8/9".
std::string relation(const ChipLimitBreak& item)
{
    switch (item.limit) {
    case ChipLimit::RefIn:
        return below(item, kMinRefInMHz) ? "below " + withUnit(kMinRefInMHz, "MHz")
                                         : "above " + withUnit(kMaxRefInMHz, "MHz");
    case ChipLimit::RefInDoubled: return "above " + withUnit(kMaxRefInDoubledMHz, "MHz") + " with the doubler on";
    case ChipLimit::IntMin: return "below " + amount(item.bound) + " for prescaler " + prescalerOf(item);
    case ChipLimit::IntMax: return "above " + amount(kMaxInt);
    case ChipLimit::Mod:
        return below(item, kMinModFractional) ? "below " + amount(kMinModFractional) + " in fractional mode"
                                              : "above " + amount(kMaxMod);
    case ChipLimit::Frac: return "outside 0 to " + amount(item.bound - 1) + " (MOD " + amount(item.bound) + ")";
    case ChipLimit::RCounter: return "outside " + amount(kMinR) + " to " + amount(kMaxR);
    case ChipLimit::Pfd: return "above " + withUnit(item.bound, "MHz") + pfdModeOf(item);
    case ChipLimit::BandSelectClock: return "above " + withUnit(item.bound, "kHz");
    case ChipLimit::Vco:
        return below(item, kMinVcoMHz) ? "below " + withUnit(kMinVcoMHz, "MHz")
                                       : "above " + withUnit(kMaxVcoMHz, "MHz");
    case ChipLimit::Prescaler45: return "above " + withUnit(kMaxVcoForPrescaler45MHz, "MHz") + " with prescaler 4/5";
    case ChipLimit::Output:
        return below(item, kMinOutputMHz) ? "below " + withUnit(kMinOutputMHz, "MHz")
                                          : "above " + withUnit(kMaxOutputMHz, "MHz");
    case ChipLimit::LowSpurMod: return "below " + amount(kMinModLowSpur) + " in low spur mode";
    case ChipLimit::PhaseValue: return "not below MOD " + amount(item.bound);
    default: return {};
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
    case ChipLimit::RefIn: return rangeMHz(kMinRefInMHz, kMaxRefInMHz);
    case ChipLimit::RefInDoubled: return "at most " + withUnit(kMaxRefInDoubledMHz, "MHz") + " with the doubler on";
    case ChipLimit::IntMin: return "at least " + amount(bound) + " with prescaler " + prescalerOf(*this);
    case ChipLimit::IntMax: return "at most " + amount(kMaxInt);
    case ChipLimit::Mod: return amount(kMinModFractional) + " to " + amount(kMaxMod) + " in fractional mode";
    case ChipLimit::Frac: return "0 to MOD - 1";
    case ChipLimit::RCounter: return amount(kMinR) + " to " + amount(kMaxR);
    case ChipLimit::Pfd: return "at most " + withUnit(bound, "MHz") + pfdModeOf(*this);
    case ChipLimit::BandSelectClock: return "at most " + withUnit(bound, "kHz");
    case ChipLimit::Vco: return rangeMHz(kMinVcoMHz, kMaxVcoMHz);
    case ChipLimit::Prescaler45: return "at most " + withUnit(kMaxVcoForPrescaler45MHz, "MHz") + " with prescaler 4/5";
    case ChipLimit::Output: return rangeMHz(kMinOutputMHz, kMaxOutputMHz);
    case ChipLimit::LowSpurMod: return "at least " + amount(kMinModLowSpur) + " in low spur mode";
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
    return joined({name(), " ", withUnit(value, unit()), " ", relation(*this)});
}

std::string ChipLimitBreak::advice() const
{
    switch (limit) {
    case ChipLimit::RefIn: return "enter a reference of " + rangeMHz(kMinRefInMHz, kMaxRefInMHz) + " in Ref In";
    case ChipLimit::RefInDoubled:
        return "clear Ref Doubler, or use a reference of " + withUnit(kMaxRefInDoubledMHz, "MHz") + " or less";
    case ChipLimit::IntMin: {
        const std::string lowerings = intLowerings(*this);
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
    case ChipLimit::RCounter: return "enter a Ref Divider of " + amount(kMinR) + " to " + amount(kMaxR);
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
        return "lower the PFD to " + withUnit(maxDivider * maxClockMHz, "MHz") + " or less: the divider stops at "
               + amount(maxDivider);
    }
    case ChipLimit::Vco: {
        const std::string cures = anyOf(*this, {{ChipCure::AutoSet, "press Auto Set >>"},
                                                {ChipCure::OutDivider, "choose another O/P divider"}});
        return cures.empty() ? "enter a Wanted F out of " + amount(kMinOutputMHz) + " to "
                                   + withUnit(kMaxOutputMHz, "MHz") + " and press Auto Set >>"
                             : cures;
    }
    case ChipLimit::Prescaler45: return "tick Prescalar 8/9";
    case ChipLimit::Output: return "the chip's output runs from " + rangeMHz(kMinOutputMHz, kMaxOutputMHz);
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
