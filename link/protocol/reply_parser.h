// Turns the text the board sends into events: user data, register words and
// the moment a received register set is complete enough to decode. Plain
// C++ on byte strings, no Qt, so it can be fed arbitrary input in tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "register_layout.h"

namespace vantrel {

struct ReplyEvent {
    enum class Kind {
        UserData,     // text: up to eight characters for the "User Data" box
        RegisterWord, // value, index (value & 7), text: the Text1 line with CR LF
        Decode,       // set: the words of Reg0..Reg5 as they stood when the Reg0 word was handled
        // An answer that brought a word for register 6 or 7 (an erased EEPROM
        // reads all ones: register 7) ended, at its sixth word or its Reg0
        // word: set holds the answer's own words, kNoWord where none came.
        NoSet,
    };
    Kind kind;
    std::string text;
    std::uint32_t value = 0;
    int index = 0;
    // A copy, not a view of the parser: lines after the Reg0 word in the same
    // read must not change the set that word completed.
    RegisterSet set{};

    friend bool operator==(const ReplyEvent&, const ReplyEvent&) = default;
};

// "Reg " + index with one leading blank + " " + value in hex without leading
// zeros + CR LF: index 5, value 0x580005 -> "Reg  5 580005\r\n".
std::string registerWordLine(int index, std::uint32_t value);

// What a NoSet event's set holds for a register its answer brought no word
// for: a word of register 7, as an erased EEPROM reads, never one of 0 to 5.
inline constexpr std::uint32_t kNoWord = 0xFFFFFFFFu;

class ReplyParser {
public:
    static constexpr int kRegInSize = 16;
    // A set needs Reg0 to Reg5; fewer words since start cannot be a set.
    static constexpr int kWordsForDecode = 6;
    static constexpr int kMaxRegCount = 32767; // counts saturate, never wrap
    // Bounds what a board that never sends a line end, or a stream of
    // replies no command collects, can make this program hold.
    static constexpr std::size_t kMaxHeldText = std::size_t{64} * 1024;

    // Every complete line in what has been received so far is handled; the
    // text after the last CR waits for the next call.
    std::vector<ReplyEvent> feed(std::string_view bytes);

    // The complete lines that carried no register word, each with CR LF, in
    // the order received; cleared by the call. A sending command shows these
    // in Text1 when it ends.
    std::string takePendingText();

    // Received text after the last CR, not yet a line.
    const std::string& serin() const { return m_serin; }
    // Last word received for each register number (only 0..7 are written).
    const std::array<std::uint32_t, kRegInSize>& regIn() const { return m_regIn; }
    // Register words received since start, saturating at kMaxRegCount.
    int regCount() const { return m_regCount; }

private:
    void handleLine(std::string_view line, std::vector<ReplyEvent>& events);
    void keepText(std::string_view line);

    std::string m_serin;
    std::string m_pendingText;
    std::array<std::uint32_t, kRegInSize> m_regIn{};
    int m_regCount = 0;
    // A CR ended the last call's text: a LF that opens the next one belongs to it.
    bool m_lastWasCr = false;
    // The words since the last one that ended an answer: the board answers
    // INIT with six words, Reg0 last, so an answer ends at its Reg0 word or
    // its sixth. Cleared when an answer ends.
    std::vector<std::uint32_t> m_answer;
};

} // namespace vantrel
