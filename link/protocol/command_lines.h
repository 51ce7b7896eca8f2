// The text lines the program sends to the board, and the line sequences of
// its three commands. Pure C++: the lines are built from a snapshot of the
// register set taken when the command starts, so a change of the settings
// while the lines are paced out cannot mix two sets on the wire.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "register_layout.h"

namespace vantrel {

// The commands, each sent with CR LF after it.
inline constexpr std::string_view kRegisterCommand = "R"; // followed by the word
inline constexpr std::string_view kStoreCommand = "W";
inline constexpr std::string_view kInitCommand = "INIT";

// "R" + eight upper-case hex digits + CR LF: 0x580005 -> "R00580005\r\n".
std::string registerLine(std::uint32_t word);

// "Set all Registers": R(Reg5) ... R(Reg0).
std::vector<std::string> sendAllLines(const RegisterSet& set);

// "Write EE": R(Reg5), W, R(Reg4), W, ... R(Reg0), W.
std::vector<std::string> writeAllLines(const RegisterSet& set);

// "INIT from EE": the one read-back request.
std::vector<std::string> initLines();

// The step of a sweep that sends only what changed: the words that differ
// from `previous`, Reg5 down to Reg1, then Reg0 whenever anything changed,
// since the chip takes a new setting (and selects its band) on Reg0.
// Nothing when the sets are equal.
std::vector<std::string> changedLines(const RegisterSet& previous, const RegisterSet& next);

} // namespace vantrel
