// Plan quality: the in-band phase noise and the spurs a complete plan can be
// expected to show, from the datasheet's normalised noise figures and spur
// mechanisms (the constants, with their sources, are in chip.h). These are
// estimates: the board's loop filter, reference and layout decide the real
// figures. A few logarithms per plan, so that a scan over a band may call
// it for every point.
#pragma once

#include <optional>

#include "chip.h"
#include "frequency_plan.h"
#include "loop_plan.h"
#include "settings.h"

namespace vantrel {

// The loop bandwidth the board's loop filter gives, kHz. Until the user
// sets it, 50 kHz is assumed, and said to be.
constexpr double kAssumedLoopBandwidthKHz = 50.0;
// What a setting may be: from a very narrow loop to one far beyond any PFD
// the chip takes a tenth of.
constexpr double kMinLoopBandwidthKHz = 0.01;
constexpr double kMaxLoopBandwidthKHz = 10000.0;

struct LoopBandwidth {
    LoopBandwidth() = default;
    explicit LoopBandwidth(std::optional<double> kHz, std::optional<LoopCircuit> filter = std::nullopt)
        : setKHz(kHz)
        , circuit(filter)
    {
    }

    std::optional<double> setKHz; // empty: not set, kAssumedLoopBandwidthKHz stands in
    // The board's loop filter, when entered: then each plan's bandwidth is
    // the crossover its loop computes, whatever setKHz holds.
    std::optional<LoopCircuit> circuit;

    // The bandwidth without a filter, set or assumed.
    double kHz() const { return setKHz.value_or(kAssumedLoopBandwidthKHz); }
    bool assumed() const { return !setKHz.has_value(); }
    bool fromFilter() const { return circuit.has_value(); }
    bool operator==(const LoopBandwidth&) const = default;
};

// Whether `kHz` may be a loop bandwidth: finite and within the bounds above.
bool isLoopBandwidth(double kHz);

// What a plan's figures depend on, as plain numbers.
struct QualityInput {
    double pfdMHz = 0;
    double outputMHz = 0;      // what the chip puts out
    double frac = 0;           // FRAC
    double mod = 0;            // MOD; 0 in integer-N
    double outDiv = 1;         // RF output divider
    bool integerN = false;
    bool lowSpur = false;      // the dither on
    bool fundamentalFeedback = true; // the N counter fed from the VCO, not the divider
    Antibacklash abp = Antibacklash::Ns6;
    double loopBandwidthKHz = kAssumedLoopBandwidthKHz;
};

enum class FractionalSpurs {
    None,     // integer-N, or FRAC 0: the sigma-delta modulator holds still
    Interval, // low noise mode: discrete spurs every f_PFD / L
    Dithered, // low spur mode: spread into noise
};

// Why a plan has no integer-boundary spur; Present when it has one.
enum class BoundarySpur { Present, IntegerN, FracZero };

struct PlanQuality {
    double pfdMHz = 0;
    // dBc/Hz at the output.
    double inBandFloorDbcHz = 0;   // PN_SYNTH + 10 log f_PFD + 20 log (f_out / f_PFD)
    double flicker10kHzDbcHz = 0;  // PN_1/f at 10 kHz, scaled to f_out
    double inBand10kHzDbcHz = 0;   // the power sum of the two
    BoundarySpur boundary = BoundarySpur::IntegerN;
    double boundarySpurOffsetKHz = 0; // with Present: f_PFD x min(FRAC, MOD - FRAC) / MOD
    bool boundarySpurInLoop = false;  // the offset below the loop bandwidth: the loop filter leaves it
    // How far below its level at the VCO the spur stands at the output: 20 log D
    // with fundamental feedback, 0 with divided feedback.
    double boundarySpurOutputDropDb = 0;
    FractionalSpurs fractional = FractionalSpurs::None;
    double fractionalSpurIntervalKHz = 0; // with Interval: f_PFD / L
    double pfdSpurOffsetMHz = 0;
    double loopBandwidthKHz = kAssumedLoopBandwidthKHz;
    bool loopBandwidthAssumed = true;
    bool loopBandwidthFromFilter = false; // the crossover of the board's filter at this plan

    std::optional<double> boundarySpurOffset() const
    {
        return boundary == BoundarySpur::Present ? std::optional<double>(boundarySpurOffsetKHz) : std::nullopt;
    }
};

// The in-band floor at the output, dBc/Hz.
double inBandFloorDbcHz(Antibacklash abp, double pfdMHz, double outputMHz);
// The 1/f noise at `offsetHz` from an output of `outputMHz`, dBc/Hz.
double flickerNoiseDbcHz(Antibacklash abp, double outputMHz, double offsetHz);
// The sum of two noise powers given in dB, in dB.
double powerSumDb(double a, double b);
// L / MOD for the fractional spurs in low noise mode: 1, 2, 3 or 6.
int fractionalRepeatFactor(double mod);

PlanQuality planQuality(const QualityInput& input);

// The figures of a plan as the panel holds it; nothing for a plan that
// stopped, whose values are not a plan of these settings. With a filter in
// `loop` the bandwidth is the plan's crossover.
std::optional<PlanQuality> planQuality(const Settings& settings, const PlanResult& result, const LoopBandwidth& loop);

} // namespace vantrel
