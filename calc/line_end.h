// The line end of every text the program builds, sends or writes (CR LF),
// and the one conversion to LF for what shows a text on screen or a terminal.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

inline constexpr char kCrLf[] = "\r\n";

// Each CR LF as a single LF; any other character, a lone CR included, is kept.
std::string withLineFeeds(std::string_view text);

// A line without the CR and LF characters at its end: "R00580005\r\n" -> "R00580005".
std::string_view withoutLineEnd(std::string_view line);

} // namespace vantrel
