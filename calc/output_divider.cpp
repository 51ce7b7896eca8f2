#include "output_divider.h"

#include "results_listing.h"

namespace vantrel {

std::optional<int> autoDividerIndex(double fout)
{
    if (!(fout >= kMinAutoFoutMHz && fout <= kMaxAutoFoutMHz))
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
