// Frequencies with a unit, as the programs that send to a board take them on
// the command line and in hop files: "2.4G", "2400 MHz", "100k". Read
// strictly and exactly as the decimal text says: a typing slip is an error,
// never a smaller frequency sent to the chip.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

enum class FrequencyUnit { Hz, kHz, MHz, GHz };

// "Hz", "kHz", "MHz", "GHz".
std::string_view unitName(FrequencyUnit unit);

struct FrequencyReading {
    std::optional<double> value;     // in the unit asked for
    std::optional<FrequencyUnit> unit; // the unit written after the number, if any
    std::string error;               // why not, e.g. "is empty"; empty when read
};

// A whole text (blanks around it aside) as a finite number, optionally
// followed, with or without blanks, by Hz, kHz, MHz, GHz, k, M or G in any
// case; without a unit the number is in `unit`. The value is the double
// nearest to the decimal text scaled by the unit, with no rounding on the way.
FrequencyReading readFrequency(std::string_view text, FrequencyUnit unit);

// Whether the panel's leading-number rule reads `text` as its writer meant:
// a blank text, a number alone (a sign may lead it), or a number followed
// by the box's own unit (none for a box without one). "2320,5", "23 20",
// "2.4G" in a box of MHz hold more than the number the box takes.
bool readsAsWritten(std::string_view text, std::optional<FrequencyUnit> unit);

// A value as the shortest decimal text that reads back as the same double,
// without an exponent: what a text box is given for it.
std::string exactDecimalText(double value);

} // namespace vantrel
