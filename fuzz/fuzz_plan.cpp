// Fuzz target: the frequency plan from arbitrary settings and chip options,
// run twice in a row as the window does (the second run starts from the
// first one's values); and every complete set read back into a window that
// holds only its reference, which must give the same six words again. The
// run without its texts (the advisor's) must plan the same, and a complete
// plan's quality figures must hold together.
//
// Input: up to ten fields separated by '|':
//   fout | fr | rdivider | resolution | controls | fout | fr | rdivider | resolution | controls
// The first five make the first run's settings, the next five the second's
// (absent fields repeat the first run's). Each character of a controls field
// sets one control, its value being the character minus '0' (wrapping), in
// this order: refDbl refDiv2 feedback prescale8 pdPol lowSpur enable mtld intN
// trackDivider (low bit), MUX button (mod 5), output divider (mod 7), charge
// pump (mod 16), power (mod 4). So "0001001100" + "4" + "0" + "7" + "3" is the
// window's start with MUX lock detect and charge pump 7. The characters after
// those set the chip options, one each in the order of chipOptionFields()
// (modulo the field's size; a default where the field is short), then the
// MUXOUT code among them (mod 5: none, 1, 2, 5, 7).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chip.h"
#include "chip_options.h"
#include "frequency_plan.h"
#include "fuzz_check.h"
#include "plan_quality.h"
#include "plan_session.h"
#include "register_decode.h"
#include "register_layout.h"

namespace {

using namespace vantrel;

std::vector<std::string_view> splitFields(std::string_view input)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t bar = input.find('|');
        fields.push_back(input.substr(0, bar));
        if (bar == std::string_view::npos)
            return fields;
        input.remove_prefix(bar + 1);
    }
}

int control(std::string_view controls, std::size_t index, int range, int fallback)
{
    if (index >= controls.size())
        return fallback;
    const auto value = static_cast<std::uint8_t>(controls[index] - '0');
    return value % range;
}

bool flag(std::string_view controls, std::size_t index, bool fallback)
{
    return control(controls, index, 2, fallback ? 1 : 0) == 1;
}

// Fields [first, first + 5) of the input over the given settings.
Settings decode(const std::vector<std::string_view>& fields, std::size_t first, Settings s)
{
    const auto field = [&](std::size_t i) -> const std::string_view* {
        return first + i < fields.size() ? &fields[first + i] : nullptr;
    };
    if (auto* f = field(0)) s.foutText = *f;
    if (auto* f = field(1)) s.frText = *f;
    if (auto* f = field(2)) s.rdividerText = *f;
    if (auto* f = field(3)) s.resolutionText = *f;
    const std::string_view c = field(4) ? *field(4) : std::string_view();
    s.refDbl = flag(c, 0, s.refDbl);
    s.refDiv2 = flag(c, 1, s.refDiv2);
    s.feedback = flag(c, 2, s.feedback);
    s.prescale8 = flag(c, 3, s.prescale8);
    s.pdPol = flag(c, 4, s.pdPol);
    s.lowSpur = flag(c, 5, s.lowSpur);
    s.enable = flag(c, 6, s.enable);
    s.mtld = flag(c, 7, s.mtld);
    s.intN = flag(c, 8, s.intN);
    s.trackDivider = flag(c, 9, s.trackDivider);
    s.mux = static_cast<MuxButton>(control(c, 10, 5, static_cast<int>(s.mux)));
    s.outDivCont = control(c, 11, kMaxOutDivIndex + 1, s.outDivCont);
    s.chrgPump = control(c, 12, kMaxChargePump + 1, s.chrgPump);
    s.pwr = control(c, 13, kMaxPower + 1, s.pwr);
    std::size_t index = 14;
    for (const ChipOptionField& field : chipOptionFields()) {
        const int code = control(c, index++, static_cast<int>(field.field.maxValue()) + 1,
                                 static_cast<int>(field.get(s.chip)));
        field.set(s.chip, static_cast<std::uint32_t>(code));
    }
    static constexpr MuxOut kOptionCodes[] = {MuxOut::DVdd, MuxOut::DGnd, MuxOut::AnalogLockDetect, MuxOut::Reserved};
    const int mux = control(c, index, 5, s.chip.muxCode ? 1 : 0);
    if (index < c.size())
        s.chip.muxCode = mux == 0 ? std::nullopt : std::optional<MuxOut>(kOptionCodes[mux - 1]);
    return s;
}

