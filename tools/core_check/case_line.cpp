#include "case_line.h"

#include <chrono>
#include <string_view>

#include "best_fraction.h"
#include "check_case.h"
#include "chip_check.h"
#include "draws.h"
#include "ee_listing.h"
#include "hex_codec.h"
#include "line_end.h"
#include "line_text.h"
#include "number_format.h"
#include "plan_session.h"
#include "register_decode.h"
#include "register_set_text.h"
#include "reply_parser.h"

namespace vantrel {
namespace {

using draws::below;
using draws::chance;
using draws::pick;

constexpr std::string_view kSeparator = " | ";

// "Calc. Best F/D" as PlanSession presses it, but with the search's clock
// frozen: its two-second limit must not make a slow or busy machine print
// another case than a fast one. The search ends by its own bounds anyway.
void pressBestFraction(PlanSession& session)
{
    if (session.settings().intN)
        return; // the button is disabled with "Integer N" ticked
    const auto frozen = std::chrono::steady_clock::time_point{};
    const BestFraction best =
        searchBestFraction(session.plan().vco, session.plan().fcomp, [frozen] { return frozen; });
    if (best.end == BestFraction::End::Found)
        session.typeForceD(generalNumber(best.denominator));
}

std::string_view outcomeName(PlanOutcome outcome)
{
    switch (outcome) {
    case PlanOutcome::Complete: return "complete";
    case PlanOutcome::NoPfd: return "no-pfd";
    case PlanOutcome::ModLimit: return "mod-limit";
    case PlanOutcome::Refused: return "refused";
    }
    return "?";
}

std::string wordsText(const RegisterSet& set)
{
    std::string text;
    for (const std::uint32_t word : set)
        text += (text.empty() ? "" : " ") + hexFormat(word);
    return text;
}

std::string valuesText(const PlanValues& p)
{
    const struct {
        std::string_view name;
        double value;
    } values[] = {
        {"fr", p.fr},         {"fcomp", p.fcomp}, {"r", p.r},           {"outdiv", p.outDiv}, {"fout", p.fout},
        {"vco", p.vco},       {"step", p.resolution}, {"n", p.n},       {"fract", p.fract},   {"denom", p.denom},
        {"error", p.errorHz}, {"bandselect", double(p.bandSelect)},     {"mux", double(p.muxVal)},
    };
    std::string text;
    for (const auto& v : values) {
        if (!text.empty())
            text += ' ';
        text += v.name;
        text += '=';
        text += exactNumber(v.value);
    }
    return text;
}

std::string planText(const PlanResult& result, const std::string& listing)
{
    std::string text = "plan ";
    text += outcomeName(result.outcome);
    for (const PlanWarning warning : result.warnings)
        text += " " + quotedText(warningText(warning));
    text += kSeparator;
    text += "words " + wordsText(result.values.registers);
    text += kSeparator;
    text += valuesText(result.values);
    text += kSeparator;
    return text + "listing " + quotedText(listing);
}

std::string chipText(const Settings& settings, const PlanResult& result)
{
    std::string text = "chip";
    const ChipLimitBreaks breaks = checkChipLimits(settings, result);
    if (breaks.empty())
        return text + " none";
    for (const ChipLimitBreak& item : breaks)
        text += " " + quotedText(item.summary());
    return text;
}

// The set read back from the board into the session, as "INIT from EE" does.
std::string decodeText(const PlanSession& session)
{
    const RegisterSet& words = session.plan().registers;
    const DecodedRegisterSet decoded = decodeRegisterSet(words, session.settings().frText, session.plan());
    PlanSession back = session;
    loadRegisterSet(back, words);
    const RegisterSet& again = back.plan().registers;
    return "decode " + planOptions(back.settings()) + " " + quotedText(decoded.fvcoCaption) + " "
           + quotedText(decoded.label6Caption) + " plan " + std::string(outcomeName(back.result().outcome))
           + " words " + wordsText(again) + (again == words ? " same" : " changed");
}

// True when each word carries its own register number, as every set a
// complete plan packs does.
bool isWholeSet(const RegisterSet& set)
{
    for (std::size_t i = 0; i < set.size(); ++i) {
        if ((set[i] & 7u) != i)
            return false;
    }
    return true;
}

// The six words in any order, each with or without "0x" / "0X", with or
// without leading zeros, in either case, between any of the separators a
// user may paste.
std::string pastedText(std::mt19937_64& engine, const RegisterSet& set)
{
    static constexpr std::array<std::string_view, 6> kSeparators{",", ";", " ", "\t", "\r\n", ", "};
    static constexpr std::array<std::string_view, 3> kPrefixes{"", "0x", "0X"};
    std::array<std::size_t, 6> order{0, 1, 2, 3, 4, 5};
    for (std::size_t i = order.size() - 1; i > 0; --i)
        std::swap(order[i], order[below(engine, i + 1)]);
    std::string text;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0)
            text += pick(engine, kSeparators);
        text += pick(engine, kPrefixes);
        const std::uint32_t word = set[order[k]];
        std::string digits = chance(engine, 1, 2) ? hexFormat(word) : hexDigits(word);
        if (chance(engine, 1, 2)) {
            for (char& c : digits)
                c = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        text += digits;
    }
    return text;
}

std::string pasteText(std::mt19937_64& engine, const RegisterSet& set, std::vector<std::string>& faults)
{
    const std::string pasted = pastedText(engine, set);
    const RegisterSetReading reading = readRegisterSetText(pasted);
    if (isWholeSet(set) && reading.set != set)
        faults.push_back("the words pasted as " + quotedText(pasted) + " do not read back as the set");
    if (!isWholeSet(set) && reading.set)
        faults.push_back("the words pasted as " + quotedText(pasted) + " read as a set, yet they are none");
    return "paste " + quotedText(pasted) + " -> " + (reading.set ? wordsText(*reading.set) : quotedText(reading.error));
}

// The board answers "INIT" with one "0X" line per stored word, Reg5 first.
std::string boardAnswer(const RegisterSet& set)
{
    std::string text;
    for (auto it = set.rbegin(); it != set.rend(); ++it)
        text += "0X" + hexFormat(*it) + kCrLf;
    return text;
}

std::string eventsText(const std::vector<ReplyEvent>& events)
{
    std::string text;
    for (const ReplyEvent& event : events) {
        switch (event.kind) {
        case ReplyEvent::Kind::UserData: text += " user " + quotedText(event.text); break;
        case ReplyEvent::Kind::RegisterWord: text += " word " + quotedText(event.text); break;
        case ReplyEvent::Kind::Decode: text += " decode " + wordsText(event.set); break;
        case ReplyEvent::Kind::NoSet: text += " noset " + wordsText(event.set); break;
        }
    }
    return text;
}

std::string replyText(std::mt19937_64& engine, const RegisterSet& set, std::vector<std::string>& faults)
{
    const std::string answer = boardAnswer(set);
    const std::size_t cut = below(engine, answer.size() + 1);

    ReplyParser whole;
    const std::vector<ReplyEvent> wholeEvents = whole.feed(answer);
    ReplyParser pieces;
    std::vector<ReplyEvent> events = pieces.feed(std::string_view(answer).substr(0, cut));
    const std::vector<ReplyEvent> rest = pieces.feed(std::string_view(answer).substr(cut));
    events.insert(events.end(), rest.begin(), rest.end());

    if (events != wholeEvents)
        faults.push_back("the board's answer cut at byte " + decimalNumber(cut) + " gives other events than whole");
    int decodes = 0;
    for (const ReplyEvent& event : events) {
        if (event.kind == ReplyEvent::Kind::Decode) {
            ++decodes;
            if (event.set != set)
                faults.push_back("the board's answer decodes as " + wordsText(event.set));
        }
    }
    if (decodes != 1)
        faults.push_back("the board's answer starts " + decimalNumber(static_cast<std::uint64_t>(decodes))
                         + " decodes instead of one");

    return "reply cut " + decimalNumber(cut) + eventsText(events) + " count "
           + decimalNumber(static_cast<std::uint64_t>(pieces.regCount())) + " kept "
           + quotedText(pieces.takePendingText()) + " serin " + quotedText(pieces.serin());
}

} // namespace

CaseLine checkCase(std::uint64_t seed, std::uint64_t index)
{
    std::mt19937_64 engine = caseEngine(seed, index);
    const CheckCase c = randomCase(engine);

    PlanSession session(c.settings);
    if (c.autoSet)
        session.pressAutoSet();
    if (c.bestFraction)
        pressBestFraction(session);
    const RegisterSet& words = session.plan().registers;

    CaseLine line;
    std::string& t = line.text;
    t = decimalNumber(index);
    t += kSeparator;
    t += planOptions(c.settings, c.autoSet, c.bestFraction);
    t += kSeparator;
    t += planText(session.result(), session.listing());
    t += kSeparator;
    t += chipText(session.settings(), session.result());
    t += kSeparator;
    t += decodeText(session);
    t += kSeparator;
    line.eeListing = eeDataListing(session.plan(), session.settings().frText);
    t += "ee " + quotedText(line.eeListing);
    t += kSeparator;
    t += pasteText(engine, words, line.faults);
    t += kSeparator;
    t += replyText(engine, words, line.faults);
    t += '\n';
    return line;
}

} // namespace vantrel
