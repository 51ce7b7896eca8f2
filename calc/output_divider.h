// The "Auto Set >>" rule: the smallest output divider that brings the VCO
// into its 2200..4400 MHz range.
#pragma once

#include <optional>

namespace vantrel {

constexpr double kMinAutoFoutMHz = 35.0;   // 35 x 64 = 2240, inside the VCO range
constexpr double kMaxAutoFoutMHz = 4400.0;

// The divider index k (0..6) for an output of fout MHz, found by doubling the
// VCO from fout while it is below 2200 MHz; nothing outside 35..4400 MHz.
std::optional<int> autoDividerIndex(double fout);

} // namespace vantrel
