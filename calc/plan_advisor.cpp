#include "plan_advisor.h"

#include <algorithm>
#include <cstdint>
#include <charconv>
#include <cmath>
#include <limits>
#include <tuple>

#include "chip.h"
#include "chip_check.h"
#include "number_format.h"
#include "number_reader.h"

namespace vantrel {
namespace {

// The ranking as a key that sorts best first.
struct Rank {
    bool inLoop = false;
    long long noiseTenths = 0; // dBc/Hz x 10, as shown
    double negativeOffset = 0; // -kHz; none is -infinity
    int changes = 0;

    auto tie() const { return std::tie(inLoop, noiseTenths, negativeOffset, changes); }
    bool operator<(const Rank& other) const { return tie() < other.tie(); }
};

Rank rankOf(const PlanQuality& q, int changes)
{
    Rank rank;
    rank.inLoop = q.boundary == BoundarySpur::Present && q.boundarySpurInLoop;
    rank.noiseTenths = std::llround(q.inBand10kHzDbcHz * 10);
    rank.negativeOffset = q.boundary == BoundarySpur::Present ? -q.boundarySpurOffsetKHz
                                                               : -std::numeric_limits<double>::infinity();
    rank.changes = changes;
    return rank;
}

// Thousands qualify at times: each is kept small and sorted by index.
struct Candidate {
    PlanChange change;
    PlanValues values;
    PlanQuality quality;
    Rank rank;
};

// A generous first guess at how many qualify, so that the list seldom moves.
constexpr std::size_t kExpectedCandidates = 4096;

// Two plans that give the same figures and words but for the controls'
// own bits: the one with fewer changes is kept.
bool samePlan(const PlanValues& a, const PlanValues& b, const Settings& sa, const Settings& sb)
{
    return a.fcomp == b.fcomp && a.n == b.n && a.fract == b.fract && a.denom == b.denom && sa.intN == sb.intN
           && sa.chip.abp == sb.chip.abp;
}

bool breaksPrescaler(const ChipLimitBreaks& breaks)
{
    return std::any_of(breaks.begin(), breaks.end(), [](const ChipLimitBreak& item) {
        return item.limit == ChipLimit::IntMin || item.limit == ChipLimit::Prescaler45;
    });
}

std::string onOff(const char* control, bool on) { return std::string(control) + (on ? " on" : " off"); }

std::vector<std::string> changeWords(const PlanChange& c, const Settings& before, const PlanValues& plan)
{
    std::vector<std::string> words;
    if (c.r) {
        // The R the plan had, or the text when there was none yet.
        const std::string was = plan.r > 0 ? plainNumber(plan.r) : before.rdividerText;
        words.push_back("R " + was + " \u2192 " + rdividerText(*c.r));
    }
    if (c.refDbl)
        words.push_back(onOff("Ref Doubler", *c.refDbl));
    if (c.refDiv2)
        words.push_back(onOff("Ref Divide/2", *c.refDiv2));
    if (c.prescale8)
        words.push_back(onOff("Prescalar 8/9", *c.prescale8));
    if (c.intN)
        words.push_back(onOff("Integer N", *c.intN));
    return words;
}

} // namespace

int PlanChange::count() const
{
    return int(r.has_value()) + int(refDbl.has_value()) + int(refDiv2.has_value()) + int(prescale8.has_value())
           + int(intN.has_value());
}

std::string rdividerText(int r)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, r).ptr;
    return std::string(digits, end);
}

std::array<ChipOptions, 2> sameChipForBothModes(const ChipOptions& options) { return {options, options}; }

Settings withChange(const Settings& settings, const PlanChange& change, const std::array<ChipOptions, 2>& chipForMode)
{
    Settings s = settings;
    if (change.r)
        s.rdividerText = rdividerText(*change.r);
    if (change.refDbl)
        s.refDbl = *change.refDbl;
    if (change.refDiv2)
        s.refDiv2 = *change.refDiv2;
    if (change.prescale8)
        s.prescale8 = *change.prescale8;
    if (change.intN) {
        s.intN = *change.intN;
        s.chip = chipForMode[s.intN ? 1 : 0];
    }
    return s;
}

