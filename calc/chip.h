// The synthesizer chip's facts in one place: every limit the program checks,
// with its unit and where it comes from, and the MUXOUT codes by name. The
// ADF4351 and the ADF4150 share the PLL core described here; "datasheet"
// means the ADF4351 data sheet (Rev. A).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "register_layout.h"

namespace vantrel {

// --- Frequencies, in MHz --------------------------------------------------

// VCO range, 2200..4400 MHz (datasheet table, "RF Output Characteristics").
constexpr double kMinVcoMHz = 2200.0;
constexpr double kMaxVcoMHz = 4400.0;
// Above 3600 MHz the prescaler must be 8/9 (Register 1, "Prescaler Value").
constexpr double kMaxVcoForPrescaler45MHz = 3600.0;
// Output range with the divider up to 64, 35..4400 MHz (datasheet table, "RF Output Characteristics").
// 35 x 64 = 2240, inside the VCO range, so "Auto Set >>" always finds a divider.
constexpr double kMinOutputMHz = 35.0;
constexpr double kMaxOutputMHz = 4400.0;
// Phase-detector frequency, at most 32 MHz in fractional-N mode (datasheet
// table, "Phase Detector").
constexpr double kMaxPfdMHz = 32.0;
// In integer-N mode at most 45 MHz, and at most 90 MHz with the band
// selection off (phase adjust on) (datasheet table, "Phase Detector").
constexpr double kMaxPfdIntegerNMHz = 45.0;
constexpr double kMaxPfdIntegerNPhaseAdjustMHz = 90.0;
// The panel's own floor: below it the plan stops before INT, FRAC and MOD.
constexpr double kMinFcompMHz = 0.001;
// REFIN, the reference as typed: 10..250 MHz (datasheet table, "REFIN Characteristics").
constexpr double kMinRefInMHz = 10.0;
constexpr double kMaxRefInMHz = 250.0;
// With the reference doubler on, REFIN at most 30 MHz (Register 2, "Reference Doubler").
constexpr double kMaxRefInDoubledMHz = 30.0;
// Band-select clock, Fcomp / BandSelect, at most 125 kHz with the clock mode
// low (Register 4, "Band Select Clock Divider Value").
constexpr double kMaxBandSelectClockMHz = 0.125;
// With the clock mode high, at most 500 kHz, the divider then at most 254
// (Register 3, "Band Select Clock Mode").
constexpr double kMaxBandSelectClockHighMHz = 0.5;

// --- Counter values, whole numbers ----------------------------------------

// INT at least 23 with prescaler 4/5, at least 75 with 8/9 (Register 0, "16-Bit Integer Value").
constexpr double kMinInt45 = 23;
constexpr double kMinInt89 = 75;
// MOD 2..4095 in fractional mode (Register 1, "12-Bit Modulus Value").
constexpr double kMinModFractional = 2;
// MOD at least 50 in low spur mode, the dither (Register 2, "Noise Mode").
constexpr double kMinModLowSpur = 50;

// The widest value each field takes (Figures 24 to 29, the register maps).
constexpr double kMaxInt = reg0::kInt.maxValue();      // 65535
constexpr double kMaxFrac = reg0::kFrac.maxValue();    // 4095, and below MOD
constexpr double kMaxMod = reg1::kMod.maxValue();      // 4095
constexpr double kMinR = 1;
constexpr double kMaxR = reg2::kRCounter.maxValue();   // 1023
constexpr std::int32_t kMaxBandSelect = reg4::kBandSelect.maxValue(); // 255
constexpr std::int32_t kMaxBandSelectHighMode = 254;                   // clock mode high (Register 3)
constexpr int kMaxOutDivIndex = 6;                     // divider 64; code 7 is reserved
constexpr int kMaxChargePump = reg2::kChargePump.maxValue(); // 15, 5.00 mA with 5.1 kOhm
constexpr int kMaxPower = reg4::kOutputPower.maxValue();     // 3, +5 dBm
constexpr std::uint32_t kMaxPhaseValue = reg1::kPhase.maxValue();        // 4095, and below MOD
constexpr std::uint32_t kMaxClockDivider = reg3::kClockDivider.maxValue(); // 4095
constexpr std::uint32_t kMaxAuxPower = reg4::kAuxPower.maxValue();         // 3, +5 dBm
// Charge-pump current per step of its code, mA, with the board's 5.1 kOhm
// RSET: I_CP = (code + 1) x 0.3125 mA, 0.31 to 5.00 mA (Register 2, "Charge
// Pump Current Setting").
constexpr double kChargePumpStepMilliamps = 0.3125;

// --- Phase noise and spurs ------------------------------------------------

// Normalised in-band phase-noise floor PN_SYNTH, dBc/Hz: the PLL's own noise
// referred to a 1 Hz PFD (datasheet table, "Noise Characteristics",
// "Normalized Phase Noise Floor", measured with a wide loop). -220 with the
// antibacklash pulse at 6 ns, -221 at 3 ns.
constexpr double kPnSynthAbp6DbcHz = -220.0;
constexpr double kPnSynthAbp3DbcHz = -221.0;
// Normalised 1/f (flicker) noise PN_1/f, dBc/Hz at a 10 kHz offset on a 1 GHz
// carrier (datasheet table, "Noise Characteristics", "Normalized 1/f Noise"):
// -116 with 6 ns, -118 with 3 ns. It falls 10 dB a decade of offset and rises
// 20 dB a decade of carrier.
constexpr double kPnFlickerAbp6DbcHz = -116.0;
constexpr double kPnFlickerAbp3DbcHz = -118.0;
constexpr double kFlickerReferenceOffsetHz = 10e3;
constexpr double kFlickerReferenceCarrierMHz = 1000.0;
// Fractional spurs in low noise mode (datasheet, "Spur Mechanisms", Table 7):
// the sigma-delta sequence repeats every L PFD cycles, L = MOD times 2 when
// MOD is even but no multiple of 3, times 3 when a multiple of 3 but odd,
// times 6 when a multiple of 6. Spurs stand at multiples of f_PFD / L.
constexpr int kFractionalRepeatEven = 2;
constexpr int kFractionalRepeatThird = 3;
constexpr int kFractionalRepeatSixth = 6;

// --- The loop ----------------------------------------------------------------

// Charge-pump current I_CP = (code + 1) x 0.3125 mA with R_SET = 5.1 kOhm, 0.31
// to 5.00 mA over codes 0 to 15, scaling with 5.1 kOhm / R_SET (Register 2,
// "Charge Pump Current Setting"; datasheet Specifications table, "Charge Pump").
constexpr double kChargePumpStepMA = 0.3125;
constexpr double kChargePumpReferenceRsetKOhm = 5.1;
// VCO tuning sensitivity K_V, about 40 MHz/V with the N counter fed from the
// VCO (datasheet Specifications table, "RF Output Characteristics").
constexpr double kDefaultKvMHzPerV = 40.0;

// The VCO's open-loop phase noise, dBc/Hz, at 10 kHz, 100 kHz, 1 MHz and
// 5 MHz from carriers of 2.2, 3.3 and 4.4 GHz (datasheet Specifications
// table, "Noise Characteristics", VCO phase noise). Between carriers the
// figures go linearly with the VCO frequency, between offsets as straight
// lines in log offset; outside the offsets the nearest segment's slope holds.
inline constexpr std::array<double, 4> kVcoNoiseOffsetsHz{10e3, 100e3, 1e6, 5e6};
struct VcoNoiseRow {
    double carrierMHz;
    std::array<double, 4> dbcHz; // at kVcoNoiseOffsetsHz
};
inline constexpr std::array<VcoNoiseRow, 3> kVcoNoiseTable{{
    {2200.0, {-89.0, -114.0, -134.0, -148.0}},
    {3300.0, {-86.0, -111.0, -134.0, -145.0}},
    {4400.0, {-83.0, -110.0, -131.0, -145.0}},
}};

// --- MUXOUT ------------------------------------------------------------------

// The MUXOUT field's codes (Register 2, bits 28..26).
enum class MuxOut : std::uint32_t {
    ThreeState = 0,
    DVdd = 1,
    DGnd = 2,
    RDivider = 3,
    NDivider = 4,
    AnalogLockDetect = 5,
    DigitalLockDetect = 6,
    Reserved = 7,
};

// "three-state", "R divider output" ... for messages and logs.
std::string_view muxOutName(MuxOut code);

// Which of the panel's four MUXOUT option buttons is selected; none is when the window opens.
enum class MuxButton { NoneSelected, MuxNone, MuxR, MuxN, MuxL };

// The panel offers four codes, one per button. `option` is the name the
// command-line tools take for it.
struct MuxChoice {
    MuxButton button;
    MuxOut code;
    std::string_view option;
};
inline constexpr std::array<MuxChoice, 4> kMuxChoices{{
    {MuxButton::MuxNone, MuxOut::ThreeState, "none"},
    {MuxButton::MuxR, MuxOut::RDivider, "r"},
    {MuxButton::MuxN, MuxOut::NDivider, "n"},
    {MuxButton::MuxL, MuxOut::DigitalLockDetect, "lock"},
}};

// The code a button selects; nothing when no button is selected.
std::optional<MuxOut> muxCodeFor(MuxButton button);
// The button that selects a code; nothing for the codes no button offers.
std::optional<MuxButton> muxButtonFor(std::uint32_t code);
// The button named by a command-line option ("none", "r", "n", "lock").
std::optional<MuxButton> muxButtonNamed(std::string_view option);

// --- Chip options: the codes of the fields the panel does not hold ---------
// Each enum's values are the field's codes (the register maps). A code the
// window does not offer still has a name when a set read back from the board
// carries it, so that nothing read back is replaced.

// Register 2, bit 7, "Lock Detect Precision": 10 ns for fractional-N, 6 ns for integer-N.
enum class LockDetectPrecision : std::uint32_t { Ns10 = 0, Ns6 = 1 };
// Register 3, bit 23, "Band Select Clock Mode": low for low PFD frequencies,
// high for a band-select clock up to 500 kHz.
enum class BandSelectClockMode : std::uint32_t { Low = 0, High = 1 };
// Register 3, bit 22, "Antibacklash Pulse Width": 6 ns for fractional-N, 3 ns
// for integer-N (a lower phase-noise floor; not recommended for fractional-N).
enum class Antibacklash : std::uint32_t { Ns6 = 0, Ns3 = 1 };
// Register 3, bits 16..15, "Clock Divider Mode"; 11 is reserved.
enum class ClockDividerMode : std::uint32_t { Off = 0, FastLock = 1, Resync = 2, Reserved = 3 };
// Register 4, bit 9, "AUX Output Select".
enum class AuxSelect : std::uint32_t { Divided = 0, Fundamental = 1 };
// Register 5, bits 23..22, "LD Pin Mode": 00 and 10 both hold the pin low.
enum class LockDetectPin : std::uint32_t { Low = 0, DigitalLockDetect = 1, Low10 = 2, High = 3 };

} // namespace vantrel
