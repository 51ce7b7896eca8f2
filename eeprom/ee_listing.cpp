#include "ee_listing.h"

#include "hex_codec.h"
#include "line_end.h"
#include "number_format.h"

namespace vantrel {

std::string eeHexData(std::uint32_t word)
{
    const std::string h = hexFormat(word);
    std::string line = "   de 0x" + h.substr(0, 2) + ", 0x" + h.substr(2, 2) + ", 0x" + h.substr(4, 2) + ", 0x"
                       + h.substr(6, 2) + "    ;Reg";
    // The label is the word's own register number, not its place in the listing.
    line += " " + std::to_string(word % 8);
    return line;
}

std::string eeDataListing(const PlanValues& plan, std::string_view frText)
{
    std::string text;
    text += ";  R = " + formatMask(plan.r, "###0");
    text += "    N = " + formatMask(plan.n, "####0");
    text += "    D =  " + formatMask(plan.denom, "0000");
    text += "   F = " + formatMask(plan.fract, "0000");
    text += "    Odiv = " + formatMask(plan.outDiv, "##");
    text += kCrLf;

    text += ";  Fout = " + formatMask(plan.fout, "###0.0######");
    text += "MHz      Ref = ";
    text += frText;
    text += "MHz";
    text += kCrLf;

    // Reg5 first and Reg0 last, the order the chip must be loaded in: writing
    // Reg0 is what makes a new set take effect.
    for (int index = static_cast<int>(plan.registers.size()) - 1; index >= 0; --index) {
        text += eeHexData(plan.registers[static_cast<std::size_t>(index)]);
        text += kCrLf;
    }
    return text;
}

} // namespace vantrel
