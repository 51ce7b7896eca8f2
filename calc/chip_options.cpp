#include "chip_options.h"

#include <array>
#include <charconv>
#include <type_traits>


namespace vantrel {
namespace {

// A member's field code, and the member from a code: a bool is its bit, an
// enum its code, a number itself.
template <auto Member>
std::uint32_t codeOf(const ChipOptions& options)
{
    return static_cast<std::uint32_t>(options.*Member);
}

template <auto Member>
void setCode(ChipOptions& options, std::uint32_t code)
{
    using Type = std::remove_reference_t<decltype(options.*Member)>;
    if constexpr (std::is_same_v<Type, bool>)
        options.*Member = code != 0;
    else
        options.*Member = static_cast<Type>(code);
}

constexpr std::array<ChipOptionChoice, 2> kLdpChoices{{
    {0, "10", "10 ns"},
    {1, "6", "6 ns"},
}};
constexpr std::array<ChipOptionChoice, 2> kBandSelectModeChoices{{
    {0, "low", "low"},
    {1, "high", "high"},
}};
constexpr std::array<ChipOptionChoice, 2> kAbpChoices{{
    {0, "6", "6 ns"},
    {1, "3", "3 ns"},
}};
constexpr std::array<ChipOptionChoice, 4> kClockDividerModeChoices{{
    {0, "off", "off"},
    {1, "fast-lock", "fast lock"},
    {2, "resync", "phase resync"},
    {3, "reserved", "reserved (11)", false},
}};
constexpr std::array<ChipOptionChoice, 2> kAuxSelectChoices{{
    {0, "divided", "divided output"},
    {1, "fundamental", "fundamental"},
}};
// The RF and the AUX output stages share these codes.
constexpr std::array<ChipOptionChoice, 4> kPowerLabels{{
    {0, "0", "-4 dBm"},
    {1, "1", "-1 dBm"},
    {2, "2", "+2 dBm"},
    {3, "3", "+5 dBm"},
}};
constexpr std::array<ChipOptionChoice, 4> kLdPinChoices{{
    {0, "low", "low"},
    {1, "digital", "digital lock detect"},
    {2, "low-10", "low (10)", false},
    {3, "high", "high"},
}};

using Kind = ChipOptionKind;

// The datasheet's register descriptions (Registers 1 to 5), in its terms.
const std::array<ChipOptionField, 18> kFields{{
    {"PhaseAdjust", "Phase adjust", 1, reg1::kPhaseAdjust, Kind::Switch, {},
     "Register 1, bit 28. On: a write of Register 0 runs neither the VCO band selection nor the phase "
     "resync. For a fixed frequency, or for moves of less than 1 MHz.",
     codeOf<&ChipOptions::phaseAdjust>, setCode<&ChipOptions::phaseAdjust>},
    {"PhaseValue", "Phase value", 1, reg1::kPhase, Kind::Number, {},
     "Register 1, bits 26 to 15, 0 to 4095. Must be less than MOD; 1 is the usual value. With phase "
     "resync the output phase is the value x 360 degrees / MOD.",
     codeOf<&ChipOptions::phaseValue>, setCode<&ChipOptions::phaseValue>},
    {"DoubleBuffer", "Double buffer", 2, reg2::kDoubleBuffer, Kind::Switch, {},
     "Register 2, bit 13. On: the RF divider select (Register 4, bits 22 to 20) takes effect on the next "
     "write of Register 0.",
     codeOf<&ChipOptions::doubleBuffer>, setCode<&ChipOptions::doubleBuffer>},
    {"LockDetectPrecision", "Lock-detect precision", 2, reg2::kLockDetectPrecision, Kind::Choice, kLdpChoices,
     "Register 2, bit 7 (LDP): the window of the digital lock detect, 10 ns or 6 ns. Recommended: 10 ns in "
     "fractional-N mode, 6 ns in integer-N mode.",
     codeOf<&ChipOptions::ldp>, setCode<&ChipOptions::ldp>},
    {"ChargePumpThreeState", "Charge pump three-state", 2, reg2::kChargePumpThreeState, Kind::Switch, {},
     "Register 2, bit 4. On puts the charge pump output into three-state; off for normal operation.",
     codeOf<&ChipOptions::chargePumpThreeState>, setCode<&ChipOptions::chargePumpThreeState>},
    {"CounterReset", "Counter reset", 2, reg2::kCounterReset, Kind::Switch, {},
     "Register 2, bit 3. On holds the R counter and the N counter in reset; off for normal operation.",
     codeOf<&ChipOptions::counterReset>, setCode<&ChipOptions::counterReset>},
    {"BandSelectClockMode", "Band-select clock mode", 3, reg3::kBandSelectClockMode, Kind::Choice,
     kBandSelectModeChoices,
     "Register 3, bit 23. Low is recommended for low PFD frequencies (band-select clock at most 125 kHz). "
     "High allows a band-select clock of up to 500 kHz, with the band-select divider at most 254.",
     codeOf<&ChipOptions::bandSelectClockMode>, setCode<&ChipOptions::bandSelectClockMode>},
    {"Antibacklash", "Antibacklash pulse width", 3, reg3::kAntibacklash, Kind::Choice, kAbpChoices,
     "Register 3, bit 22 (ABP). 6 ns for fractional-N mode; 3 ns for integer-N mode, where it lowers the "
     "phase noise. 3 ns is not recommended in fractional-N mode.",
     codeOf<&ChipOptions::abp>, setCode<&ChipOptions::abp>},
    {"ChargeCancellation", "Charge cancellation", 3, reg3::kChargeCancellation, Kind::Switch, {},
     "Register 3, bit 21. On reduces the PFD spurs in integer-N mode; it must be off in fractional-N mode.",
     codeOf<&ChipOptions::chargeCancellation>, setCode<&ChipOptions::chargeCancellation>},
    {"CycleSlipReduction", "Cycle slip reduction", 3, reg3::kCycleSlipReduction, Kind::Switch, {},
     "Register 3, bit 18 (CSR): faster lock. It needs a 50 % duty-cycle PFD signal (the divide-by-2 after "
     "R, \"Ref Divide/2\") and the charge pump current at its minimum.",
     codeOf<&ChipOptions::cycleSlipReduction>, setCode<&ChipOptions::cycleSlipReduction>},
    {"ClockDividerMode", "Clock divider mode", 3, reg3::kClockDividerMode, Kind::Choice, kClockDividerModeChoices,
     "Register 3, bits 16 and 15: off (00), fast lock (01) or phase resync (10); 11 is reserved.",
     codeOf<&ChipOptions::clockDividerMode>, setCode<&ChipOptions::clockDividerMode>},
    {"ClockDivider", "Clock divider value", 3, reg3::kClockDivider, Kind::Number, {},
     "Register 3, bits 14 to 3, 0 to 4095: the time-out of phase resync and fast lock, counted in PFD cycles.",
     codeOf<&ChipOptions::clockDivider>, setCode<&ChipOptions::clockDivider>},
    {"VcoPowerDown", "VCO power-down", 4, reg4::kVcoPowerDown, Kind::Switch, {},
     "Register 4, bit 11. On powers the VCO down.",
     codeOf<&ChipOptions::vcoPowerDown>, setCode<&ChipOptions::vcoPowerDown>},
    {"AuxSelect", "AUX output select", 4, reg4::kAuxSelect, Kind::Choice, kAuxSelectChoices,
     "Register 4, bit 9: the auxiliary output carries the divided output or the fundamental VCO frequency.",
     codeOf<&ChipOptions::auxSelect>, setCode<&ChipOptions::auxSelect>},
    {"AuxEnable", "AUX output enable", 4, reg4::kAuxEnable, Kind::Switch, {},
     "Register 4, bit 8. On enables the auxiliary RF output.",
     codeOf<&ChipOptions::auxEnable>, setCode<&ChipOptions::auxEnable>},
    {"AuxPower", "AUX output power", 4, reg4::kAuxPower, Kind::Number, kPowerLabels,
     "Register 4, bits 7 and 6: the auxiliary output's power, -4, -1, +2 or +5 dBm.",
     codeOf<&ChipOptions::auxPower>, setCode<&ChipOptions::auxPower>},
    {"RfOutputEnable", "RF output enable", 4, reg4::kRfOutputEnable, Kind::Switch, {},
     "Register 4, bit 5. Off switches the RF output stage off; the chip stays powered and locked.",
     codeOf<&ChipOptions::rfOutputEnable>, setCode<&ChipOptions::rfOutputEnable>},
    {"LockDetectPin", "Lock-detect pin", 5, reg5::kLockDetectPin, Kind::Choice, kLdPinChoices,
     "Register 5, bits 23 and 22: the LD pin shows the digital lock detect (01), or is held low (00) or "
     "high (11).",
     codeOf<&ChipOptions::ldPin>, setCode<&ChipOptions::ldPin>},
}};

std::string wholeText(std::uint32_t value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// "Phase adjust" -> "phase adjust"; "VCO power-down" and "AUX output select" keep their capitals.
std::string lowerFirst(std::string_view caption)
{
    std::string text(caption);
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && !(text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

} // namespace

bool isMuxOptionCode(std::uint32_t code)
{
    return code <= reg2::kMuxout.maxValue() && !muxButtonFor(code);
}

const ChipOptionChoice* ChipOptionField::choice(std::uint32_t code) const
{
    for (const ChipOptionChoice& c : choices) {
        if (c.code == code)
            return &c;
    }
    return nullptr;
}

std::optional<std::uint32_t> ChipOptionField::codeNamed(std::string_view word) const
{
    for (const ChipOptionChoice& c : choices) {
        if (c.word == word)
            return c.code;
    }
    return std::nullopt;
}

std::string ChipOptionField::valueLabel(std::uint32_t code) const
{
    if (kind == ChipOptionKind::Switch)
        return code != 0 ? "on" : "off";
    if (const ChipOptionChoice* c = choice(code))
        return std::string(c->label);
    return wholeText(code);
}

std::string_view powerLevelLabel(std::uint32_t code)
{
    return code < kPowerLabels.size() ? kPowerLabels[code].label : std::string_view();
}

std::span<const ChipOptionField> chipOptionFields() { return kFields; }

const ChipOptionField* chipOptionField(std::string_view name)
{
    for (const ChipOptionField& f : kFields) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

void packChipOptions(const ChipOptions& options, RegisterSet& set)
{
    for (const ChipOptionField& f : kFields)
        set[f.reg] |= pack(f.field, f.get(options));
    set[5] |= pack(reg5::kReserved, reg5::kReservedValue);
}

ChipOptions chipOptionsOf(const RegisterSet& set)
{
    ChipOptions options;
    for (const ChipOptionField& f : kFields)
        f.set(options, unpack(f.field, set[f.reg]));
    const std::uint32_t mux = unpack(reg2::kMuxout, set[2]);
    if (isMuxOptionCode(mux))
        options.muxCode = static_cast<MuxOut>(mux);
    return options;
}

void followDatasheetForMode(ChipOptions& options, bool integerN)
{
    options.ldp = integerN ? LockDetectPrecision::Ns6 : LockDetectPrecision::Ns10;
    options.abp = integerN ? Antibacklash::Ns3 : Antibacklash::Ns6;
    options.chargeCancellation = integerN;
}

bool followsDatasheetForMode(const ChipOptions& options, bool integerN)
{
    ChipOptions followed = options;
    followDatasheetForMode(followed, integerN);
    return followed == options;
}

std::vector<std::string> chipOptionNotes(const ChipOptions& options)
{
    // The strip shows these after every keystroke: no allocation while every
    // option is at its default, and room for all five at the first note.
    constexpr std::size_t kMostNotes = 5;
    std::vector<std::string> notes;
    const auto note = [&notes](std::string_view text) -> std::string& {
        if (notes.empty())
            notes.reserve(kMostNotes);
        return notes.emplace_back(text);
    };
    if (!options.rfOutputEnable)
        note("RF output off");
    if (options.auxEnable) {
        const std::string_view power = kPowerLabels[options.auxPower & kMaxAuxPower].label;
        const std::string_view select = options.auxSelect == AuxSelect::Fundamental ? " fundamental" : " divided";
        std::string& aux = note("AUX ");
        aux.reserve(aux.size() + power.size() + select.size());
        aux += power;
        aux += select;
    }
    if (options.counterReset)
        note("counter reset");
    if (options.vcoPowerDown)
        note("VCO powered down");
    if (options.chargePumpThreeState)
        note("three-state");
    return notes;
}

std::string chipOptionsText(const ChipOptions& options)
{
    std::string text;
    if (options.muxCode)
        text = "MUXOUT " + std::string(muxOutName(*options.muxCode));
    for (const ChipOptionField& f : kFields) {
        if (!text.empty())
            text += ", ";
        text += lowerFirst(f.caption) + " " + f.valueLabel(f.get(options));
    }
    return text;
}

} // namespace vantrel
