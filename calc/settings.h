// A snapshot of the control panel's setting controls, as the plan reads them:
// texts as typed, check boxes, the selected MUXOUT button, scroll positions,
// and the chip options of the Chip menu. The defaults are the window's
// initial values.
#pragma once

#include <string>

#include "chip.h"
#include "chip_options.h"

namespace vantrel {

struct Settings {
    std::string foutText = "2320.5";      // MHz
    std::string frText = "10";            // MHz
    std::string rdividerText = "1";
    std::string resolutionText = "2500";  // Hz

    bool refDbl = false;
    bool refDiv2 = false;
    bool feedback = false;   // "F/B from Divider": divided feedback
    bool prescale8 = true;   // "Prescalar 8/9"
    bool pdPol = false;      // "-Ve Phase Detector"
    bool lowSpur = false;
    bool enable = true;      // "Chip Enable"
    bool mtld = true;        // "Mute Until Lock Detect"
    bool intN = false;
    bool trackDivider = false;

    MuxButton mux = MuxButton::NoneSelected;

    int outDivCont = 0; // 0..6, divider 2^k
    int chrgPump = 15;  // 0..15
    int pwr = 3;        // 0..3

    // Every bit of the words the controls above do not hold.
    ChipOptions chip;

    bool operator==(const Settings&) const = default;
};

} // namespace vantrel
