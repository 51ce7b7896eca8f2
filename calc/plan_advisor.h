// The plan advisor: for the wanted output, reference and step as they stand,
// every plan the panel could give with another reference path (Ref Doubler,
// Ref Divide/2, R from 1 to 1023), the other prescaler where the one chosen
// cannot take the plan, and Integer N; those that are complete, break no
// chip limit and hit the output as closely as the current plan (or, when it
// has no plan that may go out, within half the step) are ranked:
//  1. no integer-boundary spur, or one outside the loop bandwidth, before one inside;
//  2. lower in-band noise at 10 kHz, as shown (to 0.1 dB);
//  3. a larger boundary-spur offset (none counts as largest);
//  4. fewer changed controls;
// then a smaller error, then the order of the search.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "chip_options.h"
#include "frequency_plan.h"
#include "plan_quality.h"
#include "settings.h"

namespace vantrel {

// Two errors this close are as good as each other, Hz.
constexpr double kAdvisorErrorToleranceHz = 0.001;
constexpr std::size_t kDefaultSuggestions = 5;

// The controls a suggestion changes; the others stay as they are.
struct PlanChange {
    std::optional<int> r;          // "Ref Divider", typed as a whole number
    std::optional<bool> refDbl;    // "Ref Doubler"
    std::optional<bool> refDiv2;   // "Ref Divide/2"
    std::optional<bool> prescale8; // "Prescalar 8/9"
    std::optional<bool> intN;      // "Integer N"

    int count() const;
    bool operator==(const PlanChange&) const = default;
};

// The text a change types into "Ref Divider": "4".
std::string rdividerText(int r);

// The settings after the change, as the controls then hold them: the chip
// options are those the new mode brings when Integer N changes.
Settings withChange(const Settings& settings, const PlanChange& change, const std::array<ChipOptions, 2>& chipForMode);

struct PlanSuggestion {
    PlanChange change;
    Settings settings;  // the controls with the change made
    PlanValues plan;    // their plan
    PlanQuality quality;
    std::vector<std::string> changes; // "R 1 \u2192 4", "Ref Doubler on", in the order of PlanChange
    bool better = false; // ranks above the current plan
};

struct AdviceRequest {
    Settings settings;  // the controls as they stand
    PlanResult current; // their last run (values and outcome; no texts needed)
    LoopBandwidth loop;
    // The chip options once Integer N is cleared [0] or ticked [1]: "Follow
    // the Datasheet for the Mode" changes them with the tick. The mode the
    // settings have keeps settings.chip.
    std::array<ChipOptions, 2> chipForMode;
};

struct Advice {
    std::optional<PlanQuality> current; // the current plan's figures; none when it stopped
    bool currentStopped = false;   // no complete plan
    bool currentUsable = false;    // complete and within every chip limit
    bool currentIsCleanest = false; // it is usable and nothing ranks above it
    // Best first: those ranking above the current plan; when none does, the
    // next best after it.
    std::vector<PlanSuggestion> suggestions;
    std::size_t qualified = 0; // plans that qualified, the current one aside
};

// Both chip options the same: for settings without "Follow the Datasheet for the Mode".
std::array<ChipOptions, 2> sameChipForBothModes(const ChipOptions& options);

Advice advisePlans(const AdviceRequest& request, std::size_t count = kDefaultSuggestions);

} // namespace vantrel
