// One random setting of the control panel for vantrel-core-check: the
// controls, and the buttons pressed after them. Drawn from the standard
// engine std::mt19937_64 with this program's own mapping onto ranges: the
// engines give the same numbers with every standard library, the library's
// distributions do not.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "settings.h"

namespace vantrel {

struct CheckCase {
    Settings settings;
    bool autoSet = false;      // "Auto Set >>" pressed once the controls hold the settings
    bool bestFraction = false; // "Calc. Best F/D" pressed after that
};

// The engine of case `index` under `seed`. Each case has its own, so a case
// reads the same whatever the count of cases before it.
std::mt19937_64 caseEngine(std::uint64_t seed, std::uint64_t index);

// Output 35 to 4400 MHz with up to six decimals, a reference of 10, 25, 26,
// 19.2 or 30 MHz, a step, the reference doubler and halver, R, the check
// boxes, the MUXOUT button, the charge pump and power, and usually "Auto
// Set >>" (otherwise a divider), sometimes followed by "Calc. Best F/D".
CheckCase randomCase(std::mt19937_64& engine);

// The settings as vantrel-plan options, texts quoted, so that a case can be
// run again on its own: --fout "2320.5" --ref "10" ... --auto-divider.
// The divider is left out when "Auto Set >>" chooses it.
std::string planOptions(const Settings& settings, bool autoSet = false, bool bestFraction = false);

} // namespace vantrel