// Every bit a field of the word's register holds; the rest must stay clear.
constexpr std::array<std::uint32_t, 6> kUsedBits{
    kControlBits.mask() | reg0::kInt.mask() | reg0::kFrac.mask(),
    kControlBits.mask() | reg1::kPhaseAdjust.mask() | reg1::kPrescaler.mask() | reg1::kPhase.mask()
        | reg1::kMod.mask(),
    kControlBits.mask() | reg2::kNoiseMode.mask() | reg2::kMuxout.mask() | reg2::kRefDoubler.mask()
        | reg2::kRefDivideBy2.mask() | reg2::kRCounter.mask() | reg2::kDoubleBuffer.mask() | reg2::kChargePump.mask()
        | reg2::kLockDetectFunction.mask() | reg2::kLockDetectPrecision.mask() | reg2::kPdPolarity.mask()
        | reg2::kPowerDown.mask() | reg2::kChargePumpThreeState.mask() | reg2::kCounterReset.mask(),
    kControlBits.mask() | reg3::kBandSelectClockMode.mask() | reg3::kAntibacklash.mask()
        | reg3::kChargeCancellation.mask() | reg3::kCycleSlipReduction.mask() | reg3::kClockDividerMode.mask()
        | reg3::kClockDivider.mask(),
    kControlBits.mask() | reg4::kFeedbackSelect.mask() | reg4::kRfDividerSelect.mask() | reg4::kBandSelect.mask()
        | reg4::kVcoPowerDown.mask() | reg4::kMuteTillLockDetect.mask() | reg4::kAuxSelect.mask()
        | reg4::kAuxEnable.mask() | reg4::kAuxPower.mask() | reg4::kRfOutputEnable.mask() | reg4::kOutputPower.mask(),
    kControlBits.mask() | reg5::kLockDetectPin.mask() | reg5::kReserved.mask(),
};

std::uint32_t bit(bool on) { return on ? 1u : 0u; }

// A complete plan's words hold exactly its values, each inside its field.
void checkComplete(const PlanResult& result, const Settings& s)
{
    const PlanValues& p = result.values;
    const RegisterSet& w = p.registers;
    for (std::size_t i = 0; i < w.size(); ++i) {
        VANTREL_FUZZ_CHECK((w[i] & 0x80000000u) == 0);
        VANTREL_FUZZ_CHECK((w[i] & ~kUsedBits[i]) == 0);
        VANTREL_FUZZ_CHECK(unpack(kControlBits, w[i]) == i);
    }
    VANTREL_FUZZ_CHECK(unpack(reg0::kInt, w[0]) == p.n);
    VANTREL_FUZZ_CHECK(unpack(reg0::kFrac, w[0]) == p.fract);
    VANTREL_FUZZ_CHECK(unpack(reg1::kMod, w[1]) == p.denom);
    VANTREL_FUZZ_CHECK(unpack(reg1::kPrescaler, w[1]) == bit(s.prescale8));
    VANTREL_FUZZ_CHECK(unpack(reg2::kRCounter, w[2]) == p.r);
    VANTREL_FUZZ_CHECK(unpack(reg2::kMuxout, w[2]) == static_cast<std::uint32_t>(p.muxVal));
    VANTREL_FUZZ_CHECK(unpack(reg2::kChargePump, w[2]) == static_cast<std::uint32_t>(s.chrgPump));
    // The chip options hold exactly what was chosen, a MUXOUT code among them winning over the buttons.
    ChipOptions options = chipOptionsOf(w);
    VANTREL_FUZZ_CHECK(!s.chip.muxCode || options.muxCode == s.chip.muxCode);
    options.muxCode = s.chip.muxCode;
    VANTREL_FUZZ_CHECK(options == s.chip);
    VANTREL_FUZZ_CHECK(unpack(reg5::kReserved, w[5]) == reg5::kReservedValue);
    const bool clockHigh = s.chip.bandSelectClockMode == BandSelectClockMode::High;
    const std::int32_t maxBandSelect = clockHigh ? kMaxBandSelectHighMode : kMaxBandSelect;
    VANTREL_FUZZ_CHECK(p.bandSelect >= 1 && p.bandSelect <= maxBandSelect);
    // The words the chip cannot use are not made: FRAC stays below MOD, is 0
    // in integer-N mode, and the band-select clock stays at 125 kHz unless
    // the 8-bit divider has run out.
    VANTREL_FUZZ_CHECK(p.denom == 0 ? p.fract == 0 : p.fract < p.denom);
    if (s.intN)
        VANTREL_FUZZ_CHECK(p.fract == 0 && p.denom == 0);
    if (p.bandSelect < maxBandSelect)
        VANTREL_FUZZ_CHECK(p.fcomp / p.bandSelect <= kMaxBandSelectClockMHz);
    VANTREL_FUZZ_CHECK(unpack(reg4::kBandSelect, w[4]) == static_cast<std::uint32_t>(p.bandSelect));
    VANTREL_FUZZ_CHECK(unpack(reg4::kRfDividerSelect, w[4]) == static_cast<std::uint32_t>(s.outDivCont));
    VANTREL_FUZZ_CHECK(unpack(reg4::kOutputPower, w[4]) == static_cast<std::uint32_t>(s.pwr));
    VANTREL_FUZZ_CHECK(result.listingText.has_value());

    // Read back into a window that holds only the board's reference: the
    // same six words, unless a fractional MOD of 0 leaves no step to read,
    // or the reference is so large (beyond 1e290 MHz, infinite) that the
    // decode's frequencies in Hz overflow a double; where a step cannot be
    // computed the decode keeps its previous values.
    constexpr double kLargestDecodableRefMHz = 1e290;
    if ((s.intN || p.denom != 0) && p.fr < kLargestDecodableRefMHz && std::isfinite(p.vco)) {
        Settings window;
        window.frText = s.frText;
        PlanSession read(window);
        VANTREL_FUZZ_CHECK(loadRegisterSet(read, w).empty());
    }
}

