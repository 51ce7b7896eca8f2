#include "register_packing.h"

namespace vantrel {
namespace {

std::uint32_t bit(bool on) { return on ? 1u : 0u; }
std::uint32_t whole(double value) { return static_cast<std::uint32_t>(value); }

} // namespace

RegisterSet packRegisters(const PlanValues& plan, const Settings& s)
{
    RegisterSet set{};
    set[0] = pack(reg0::kInt, whole(plan.n)) | pack(reg0::kFrac, whole(plan.fract)) | 0u;

    set[1] = pack(reg1::kPrescaler, bit(s.prescale8)) | pack(reg1::kMod, whole(plan.denom)) | 1u;

    set[2] = pack(reg2::kNoiseMode, s.lowSpur ? reg2::kLowSpurMode : 0u)
             | pack(reg2::kMuxout, static_cast<std::uint32_t>(plan.muxVal))
             | pack(reg2::kRefDoubler, bit(s.refDbl)) | pack(reg2::kRefDivideBy2, bit(s.refDiv2))
             | pack(reg2::kRCounter, whole(plan.r))
             | pack(reg2::kChargePump, static_cast<std::uint32_t>(s.chrgPump))
             | pack(reg2::kLockDetectFunction, bit(s.intN))
             | pack(reg2::kPdPolarity, bit(!s.pdPol)) | pack(reg2::kPowerDown, bit(!s.enable)) | 2u;

    set[3] = 3u;

    set[4] = pack(reg4::kFeedbackSelect, bit(!s.feedback))
             | pack(reg4::kRfDividerSelect, static_cast<std::uint32_t>(s.outDivCont))
             | pack(reg4::kBandSelect, static_cast<std::uint32_t>(plan.bandSelect))
             | pack(reg4::kMuteTillLockDetect, bit(s.mtld))
             | pack(reg4::kOutputPower, static_cast<std::uint32_t>(s.pwr)) | 4u;

    set[5] = 5u;
    // The chip options fill the bits the controls do not hold; the MUXOUT
    // code is the plan's, which already takes an option's code.
    packChipOptions(s.chip, set);
    return set;
}

} // namespace vantrel
