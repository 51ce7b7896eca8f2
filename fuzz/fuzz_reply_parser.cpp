// The reply parser on arbitrary bytes cut into arbitrary reads: however the
// bytes arrive, it must see the same lines, and its events must hold together.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "reply_parser.h"

using vantrel::ReplyEvent;
using vantrel::ReplyParser;

namespace {

// `events` are all the events of a parser from its start.
void checkEvents(const std::vector<ReplyEvent>& events)
{
    std::array<std::uint32_t, 8> lastWord{};
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ReplyEvent& event = events[i];
        switch (event.kind) {
        case ReplyEvent::Kind::RegisterWord:
            VANTREL_FUZZ_CHECK(event.index == int(event.value & 7u));
            VANTREL_FUZZ_CHECK(event.text == vantrel::registerWordLine(event.index, event.value));
            lastWord[static_cast<std::size_t>(event.index)] = event.value;
            break;
        case ReplyEvent::Kind::Decode:
            // Only a Reg0 word can start a decode, and it decodes the words of that moment.
            VANTREL_FUZZ_CHECK(i > 0 && events[i - 1].kind == ReplyEvent::Kind::RegisterWord
                               && events[i - 1].index == 0);
            for (std::size_t r = 0; r < event.set.size(); ++r)
                VANTREL_FUZZ_CHECK(event.set[r] == lastWord[r]);
            break;
        case ReplyEvent::Kind::NoSet:
            // It follows the word that ended its answer, and holds each
            // register's word of that answer, or kNoWord: no word out of place.
            VANTREL_FUZZ_CHECK(i > 0 && events[i - 1].kind == ReplyEvent::Kind::RegisterWord);
            for (std::size_t r = 0; r < event.set.size(); ++r)
                VANTREL_FUZZ_CHECK(event.set[r] == vantrel::kNoWord || (event.set[r] & 7u) == r);
            break;
        case ReplyEvent::Kind::UserData:
            VANTREL_FUZZ_CHECK(event.text.size() <= 8);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte says how many of the following bytes are read lengths.
    if (size < 1)
        return 0;
    const std::size_t cutCount = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::uint8_t* cuts = data + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1 + cutCount), size - 1 - cutCount);

    ReplyParser whole;
    const std::vector<ReplyEvent> wholeEvents = whole.feed(stream);
    checkEvents(wholeEvents);

    ReplyParser pieces;
    std::vector<ReplyEvent> pieceEvents;
    std::size_t at = 0;
    for (std::size_t c = 0; at < stream.size(); ++c) {
        const std::size_t length = c < cutCount ? std::size_t(cuts[c]) % 32 : stream.size() - at;
        const std::vector<ReplyEvent> events = pieces.feed(stream.substr(at, std::min(length, stream.size() - at)));
        pieceEvents.insert(pieceEvents.end(), events.begin(), events.end());
        at += std::min(length, stream.size() - at);
    }
    VANTREL_FUZZ_CHECK(pieceEvents == wholeEvents);
    VANTREL_FUZZ_CHECK(pieces.regIn() == whole.regIn());
    VANTREL_FUZZ_CHECK(pieces.regCount() == whole.regCount());
    VANTREL_FUZZ_CHECK(pieces.serin() == whole.serin());
    VANTREL_FUZZ_CHECK(pieces.takePendingText() == whole.takePendingText());
    VANTREL_FUZZ_CHECK(whole.regCount() <= ReplyParser::kMaxRegCount);
    return 0;
}
