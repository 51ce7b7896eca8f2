// How vantrel-core-check writes what it computed: exact numbers and quoted
// texts, so that one line holds a whole case and any difference in a bit or
// a byte shows as a difference in the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The shortest decimal that reads back as exactly this double: 2320.5,
// 0.1, 1e-07, -0, inf, nan. Two doubles give the same text only when they
// are the same double.
std::string exactNumber(double value);

// A whole number in decimal.
std::string decimalNumber(std::uint64_t value);

// The text in double quotes with every byte visible: \" \\ \r \n \t, and
// \xHH for any other byte outside printable ASCII. The quoted text holds no
// line end, so a case stays on one line.
std::string quotedText(std::string_view text);

} // namespace vantrel
