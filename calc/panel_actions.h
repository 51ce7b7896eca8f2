// What the panel's handlers compute besides the plan itself: the texts they
// write into other controls and the plan values they set before a control
// moves. The window calls these in the order its events demand; the
// command-line tools call the same through PlanSession.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "plan_values.h"

namespace vantrel {

// "O/P Divider  16", with a second line " ADF4351 Only" for 32 and 64.
std::string dividerLabel(int k);
// "Chrg. Pump 7".
std::string chargePumpLabel(int value);
// "O/P Power  2".
std::string powerLabel(int value);
// What the power and charge-pump settings give, for whoever speaks or
// explains them (the captions above stay as they are): "+5 dBm", and
// "5.00 mA" with the board's 5.1 kOhm RSET.
std::string outputPowerText(int value);
std::string chargePumpCurrentText(int value);

// The divider scroll bar moved to k: the plan's divider follows before the
// plan runs again.
void moveDivider(PlanValues& plan, int k);

// "Auto Set >>", first half: the divider index it ends at, with the output,
// VCO and divider set for its first step (divider 1); nothing, and nothing
// set, for an output outside 35..4400 MHz.
std::optional<int> startAutoSet(PlanValues& plan, std::string_view foutText);
// One step up the divider: the VCO doubles with it, so a tracked output stays
// where it was read.
void stepAutoSet(PlanValues& plan);

// The resolution text for the integer-N step (ticking "Integer N", any change
// of the reference divider); nothing before there is a plan to divide by.
std::optional<std::string> integerNResolutionText(const PlanValues& plan);

// The resolution text that a "Force Denom" text forces: with integer-N on the
// integer-N step, otherwise the step for the typed denominator; nothing for a
// text reading 0 or less, or beyond 32 bits.
std::optional<std::string> forcedResolutionText(bool intN, std::string_view forceDText, const PlanValues& plan);

// "Calc. Best F/D": the texts it writes into "Force Denom", in order. It runs
// only with a plan to search (searched is false otherwise, and nothing is
// written); it then clears the box and, when the search found a denominator,
// writes it.
struct BestFractionPress {
    bool searched = false;
    std::optional<std::string> forceDText; // " 20"; absent: the box stays empty
};
BestFractionPress pressBestFraction(const PlanValues& plan);

} // namespace vantrel
