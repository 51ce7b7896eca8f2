#include "hex_format.h"

namespace vantrel {

std::string hexFormat(std::uint32_t word)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, word >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[word & 0xF];
    return text;
}

} // namespace vantrel
