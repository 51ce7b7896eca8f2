#include "loop_filter_text.h"

#include <array>
#include <cctype>

#include "number_reader.h"
#include "part_value.h"

namespace vantrel {
namespace {

struct PartName {
    const char* name;
    double LoopFilter::*value;
    Quantity quantity;
};

constexpr std::array<PartName, 5> kParts{{
    {"C1", &LoopFilter::c1, Quantity::Capacitance},
    {"C2", &LoopFilter::c2, Quantity::Capacitance},
    {"C3", &LoopFilter::c3, Quantity::Capacitance},
    {"R2", &LoopFilter::r2, Quantity::Resistance},
    {"R3", &LoopFilter::r3, Quantity::Resistance},
}};

bool sameName(std::string_view typed, const char* name)
{
    const std::string_view wanted(name);
    if (typed.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(typed[i])) != wanted[i])
            return false;
    }
    return true;
}

LoopFilterReading failed(std::string why)
{
    LoopFilterReading reading;
    reading.error = std::move(why);
    return reading;
}

} // namespace

LoopFilterReading readLoopFilter(std::string_view text)
{
    LoopFilter filter;
    std::array<bool, kParts.size()> given{};
    if (withoutBlanksAround(text).empty())
        return failed("is empty");
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = withoutBlanksAround(text.substr(0, comma));
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return failed("has a part without NAME=VALUE (such as C1=1.5n)");
        const std::string_view name = withoutBlanksAround(item.substr(0, equals));
        std::size_t index = 0;
        while (index < kParts.size() && !sameName(name, kParts[index].name))
            ++index;
        if (index == kParts.size())
            return failed("names a part other than C1, C2, C3, R2 and R3");
        const PartName& part = kParts[index];
        if (given[index])
            return failed(std::string("gives ") + part.name + " twice");
        const QuantityReading value = readQuantity(item.substr(equals + 1), part.quantity);
        if (!value.value)
            return failed(std::string(part.name) + " " + value.error);
        filter.*part.value = *value.value;
        given[index] = true;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    for (std::size_t i = 0; i < kParts.size(); ++i) {
        // C3 and R3 left out together make a second-order filter.
        if (!given[i] && (i == 0 || i == 1 || i == 3))
            return failed(std::string(kParts[i].name) + " is missing");
    }
    if (std::string why = filterError(filter); !why.empty())
        return failed(std::move(why));
    LoopFilterReading reading;
    reading.filter = filter;
    return reading;
}

std::string loopFilterText(const LoopFilter& filter, int digits)
{
    std::string text;
    for (const PartName& part : kParts) {
        const double value = filter.*part.value;
        if (!filter.thirdOrder() && (part.value == &LoopFilter::c3 || part.value == &LoopFilter::r3))
            continue;
        if (!text.empty())
            text += ',';
        text += std::string(part.name) + "=" + engineeringText(value, digits);
    }
    return text;
}

} // namespace vantrel