Advice advisePlans(const AdviceRequest& request, std::size_t count)
{
    const Settings& base = request.settings;
    const PlanValues& now = request.current.values;
    Advice advice;
    advice.current = planQuality(base, request.current, request.loop);
    advice.currentStopped = request.current.outcome != PlanOutcome::Complete;
    advice.currentUsable = advice.current && checkChipLimits(base, request.current).empty();

    // Every candidate is planned as the panel's run after Apply would plan
    // it: from the controls with the change made, after the current plan.
    const double step = readLeadingNumber(base.resolutionText);
    const double allowedHz = advice.currentUsable ? std::fabs(now.errorHz)
                             : step > 0           ? step / 2
                                                  : 0;
    const double refIn = readLeadingNumber(base.frText);
    const bool doublerAllowed = refIn <= kMaxRefInDoubledMHz;

    std::vector<Candidate> candidates;
    candidates.reserve(kExpectedCandidates);
    Settings s = base;
    const auto consider = [&](const PlanChange& change) {
        PlanResult result = computePlanValues(s, now);
        if (result.outcome != PlanOutcome::Complete)
            return;
        if (!(std::fabs(result.values.errorHz) <= allowedHz + kAdvisorErrorToleranceHz))
            return;
        ChipLimitBreaks breaks = checkChipLimits(s, result);
        PlanChange made = change;
        if (!breaks.empty()) {
            // The other prescaler, where the one chosen cannot take the
            // plan: 4/5 for an INT below 75, 8/9 for a VCO above 3600 MHz.
            if (!breaksPrescaler(breaks))
                return;
            s.prescale8 = !base.prescale8;
            result = computePlanValues(s, now);
            breaks = checkChipLimits(s, result);
            s.prescale8 = base.prescale8;
            if (!breaks.empty() || result.outcome != PlanOutcome::Complete)
                return;
            made.prescale8 = !base.prescale8;
        }
        if (made.count() == 0)
            return; // the current plan itself
        const std::optional<PlanQuality> quality = planQuality(s, result, request.loop);
        if (!quality)
            return;
        candidates.push_back({made, result.values, *quality, rankOf(*quality, made.count())});
    };

    for (const bool doubler : {base.refDbl, !base.refDbl}) {
        if (doubler && !doublerAllowed)
            continue;
        s.refDbl = doubler;
        for (const bool halve : {base.refDiv2, !base.refDiv2}) {
            s.refDiv2 = halve;
            for (const bool intN : {base.intN, !base.intN}) {
                s.intN = intN;
                s.chip = intN == base.intN ? base.chip : request.chipForMode[intN ? 1 : 0];
                for (int r = int(kMinR); r <= int(kMaxR); ++r) {
                    PlanChange change;
                    // The R of the current plan keeps the text as typed.
                    if (double(r) == now.r) {
                        s.rdividerText = base.rdividerText;
                    } else {
                        s.rdividerText = rdividerText(r);
                        change.r = r;
                    }
                    if (doubler != base.refDbl)
                        change.refDbl = doubler;
                    if (halve != base.refDiv2)
                        change.refDiv2 = halve;
                    if (intN != base.intN)
                        change.intN = intN;
                    consider(change);
                }
            }
        }
    }
    advice.qualified = candidates.size();

    // Ties keep the order of the search.
    std::vector<std::uint32_t> ranked(candidates.size());
    for (std::size_t i = 0; i < ranked.size(); ++i)
        ranked[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(ranked.begin(), ranked.end(), [&candidates](std::uint32_t ia, std::uint32_t ib) {
        const Candidate& a = candidates[ia];
        const Candidate& b = candidates[ib];
        if (a.rank < b.rank || b.rank < a.rank)
            return a.rank < b.rank;
        return std::fabs(a.values.errorHz) < std::fabs(b.values.errorHz);
    });
    // Without a usable plan now, whatever qualifies is better.
    const bool rankable = advice.currentUsable;
    const Rank currentRank = rankable ? rankOf(*advice.current, 0) : Rank{};
    const auto better = [rankable, &currentRank](const Candidate& c) { return !rankable || c.rank < currentRank; };
    advice.currentIsCleanest = rankable && (ranked.empty() || !better(candidates[ranked.front()]));

    // Plans that differ from one kept before only by controls that change
    // no figure or field (the doubler and the halver both on) are left out.
    for (const std::uint32_t index : ranked) {
        const Candidate& c = candidates[index];
        if (advice.suggestions.size() >= count)
            break;
        if (!advice.currentIsCleanest && !better(c))
            break;
        Settings settings = withChange(base, c.change, request.chipForMode);
        if (advice.currentUsable && samePlan(c.values, now, settings, base))
            continue;
        const bool seen = std::any_of(advice.suggestions.begin(), advice.suggestions.end(),
                                      [&](const PlanSuggestion& kept) {
                                          return samePlan(c.values, kept.plan, settings, kept.settings);
                                      });
        if (seen)
            continue;
        PlanSuggestion suggestion;
        suggestion.change = c.change;
        suggestion.plan = c.values;
        suggestion.quality = c.quality;
        suggestion.changes = changeWords(c.change, base, now);
        suggestion.better = better(c);
        suggestion.settings = std::move(settings);
        advice.suggestions.push_back(std::move(suggestion));
    }
    return advice;
}

} // namespace vantrel
