// The loop filter as one line of text, "C1=1.5n,C2=22n,C3=470p,R2=1k,R3=2.2k":
// what vantrel-plan --loop-filter reads and --design-loop-filter prints, so
// that a design can be given back as it stands. Each part is read as the
// Loop Filter window reads it (part_value).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "loop_filter.h"

namespace vantrel {

// Significant digits of an exact part as shown; E24 parts have two.
constexpr int kExactPartDigits = 4;

struct LoopFilterReading {
    std::optional<LoopFilter> filter;
    std::string error; // "R2: is not a number", "C1 is missing" ...; empty when read
};

// Parts separated by commas, each NAME=VALUE with NAME one of C1, C2, C3,
// R2, R3 (any case), each at most once; C3 and R3 may be left out together
// for a second-order filter. The parts must make a filter (filterError).
LoopFilterReading readLoopFilter(std::string_view text);

// "C1=6.581n,C2=85.6n,C3=466.1p,R2=2.58k,R3=33.93k" with `digits`
// significant digits; a second-order filter without C3 and R3.
std::string loopFilterText(const LoopFilter& filter, int digits);

} // namespace vantrel
