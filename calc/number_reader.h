// Reading a text box as a number: the leading-number rule, with "." as the
// decimal point whatever the locale.
#pragma once

#include <string_view>

namespace vantrel {

// Blanks, tabs and line feeds are skipped wherever they stand; the longest
// leading decimal number (sign, digits, one point, exponent) is taken and the
// rest ignored. An empty or non-numeric text reads as 0. A magnitude beyond
// the range of a double reads as an infinity of its sign.
double readLeadingNumber(std::string_view text);

// The text without the blanks, tabs, CRs and LFs before and after it.
std::string_view withoutBlanksAround(std::string_view text);

} // namespace vantrel
