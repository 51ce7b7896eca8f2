// The plan advisor over settings where it has something to find, and where
// it has not: every suggestion planned again from its settings gives the
// figures and error it shows, breaks no chip limit, hits the output as
// closely as it must, and ranks no lower than the current plan.
#include <QtTest>

#include <cmath>

#include "chip_check.h"
#include "frequency_plan.h"
#include "number_reader.h"
#include "plan_advisor.h"

using namespace vantrel;

namespace {

struct Case {
    const char* ref;
    const char* fout;
    const char* resolution;
    const char* rdivider = "1";
    bool follow = false; // Follow the Datasheet for the Mode
    double loopKHz = 0;  // 0: assumed
};

AdviceRequest requestOf(const Case& c)
{
    AdviceRequest request;
    request.settings.frText = c.ref;
    request.settings.foutText = c.fout;
    request.settings.resolutionText = c.resolution;
    request.settings.rdividerText = c.rdivider;
    request.current = computePlan(request.settings, {});
    request.chipForMode = sameChipForBothModes(request.settings.chip);
    if (c.follow) {
        followDatasheetForMode(request.chipForMode[0], false);
        followDatasheetForMode(request.chipForMode[1], true);
    }
    if (c.loopKHz > 0)
        request.loop.setKHz = c.loopKHz;
    return request;
}

bool inLoop(const PlanQuality& q) { return q.boundary == BoundarySpur::Present && q.boundarySpurInLoop; }
double offsetOrInfinity(const PlanQuality& q) { return q.boundarySpurOffset().value_or(HUGE_VAL); }

// The ranking, key by key: not worse when the first key that differs is better.
bool notWorse(const PlanQuality& a, int aChanges, const PlanQuality& b, int bChanges)
{
    if (inLoop(a) != inLoop(b))
        return !inLoop(a);
    const long long aNoise = std::llround(a.inBand10kHzDbcHz * 10);
    const long long bNoise = std::llround(b.inBand10kHzDbcHz * 10);
    if (aNoise != bNoise)
        return aNoise < bNoise;
    if (offsetOrInfinity(a) != offsetOrInfinity(b))
        return offsetOrInfinity(a) > offsetOrInfinity(b);
    return aChanges <= bChanges;
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestPlanAdvisor : public QObject {
    Q_OBJECT
private slots:
    void everySuggestionHoldsWhatItShows_data();
    void everySuggestionHoldsWhatItShows();
    void whatItFinds();
};

void TestPlanAdvisor::everySuggestionHoldsWhatItShows_data()
{
    QTest::addColumn<Case>("c");
    QTest::addRow("the worked plan, the cleanest") << Case{"10", "2320.5", "2500"};
    QTest::addRow("a boundary spur inside the loop, cured by R 1") << Case{"10", "2325.0025", "2500", "2"};
    QTest::addRow("MOD above 4095: a plan that stopped") << Case{"10", "2320.5001", "100"};
    QTest::addRow("a reference above 30 MHz: no doubler") << Case{"50", "2400.5", "10000", "2"};
    QTest::addRow("INT 73 needs prescaler 4/5") << Case{"30", "2200", "100000"};
    QTest::addRow("integer-N, 80 MHz reference") << Case{"80", "2400", "100000", "4"};
    QTest::addRow("integer-N following the datasheet") << Case{"80", "2400", "100000", "4", true};
    QTest::addRow("a wide loop takes every spur in") << Case{"10", "2320.5", "2500", "1", false, 9000};
    QTest::addRow("a plan beyond the PFD limit") << Case{"100", "2320.5", "100000"};
}

void TestPlanAdvisor::everySuggestionHoldsWhatItShows()
{
    QFETCH(Case, c);
    const AdviceRequest request = requestOf(c);
    const Advice advice = advisePlans(request, 50);
    const double step = readLeadingNumber(c.resolution);
    for (const PlanSuggestion& s : advice.suggestions) {
        const QByteArray name = QByteArray::fromStdString(s.changes.empty() ? "?" : s.changes.front());
        QCOMPARE(s.settings.rdividerText, s.change.r ? rdividerText(*s.change.r) : request.settings.rdividerText);
        QVERIFY(s.change.count() > 0);
        // Planned again, as the panel's run after Apply plans it.
        const PlanResult again = computePlan(s.settings, request.current.values);
        QCOMPARE(again.outcome, PlanOutcome::Complete);
        QCOMPARE(again.values.registers, s.plan.registers);
        QCOMPARE(again.values.errorHz, s.plan.errorHz);
        const std::optional<PlanQuality> q = planQuality(s.settings, again, request.loop);
        QVERIFY(q);
        QCOMPARE(q->inBand10kHzDbcHz, s.quality.inBand10kHzDbcHz);
        QCOMPARE(q->boundarySpurOffset(), s.quality.boundarySpurOffset());
        QCOMPARE(q->fractionalSpurIntervalKHz, s.quality.fractionalSpurIntervalKHz);
        QVERIFY2(checkChipLimits(s.settings, again).empty(), name.constData());
        if (s.settings.refDbl)
            QVERIFY(readLeadingNumber(c.ref) <= 30);
        if (advice.currentUsable) {
            QVERIFY(std::fabs(s.plan.errorHz) <= std::fabs(request.current.values.errorHz) + 0.001);
            QCOMPARE(s.better, !advice.currentIsCleanest);
            if (s.better)
                QVERIFY2(notWorse(s.quality, s.change.count(), *advice.current, 0), name.constData());
        } else {
            QVERIFY(std::fabs(s.plan.errorHz) <= step / 2 + 0.001);
            QVERIFY(s.better);
        }
    }
    for (std::size_t i = 1; i < advice.suggestions.size(); ++i) {
        const PlanSuggestion& a = advice.suggestions[i - 1];
        const PlanSuggestion& b = advice.suggestions[i];
        QVERIFY(notWorse(a.quality, a.change.count(), b.quality, b.change.count()));
    }
}

void TestPlanAdvisor::whatItFinds()
{
    // The worked plan: a 500 kHz spur outside the loop and the highest PFD
    // its MOD allows. Nothing ranks above it; the next best still come.
    Advice advice = advisePlans(requestOf({"10", "2320.5", "2500"}));
    QVERIFY(advice.currentUsable);
    QVERIFY(advice.currentIsCleanest);
    QCOMPARE(advice.suggestions.size(), kDefaultSuggestions);
    QVERIFY(!advice.suggestions.front().better);

    // R 2 puts 2325.0025 MHz 2.5 kHz from a boundary of 5 MHz; R 1 takes it
    // to 4997.5 kHz from one of 10 MHz, and lowers the floor 3 dB.
    advice = advisePlans(requestOf({"10", "2325.0025", "2500", "2"}));
    QVERIFY(inLoop(*advice.current));
    QVERIFY(!advice.currentIsCleanest);
    const PlanSuggestion& cure = advice.suggestions.front();
    QCOMPARE(cure.changes, std::vector<std::string>{"R 2 \u2192 1"});
    QVERIFY(!inLoop(cure.quality));
    QCOMPARE(cure.quality.boundarySpurOffsetKHz, 4997.5);

    // 2320.5001 MHz in 100 Hz steps needs MOD 100000: the plan stops, and a
    // PFD of 0.4095 MHz or less (R 25 and up) gives one within 50 Hz.
    advice = advisePlans(requestOf({"10", "2320.5001", "100"}));
    QVERIFY(!advice.current);
    QVERIFY(!advice.currentUsable);
    QVERIFY(!advice.suggestions.empty());
    for (const PlanSuggestion& s : advice.suggestions)
        QVERIFY(s.plan.fcomp <= 0.4095);

    // INT 73 at 30 MHz breaks 8/9's 75; 4/5 takes it, at a VCO of 2200 MHz.
    advice = advisePlans(requestOf({"30", "2200", "100000"}));
    QVERIFY(!advice.currentUsable);
    QCOMPARE(advice.suggestions.front().changes, std::vector<std::string>{"Prescalar 8/9 off"});

    // 2400 MHz is 90 x 26.667 MHz: with R 3, integer-N gives the noise of
    // FRAC 0 at that PFD, one change more. Following the datasheet, the tick
    // brings antibacklash 3 ns and its lower floor, which ranks it first.
    advice = advisePlans(requestOf({"80", "2400", "100000", "4"}));
    QCOMPARE(advice.suggestions.front().changes, std::vector<std::string>{"R 4 \u2192 3"});
    QCOMPARE(advice.suggestions.at(1).changes, (std::vector<std::string>{"R 4 \u2192 3", "Integer N on"}));
    QCOMPARE(advice.suggestions.at(1).settings.chip.abp, Antibacklash::Ns6);
    const Advice followed = advisePlans(requestOf({"80", "2400", "100000", "4", true}));
    QCOMPARE(followed.suggestions.front().changes, advice.suggestions.at(1).changes);
    QCOMPARE(followed.suggestions.front().settings.chip.abp, Antibacklash::Ns3);
    QVERIFY(followed.suggestions.front().quality.inBand10kHzDbcHz
            < advice.suggestions.front().quality.inBand10kHzDbcHz - 0.9);

    // 100 MHz at R 1 breaks the 32 MHz PFD limit: the current plan may not
    // go out, and the suggestions bring the PFD within it.
    advice = advisePlans(requestOf({"100", "2320.5", "100000"}));
    QVERIFY(advice.current);
    QVERIFY(!advice.currentUsable);
    QVERIFY(!advice.suggestions.empty());
    QVERIFY(advice.suggestions.front().plan.fcomp <= 32);
}

QTEST_APPLESS_MAIN(TestPlanAdvisor)
#include "tst_plan_advisor.moc"
