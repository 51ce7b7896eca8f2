// The chip check: which of the chip's datasheet limits a plan breaks, each
// with its value, its bound and one line of advice in the panel's own terms,
// the datasheet's advice that is no limit, and the chip options worth a
// glance. The bounds are those of chip.h.
#pragma once

#include <string>
#include <vector>

#include "frequency_plan.h"
#include "plan_quality.h"
#include "settings.h"

namespace vantrel {

enum class ChipLimit {
    RefIn,           // the reference as typed, 10..250 MHz
    RefInDoubled,    // at most 30 MHz with the doubler on
    IntMin,          // INT at least 23 (prescaler 4/5) or 75 (8/9)
    IntMax,          // INT at most 65535
    Mod,             // MOD 2..4095 in fractional mode
    Frac,            // FRAC 0..MOD - 1
    RCounter,        // R 1..1023
    Pfd,             // Fcomp at most 32 MHz; integer-N 45 MHz, 90 MHz with phase adjust
    BandSelectClock, // Fcomp / BandSelect at most 125 kHz; 500 kHz in clock mode high
    Vco,             // 2200..4400 MHz
    Prescaler45,     // VCO at most 3600 MHz with prescaler 4/5
    Output,          // 35..4400 MHz
    LowSpurMod,      // MOD at least 50 in low spur mode
    PhaseValue,      // phase value below MOD in fractional mode
    CycleSlipReduction, // needs Ref Divide/2, the 50 % duty-cycle PFD signal
    ChargeCancellation, // off in fractional mode
    Antibacklash,    // 3 ns not recommended in fractional mode
    MuxNDivider,     // the N divider output on MUXOUT stops the band selection
    MuxReserved,     // MUXOUT code 7
};

struct ChipLimitBreak {
    ChipLimit limit;
    std::string name;    // "INT", "REFIN", "VCO" ...
    double value = 0;    // in `unit`
    std::string unit;    // "", "MHz" or "kHz"
    std::string bound;   // "at least 75 with prescaler 8/9"
    std::string summary; // "INT 73 below 75 for prescaler 8/9"
    std::string advice;  // "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD"

    // "summary: advice".
    std::string text() const { return summary + ": " + advice; }
};

// Every limit the plan breaks, in the order of the enum. A run that stopped
// early is checked on what it computed: the reference, PFD, VCO and output
// always; INT, MOD, FRAC and R once the plan got that far; the band-select
// clock only after a complete run.
std::vector<ChipLimitBreak> checkChipLimits(const Settings& settings, const PlanResult& result);

// The integer-N advice: LDP 6 ns, antibacklash 3 ns and charge cancellation.
constexpr const char* kIntegerNAdvice = "the datasheet recommends LDP 6 ns, antibacklash 3 ns and charge "
                                        "cancellation in integer-N (Chip \u25B8 Follow the Datasheet for the Mode)";

// What the datasheet advises that is no limit (--strict does not count it):
// kIntegerNAdvice for integer-N with other settings.
std::vector<std::string> chipAdvice(const Settings& settings, const PlanResult& result);

// All the window's strip shows after a run of the plan.
struct ChipCheck {
    std::vector<ChipLimitBreak> breaks;
    std::vector<std::string> advice;
    std::vector<std::string> notes; // chipOptionNotes of the settings' options
    std::optional<PlanQuality> quality; // the plan's figures; none when it stopped
};
ChipCheck checkChip(const Settings& settings, const PlanResult& result, const LoopBandwidth& loop = {});

} // namespace vantrel
