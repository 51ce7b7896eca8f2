// The SCPI reader on any bytes as one line: it must not fail, an error must
// be one of the reader's own numbers with an answer that stays one line,
// case must not matter outside strings, and every frequency read must come
// back exactly from the Hz text it is answered with.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frequency_units.h"
#include "fuzz_check.h"
#include "number_format.h"
#include "scpi_parser.h"

using namespace vantrel::scpi;

namespace {

bool isReaderError(int code)
{
    switch (code) {
    case error::kSyntax:
    case error::kDataType:
    case error::kParameterNotAllowed:
    case error::kMissingParameter:
    case error::kUndefinedHeader:
    case error::kInvalidSuffix:
    case error::kDataOutOfRange:
    case error::kIllegalParameterValue: return true;
    default: return false;
    }
}

// Letters in upper case outside quoted strings.
std::string upperOutsideStrings(std::string_view line)
{
    std::string out(line);
    char quote = 0;
    for (char& c : out) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

bool frequencyCommand(Command command)
{
    return command == Command::Frequency || command == Command::SweepStart || command == Command::SweepStop
           || command == Command::SweepStep || command == Command::Reference || command == Command::ListFrequency;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ParsedLine parsed = parseLine(line);
    if (parsed.error) {
        VANTREL_FUZZ_CHECK(isReaderError(parsed.error->code));
        const std::string answer = errorResponse(*parsed.error);
        VANTREL_FUZZ_CHECK(answer.find_first_of("\r\n") == std::string::npos);
        VANTREL_FUZZ_CHECK(answer.size() <= 4 + 1 + 2 + 255);
    }

    const ParsedLine upper = parseLine(upperOutsideStrings(line));
    VANTREL_FUZZ_CHECK(upper.units.size() == parsed.units.size());
    VANTREL_FUZZ_CHECK(upper.error.has_value() == parsed.error.has_value());
    if (upper.error)
        VANTREL_FUZZ_CHECK(upper.error->code == parsed.error->code);
    for (std::size_t i = 0; i < parsed.units.size(); ++i) {
        const ProgramUnit& unit = parsed.units[i];
        VANTREL_FUZZ_CHECK(upper.units[i].command == unit.command && upper.units[i].query == unit.query);
        VANTREL_FUZZ_CHECK(upper.units[i].values.size() == unit.values.size());
        for (std::size_t v = 0; v < unit.values.size(); ++v) {
            const Value& value = unit.values[v];
            VANTREL_FUZZ_CHECK(upper.units[i].values[v].kind == value.kind);
            VANTREL_FUZZ_CHECK(upper.units[i].values[v].number == value.number);
            if (!frequencyCommand(unit.command) || value.kind != Value::Kind::Number)
                continue;
            // The answer of a frequency query reads back as the same
            // frequency to the millihertz it is answered to.
            const vantrel::FrequencyReading back = vantrel::readFrequency(hertzText(value.number), vantrel::FrequencyUnit::Hz);
            VANTREL_FUZZ_CHECK(back.value && *back.value == vantrel::shownValue(value.number * 1e6, 3));
        }
    }
    return 0;
}
