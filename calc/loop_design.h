// Designing the loop filter by the textbook method: from a crossover
// frequency f_c, a phase margin, gamma and T31 = T3 / T1, the time
// constants (the phase equation solved for T1), then the coefficients A0,
// A1, A2 and the parts; T31 = 0 gives the second-order filter. The exact
// parts, the nearest E24 values, and what the E24 parts really give.
#pragma once

#include <optional>
#include <string>

#include "loop_filter.h"

namespace vantrel {

// Defaults of the Design box: a phase margin of 45 degrees, the textbook's
// gamma 1.024 (the optimum for 45 degrees) and T31 0.6.
constexpr double kDefaultPhaseMarginDeg = 45.0;
constexpr double kDefaultGamma = 1.024;
constexpr double kDefaultT31 = 0.6;

struct DesignTarget {
    double crossoverHz = 0;
    double phaseMarginDeg = kDefaultPhaseMarginDeg;
    double gamma = kDefaultGamma;
    double t31 = kDefaultT31; // 0: second order

    bool operator==(const DesignTarget&) const = default;
};

// Why a target can be designed for by no filter (a phase margin outside 0
// to 90 degrees, T31 outside 0 to 1 ...); empty when it can be tried.
std::string targetError(const DesignTarget& target);

struct TimeConstants {
    double t1 = 0; // s
    double t2 = 0; // s
    double t3 = 0; // s
};

struct LoopDesign {
    TimeConstants times;
    LoopFilter exact;
    LoopFilter e24;
    LoopAnalysis e24Loop; // what the E24 parts give with the same plant
};

struct LoopDesignResult {
    std::optional<LoopDesign> design;
    std::string error; // why not: a target or plant out of reach, or parts that come out negative
};

LoopDesignResult designLoopFilter(const DesignTarget& target, const LoopPlant& plant);

// The filter with each part at its nearest E24 value (0 stays 0).
LoopFilter nearestE24Filter(const LoopFilter& filter);

} // namespace vantrel
