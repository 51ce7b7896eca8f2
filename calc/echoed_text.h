// Input written back inside a message (an unreadable option, a hop line, a
// SCPI header): every byte outside printable ASCII shows as \xHH and a long
// text is cut, so that an echo can neither upset a terminal or a client's
// text decoder nor flood a log with a megabyte line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// The bytes of raw as 7-bit printable ASCII: a byte below 0x20, 0x7F and
// above, and the backslash itself, become \xHH. When the result would be
// longer than maxChars characters it is cut before that, never inside an
// \xHH, and "..." is added.
std::string echoedText(std::string_view raw, std::size_t maxChars);

// How much of an input the command-line tools' messages echo.
inline constexpr std::size_t kEchoedInputChars = 80;

} // namespace vantrel
