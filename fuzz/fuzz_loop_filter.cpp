// Fuzz target: arbitrary bytes as the parts of a loop filter
// ("C1=1.5n,C2=22n,..."), as one part value of each kind, and the loop the
// parts that are read make: a part is a finite number or refused, a filter
// read is one that analyses, and no figure of its loop is a NaN.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "loop_filter.h"
#include "loop_filter_text.h"
#include "part_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const vantrel::Quantity quantity :
         {vantrel::Quantity::Capacitance, vantrel::Quantity::Resistance, vantrel::Quantity::Sensitivity}) {
        const vantrel::QuantityReading reading = vantrel::readQuantity(text, quantity, 1e3);
        VANTREL_FUZZ_CHECK(reading.value.has_value() == reading.error.empty());
        if (reading.value)
            VANTREL_FUZZ_CHECK(std::isfinite(*reading.value));
    }
    const vantrel::LoopFilterReading reading = vantrel::readLoopFilter(text);
    VANTREL_FUZZ_CHECK(reading.filter.has_value() == reading.error.empty());
    if (!reading.filter)
        return 0;
    VANTREL_FUZZ_CHECK(vantrel::filterError(*reading.filter).empty());
    // A plant from a few hertz to far beyond any PFD: the loop is found or
    // refused with a reason, and what is found is finite.
    for (const double n : {1.0, 100.0, 65535.0}) {
        const vantrel::LoopAnalysisResult loop = vantrel::analyseLoop(*reading.filter, {5e-3, 40e6, n});
        VANTREL_FUZZ_CHECK(loop.analysis.has_value() == loop.error.empty());
        if (!loop.analysis)
            continue;
        VANTREL_FUZZ_CHECK(std::isfinite(loop.analysis->crossoverHz) && loop.analysis->crossoverHz > 0);
        VANTREL_FUZZ_CHECK(std::isfinite(loop.analysis->phaseMarginDeg));
        if (loop.analysis->gainMarginDb)
            VANTREL_FUZZ_CHECK(std::isfinite(*loop.analysis->gainMarginDb));
    }
    return 0;
}
