// What a "Write EE" cut short (a lost port, a refused line) has left in the
// board's EEPROM: the board stores a word at each "W", so the lines that
// went out tell which registers hold the new set and which the one before.
#pragma once

#include <cstddef>
#include <string>

#include "register_layout.h"

namespace vantrel {

// The sentences that say it, for the window's reply box: the last line out
// as vantrel-ctl names it ("R00000003" or "W") and which register it
// carried or stored; then, when the stored set is now mixed, which
// registers are of which set, and "Write EE again once the board is back".
// `set` is the set Write EE sent, `linesSent` how many of its twelve lines
// went out whole.
std::string cutWriteText(const RegisterSet& set, std::size_t linesSent);

} // namespace vantrel
