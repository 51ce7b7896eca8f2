// Decoding a register set read back from the board into what the window
// shows: the option controls, the plan values and the texts, computed here
// without touching a widget so the window can apply them in order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plan_session.h"
#include "plan_values.h"
#include "register_layout.h"
#include "settings.h"

namespace vantrel {

// The decoded set, field by field in the order the window applies them:
// tick TrackDivider, set the check boxes, the MUXOUT button, ChrgPump and
// Pwr, then Rdivider, Fvco, OutDivCont, Label6, ResolutionText and FoutText,
// take over the plan values, clear InitFlag, recalculate, clear TrackDivider.
struct DecodedRegisterSet {
    bool refDbl = false;
    bool refDiv2 = false;
    bool prescale8 = false;
    bool feedback = false; // "F/B from Divider": the feedback-select bit clear
    bool lowSpur = false;  // either noise-mode bit set
    bool intN = false;
    std::optional<MuxButton> muxButton; // absent for codes 1, 2, 5 and 7: the buttons keep their state
    bool pdPol = false;    // "-Ve Phase Detector": the polarity bit clear
    int chrgPump = 0;
    int pwr = 0;

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
};

// Decodes Reg0, Reg1, Reg2 and Reg4; Reg3 and Reg5 are not read. frText is
// the reference box's text, read by the leading-number rule.
DecodedRegisterSet decodeRegisterSet(const RegisterSet& set, std::string_view frText, const PlanValues& previous);

// The controls as the decode leaves them before its final run: `settings`
// with the decoded check boxes, MUXOUT button, scroll positions and texts.
Settings decodedSettings(const DecodedRegisterSet& decoded, Settings settings);

// "INIT from EE" answered with `set`, on a session: the decode of the
// window, ending in its one run of the plan.
void loadRegisterSet(PlanSession& session, const RegisterSet& set);

} // namespace vantrel