bool sameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// The figures of a complete plan: the boundary spur no further than half a
// PFD step, the fractional spurs no wider apart than a FRAC step, the
// in-band noise the power sum of its two parts (at most 3.02 dB above the
// larger).
void checkQuality(const PlanResult& result, const Settings& s)
{
    const std::optional<PlanQuality> q = planQuality(s, result, {});
    const PlanValues& p = result.values;
    if (!q || !std::isfinite(p.fcomp) || !std::isfinite(q->inBand10kHzDbcHz))
        return;
    const double pfdKHz = p.fcomp * 1000;
    if (const std::optional<double> offset = q->boundarySpurOffset())
        VANTREL_FUZZ_CHECK(*offset > 0 && *offset <= pfdKHz / 2 * (1 + 1e-12));
    if (q->fractional == FractionalSpurs::Interval)
        VANTREL_FUZZ_CHECK(q->fractionalSpurIntervalKHz > 0
                           && q->fractionalSpurIntervalKHz <= pfdKHz / p.denom * (1 + 1e-12));
    const double larger = std::max(q->inBandFloorDbcHz, q->flicker10kHzDbcHz);
    VANTREL_FUZZ_CHECK(q->inBand10kHzDbcHz >= larger && q->inBand10kHzDbcHz <= larger + 3.0103);
}

void check(const PlanResult& result, const Settings& s, const PlanValues& previous)
{
    const PlanResult bare = computePlanValues(s, previous);
    VANTREL_FUZZ_CHECK(bare.outcome == result.outcome && bare.warnings == result.warnings);
    VANTREL_FUZZ_CHECK(bare.values.registers == result.values.registers);
    for (const auto field : {&PlanValues::fcomp, &PlanValues::r, &PlanValues::fout, &PlanValues::vco, &PlanValues::n,
                             &PlanValues::fract, &PlanValues::denom, &PlanValues::errorHz})
        VANTREL_FUZZ_CHECK(sameNumber(bare.values.*field, result.values.*field));
    if (result.outcome == PlanOutcome::Complete) {
        checkComplete(result, s);
        checkQuality(result, s);
    } else {
        VANTREL_FUZZ_CHECK(result.values.registers == previous.registers);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> fields = splitFields(std::string_view(reinterpret_cast<const char*>(data), size));
    const Settings first = decode(fields, 0, Settings());
    const Settings second = decode(fields, 5, first);

    const PlanValues start;
    const PlanResult one = computePlan(first, start);
    check(one, first, start);
    const PlanResult two = computePlan(second, one.values);
    check(two, second, one.values);
    return 0;
}
