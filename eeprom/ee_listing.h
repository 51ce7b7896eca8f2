// The EE data listing: the register set as the PIC assembler's data-EEPROM
// directives, headed by two comment lines that record the frequency plan.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plan_values.h"

namespace vantrel {

// One register word as a "de" directive of four bytes, most significant
// first, labelled with the word's own register number (its low three bits):
// 0x00580005 -> "   de 0x00, 0x58, 0x00, 0x05    ;Reg 5". No line end.
std::string eeHexData(std::uint32_t word);

// The eight-line listing, every line ended by CR LF: the plan line (R, N,
// Denom, Fract, OutDiv), the output line with the reference text exactly as
// typed (its bytes copied unchanged), then the words Reg5 down to Reg0.
std::string eeDataListing(const PlanValues& plan, std::string_view frText);

} // namespace vantrel
