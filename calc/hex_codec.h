// Register words in hexadecimal, both ways: the one codec that the listing,
// the lines to the board, the replies from it, the virtual board and the
// command-line tools all use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Exactly eight upper-case hexadecimal digits, zero-padded: 5767173 -> "00580005".
std::string hexFormat(std::uint32_t word);

// One byte as two upper-case hexadecimal digits: 0x0A -> "0A".
std::string hexByte(unsigned char byte);

// Upper-case digits without leading zeros: 0x580005 -> "580005", 0 -> "0".
std::string hexDigits(std::uint32_t word);

// The value of the hexadecimal digits (either case) at the start of text,
// at most eight, stopping at the first character that is not one; nothing
// when text does not start with a digit. "1G" -> 1, "0058000512" -> 0x580005.
std::optional<std::uint32_t> leadingHexWord(std::string_view text);

// Text that is one to eight hexadecimal digits and nothing else; nothing otherwise.
std::optional<std::uint32_t> parseHexWord(std::string_view text);

} // namespace vantrel
