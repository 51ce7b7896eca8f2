// The chip's six 32-bit register words: where each field sits. Packing a
// plan and decoding a set read back from the board use the same table.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>

namespace vantrel {

// Reg0 ... Reg5, indexed by register number (the low three bits of each word).
using RegisterSet = std::array<std::uint32_t, 6>;

struct Field {
    unsigned shift; // lowest bit
    unsigned width; // bits

    constexpr std::uint32_t maxValue() const { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u; }
    constexpr std::uint32_t mask() const { return maxValue() << shift; }
};

// A value too wide for its field would carry into its neighbour; callers
// check plan values against the fields before packing.
constexpr std::uint32_t pack(Field field, std::uint32_t value)
{
    assert(value <= field.maxValue());
    return (value & field.maxValue()) << field.shift;
}

constexpr std::uint32_t unpack(Field field, std::uint32_t word) { return (word >> field.shift) & field.maxValue(); }

// Every word carries its own register number in bits 2..0.
constexpr Field kControlBits{0, 3};

namespace reg0 {
constexpr Field kInt{15, 16};  // INT, 0..65535
constexpr Field kFrac{3, 12};  // FRAC, 0..4095
} // namespace reg0

namespace reg1 {
constexpr Field kPhaseAdjust{28, 1}; // 1 = no band selection or resync on an R0 write
constexpr Field kPrescaler{27, 1}; // 1 = prescaler 8/9
constexpr Field kPhase{15, 12};    // phase value, below MOD
constexpr Field kMod{3, 12};       // MOD, 0 in integer-N mode
constexpr std::uint32_t kPhaseValue = 1; // the usual value, and the default
} // namespace reg1

namespace reg2 {
constexpr Field kNoiseMode{29, 2};     // 3 = low-spur mode, 0 = low-noise mode
constexpr Field kMuxout{26, 3};        // MUXOUT code
constexpr Field kRefDoubler{25, 1};
constexpr Field kRefDivideBy2{24, 1};
constexpr Field kRCounter{14, 10};     // R, 1..1023
constexpr Field kDoubleBuffer{13, 1};  // 1 = the RF divider select waits for R0
constexpr Field kChargePump{9, 4};     // charge-pump current code
constexpr Field kLockDetectFunction{8, 1}; // 1 in integer-N mode
constexpr Field kLockDetectPrecision{7, 1}; // 0 = 10 ns, 1 = 6 ns
constexpr Field kPdPolarity{6, 1};     // 1 = positive, 0 = negative
constexpr Field kPowerDown{5, 1};      // 1 = powered down
constexpr Field kChargePumpThreeState{4, 1};
constexpr Field kCounterReset{3, 1};   // 1 = R and N held in reset
constexpr std::uint32_t kLowSpurMode = 3;
} // namespace reg2

namespace reg3 {
constexpr Field kBandSelectClockMode{23, 1}; // 0 = low, 1 = high
constexpr Field kAntibacklash{22, 1};        // 0 = 6 ns, 1 = 3 ns
constexpr Field kChargeCancellation{21, 1};
constexpr Field kCycleSlipReduction{18, 1};
constexpr Field kClockDividerMode{15, 2};    // off, fast lock, resync
constexpr Field kClockDivider{3, 12};        // 0..4095
} // namespace reg3

namespace reg4 {
constexpr Field kFeedbackSelect{23, 1}; // 1 = fundamental (VCO), 0 = divided
constexpr Field kRfDividerSelect{20, 3}; // k for a divider of 2^k
constexpr Field kBandSelect{12, 8};     // band-select clock divider
constexpr Field kVcoPowerDown{11, 1};
constexpr Field kMuteTillLockDetect{10, 1};
constexpr Field kAuxSelect{9, 1};       // 0 = divided output, 1 = fundamental
constexpr Field kAuxEnable{8, 1};
constexpr Field kAuxPower{6, 2};        // 0..3 = -4, -1, +2, +5 dBm
constexpr Field kRfOutputEnable{5, 1};
constexpr Field kOutputPower{3, 2};
} // namespace reg4

namespace reg5 {
constexpr Field kLockDetectPin{22, 2};  // 01 digital lock detect
constexpr Field kReserved{19, 2};       // must be 11
constexpr std::uint32_t kReservedValue = 3;
} // namespace reg5

// Reg3 and Reg5 with every chip option at its default.
constexpr std::uint32_t kReg3 = 0x00000003;
constexpr std::uint32_t kReg5 = 0x00580005; // lock-detect pin mode 01, bits 20..19 set

} // namespace vantrel
