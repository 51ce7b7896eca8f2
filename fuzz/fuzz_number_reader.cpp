// Fuzz target: arbitrary bytes as a text box read by the leading-number rule,
// and the number forms that write such values back into the window.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "frequency_units.h"
#include "fuzz_check.h"
#include "number_format.h"
#include "number_reader.h"

namespace {

using vantrel::exactDecimalText;
using vantrel::FrequencyReading;
using vantrel::FrequencyUnit;
using vantrel::formatMask;
using vantrel::generalNumber;
using vantrel::readFrequency;
using vantrel::readLeadingNumber;

// Rounded to 15 significant digits, the very top of the range lies past the
// largest double and reads back as an infinity; nothing else may.
constexpr double kRoundsPastLargest = 1.797693134862e308;

// The text written for v reads back within tolerance of it.
bool readsBackNear(const std::string& text, double v, double tolerance)
{
    const double back = readLeadingNumber(text);
    if (std::isinf(back))
        return std::fabs(v) > kRoundsPastLargest && std::signbit(back) == std::signbit(v);
    return std::fabs(back - v) <= tolerance;
}

// The general form keeps 15 significant digits: one read back lies within
// half a unit of the 15th digit (plus the rounding to a double), and a value
// read from such a text is a fixed point of writing and reading again.
void checkGeneralForm(double v)
{
    if (!std::isfinite(v))
        return;
    const double once = readLeadingNumber(generalNumber(v));
    if (std::isinf(once)) {
        VANTREL_FUZZ_CHECK(std::fabs(v) > kRoundsPastLargest);
        return;
    }
    if (std::fabs(v) >= std::numeric_limits<double>::min())
        VANTREL_FUZZ_CHECK(std::fabs(once - v) <= std::fabs(v) * 6e-15);
    VANTREL_FUZZ_CHECK(readLeadingNumber(generalNumber(once)) == once);
    VANTREL_FUZZ_CHECK(std::signbit(once) == std::signbit(v) || v == 0);
}

// A mask rounds to its last decimal place; read back, the text is that close.
void checkMasks(double v)
{
    const std::string general = formatMask(v, "#0.0#####");
    const std::string hertz = formatMask(v, "###0.0#Hz");
    const std::string whole = formatMask(v, "0000");
    VANTREL_FUZZ_CHECK(hertz.size() >= 2 && hertz.compare(hertz.size() - 2, 2, "Hz") == 0);
    if (!std::isfinite(v))
        return;
    VANTREL_FUZZ_CHECK(readsBackNear(general, v, 0.5e-6 + std::fabs(v) * 6e-15));
    VANTREL_FUZZ_CHECK(readsBackNear(whole, v, 0.5 + std::fabs(v) * 6e-15));
    VANTREL_FUZZ_CHECK(whole.size() >= 4);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = readLeadingNumber(text);
    VANTREL_FUZZ_CHECK(!std::isnan(value));

    // The number ends at the first character it cannot take, so one more
    // such character changes nothing; blanks are skipped wherever they stand.
    const std::string withLetter = std::string(text) + "x";
    VANTREL_FUZZ_CHECK(readLeadingNumber(withLetter) == value);
    const std::string withBlank = " " + std::string(text);
    VANTREL_FUZZ_CHECK(readLeadingNumber(withBlank) == value);

    checkGeneralForm(value);
    checkMasks(value);

    // A frequency with a unit is finite when read, and its box text reads
    // back as the same value in the leading-number rule the boxes use.
    const FrequencyReading frequency = readFrequency(text, FrequencyUnit::MHz);
    VANTREL_FUZZ_CHECK(frequency.value.has_value() == frequency.error.empty());
    if (frequency.value) {
        VANTREL_FUZZ_CHECK(std::isfinite(*frequency.value));
        VANTREL_FUZZ_CHECK(readLeadingNumber(exactDecimalText(*frequency.value)) == *frequency.value);
    }

    // The same forms on any double, not only those a text reads as.
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        checkGeneralForm(raw);
        checkMasks(raw);
        // A mask taken from the input must not break the formatter either.
        formatMask(raw, text.substr(sizeof raw));
    }
    return 0;
}
