#include "reply_parser.h"

#include <algorithm>

#include "hex_codec.h"
#include "line_end.h"

namespace vantrel {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr std::size_t kUserDataLength = 8;

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Position of "0X" in the line as if upper-cased, or npos.
std::size_t findMarker(std::string_view line)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] == '0' && upperAscii(line[i + 1]) == 'X')
            return i;
    }
    return std::string_view::npos;
}

void trimFront(std::string& text, std::size_t maxSize)
{
    if (text.size() > maxSize)
        text.erase(0, text.size() - maxSize);
}

} // namespace

std::string registerWordLine(int index, std::uint32_t value)
{
    std::string line = "Reg  ";
    line += static_cast<char>('0' + index);
    line += ' ';
    line += hexDigits(value);
    line += kCrLf;
    return line;
}

std::vector<ReplyEvent> ReplyParser::feed(std::string_view bytes)
{
    std::vector<ReplyEvent> events;
    // An empty read (a receive event with nothing waiting) must not forget
    // that the last read ended on a CR.
    if (bytes.empty())
        return events;
    std::size_t start = 0;
    if (m_lastWasCr && !bytes.empty() && bytes.front() == kLf)
        start = 1;
    m_lastWasCr = false;

    while (start < bytes.size()) {
        const std::size_t cr = bytes.find(kCr, start);
        if (cr == std::string_view::npos) {
            m_serin.append(bytes.substr(start));
            trimFront(m_serin, kMaxHeldText);
            break;
        }
        m_serin.append(bytes.substr(start, cr - start));
        const std::string line = std::move(m_serin);
        m_serin.clear();
        handleLine(line, events);
        start = cr + 1;
        if (start == bytes.size())
            m_lastWasCr = true;
        else if (bytes[start] == kLf)
            ++start;
    }
    return events;
}

void ReplyParser::handleLine(std::string_view line, std::vector<ReplyEvent>& events)
{
    if (line.find("Udata") != std::string_view::npos) {
        const std::size_t brace = line.find('{');
        const std::string_view data =
            brace == std::string_view::npos ? line.substr(0, kUserDataLength) : line.substr(brace + 1, kUserDataLength);
        events.push_back({ReplyEvent::Kind::UserData, std::string(data)});
    }

    const std::size_t marker = findMarker(line);
    const std::optional<std::uint32_t> word =
        marker == std::string_view::npos ? std::nullopt : leadingHexWord(line.substr(marker + 2));
    if (!word) {
        keepText(line);
        return;
    }

    m_regCount = std::min(m_regCount + 1, kMaxRegCount);
    const int index = static_cast<int>(*word & 7u);
    m_regIn[static_cast<std::size_t>(index)] = *word;
    events.push_back({ReplyEvent::Kind::RegisterWord, registerWordLine(index, *word), *word, index});
    m_answer.push_back(*word);
    const bool ended = index == 0 || m_answer.size() == static_cast<std::size_t>(kWordsForDecode);
    if (!ended)
        return;
    const bool noRegister = std::any_of(m_answer.begin(), m_answer.end(), [](std::uint32_t w) { return (w & 7u) > 5u; });
    // Only the Reg0 word ends a set; a user-data or other line must not
    // decode whatever stale words RegIn still holds.
    if (noRegister && m_regCount >= kWordsForDecode) {
        // Not the words RegIn keeps from earlier answers, which could make
        // a whole set of a half-stored one: only this answer's own.
        ReplyEvent noSet{ReplyEvent::Kind::NoSet, {}};
        noSet.set.fill(kNoWord);
        for (const std::uint32_t w : m_answer) {
            if ((w & 7u) < noSet.set.size())
                noSet.set[w & 7u] = w;
        }
        events.push_back(std::move(noSet));
    } else if (index == 0 && m_regCount >= kWordsForDecode) {
        ReplyEvent decode{ReplyEvent::Kind::Decode, {}};
        std::copy_n(m_regIn.begin(), decode.set.size(), decode.set.begin());
        events.push_back(std::move(decode));
    }
    m_answer.clear();
}

void ReplyParser::keepText(std::string_view line)
{
    m_pendingText.append(line);
    m_pendingText.append(kCrLf);
    trimFront(m_pendingText, kMaxHeldText);
}

std::string ReplyParser::takePendingText()
{
    std::string text = std::move(m_pendingText);
    m_pendingText.clear();
    return text;
}

} // namespace vantrel
