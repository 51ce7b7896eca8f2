// A register word as the board, the listing and the EE lines show it.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Exactly eight upper-case hexadecimal digits, zero-padded: 5767173 -> "00580005".
std::string hexFormat(std::uint32_t word);

} // namespace vantrel
