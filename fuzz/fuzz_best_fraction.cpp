// Fuzz target: the best-fraction search on any VCO and comparison frequency.
// Its clock never advances, so only the search's own bounds can end it: a
// search that would spin shows up as a libFuzzer timeout.
//
// Input: "vco|fcomp" as texts read by the leading-number rule, or, without a
// '|', the first 16 bytes as two raw doubles.
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "best_fraction.h"
#include "fuzz_check.h"
#include "number_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    double vco = 0;
    double fcomp = 0;
    if (const std::size_t bar = text.find('|'); bar != std::string_view::npos) {
        vco = vantrel::readLeadingNumber(text.substr(0, bar));
        fcomp = vantrel::readLeadingNumber(text.substr(bar + 1));
    } else if (size >= 2 * sizeof(double)) {
        std::memcpy(&vco, data, sizeof vco);
        std::memcpy(&fcomp, data + sizeof vco, sizeof fcomp);
    } else {
        return 0;
    }

    const auto frozen = std::chrono::steady_clock::time_point{};
    const vantrel::BestFraction found = vantrel::searchBestFraction(vco, fcomp, [frozen] { return frozen; });

    using End = vantrel::BestFraction::End;
    VANTREL_FUZZ_CHECK(found.end != End::TimedOut);
    VANTREL_FUZZ_CHECK(found.denominator >= 0 && found.denominator <= 4094);
    VANTREL_FUZZ_CHECK((found.end == End::NoPlan) == (fcomp == 0 || !std::isfinite(vco / fcomp)));
    if (found.end != End::Found)
        VANTREL_FUZZ_CHECK(found.denominator == 0);
    return 0;
}
