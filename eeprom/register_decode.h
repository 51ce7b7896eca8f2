// Decoding a register set read back from the board into what the window
// shows: the option controls, the plan values and the texts, computed here
// without touching a widget so the window can apply them in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan_session.h"
#include "plan_values.h"
#include "register_layout.h"
#include "settings.h"

namespace vantrel {

// The decoded set, field by field in the order the window applies them:
// tick TrackDivider, set the check boxes, the MUXOUT button, ChrgPump and
// Pwr, the chip options, then Rdivider, Fvco, OutDivCont, Label6,
// ResolutionText and FoutText, take over the plan values, clear InitFlag,
// recalculate, clear TrackDivider.
struct DecodedRegisterSet {
    bool refDbl = false;
    bool refDiv2 = false;
    bool prescale8 = false;
    bool feedback = false; // "F/B from Divider": the feedback-select bit clear
    bool lowSpur = false;  // either noise-mode bit set
    bool intN = false;
    // Absent for codes 1, 2, 5 and 7, which chip.muxCode holds: the buttons are cleared.
    std::optional<MuxButton> muxButton;
    bool pdPol = false;    // "-Ve Phase Detector": the polarity bit clear
    bool enable = true;    // "Chip Enable": the power-down bit clear
    bool mtld = false;     // "Mute Until Lock Detect"
    int chrgPump = 0;
    int pwr = 0;
    // Every bit the panel's controls do not hold, Reg3 and Reg5 whole.
    ChipOptions chip;

    // N, Fract, Denom, R, OutDiv, MuxVal, Fr, Fcomp, Resolution, VCO and Fout
    // as decoded; a step that cannot be computed (a division by zero, a value
    // beyond a double) leaves the previous value. The rest is the previous plan.
    PlanValues plan;

    // The divider scroll position k; absent when k is beyond the scroll bar
    // (code 7, a divider of 128), which then keeps its position.
    std::optional<int> outDivCont;

    std::string rdividerText;   // general number form of R
    std::string fvcoCaption;    // "VCO " + general form of VCO + "MHz"
    std::string label6Caption;  // "Fcomp " + plain form of Fcomp
    std::string resolutionText; // general number form of Resolution
    std::string foutText;       // general number form of Fout

    // Why the words give no plan of their own, the steps above having kept
    // values of the plan before: "R counter 0", "MOD 0 in fractional mode",
    // "an output of 0 MHz", joined by "; ". Empty when they give one.
    std::string problem;
};

// Decodes all six words. frText is the reference box's text, read by the
// leading-number rule.
DecodedRegisterSet decodeRegisterSet(const RegisterSet& set, std::string_view frText, const PlanValues& previous);

// DecodedRegisterSet::problem of the set decoded with this reference text:
// empty when the words give a plan of their own.
std::string decodeProblem(const RegisterSet& set, std::string_view frText);

// The controls as the decode leaves them before its final run: `settings`
// with the decoded check boxes, MUXOUT button, scroll positions, chip
// options and texts.
Settings decodedSettings(const DecodedRegisterSet& decoded, Settings settings);

// A word of a set read back that the plan rebuilt from it packs otherwise
// (a band-select divider or MOD the plan recomputes, a reference that is
// not the board's).
struct WordDifference {
    std::size_t reg;
    std::uint32_t read;
    std::uint32_t planned;
};
std::vector<WordDifference> wordDifferences(const RegisterSet& read, const RegisterSet& planned);
// "The plan's words differ from the set read back: Reg4 read 008C803C, plan
// 0085003C"; empty when there is no difference.
std::string readBackMessage(const std::vector<WordDifference>& differences);

// What a read-back whose rebuilt plan stopped says instead of comparing
// words, which would be those of the plan before: "The set read back gives
// no complete plan: More than 12 bits needed for fractional registers".
std::string noCompletePlanMessage(std::string_view reason);
// What a read-back loaded into `session` says: noCompletePlanMessage when
// its plan stopped, otherwise readBackMessage of `differences`.
std::string readBackText(const PlanSession& session, const std::vector<WordDifference>& differences);

// Why a set read back cannot stand for the board's set, or empty when it
// can. Each word is kept under its low three bits, so a register that never
// came holds another's word, or none (an answer with words of register 6 or
// 7 holds all ones there): "the board sent no word for register 1, 2: not a
// whole set of registers 0 to 5 (an erased or invalid EEPROM)".
std::string notAWholeSet(const RegisterSet& set);

// "INIT from EE" answered with `set`, on a session: the decode of the
// window, ending in its one run of the plan. Returns the words that the
// rebuilt plan packs otherwise.
std::vector<WordDifference> loadRegisterSet(PlanSession& session, const RegisterSet& set);

} // namespace vantrel
