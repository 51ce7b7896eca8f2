// The output divider: 2^k for scroll position k, and the "Auto Set >>" rule
// that picks the smallest divider bringing the VCO into 2200..4400 MHz.
#pragma once

#include <optional>
#include <string>

namespace vantrel {

// The RF output divider for scroll position k: 2^k.
double outputDivider(int k);

// The divider index k (0..6) for an output of fout MHz, found by doubling the
// VCO from fout while it is below 2200 MHz; nothing outside 35..4400 MHz
// (the bounds themselves are accepted).
std::optional<int> autoDividerIndex(double fout);

// Why "Auto Set >>" leaves the divider as it is for an output of fout MHz,
// for the window's strip: "Auto Set >> needs an output of 35 to 4400 MHz
// (Wanted F out reads 4400.1 MHz); the O/P divider stays as it was". Nothing
// when it can act.
std::optional<std::string> autoSetRefusal(double fout);

} // namespace vantrel
