#include "auto_divider.h"

#include <cmath>

#include "chip.h"
#include "number_format.h"

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

std::optional<std::string> autoSetRefusal(double fout)
{
    if (autoDividerIndex(fout))
        return std::nullopt;
    return "Auto Set >> needs an output of " + plainNumber(kMinOutputMHz) + " to " + plainNumber(kMaxOutputMHz)
           + " MHz (Wanted F out reads " + plainNumber(fout) + " MHz); the O/P divider stays as it was";
}

} // namespace vantrel
