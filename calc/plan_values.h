// The frequency plan's values, kept between runs: a run that stops early, or a
// guard that does not hold, leaves the previous value in place.
#pragma once

#include <cstdint>

#include "register_layout.h"

namespace vantrel {

struct PlanValues {
    double fr = 0;         // MHz, reference after doubler and divide-by-2
    double fcomp = 0;      // MHz, phase-detector frequency
    double r = 0;          // R counter (whole number)
    double outDiv = 0;     // RF output divider, 2^k
    double fout = 0;       // MHz, output frequency
    double vco = 0;        // MHz
    double resolution = 0; // Hz, wanted output step
    double n = 0;          // INT (whole number)
    double fract = 0;      // FRAC (whole number)
    double denom = 0;      // MOD (whole number), 0 in integer-N mode
    double errorHz = 0;    // Hz, synthesized minus wanted output
    std::int32_t bandSelect = 0;
    int muxVal = 0;        // MUXOUT code
    RegisterSet registers{};
};

} // namespace vantrel
