// Part values as engineers write them: "1.5n", "22 nF", "470p", "2k2",
// "2.2k", "4R7", "1M", or a plain number such as "1.5e-9", read with "." as
// the point whatever the locale; written back the same way ("6.58n",
// "33.9k"); and the nearest value of the E24 series, the one resistors and
// capacitors are stocked in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What a text is read as; each takes its own unit words after the prefix.
enum class Quantity {
    Capacitance, // F: "22n", "22 nF", "22nf"
    Resistance,  // ohm: "2k2", "2.2 kOhm", "100R", "4R7", "1 M\u03a9"
    Sensitivity, // Hz/V: "40M", "40 MHz/V"
};

struct QuantityReading {
    std::optional<double> value; // in F, ohm or Hz/V, scaled as the text says
    std::string error;           // why not ("is not a number"); empty when read
};

// The whole text (blanks around it aside): a number, then with or without a
// blank an SI prefix (p, n, u or the micro sign, m, k or K, M, G) and the
// quantity's unit, each optional; or digits with the prefix standing for the
// point ("2k2", "4n7"; for a resistance also "4R7"). A number without a
// prefix is multiplied by `plainScale`, so that a box in kOhm reads "5.1" as
// 5100 and "5.1k" as 5100 too. Infinities and NaN are no values; the sign is
// kept, for the caller to say what a negative value means.
QuantityReading readQuantity(std::string_view text, Quantity quantity, double plainScale = 1.0);

// The whole text (blanks around it aside) as a finite plain number, "."
// for the point: for the boxes and options that take a number without a unit.
std::optional<double> readPlainNumber(std::string_view text);

// `value` rounded to `digits` significant digits as a double: what a text
// with that many digits shows, for numbers that programs read. Zero and
// values that are not finite come back unchanged.
double shownSignificant(double value, int digits);

// `value` in engineering notation with at most `digits` significant digits
// and no trailing zeros: 6.5812e-9 -> "6.58n", 33900 -> "33.9k", 1e6 -> "1M",
// 47 -> "47". readQuantity reads it back.
std::string engineeringText(double value, int digits);

// The E24 value nearest `value` by ratio (1.0, 1.1, 1.2 ... 9.1 times a
// power of ten): 6.58e-9 -> 6.8e-9. A value that is not positive and finite
// comes back unchanged.
double nearestE24(double value);

} // namespace vantrel
