#include "register_decode.h"

#include <algorithm>
#include <cmath>

#include "hex_codec.h"
#include "number_format.h"
#include "number_reader.h"
#include "register_layout.h"
#include "rounding.h"
#include "sweep_plan.h"

namespace vantrel {
namespace {

// A step's result, or nothing when the step fails: a division by zero or a
// result beyond a double. A failed step leaves its target as it was.
std::optional<double> checked(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> divide(double dividend, double divisor)
{
    if (divisor == 0)
        return std::nullopt;
    return checked(dividend / divisor);
}

void assignIf(double& target, std::optional<double> value)
{
    if (value)
        target = *value;
}

double field(Field f, std::uint32_t word) { return unpack(f, word); }

bool bit(Field f, std::uint32_t word) { return unpack(f, word) != 0; }

} // namespace

DecodedRegisterSet decodeRegisterSet(const RegisterSet& set, std::string_view frText, const PlanValues& previous)
{
    const std::uint32_t word0 = set[0];
    const std::uint32_t word1 = set[1];
    const std::uint32_t word2 = set[2];
    const std::uint32_t word4 = set[4];
    // Reg3 and Reg5 hold chip options only; chipOptionsOf reads them.

    DecodedRegisterSet d;
    PlanValues& p = d.plan;
    p = previous;

    p.n = field(reg0::kInt, word0);
    p.fract = field(reg0::kFrac, word0);
    p.denom = field(reg1::kMod, word1);
    p.r = field(reg2::kRCounter, word2);
    const int k = static_cast<int>(unpack(reg4::kRfDividerSelect, word4));
    p.outDiv = std::ldexp(1.0, k);

    d.refDbl = bit(reg2::kRefDoubler, word2);
    d.refDiv2 = bit(reg2::kRefDivideBy2, word2);
    d.prescale8 = bit(reg1::kPrescaler, word1);
    d.feedback = !bit(reg4::kFeedbackSelect, word4);
    d.lowSpur = bit(reg2::kNoiseMode, word2);
    d.intN = bit(reg2::kLockDetectFunction, word2);
    p.muxVal = static_cast<int>(unpack(reg2::kMuxout, word2));
    d.muxButton = muxButtonFor(static_cast<std::uint32_t>(p.muxVal));
    d.pdPol = !bit(reg2::kPdPolarity, word2);
    d.enable = !bit(reg2::kPowerDown, word2);
    d.mtld = bit(reg4::kMuteTillLockDetect, word4);
    d.chrgPump = static_cast<int>(unpack(reg2::kChargePump, word2));
    d.pwr = static_cast<int>(unpack(reg4::kOutputPower, word4));
    // The board's every other bit is kept, so that "Set all Registers" does
    // not overwrite what the board holds with words nobody chose.
    d.chip = chipOptionsOf(set);

    // The board does not store its reference: it is taken from the reference box.
    assignIf(p.fr, checked(readLeadingNumber(frText)));
    if (d.refDbl)
        assignIf(p.fr, checked(p.fr * 2));
    if (d.refDiv2)
        p.fr = p.fr / 2;

    d.rdividerText = generalNumber(p.r);
    assignIf(p.fcomp, divide(p.fr, p.r));

    // With divided feedback the N counter counts the divided output, so the
    // fraction gives the output frequency and the VCO runs OutDiv times
    // faster; with fundamental feedback it gives the VCO itself. The output
    // step follows the same way.
    const double feedbackDivider = d.feedback ? p.outDiv : 1.0;
    const double stepDivider = d.feedback ? 1.0 : p.outDiv;
    if (!d.intN) {
        if (const auto perMod = divide(p.fcomp * 1000000, p.denom))
            assignIf(p.resolution, checked(*perMod / stepDivider));
        if (const auto fraction = divide(p.fract, p.denom))
            assignIf(p.vco, checked((p.n + *fraction) * p.fcomp * feedbackDivider));
    } else {
        assignIf(p.resolution, checked(p.fcomp * 1000000 / stepDivider));
        assignIf(p.vco, checked(p.fcomp * p.n * feedbackDivider));
    }
    d.fvcoCaption = "VCO " + generalNumber(p.vco) + "MHz";
    p.fout = p.vco / p.outDiv;

    // The scroll bar takes divider positions 0..6 only; a divider of 128
    // leaves it where it was.
    if (const auto position = roundToInt16(std::log(p.outDiv) / std::log(2.0));
        position && *position >= 0 && *position <= kMaxOutDivIndex)
        d.outDivCont = *position;

    d.label6Caption = "Fcomp " + plainNumber(p.fcomp);
    d.resolutionText = generalNumber(p.resolution);
    d.foutText = generalNumber(p.fout);

    // What the steps above could not compute is the previous plan's: a
    // frequency from the command line or the window, not the board's.
    std::vector<std::string> problems;
    if (!(p.fr > 0))
        problems.emplace_back("a reference of " + plainNumber(p.fr) + " MHz");
    if (p.r == 0)
        problems.emplace_back("R counter 0");
    if (!d.intN && p.denom == 0)
        problems.emplace_back("MOD 0 in fractional mode");
    if (problems.empty() && !(p.fout > 0 && std::isfinite(p.fout)))
        problems.emplace_back("an output of " + plainNumber(p.fout) + " MHz");
    for (const std::string& problem : problems)
        d.problem += (d.problem.empty() ? "" : "; ") + problem;
    return d;
}

std::string decodeProblem(const RegisterSet& set, std::string_view frText)
{
    return decodeRegisterSet(set, frText, PlanValues{}).problem;
}

Settings decodedSettings(const DecodedRegisterSet& d, Settings s)
{
    s.refDbl = d.refDbl;
    s.refDiv2 = d.refDiv2;
    s.prescale8 = d.prescale8;
    s.feedback = d.feedback;
    s.lowSpur = d.lowSpur;
    s.intN = d.intN;
    // A code no button offers is a chip option, and choosing it clears the buttons.
    s.mux = d.muxButton ? *d.muxButton : MuxButton::NoneSelected;
    s.pdPol = d.pdPol;
    s.enable = d.enable;
    s.mtld = d.mtld;
    s.chip = d.chip;
    s.chrgPump = d.chrgPump;
    s.pwr = d.pwr;
    s.rdividerText = d.rdividerText;
    if (d.outDivCont)
        s.outDivCont = *d.outDivCont;
    s.resolutionText = d.resolutionText;
    s.foutText = d.foutText;
    return s;
}

std::vector<WordDifference> wordDifferences(const RegisterSet& read, const RegisterSet& planned)
{
    std::vector<WordDifference> differences;
    for (std::size_t reg = 0; reg < read.size(); ++reg) {
        if (read[reg] != planned[reg])
            differences.push_back({reg, read[reg], planned[reg]});
    }
    return differences;
}

std::string readBackMessage(const std::vector<WordDifference>& differences)
{
    if (differences.empty())
        return {};
    std::string text = "The plan's words differ from the set read back:";
    for (std::size_t i = 0; i < differences.size(); ++i) {
        const WordDifference& d = differences[i];
        text += (i == 0 ? " Reg" : "; Reg") + plainNumber(static_cast<double>(d.reg)) + " read " + hexFormat(d.read)
                + ", plan " + hexFormat(d.planned);
    }
    return text;
}

std::string noCompletePlanMessage(std::string_view reason)
{
    return "The set read back gives no complete plan: " + std::string(reason);
}

std::string readBackText(const PlanSession& session, const std::vector<WordDifference>& differences)
{
    if (session.result().outcome != PlanOutcome::Complete)
        return noCompletePlanMessage(planStopReason(session.result()));
    return readBackMessage(differences);
}

std::string notAWholeSet(const RegisterSet& set)
{
    std::string missing;
    for (std::size_t i = 0; i < set.size(); ++i) {
        if ((set[i] & 7u) != i)
            missing += (missing.empty() ? "" : ", ") + plainNumber(static_cast<double>(i));
    }
    if (missing.empty())
        return {};
    // An erased EEPROM reads all ones: six words of register 7.
    const bool erased = std::all_of(set.begin(), set.end(), [](std::uint32_t word) { return word == 0xFFFFFFFFu; });
    return "the board sent no word for register " + missing + ": not a whole set of registers 0 to 5 ("
           + (erased ? "an erased EEPROM, which reads all ones" : "an erased or invalid EEPROM") + ")";
}

std::vector<WordDifference> loadRegisterSet(PlanSession& session, const RegisterSet& set)
{
    const DecodedRegisterSet decoded = decodeRegisterSet(set, session.settings().frText, session.plan());
    session.rebuildAround(decodedSettings(decoded, session.settings()), decoded.plan);
    return wordDifferences(set, session.plan().registers);
}

} // namespace vantrel
