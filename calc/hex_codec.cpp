#include "hex_codec.h"

namespace vantrel {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr std::size_t kWordDigits = 8;

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The number of leading hexadecimal digits of text, at most kWordDigits.
std::size_t digitRun(std::string_view text)
{
    std::size_t count = 0;
    while (count < text.size() && count < kWordDigits && digitValue(text[count]) >= 0)
        ++count;
    return count;
}

std::uint32_t valueOf(std::string_view digits)
{
    // Unsigned, so words of 80000000 and above keep their bit pattern.
    std::uint32_t value = 0;
    for (const char c : digits)
        value = value * 16u + static_cast<std::uint32_t>(digitValue(c));
    return value;
}

} // namespace

std::string hexFormat(std::uint32_t word)
{
    std::string text(kWordDigits, '0');
    for (int i = 7; i >= 0; --i, word >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[word & 0xF];
    return text;
}

std::string hexByte(unsigned char byte)
{
    return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

std::string hexDigits(std::uint32_t word)
{
    const std::string text = hexFormat(word);
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

std::optional<std::uint32_t> leadingHexWord(std::string_view text)
{
    const std::size_t count = digitRun(text);
    if (count == 0)
        return std::nullopt;
    return valueOf(text.substr(0, count));
}

std::optional<std::uint32_t> parseHexWord(std::string_view text)
{
    if (text.empty() || digitRun(text) != text.size())
        return std::nullopt;
    return valueOf(text);
}

} // namespace vantrel
