// A register set as text, both ways: the six words as "0x%08X" lines for the
// clipboard, and six words pasted back from wherever they were copied (a
// forum post, a data sheet, the chip vendor's evaluation software).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "register_layout.h"

namespace vantrel {

// "0x00740640" ... one line per word, Reg0 first, each ended by CR LF.
std::string registerSetText(const RegisterSet& set);

// Either the whole set or why the text is not one; never part of a set.
struct RegisterSetReading {
    std::optional<RegisterSet> set;
    std::string error; // empty when set holds a value
};

// Six words, each of one to eight hexadecimal digits in either case, with or
// without "0x" / "0X", separated by commas, semicolons, blanks, tabs or line
// ends, in any order: the low three bits of a word say which register it is.
// A word that is not hexadecimal, one for register 6 or 7, two words for one
// register, or a register without a word makes it no set.
RegisterSetReading readRegisterSetText(std::string_view text);

} // namespace vantrel
