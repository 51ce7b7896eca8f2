// A time left, as a person reads it: "45 s", "2 min 5 s", "1 h 2 min 5 s".
#pragma once

#include <string>

namespace vantrel {

// Whole hours, minutes and seconds, each left out when it is 0 (but "0 s"
// for no time at all); a negative time reads as 0 s.
std::string durationText(long long seconds);

} // namespace vantrel
