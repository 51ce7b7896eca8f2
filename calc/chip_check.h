// The chip check: which of the chip's datasheet limits a plan breaks, the
// datasheet's advice that is no limit, and the chip options worth a glance.
// The bounds are those of chip.h.
//
// The check runs after every keystroke, so it only decides: each break keeps
// the numbers its texts need (the value, the bound it crossed) and which
// cures apply, in place, without allocating. Its texts (name, bound,
// summary, advice) are made by ChipLimitBreak's functions, called only by
// whatever shows them: the window's strip, the tools' "chip:" lines and JSON.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
inline constexpr std::size_t kChipLimitCount = static_cast<std::size_t>(ChipLimit::MuxReserved) + 1;

// A change of the panel that mends a break on its own, as the advice names
// it. Which way the control moves follows from the limit: a larger Ref
// Divider for an INT below its least, a smaller one for an INT above 65535.
// Whether a cure applies depends on the settings and the plan, so the check
// decides it; the advice only words it.
enum class ChipCure : std::uint8_t {
    ClearPrescaler = 1u << 0, // clear Prescalar 8/9 (INT below 75)
    RefDoubler = 1u << 1,     // clear or tick Ref Doubler
    RefDivider = 1u << 2,     // a larger or smaller Ref Divider
    RefDivide2 = 1u << 3,     // tick or clear Ref Divide/2
    IntegerN = 1u << 4,       // tick Integer N (MOD below 2 with FRAC 0)
    AutoSet = 1u << 5,        // press Auto Set >> (VCO outside its range)
    OutDivider = 1u << 6,     // choose another O/P divider
};

// One limit the plan breaks. The texts are made on each call.
struct ChipLimitBreak {
    ChipLimit limit{};
    // What breaks it, in unit(): INT 73, PFD 45.1 MHz; for a limit that is a
    // state, the state's code (1 for on, 3 for antibacklash 3 ns, the MUXOUT code).
    double value = 0;
    // The bound crossed, in unit(): 75 for INT with prescaler 8/9, 45 for a
    // PFD in integer-N, 10 for a REFIN below 10 MHz; MOD for FRAC and the
    // phase value; 0 for a state. The bound tells the variant of the texts
    // (prescaler, PFD mode, band-select clock mode, below or above).
    double bound = 0;
    std::uint8_t cures = 0; // ChipCure bits

    bool curedBy(ChipCure cure) const { return (cures & static_cast<std::uint8_t>(cure)) != 0; }

    std::string_view name() const; // "INT", "REFIN", "VCO" ...
    std::string_view unit() const; // "", "MHz" or "kHz"
    std::string boundText() const; // "at least 75 with prescaler 8/9"
    std::string summary() const;   // "INT 73 below 75 for prescaler 8/9"
    std::string advice() const;    // "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD"
    std::string text() const;      // "summary: advice"
};

// The limits a plan breaks, in the order of the enum, each at most once:
// held in place, so that checking allocates nothing.
class ChipLimitBreaks {
public:
    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }
    const ChipLimitBreak* begin() const { return m_items.data(); }
    const ChipLimitBreak* end() const { return m_items.data() + m_count; }
    const ChipLimitBreak& operator[](std::size_t index) const { return m_items[index]; }
    const ChipLimitBreak& front() const { return m_items[0]; }
    const ChipLimitBreak& back() const { return m_items[m_count - 1]; }

    // Each limit is added at most once, so the room never runs out.
    void add(const ChipLimitBreak& item)
    {
        assert(m_count < m_items.size());
        if (m_count < m_items.size())
            m_items[m_count++] = item;
    }

private:
    std::array<ChipLimitBreak, kChipLimitCount> m_items{};
    std::size_t m_count = 0;
};

// Every limit the plan breaks, in the order of the enum. A run that stopped
// early is checked on what it computed: the reference, PFD, VCO and output
// always; INT, MOD, FRAC and R once the plan got that far; the band-select
// clock only after a complete run.
ChipLimitBreaks checkChipLimits(const Settings& settings, const PlanResult& result);

// The integer-N advice: LDP 6 ns, antibacklash 3 ns and charge cancellation.
constexpr const char* kIntegerNAdvice = "the datasheet recommends LDP 6 ns, antibacklash 3 ns and charge "
                                        "cancellation in integer-N (Chip \u25B8 Follow the Datasheet for the Mode)";

// What the datasheet advises that is no limit (--strict does not count it):
// kIntegerNAdvice for integer-N with other settings. Allocates only when
// there is advice.
std::vector<std::string> chipAdvice(const Settings& settings, const PlanResult& result);

// "Wanted F out reads 2320,5 as 2320 MHz": one line for each box of the
// plan (Wanted F out, Ref In, Ref Divider, the resolution) whose text holds
// more than the number the panel reads from it (readsAsWritten). The plan
// keeps that reading, which files and users rely on; the line says it.
// Allocates only when there is a line.
std::vector<std::string> boxReadingNotes(const Settings& settings);

// All the window's strip shows after a run of the plan.
struct ChipCheck {
    // What the panel says before the limits, each turning the strip amber:
    // boxReadingNotes, and a press that could not act (autoSetRefusal).
    std::vector<std::string> panelNotes;
    ChipLimitBreaks breaks;
    std::vector<std::string> advice;
    std::vector<std::string> notes; // chipOptionNotes of the settings' options
    std::optional<PlanQuality> quality; // the plan's figures; none when it stopped
};
ChipCheck checkChip(const Settings& settings, const PlanResult& result, const LoopBandwidth& loop = {});

} // namespace vantrel
