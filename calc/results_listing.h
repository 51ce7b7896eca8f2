// The texts a plan shows: the PFD and VCO labels with their colours, the
// results listing with the register words, and the messages of a stopped run.
#pragma once

#include <cstdint>
#include <string>

#include "plan_values.h"

namespace vantrel {

// Colour values red + 256 x green + 65536 x blue.
using Colour = std::uint32_t;
constexpr Colour kBlack = 0;
constexpr Colour kRed = 255;
constexpr Colour kWhite = 16777215;

struct StyledText {
    std::string text;
    Colour colour = kBlack;
    bool bold = false;

    bool operator==(const StyledText&) const = default;
};

// "Fcomp 10.0", with " TOO HIGH" in red above 32 MHz.
StyledText pfdLabel(double fcomp);

// "VCO  2320.5MHz", with a line break and "External VCO Only" in bold red
// outside 2200..4400 MHz.
StyledText vcoLabel(double vco);

// The listing of a complete run, every line ended by CR LF; red when the
// error exceeds 1 Hz.
StyledText resultsListing(const PlanValues& plan, bool intN);

// The two lines shown instead of the listing when MOD needs more than 12 bits.
std::string modLimitMessage();

// The two lines shown when a plan value does not fit its register field,
// e.g. "INT 65536 outside 0 to 65535".
std::string fieldLimitMessage(const char* field, double value, double low, double high);

} // namespace vantrel
