#include "check_case.h"

#include <array>
#include <string_view>

#include "chip.h"
#include "draws.h"
#include "line_text.h"

namespace vantrel {
namespace {

using draws::below;
using draws::belowInt;
using draws::chance;
using draws::pick;

// A frequency in MHz written with `decimals` places at most, trailing zeros
// dropped: 2320500000 Hz with 6 places -> "2320.5".
std::string megahertzText(std::uint64_t hertz, int decimals)
{
    std::string text = decimalNumber(hertz / 1'000'000);
    std::string fraction = decimalNumber(hertz % 1'000'000);
    fraction.insert(0, 6 - fraction.size(), '0');
    fraction.resize(static_cast<std::size_t>(decimals));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

std::string outputText(std::mt19937_64& engine)
{
    const std::uint64_t hertz = 35'000'000 + below(engine, 4'365'000'001);
    std::string text = megahertzText(hertz, belowInt(engine, 7));
    // The box is read by the leading-number rule: a unit after it is ignored.
    if (chance(engine, 1, 8))
        text += "MHz";
    return text;
}

std::string stepText(std::mt19937_64& engine)
{
    static constexpr std::array<std::string_view, 14> kCommonSteps{
        "1", "10", "100", "1000", "2500", "5000", "6250", "10000", "12500", "25000", "50000", "100000", "250000",
        "1000000"};
    if (chance(engine, 1, 4))
        return decimalNumber(1 + below(engine, 1'000'000));
    return std::string(pick(engine, kCommonSteps));
}

// Mostly 1 to 10; sometimes beyond the counter's 1023, a half that rounds
// up, or 0, which leaves no comparison frequency.
std::string rDividerText(std::mt19937_64& engine)
{
    const std::uint64_t roll = below(engine, 100);
    if (roll < 50)
        return "1";
    if (roll < 85)
        return decimalNumber(2 + below(engine, 9));
    if (roll < 95)
        return decimalNumber(11 + below(engine, 1090));
    if (roll < 98)
        return decimalNumber(1 + below(engine, 20)) + ".5";
    return "0";
}

void addText(std::string& options, std::string_view name, std::string_view value)
{
    options += " --";
    options += name;
    options += " ";
    options += quotedText(value);
}

void addNumber(std::string& options, std::string_view name, int value)
{
    options += " --";
    options += name;
    options += " ";
    options += decimalNumber(static_cast<std::uint64_t>(value));
}

void addFlag(std::string& options, bool given, std::string_view name)
{
    if (!given)
        return;
    options += " --";
    options += name;
}

} // namespace

std::mt19937_64 caseEngine(std::uint64_t seed, std::uint64_t index)
{
    // seed_seq's mixing is laid down by the standard, as the engine is.
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(index >> 32)};
    return std::mt19937_64(sequence);
}

CheckCase randomCase(std::mt19937_64& engine)
{
    static constexpr std::array<std::string_view, 5> kReferences{"10", "25", "26", "19.2", "30"};
    static constexpr std::array<MuxButton, 5> kMuxButtons{MuxButton::NoneSelected, MuxButton::MuxNone, MuxButton::MuxR,
                                                          MuxButton::MuxN, MuxButton::MuxL};
    // Each draw in its own statement: the order of evaluation of a function's
    // arguments is not fixed, and the draws must come in one order everywhere.
    CheckCase c;
    Settings& s = c.settings;
    s.foutText = outputText(engine);
    s.frText = std::string(pick(engine, kReferences));
    s.rdividerText = rDividerText(engine);
    s.resolutionText = stepText(engine);
    s.refDbl = chance(engine, 1, 4);
    s.refDiv2 = chance(engine, 1, 4);
    s.feedback = chance(engine, 1, 3);
    s.prescale8 = chance(engine, 3, 4);
    s.pdPol = chance(engine, 1, 8);
    s.lowSpur = chance(engine, 1, 4);
    s.enable = chance(engine, 15, 16);
    s.mtld = chance(engine, 3, 4);
    s.intN = chance(engine, 1, 5);
    s.mux = pick(engine, kMuxButtons);
    s.chrgPump = belowInt(engine, kMaxChargePump + 1);
    s.pwr = belowInt(engine, kMaxPower + 1);
    c.autoSet = chance(engine, 3, 4);
    const int divider = belowInt(engine, kMaxOutDivIndex + 1);
    if (!c.autoSet)
        s.outDivCont = divider;
    // "Calc. Best F/D" is disabled in integer-N mode, and vantrel-plan refuses it there.
    const bool bestFraction = chance(engine, 1, 8);
    c.bestFraction = bestFraction && !s.intN;
    return c;
}

std::string planOptions(const Settings& s, bool autoSet, bool bestFraction)
{
    std::string options;
    addText(options, "fout", s.foutText);
    addText(options, "ref", s.frText);
    addText(options, "rdiv", s.rdividerText);
    addText(options, "resolution", s.resolutionText);
    if (!autoSet)
        addNumber(options, "divider", s.outDivCont);
    addFlag(options, s.refDbl, "doubler");
    addFlag(options, s.refDiv2, "halve");
    addFlag(options, s.feedback, "divided-feedback");
    addFlag(options, !s.prescale8, "prescaler45");
    addFlag(options, s.intN, "int-n");
    addFlag(options, s.lowSpur, "low-spur");
    addFlag(options, s.pdPol, "negative-pd");
    addFlag(options, !s.enable, "disable");
    addFlag(options, !s.mtld, "no-mute");
    for (const MuxChoice& choice : kMuxChoices) {
        if (choice.button == s.mux) {
            options += " --mux ";
            options += choice.option;
        }
    }
    addNumber(options, "charge-pump", s.chrgPump);
    addNumber(options, "power", s.pwr);
    addFlag(options, autoSet, "auto-divider");
    addFlag(options, bestFraction, "best-fraction");
    options.erase(0, 1); // the blank before the first option
    return options;
}

} // namespace vantrel
