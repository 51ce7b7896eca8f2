// The chip options: every bit of the six register words that the panel's
// controls do not hold (RF output enable, the auxiliary output, the integer-N
// settings, fast lock, phase resync ...). Each field starts at the value the
// words have always carried, so that the default options pack the words the
// panel has always sent. One table describes every field, for packing and
// reading back the words, the settings file, the tools and the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chip.h"
#include "register_layout.h"

namespace vantrel {

struct ChipOptions {
    // Reg1
    bool phaseAdjust = false;                  // no band selection on an R0 write
    std::uint32_t phaseValue = reg1::kPhaseValue; // 0..4095, below MOD
    // Reg2
    // A MUXOUT code no panel button offers (DVdd, DGND, analog lock detect;
    // reserved only as read back). Chosen, it clears the buttons; a button
    // clicked afterwards clears it.
    std::optional<MuxOut> muxCode;
    bool doubleBuffer = false;
    LockDetectPrecision ldp = LockDetectPrecision::Ns10;
    bool chargePumpThreeState = false;
    bool counterReset = false;
    // Reg3
    BandSelectClockMode bandSelectClockMode = BandSelectClockMode::Low;
    Antibacklash abp = Antibacklash::Ns6;
    bool chargeCancellation = false;
    bool cycleSlipReduction = false;
    ClockDividerMode clockDividerMode = ClockDividerMode::Off;
    std::uint32_t clockDivider = 0; // 0..4095
    // Reg4
    bool vcoPowerDown = false;
    AuxSelect auxSelect = AuxSelect::Divided;
    bool auxEnable = false;
    std::uint32_t auxPower = 0; // 0..3 = -4, -1, +2, +5 dBm
    bool rfOutputEnable = true;
    // Reg5
    LockDetectPin ldPin = LockDetectPin::DigitalLockDetect;

    bool operator==(const ChipOptions&) const = default;
};

// The codes a MUXOUT option may hold: those no button offers, and reserved.
bool isMuxOptionCode(std::uint32_t code);

enum class ChipOptionKind {
    Switch, // off or on: one bit
    Number, // a whole number, 0 to the field's largest value
    Choice, // one of named codes
};

struct ChipOptionChoice {
    std::uint32_t code;
    std::string_view word;  // on the command line and in files: "fast-lock"
    std::string_view label; // in the window and in logs: "fast lock"
    bool offered = true;    // false: a code only a set read back brings
};

// One field of the options: where it sits and how it reads.
struct ChipOptionField {
    std::string_view name;    // settings-file member, JSON key and window control: "Antibacklash"
    std::string_view caption; // "Antibacklash pulse width"
    std::size_t reg;          // the word that holds it
    Field field;
    ChipOptionKind kind;
    // Choice: every code of the field. Number: the names of its values where
    // they have one (AUX power in dBm); empty otherwise.
    std::span<const ChipOptionChoice> choices;
    std::string_view datasheet; // what the datasheet says of it, for tool tips
    std::uint32_t (*get)(const ChipOptions&);
    void (*set)(ChipOptions&, std::uint32_t);

    // The choice of a code; nothing for a Switch, a Number or an unknown code.
    const ChipOptionChoice* choice(std::uint32_t code) const;
    // The code named `word`; nothing for a word that names none.
    std::optional<std::uint32_t> codeNamed(std::string_view word) const;
    // "on", "1234", "fast lock", "+2 dBm".
    std::string valueLabel(std::uint32_t code) const;
};

// An output stage's power code, RF or AUX, 0 to 3, as "-4 dBm", "-1 dBm",
// "+2 dBm" or "+5 dBm"; empty for a code beyond 3.
std::string_view powerLevelLabel(std::uint32_t code);

// Every field but the MUXOUT code, which shares its field with the panel's
// buttons, in register order.
std::span<const ChipOptionField> chipOptionFields();
// The field called `name`; nothing when there is none.
const ChipOptionField* chipOptionField(std::string_view name);

// ORs the options' fields into Reg1 ... Reg5, and Reg5's reserved bits; the
// MUXOUT code is left to the plan, which packs the buttons' code or this one.
void packChipOptions(const ChipOptions& options, RegisterSet& set);
// The options a set holds, the MUXOUT code among them when no button offers it.
ChipOptions chipOptionsOf(const RegisterSet& set);

// What the datasheet recommends for the mode: in integer-N, lock-detect
// precision 6 ns, antibacklash 3 ns and charge cancellation on; in
// fractional-N, 10 ns, 6 ns and off. Nothing else changes.
void followDatasheetForMode(ChipOptions& options, bool integerN);
// True when the options already follow that recommendation.
bool followsDatasheetForMode(const ChipOptions& options, bool integerN);

// The options that matter at a glance, for those not at their default:
// "RF output off", "AUX +2 dBm fundamental", "counter reset", "VCO powered
// down", "three-state".
std::vector<std::string> chipOptionNotes(const ChipOptions& options);

// Every field as "caption value", joined by ", ", the MUXOUT code first when
// one is set: "phase adjust off, phase value 1, ...".
std::string chipOptionsText(const ChipOptions& options);

} // namespace vantrel
