#include "auto_divider.h"

#include <cmath>

#include "chip.h"

namespace vantrel {

double outputDivider(int k) { return std::ldexp(1.0, k); }

std::optional<int> autoDividerIndex(double fout)
{
    if (!(fout >= kMinOutputMHz && fout <= kMaxOutputMHz))
        return std::nullopt;
    double vco = fout;
    int k = 0;
    while (vco < kMinVcoMHz) {
        vco = vco * 2;
        ++k;
    }
    return k;
}

} // namespace vantrel
