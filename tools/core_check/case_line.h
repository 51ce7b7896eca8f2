// One case of vantrel-core-check: a random setting run through the core the
// way the window and the board would run it, written as one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct CaseLine {
    // Fields separated by " | ", ended by LF: the case number and its
    // settings as vantrel-plan options; the plan's outcome, warnings, six
    // words, values and results listing; the chip check; the decode of the
    // words back into settings and words; the EE listing; the words pasted
    // as text in a random common form and read back; the board's answer to
    // "INIT" for the words, cut at a random byte into two reads, as the
    // reply parser takes it.
    std::string text;
    // The EE listing of the case's plan, as in the line but unquoted.
    std::string eeListing;
    // What the core got wrong in this case, whatever the platform: a pasted
    // set that does not read back, a reply whose events depend on the cut.
    std::vector<std::string> faults;
};

CaseLine checkCase(std::uint64_t seed, std::uint64_t index);

} // namespace vantrel
