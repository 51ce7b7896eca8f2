// The output divider: 2^k for scroll position k, and the "Auto Set >>" rule
// that picks the smallest divider bringing the VCO into 2200..4400 MHz.
#pragma once

#include <optional>

namespace vantrel {

// The RF output divider for scroll position k: 2^k.
double outputDivider(int k);

// The divider index k (0..6) for an output of fout MHz, found by doubling the
// VCO from fout while it is below 2200 MHz; nothing outside 35..4400 MHz
// (the bounds themselves are accepted).
std::optional<int> autoDividerIndex(double fout);

} // namespace vantrel
