#include "register_set_text.h"

#include <array>
#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "hex_codec.h"
#include "line_end.h"

namespace vantrel {
namespace {

constexpr std::size_t kRegisters = std::tuple_size_v<RegisterSet>;
constexpr std::size_t kWordDigits = 8;
// A message quotes at most this many bytes of a word, so that a whole
// paragraph pasted by mistake does not become the message.
constexpr std::size_t kQuotedBytes = 20;

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ',' || c == ';';
}

std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isSeparator(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string quoted(std::string_view word)
{
    if (word.size() <= kQuotedBytes)
        return "\"" + std::string(word) + "\"";
    std::size_t cut = kQuotedBytes;
    // Never in the middle of a UTF-8 sequence: continuation bytes are 10xxxxxx.
    while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0u) == 0x80u)
        --cut;
    return "\"" + std::string(word.substr(0, cut)) + "...\"";
}

std::string hexWord(std::uint32_t word) { return "0x" + hexFormat(word); }

std::string decimal(std::size_t value)
{
    char digits[20];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, end.ptr);
}

std::string_view withoutPrefix(std::string_view word)
{
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X'))
        return word.substr(2);
    return word;
}

// Hexadecimal digits all through, only too many of them for one word.
bool tooManyDigits(std::string_view digits)
{
    if (digits.size() <= kWordDigits)
        return false;
    for (std::size_t i = 0; i < digits.size(); i += kWordDigits) {
        if (!parseHexWord(digits.substr(i, kWordDigits)))
            return false;
    }
    return true;
}

RegisterSetReading failure(std::string why)
{
    RegisterSetReading reading;
    reading.error = std::move(why);
    return reading;
}

std::string missingText(const std::array<bool, kRegisters>& seen)
{
    std::vector<std::size_t> missing;
    for (std::size_t number = 0; number < kRegisters; ++number) {
        if (!seen[number])
            missing.push_back(number);
    }
    if (missing.size() == 1)
        return "no word for register " + decimal(missing.front());
    std::string text = "no words for registers ";
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0)
            text += i + 1 == missing.size() ? " and " : ", ";
        text += decimal(missing[i]);
    }
    return text;
}

} // namespace

std::string registerSetText(const RegisterSet& set)
{
    std::string text;
    for (const std::uint32_t word : set)
        text += hexWord(word) + kCrLf;
    return text;
}

RegisterSetReading readRegisterSetText(std::string_view text)
{
    const std::vector<std::string_view> words = wordsOf(text);
    if (words.empty())
        return failure("it holds no register words");

    RegisterSet set{};
    std::array<bool, kRegisters> seen{};
    for (const std::string_view word : words) {
        const std::string_view digits = withoutPrefix(word);
        const std::optional<std::uint32_t> value = parseHexWord(digits);
        if (!value) {
            if (tooManyDigits(digits))
                return failure(quoted(word) + " has more than eight hexadecimal digits");
            return failure(quoted(word) + " is not a hexadecimal word");
        }
        const std::uint32_t number = unpack(kControlBits, *value);
        if (number >= kRegisters) {
            return failure(hexWord(*value) + " is a word for register " + decimal(number) +
                           ", and the chip has registers 0 to 5 only");
        }
        if (seen[number]) {
            return failure("two words for register " + decimal(number) + ", " + hexWord(set[number]) +
                           " and " + hexWord(*value));
        }
        seen[number] = true;
        set[number] = *value;
    }
    for (const bool found : seen) {
        if (!found)
            return failure(missingText(seen));
    }
    RegisterSetReading reading;
    reading.set = set;
    return reading;
}

} // namespace vantrel
