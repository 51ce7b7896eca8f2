#include "scpi_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "echoed_text.h"
#include "frequency_units.h"
#include "number_format.h"

namespace vantrel::scpi {
namespace {

// What a form of a command takes.
enum class Takes {
    Nothing,
    Frequency,     // <number>[HZ|KHZ|MHZ|GHZ] (Hz without a suffix) | MIN | MAX
    Seconds,       // <number>[S|MS|US] | MIN | MAX
    Power,         // <number>[DBM] | MIN | MAX
    Flag,          // ON | OFF | <number>, not 0 being ON
    Mode,          // CW | FIXed | SWEep | LIST
    Whole,         // <number> or #H, #Q, #B, rounded to a whole number
    FrequencyList, // <frequency>, ...
    SecondsList,   // <seconds>, ...
    Words,         // the parameters as typed, read by the command
    MinMax,        // nothing, MIN or MAX
};

struct Entry {
    Command command;
    std::string_view pattern;
    std::optional<Takes> set;
    std::optional<Takes> query;
};

const Entry kTable[] = {
    {Command::Identify, "*IDN", std::nullopt, Takes::Nothing},
    {Command::Reset, "*RST", Takes::Nothing, std::nullopt},
    {Command::ClearStatus, "*CLS", Takes::Nothing, std::nullopt},
    {Command::EventEnable, "*ESE", Takes::Whole, Takes::Nothing},
    {Command::EventStatus, "*ESR", std::nullopt, Takes::Nothing},
    {Command::OperationComplete, "*OPC", Takes::Nothing, Takes::Nothing},
    {Command::Wait, "*WAI", Takes::Nothing, std::nullopt},
    {Command::StatusByte, "*STB", std::nullopt, Takes::Nothing},
    {Command::SystemError, "SYSTem:ERRor[:NEXT]", std::nullopt, Takes::Nothing},
    {Command::SystemVersion, "SYSTem:VERSion", std::nullopt, Takes::Nothing},
    {Command::Frequency, "[SOURce:]FREQuency[:CW|:FIXed]", Takes::Frequency, Takes::MinMax},
    {Command::FrequencyMode, "[SOURce:]FREQuency:MODE", Takes::Mode, Takes::Nothing},
    {Command::SweepStart, "[SOURce:]FREQuency:STARt", Takes::Frequency, Takes::MinMax},
    {Command::SweepStop, "[SOURce:]FREQuency:STOP", Takes::Frequency, Takes::MinMax},
    {Command::SweepStep, "[SOURce:]FREQuency:STEP", Takes::Frequency, Takes::Nothing},
    {Command::Reference, "[SOURce:]ROSCillator:EXTernal:FREQuency", Takes::Frequency, Takes::MinMax},
    {Command::Power, "[SOURce:]POWer[:LEVel][:IMMediate][:AMPLitude]", Takes::Power, Takes::MinMax},
    {Command::Output, "OUTPut[:STATe]", Takes::Flag, Takes::Nothing},
    {Command::SweepDwell, "[SOURce:]SWEep:DWELl", Takes::Seconds, Takes::MinMax},
    {Command::SweepPoints, "[SOURce:]SWEep:POINts", Takes::Whole, Takes::Nothing},
    {Command::SweepChanged, "[SOURce:]SWEep:CHANged", Takes::Flag, Takes::Nothing},
    {Command::SweepChanged, "SYSTem:CHANged", Takes::Flag, Takes::Nothing},
    {Command::FrequencyCenter, "[SOURce:]FREQuency:CENTer", Takes::Frequency, Takes::Nothing},
    {Command::FrequencySpan, "[SOURce:]FREQuency:SPAN", Takes::Frequency, Takes::Nothing},
    {Command::ListFrequency, "[SOURce:]LIST:FREQuency", Takes::FrequencyList, Takes::Nothing},
    {Command::ListFrequencyAppend, "[SOURce:]LIST:FREQuency:APPend", Takes::FrequencyList, std::nullopt},
    {Command::ListFrequencyPoints, "[SOURce:]LIST:FREQuency:POINts", std::nullopt, Takes::Nothing},
    {Command::ListDwell, "[SOURce:]LIST:DWELl", Takes::SecondsList, Takes::Nothing},
    {Command::ListDwellAppend, "[SOURce:]LIST:DWELl:APPend", Takes::SecondsList, std::nullopt},
    {Command::ListDwellPoints, "[SOURce:]LIST:DWELl:POINts", std::nullopt, Takes::Nothing},
    {Command::Initiate, "INITiate[:IMMediate]", Takes::Nothing, std::nullopt},
    {Command::Continuous, "INITiate:CONTinuous", Takes::Flag, Takes::Nothing},
    {Command::Continuous, "[SOURce:]SWEep:CONTinuous[:STATe]", Takes::Flag, Takes::Nothing},
    {Command::SweepGeneration, "[SOURce:]SWEep:GENeration", Takes::Words, Takes::Nothing},
    {Command::SweepTrigger, "[SOURce:]SWEep:MODE", Takes::Words, Takes::Nothing},
    {Command::Abort, "ABORt", Takes::Nothing, std::nullopt},
    {Command::ChipLimits, "SYSTem:CHIP:LIMits", std::nullopt, Takes::Nothing},
    {Command::ChipStrict, "SYSTem:CHIP:STRict", Takes::Flag, Takes::Nothing},
    {Command::Registers, "SYSTem:REGister", Takes::Words, Takes::Nothing},
    {Command::MemoryStore, "MEMory:STORe", Takes::Nothing, std::nullopt},
    {Command::MemoryRecall, "MEMory:RECall", Takes::Nothing, std::nullopt},
    {Command::SelfTest, "*TST", std::nullopt, Takes::Nothing},
    {Command::ServiceEnable, "*SRE", Takes::Whole, Takes::Nothing},
    {Command::OperationEvent, "STATus:OPERation[:EVENt]", std::nullopt, Takes::Nothing},
    {Command::OperationCondition, "STATus:OPERation:CONDition", std::nullopt, Takes::Nothing},
    {Command::OperationEnable, "STATus:OPERation:ENABle", Takes::Whole, Takes::Nothing},
    {Command::QuestionableEvent, "STATus:QUEStionable[:EVENt]", std::nullopt, Takes::Nothing},
    {Command::QuestionableCondition, "STATus:QUEStionable:CONDition", std::nullopt, Takes::Nothing},
    {Command::QuestionableEnable, "STATus:QUEStionable:ENABle", Takes::Whole, Takes::Nothing},
    {Command::StatusPreset, "STATus:PRESet", Takes::Nothing, std::nullopt},
    {Command::BoardHolds, "SYSTem:BOARd", std::nullopt, Takes::Nothing},
};

std::string_view takesText(Takes takes)
{
    switch (takes) {
    case Takes::Nothing: return "";
    case Takes::Frequency: return "<freq>[HZ|KHZ|MHZ|GHZ]|MIN|MAX";
    case Takes::Seconds: return "<time>[S|MS|US]|MIN|MAX";
    case Takes::Power: return "-4|-1|2|5[DBM]|MIN|MAX";
    case Takes::Flag: return "ON|OFF|1|0";
    case Takes::Mode: return "CW|FIXed|SWEep|LIST";
    case Takes::Whole: return "<whole number>";
    case Takes::FrequencyList: return "<freq>,<freq>,...";
    case Takes::SecondsList: return "<time>,<time>,...";
    case Takes::Words: return "<w0>,<w1>,<w2>,<w3>,<w4>,<w5>";
    case Takes::MinMax: return "[MIN|MAX]";
    }
    return "";
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

// One node of a header pattern: its long forms and whether it may be left out.
struct Node {
    std::vector<std::string_view> forms;
    bool optional = false;
};

std::vector<Node> patternNodes(std::string_view pattern)
{
    std::vector<Node> nodes;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] == ':') {
            ++i;
            continue;
        }
        Node node;
        std::string_view inner;
        if (pattern[i] == '[') {
            const std::size_t close = pattern.find(']', i);
            inner = pattern.substr(i + 1, close - i - 1);
            i = close + 1;
            node.optional = true;
        } else {
            const std::size_t end = std::min(pattern.find_first_of(":[", i), pattern.size());
            inner = pattern.substr(i, end - i);
            i = end;
        }
        while (!inner.empty()) {
            const std::size_t bar = std::min(inner.find('|'), inner.size());
            std::string_view form = inner.substr(0, bar);
            while (!form.empty() && form.front() == ':')
                form.remove_prefix(1);
            while (!form.empty() && form.back() == ':')
                form.remove_suffix(1);
            node.forms.push_back(form);
            inner.remove_prefix(std::min(bar + 1, inner.size()));
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

const std::vector<std::vector<Node>>& tableNodes()
{
    static const std::vector<std::vector<Node>> nodes = [] {
        std::vector<std::vector<Node>> all;
        for (const Entry& entry : kTable)
            all.push_back(patternNodes(entry.pattern));
        return all;
    }();
    return nodes;
}

// A typed mnemonic against a long form ("FREQuency"): its short form (the
// capitals) or the whole, in any case. A node's numeric suffix may be 1,
// the only channel there is.
bool mnemonicMatches(std::string_view typed, std::string_view longForm)
{
    std::size_t digits = 0;
    while (digits < typed.size() && isDigit(typed[typed.size() - 1 - digits]))
        ++digits;
    if (digits > 0) {
        if (typed.substr(typed.size() - digits) != "1")
            return false;
        typed.remove_suffix(digits);
    }
    std::size_t shortLength = 0;
    while (shortLength < longForm.size() && !(longForm[shortLength] >= 'a' && longForm[shortLength] <= 'z'))
        ++shortLength;
    return sameLetters(typed, longForm.substr(0, shortLength)) || sameLetters(typed, longForm);
}

bool nodesMatch(const std::vector<Node>& nodes, std::size_t node, const std::vector<std::string_view>& typed,
                std::size_t at)
{
    if (node == nodes.size())
        return at == typed.size();
    if (at < typed.size()) {
        for (const std::string_view form : nodes[node].forms) {
            if (mnemonicMatches(typed[at], form) && nodesMatch(nodes, node + 1, typed, at + 1))
                return true;
        }
    }
    return nodes[node].optional && nodesMatch(nodes, node + 1, typed, at);
}

const Entry* findEntry(const std::vector<std::string_view>& typed)
{
    const auto& nodes = tableNodes();
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
        if (kTable[i].pattern.front() != '*' && nodesMatch(nodes[i], 0, typed, 0))
            return &kTable[i];
    }
    return nullptr;
}

const Entry* findCommon(std::string_view name)
{
    for (const Entry& entry : kTable) {
        if (entry.pattern.front() == '*' && sameLetters(entry.pattern.substr(1), name))
            return &entry;
    }
    return nullptr;
}

struct Header {
    bool common = false;
    bool rooted = false; // a leading ":" starts from the root
    bool query = false;
    std::vector<std::string_view> mnemonics; // for a common command: its name without "*"
};

std::optional<Header> readHeader(std::string_view text)
{
    Header header;
    if (!text.empty() && text.back() == '?') {
        header.query = true;
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '*') {
        header.common = true;
        text.remove_prefix(1);
        if (text.empty() || !std::all_of(text.begin(), text.end(), isLetter))
            return std::nullopt;
        header.mnemonics.push_back(text);
        return header;
    }
    if (!text.empty() && text.front() == ':') {
        header.rooted = true;
        text.remove_prefix(1);
    }
    while (true) {
        const std::size_t colon = std::min(text.find(':'), text.size());
        const std::string_view mnemonic = text.substr(0, colon);
        if (mnemonic.empty() || !isLetter(mnemonic.front()))
            return std::nullopt;
        for (const char c : mnemonic) {
            if (!isLetter(c) && !isDigit(c) && c != '_')
                return std::nullopt;
        }
        header.mnemonics.push_back(mnemonic);
        if (colon == text.size())
            return header;
        text.remove_prefix(colon + 1);
    }
}

// Cuts text at each `separator` outside quoted strings; a quote inside a
// string is written twice.
std::vector<std::string_view> splitOutsideQuotes(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0; // a doubled quote closes and reopens: the same to the cut
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

struct Token {
    enum class Kind { Number, Character, String, NonDecimal, Bad };
    Kind kind = Kind::Bad;
    std::string_view mantissa; // a number without its suffix; its "+" dropped
    std::string_view suffix;   // letters after a number
};

Token classify(std::string_view text)
{
    Token token;
    const char first = text.front();
    if (first == '"' || first == '\'') {
        // A whole string: the closing quote last, every quote inside doubled.
        std::size_t i = 1;
        while (i < text.size()) {
            if (text[i] == first) {
                if (i + 1 < text.size() && text[i + 1] == first) {
                    i += 2;
                    continue;
                }
                break;
            }
            ++i;
        }
        token.kind = i == text.size() - 1 && text.size() >= 2 ? Token::Kind::String : Token::Kind::Bad;
        return token;
    }
    if (first == '#') {
        if (text.size() < 3)
            return token;
        const char base = upper(text[1]);
        const std::string_view digits = text.substr(2);
        const auto digitOk = [base](char c) {
            const char u = upper(c);
            switch (base) {
            case 'H': return isDigit(c) || (u >= 'A' && u <= 'F');
            case 'Q': return c >= '0' && c <= '7';
            case 'B': return c == '0' || c == '1';
            }
            return false;
        };
        if (std::all_of(digits.begin(), digits.end(), digitOk))
            token.kind = Token::Kind::NonDecimal;
        return token;
    }
    if (isLetter(first)) {
        if (std::all_of(text.begin(), text.end(), [](char c) { return isLetter(c) || isDigit(c) || c == '_'; }))
            token.kind = Token::Kind::Character;
        return token;
    }
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return token;
    // An exponent needs its digits: "1E" followed by letters is a suffix.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    token.mantissa = text.substr(text.front() == '+' ? 1 : 0, i - (text.front() == '+' ? 1 : 0));
    const std::string_view suffix = trimmed(text.substr(i));
    if (!std::all_of(suffix.begin(), suffix.end(), isLetter))
        return token;
    token.suffix = suffix;
    token.kind = Token::Kind::Number;
    return token;
}

std::string numberText(long long value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// The mantissa times 10^shift, exactly as the decimal text says: the shift
// moves the exponent, so that "250MS" is the double nearest 0.25.
std::optional<double> scaledNumber(std::string_view mantissa, int shift)
{
    const std::size_t e = mantissa.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = mantissa.substr(e + 1);
        if (!digits.empty() && digits.front() == '+')
            digits.remove_prefix(1);
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
        if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
            return std::nullopt;
    }
    const std::string text = std::string(mantissa.substr(0, e)) + "e" + numberText(exponent + shift);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Error failure(int code, std::string info) { return Error{code, std::move(info)}; }

// Input echoed in an error: 7-bit ASCII, cut, so that a client's text
// decoder never meets a raw byte.
constexpr std::size_t kMostEchoed = 40;
std::string quotedToken(std::string_view text) { return "'" + echoedText(text, kMostEchoed) + "'"; }

struct Suffix {
    std::string_view name;
    int shift; // the power of ten to the value's unit
};

// A number with one of `suffixes` (none: the first's unit) as the value's
// unit; the name of the wanted units for the error.
std::optional<Error> readNumber(const Token& token, std::string_view text, std::initializer_list<Suffix> suffixes,
                                std::string_view wanted, Value& value)
{
    const Suffix* unit = nullptr;
    if (token.suffix.empty()) {
        unit = suffixes.begin();
    } else {
        for (const Suffix& suffix : suffixes) {
            if (!suffix.name.empty() && sameLetters(token.suffix, suffix.name))
                unit = &suffix;
        }
    }
    if (unit == nullptr)
        return failure(error::kInvalidSuffix, quotedToken(text) + ": " + std::string(wanted));
    const std::optional<double> number = scaledNumber(token.mantissa, unit->shift);
    if (!number)
        return failure(error::kDataOutOfRange, quotedToken(text) + " is beyond what a number can hold");
    value.kind = Value::Kind::Number;
    value.number = *number;
    return std::nullopt;
}

std::optional<Error> readFrequencyValue(const Token& token, std::string_view text, Value& value)
{
    // Hz without a suffix, as SCPI has it; the value is kept in MHz as the
    // plan takes it, moved by the decimal exponent.
    static constexpr std::string_view kUnits[] = {"HZ", "KHZ", "MHZ", "GHZ"};
    static constexpr FrequencyUnit kFrequencyUnits[] = {FrequencyUnit::Hz, FrequencyUnit::kHz, FrequencyUnit::MHz,
                                                        FrequencyUnit::GHz};
    FrequencyUnit unit = FrequencyUnit::Hz;
    if (!token.suffix.empty()) {
        const auto found = std::find_if(std::begin(kUnits), std::end(kUnits),
                                        [&token](std::string_view name) { return sameLetters(token.suffix, name); });
        if (found == std::end(kUnits))
            return failure(error::kInvalidSuffix, quotedToken(text) + ": give HZ, KHZ, MHZ or GHZ, or none for Hz");
        unit = kFrequencyUnits[found - std::begin(kUnits)];
    }
    const FrequencyReading reading = readFrequency(std::string(token.mantissa) + std::string(unitName(unit)), FrequencyUnit::MHz);
    if (!reading.value)
        return failure(error::kDataOutOfRange, quotedToken(text) + " " + reading.error);
    value.kind = Value::Kind::Number;
    value.number = *reading.value;
    return std::nullopt;
}

std::optional<Error> readMinMax(std::string_view text, Value& value)
{
    if (sameLetters(text, "MIN") || sameLetters(text, "MINIMUM")) {
        value.kind = Value::Kind::Minimum;
        return std::nullopt;
    }
    if (sameLetters(text, "MAX") || sameLetters(text, "MAXIMUM")) {
        value.kind = Value::Kind::Maximum;
        return std::nullopt;
    }
    return failure(error::kIllegalParameterValue, quotedToken(text) + ": give MIN or MAX");
}

std::optional<Error> readValue(Takes takes, std::string_view text, bool inList, Value& value)
{
    const Token token = classify(text);
    if (token.kind == Token::Kind::Bad)
        return failure(error::kSyntax, quotedToken(text) + " is no parameter");
    const bool numeric = takes == Takes::Frequency || takes == Takes::Seconds || takes == Takes::Power
                         || takes == Takes::FrequencyList || takes == Takes::SecondsList;
    if (numeric && token.kind == Token::Kind::Character) {
        if (inList)
            return failure(error::kIllegalParameterValue, quotedToken(text) + ": give a number");
        if (const std::optional<Error> bad = readMinMax(text, value))
            return failure(error::kIllegalParameterValue, quotedToken(text) + ": give a number, MIN or MAX");
        return std::nullopt;
    }
    switch (takes) {
    case Takes::Frequency:
    case Takes::FrequencyList:
        if (token.kind == Token::Kind::Number)
            return readFrequencyValue(token, text, value);
        break;
    case Takes::Seconds:
    case Takes::SecondsList:
        if (token.kind == Token::Kind::Number)
            return readNumber(token, text, {{"S", 0}, {"MS", -3}, {"US", -6}}, "give S, MS or US, or none for seconds", value);
        break;
    case Takes::Power:
        if (token.kind == Token::Kind::Number)
            return readNumber(token, text, {{"DBM", 0}}, "give DBM or none", value);
        break;
    case Takes::Flag:
        if (token.kind == Token::Kind::Character) {
            if (sameLetters(text, "ON") || sameLetters(text, "OFF")) {
                value.kind = Value::Kind::Flag;
                value.flag = sameLetters(text, "ON");
                return std::nullopt;
            }
            return failure(error::kIllegalParameterValue, quotedToken(text) + ": give ON, OFF, 1 or 0");
        }
        if (token.kind == Token::Kind::Number) {
            if (!token.suffix.empty())
                return failure(error::kInvalidSuffix, quotedToken(text) + ": give ON, OFF, 1 or 0");
            const std::optional<double> number = scaledNumber(token.mantissa, 0);
            if (!number)
                return failure(error::kDataOutOfRange, quotedToken(text) + " is beyond what a number can hold");
            value.kind = Value::Kind::Flag;
            value.flag = std::round(*number) != 0;
            return std::nullopt;
        }
        break;
    case Takes::Mode:
        if (token.kind == Token::Kind::Character) {
            value.kind = Value::Kind::Mode;
            if (mnemonicMatches(text, "CW") || mnemonicMatches(text, "FIXed"))
                value.mode = Mode::Cw;
            else if (mnemonicMatches(text, "SWEep"))
                value.mode = Mode::Sweep;
            else if (mnemonicMatches(text, "LIST"))
                value.mode = Mode::List;
            else
                return failure(error::kIllegalParameterValue, quotedToken(text) + ": give CW, FIXed, SWEep or LIST");
            return std::nullopt;
        }
        break;
    case Takes::Whole:
        if (token.kind == Token::Kind::Number) {
            if (!token.suffix.empty())
                return failure(error::kInvalidSuffix, quotedToken(text) + ": give a whole number alone");
            const std::optional<double> number = scaledNumber(token.mantissa, 0);
            if (!number)
                return failure(error::kDataOutOfRange, quotedToken(text) + " is beyond what a number can hold");
            value.number = std::round(*number);
            return std::nullopt;
        }
        if (token.kind == Token::Kind::NonDecimal) {
            const int base = upper(text[1]) == 'H' ? 16 : upper(text[1]) == 'Q' ? 8 : 2;
            unsigned long long number = 0;
            const auto result = std::from_chars(text.data() + 2, text.data() + text.size(), number, base);
            if (result.ec != std::errc())
                return failure(error::kDataOutOfRange, quotedToken(text) + " is beyond what a number can hold");
            value.number = static_cast<double>(number);
            return std::nullopt;
        }
        if (token.kind == Token::Kind::Character)
            return failure(error::kIllegalParameterValue, quotedToken(text) + ": give a whole number");
        break;
    case Takes::MinMax:
        if (token.kind == Token::Kind::Character)
            return readMinMax(text, value);
        break;
    case Takes::Nothing:
    case Takes::Words:
        break;
    }
    return failure(error::kDataType, quotedToken(text) + " is not the kind of parameter this command takes");
}

std::optional<Error> readParameters(Takes takes, std::string_view text, ProgramUnit& unit)
{
    if (takes == Takes::Words) {
        if (text.empty())
            return failure(error::kMissingParameter, quotedToken(unit.header) + " takes six register words");
        unit.text = std::string(text);
        return std::nullopt;
    }
    std::vector<std::string_view> items;
    if (!text.empty()) {
        for (const std::string_view item : splitOutsideQuotes(text, ',')) {
            const std::string_view parameter = trimmed(item);
            if (parameter.empty())
                return failure(error::kSyntax, "an empty parameter in " + quotedToken(text));
            items.push_back(parameter);
        }
    }
    const bool list = takes == Takes::FrequencyList || takes == Takes::SecondsList;
    const std::size_t most = takes == Takes::Nothing ? 0 : list ? items.size() : 1;
    // LIST:DWEL alone goes back to no list of dwells.
    const bool mayBeEmpty = takes == Takes::Nothing || takes == Takes::MinMax
                            || (unit.command == Command::ListDwell && !unit.query);
    const std::size_t least = mayBeEmpty ? 0 : 1;
    if (items.size() > most)
        return failure(error::kParameterNotAllowed,
                       quotedToken(unit.header) + (most == 0 ? " takes no parameter" : " takes one parameter"));
    if (items.size() < least)
        return failure(error::kMissingParameter, quotedToken(unit.header) + " needs " + std::string(takesText(takes)));
    for (const std::string_view item : items) {
        Value value;
        if (std::optional<Error> bad = readValue(takes, item, list, value))
            return bad;
        unit.values.push_back(value);
    }
    return std::nullopt;
}

} // namespace

ParsedLine parseLine(std::string_view line)
{
    ParsedLine parsed;
    // The path of the header before: a header after ";" that does not start
    // with ":" continues from there.
    std::vector<std::string_view> path;
    for (const std::string_view part : splitOutsideQuotes(line, ';')) {
        const std::string_view unitText = trimmed(part);
        if (unitText.empty())
            continue;
        const std::size_t blank = std::min(
            static_cast<std::size_t>(std::find_if(unitText.begin(), unitText.end(), isBlank) - unitText.begin()),
            unitText.size());
        ProgramUnit unit;
        unit.header = std::string(unitText.substr(0, blank));
        const std::string_view parameters = trimmed(unitText.substr(blank));
        const std::optional<Header> header = readHeader(unitText.substr(0, blank));
        if (!header) {
            parsed.error = failure(error::kSyntax, quotedToken(unit.header) + " is no header");
            return parsed;
        }
        const Entry* entry = nullptr;
        if (header->common) {
            entry = findCommon(header->mnemonics.front());
        } else {
            std::vector<std::string_view> full = header->rooted ? std::vector<std::string_view>{} : path;
            full.insert(full.end(), header->mnemonics.begin(), header->mnemonics.end());
            entry = findEntry(full);
            // Many scripts chain commands of other branches without the
            // leading ":"; the header alone is tried when the path leads nowhere.
            if (entry == nullptr && !header->rooted && !path.empty()) {
                full = header->mnemonics;
                entry = findEntry(full);
            }
            if (entry != nullptr)
                path.assign(full.begin(), full.end() - 1);
        }
        if (entry == nullptr) {
            parsed.error = failure(error::kUndefinedHeader, quotedToken(unit.header));
            return parsed;
        }
        const std::optional<Takes> takes = header->query ? entry->query : entry->set;
        if (!takes) {
            parsed.error = failure(error::kUndefinedHeader, quotedToken(unit.header) + (header->query ? " has no query form" : " is a query only"));
            return parsed;
        }
        unit.command = entry->command;
        unit.query = header->query;
        if (std::optional<Error> bad = readParameters(*takes, parameters, unit)) {
            parsed.error = std::move(bad);
            return parsed;
        }
        parsed.units.push_back(std::move(unit));
    }
    return parsed;
}

std::vector<CommandForm> commandForms()
{
    std::vector<CommandForm> forms;
    for (const Entry& entry : kTable) {
        CommandForm form{entry.command, entry.pattern, std::nullopt, std::nullopt};
        if (entry.set)
            form.set = takesText(*entry.set);
        if (entry.query)
            form.query = takesText(*entry.query);
        forms.push_back(form);
    }
    return forms;
}

std::string wholeText(long long value) { return numberText(value); }

std::string decimalText(double value) { return exactDecimalText(value == 0 ? 0.0 : value); }

std::string hertzText(double mhz)
{
    // Hz to 1 mHz: the plan's sums in MHz carry noise far below that.
    constexpr int kMilliHertzPlaces = 3;
    return decimalText(shownValue(mhz * 1e6, kMilliHertzPlaces));
}

} // namespace vantrel::scpi
