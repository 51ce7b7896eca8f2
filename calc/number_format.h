// Numbers to text as the window shows them: the general and plain number
// forms and the number masks ("#0.0#####", "###0.0#Hz", "0000" ...).
// The decimal point is "." whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Up to 15 significant digits, no trailing zeros, no point for whole numbers,
// and one leading blank when the number is not negative: 2320.5 -> " 2320.5".
// Magnitudes from 1e15 up, or below 1e-5, take the exponent form " 1E+15".
std::string generalNumber(double value);

// The general number form without its leading blank: 2500 -> "2500".
std::string plainNumber(double value);

// A mask of "0" (digit always shown), "#" (digit shown when significant) and
// "." (decimal point), followed by literal text. Every integer digit is shown,
// without grouping; the fraction is rounded to the places the mask allows,
// halves away from zero, and optional trailing zeros are dropped.
std::string formatMask(double value, std::string_view mask);

// The value a text with this many decimal places shows, as a double: for
// numbers that programs read (JSON, SCPI answers), so that they carry no
// binary noise (4524.999999999999 -> 4525 with 3 places, -2.27e-07 -> 0
// with 1). Halves go away from zero as in the masks; a negative zero comes
// back as 0, and a value that is not finite comes back unchanged.
double shownValue(double value, int places);

} // namespace vantrel
