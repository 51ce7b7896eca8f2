#include "results_listing.h"

#include <cmath>

#include "chip.h"
#include "hex_codec.h"
#include "line_end.h"
#include "number_format.h"

namespace vantrel {

StyledText pfdLabel(double fcomp)
{
    StyledText label{"Fcomp " + formatMask(fcomp, "#0.0#####"), kBlack, false};
    if (fcomp > kMaxPfdMHz) {
        label.text += " TOO HIGH";
        label.colour = kRed;
    }
    return label;
}

StyledText vcoLabel(double vco)
{
    StyledText label{"VCO " + generalNumber(vco) + "MHz", kBlack, false};
    if (vco < kMinVcoMHz || vco > kMaxVcoMHz) {
        label.text += kCrLf;
        label.text += "External VCO Only";
        label.colour = kRed;
        label.bold = true;
    }
    return label;
}

StyledText resultsListing(const PlanValues& plan, bool intN)
{
    std::string text;
    const auto line = [&text](const std::string& content) { text += content + kCrLf; };
    line("Fcomp  " + formatMask(plan.fcomp, "#0.00####MHz"));
    line("R  " + formatMask(plan.r, "###0"));
    line("N  " + formatMask(plan.n, "####0"));
    line("F  " + formatMask(plan.fract, "###0"));
    line("D  " + formatMask(plan.denom, "###0") + "     ");
    line("Error =  " + formatMask(plan.errorHz, "###0.0#Hz"));
    if (!intN && plan.fract == 0)
        line("Fract = 0, Suggest use IntegerN Mode");
    text += kCrLf;
    for (std::size_t k = 0; k < plan.registers.size(); ++k)
        line("Reg " + std::to_string(k) + "   0x " + hexFormat(plan.registers[k]));
    return {text, std::fabs(plan.errorHz) > 1 ? kRed : kBlack, false};
}

std::string modLimitMessage()
{
    return std::string("More than 12 bits needed for fractional registers") + kCrLf + "Choose alternative values";
}

std::string fieldLimitMessage(const char* field, double value, double low, double high)
{
    return std::string(field) + " " + plainNumber(value) + " outside " + plainNumber(low) + " to "
           + plainNumber(high) + kCrLf + "Choose alternative values";
}

} // namespace vantrel
