// The plan quality figures from real plans: the datasheet's worked example,
// each figure's edges (FRAC 0, FRAC = MOD / 2, MOD divisible by 2, 3, 6 and
// neither, integer-N, low spur mode, divided feedback, the loop bandwidth's
// edge) and what a plan that stopped gives.
#include <QtTest>

#include "frequency_plan.h"
#include "number_format.h"
#include "plan_quality.h"
#include "quality_text.h"

using namespace vantrel;

namespace {

struct Plan {
    const char* ref;
    const char* fout;
    const char* resolution;
    int divider = 0;
    bool intN = false;
    bool lowSpur = false;
    bool dividedFeedback = false;
    bool abp3 = false;
};

Settings settingsOf(const Plan& plan)
{
    Settings s;
    s.frText = plan.ref;
    s.foutText = plan.fout;
    s.resolutionText = plan.resolution;
    s.outDivCont = plan.divider;
    s.intN = plan.intN;
    s.lowSpur = plan.lowSpur;
    s.feedback = plan.dividedFeedback;
    s.chip.abp = plan.abp3 ? Antibacklash::Ns3 : Antibacklash::Ns6;
    return s;
}

PlanQuality qualityOf(const Plan& plan, const LoopBandwidth& loop = {})
{
    const Settings s = settingsOf(plan);
    const std::optional<PlanQuality> quality = planQuality(s, computePlan(s, {}), loop);
    if (!quality)
        qFatal("the plan %s MHz did not complete", plan.fout);
    return *quality;
}

QString oneDecimal(double value) { return QString::fromStdString(formatMask(value, "0.0")); }

} // namespace

Q_DECLARE_METATYPE(Plan)

class TestPlanQuality : public QObject {
    Q_OBJECT
private slots:
    void inBandNoise_data();
    void inBandNoise();
    void boundarySpur_data();
    void boundarySpur();
    void fractionalSpurs_data();
    void fractionalSpurs();
    void loopBandwidthAndPfdSpur();
    void noFiguresWithoutAPlan_data();
    void noFiguresWithoutAPlan();
    void linesSayWhatIsAssumed();
};

void TestPlanQuality::inBandNoise_data()
{
    QTest::addColumn<Plan>("plan");
    QTest::addColumn<QString>("floor");
    QTest::addColumn<QString>("flicker");
    QTest::addColumn<QString>("inBand");
    // The datasheet's worked figure: f_PFD 25 MHz, 4400 MHz out.
    QTest::addRow("worked example, 25 MHz PFD, 4400 MHz") << Plan{"25", "4400", "100000"} << "-101.1" << "-103.1"
                                                          << "-99.0";
    QTest::addRow("worked example divided by 4, 1100 MHz")
        << Plan{"25", "1100", "100000", 2} << "-113.2" << "-115.2" << "-111.0";
    QTest::addRow("10 MHz PFD, 2320.5 MHz") << Plan{"10", "2320.5", "2500"} << "-102.7" << "-108.7" << "-101.7";
    QTest::addRow("antibacklash 3 ns, integer-N") << Plan{"25", "4400", "100000", 0, true, false, false, true}
                                                 << "-102.1" << "-105.1" << "-100.4";
    // The N counter fed from the output: the floor still follows f_out / f_PFD.
    QTest::addRow("divided feedback, divider 4") << Plan{"25", "1100", "100000", 2, false, false, true} << "-113.2"
                                                << "-115.2" << "-111.0";
}

void TestPlanQuality::inBandNoise()
{
    QFETCH(Plan, plan);
    QFETCH(QString, floor);
    QFETCH(QString, flicker);
    QFETCH(QString, inBand);
    const PlanQuality q = qualityOf(plan);
    QCOMPARE(oneDecimal(q.inBandFloorDbcHz), floor);
    QCOMPARE(oneDecimal(q.flicker10kHzDbcHz), flicker);
    QCOMPARE(oneDecimal(q.inBand10kHzDbcHz), inBand);
}

void TestPlanQuality::boundarySpur_data()
{
    QTest::addColumn<Plan>("plan");
    QTest::addColumn<double>("loopKHz");
    QTest::addColumn<QString>("offset"); // as shown
    QTest::addColumn<bool>("inLoop");
    QTest::addColumn<QString>("dropDb"); // at the output below the VCO
    // 2320.5 / 10 = 232.05: FRAC 200 of MOD 4000, 0.05 of 10 MHz.
    QTest::addRow("FRAC 200 of 4000: 500 kHz, outside 50 kHz") << Plan{"10", "2320.5", "2500"} << 50.0 << "500.0 kHz"
                                                               << false << "0.0";
    QTest::addRow("FRAC = MOD / 2 is the farthest: half the PFD")
        << Plan{"10", "2325", "2500"} << 50.0 << "5000.0 kHz" << false << "0.0";
    // 2329.9975: FRAC 3999 of 4000, the next boundary 2.5 kHz above.
    QTest::addRow("FRAC MOD - 1: the boundary above, inside")
        << Plan{"10", "2329.9975", "2500"} << 50.0 << "2.5 kHz" << true << "0.0";
    QTest::addRow("FRAC 1: inside a 50 kHz loop") << Plan{"10", "2320.0025", "2500"} << 50.0 << "2.5 kHz" << true
                                                  << "0.0";
    // 2320.25 with 125 kHz steps: FRAC 2 of 80, 250 kHz off.
    QTest::addRow("offset equal to the loop bandwidth is outside")
        << Plan{"10", "2320.25", "125000"} << 250.0 << "250.0 kHz" << false << "0.0";
    QTest::addRow("offset a hair below the loop bandwidth is inside")
        << Plan{"10", "2320.25", "125000"} << 250.001 << "250.0 kHz" << true << "0.0";
    QTest::addRow("FRAC 0: none") << Plan{"10", "2320", "2500"} << 50.0 << "none (FRAC 0)" << false << "0.0";
    QTest::addRow("integer-N: none") << Plan{"10", "2320.5", "2500", 0, true} << 50.0 << "none (integer-N)" << false
                                     << "0.0";
    // VCO 2320.5 with divider 4: the offset stays, the level falls 12 dB.
    QTest::addRow("fundamental feedback, divider 4: 12 dB down")
        << Plan{"10", "580.125", "2500", 2} << 50.0 << "500.0 kHz" << false << "12.0";
    QTest::addRow("divided feedback, divider 4: no drop")
        << Plan{"10", "580.125", "2500", 2, false, false, true} << 50.0 << "125.0 kHz" << false << "0.0";
}

void TestPlanQuality::boundarySpur()
{
    QFETCH(Plan, plan);
    QFETCH(double, loopKHz);
    QFETCH(QString, offset);
    QFETCH(bool, inLoop);
    QFETCH(QString, dropDb);
    const PlanQuality q = qualityOf(plan, LoopBandwidth{loopKHz});
    QCOMPARE(QString::fromStdString(boundarySpurText(q)), offset);
    QCOMPARE(q.boundarySpurInLoop, inLoop);
    QCOMPARE(oneDecimal(q.boundarySpurOutputDropDb), dropDb);
    QCOMPARE(q.boundarySpurOffset().has_value(), q.boundary == BoundarySpur::Present);
}

void TestPlanQuality::fractionalSpurs_data()
{
    QTest::addColumn<Plan>("plan");
    QTest::addColumn<double>("mod");
    QTest::addColumn<QString>("spurs");
    // f_PFD 10 MHz; the step sets MOD = 10 MHz / step.
    QTest::addRow("MOD 4000, even, no multiple of 3: L = 2 MOD")
        << Plan{"10", "2320.5", "2500"} << 4000.0 << "every 1.25 kHz";
    QTest::addRow("MOD 3333, a multiple of 3, odd: L = 3 MOD")
        << Plan{"10", "2320.5", "3000.3"} << 3333.0 << "every 1.0 kHz";
    QTest::addRow("MOD 4002, a multiple of 6: L = 6 MOD")
        << Plan{"10", "2320.5", "2498.75"} << 4002.0 << "every 0.416 kHz";
    QTest::addRow("MOD 4001, neither: L = MOD") << Plan{"10", "2320.5", "2499.375"} << 4001.0 << "every 2.499 kHz";
    QTest::addRow("low spur mode: dithered") << Plan{"10", "2320.5", "2500", 0, false, true} << 4000.0 << "dithered";
    QTest::addRow("low spur mode, FRAC 0: still dithered")
        << Plan{"10", "2320", "2500", 0, false, true} << 4000.0 << "dithered";
    QTest::addRow("integer-N: none") << Plan{"10", "2320.5", "2500", 0, true} << 0.0 << "none (integer-N)";
    // A modulator fed 0 stands still: no sequence to repeat.
    QTest::addRow("FRAC 0 in low noise mode: none") << Plan{"10", "2320", "2500"} << 4000.0 << "none (FRAC 0)";
}

void TestPlanQuality::fractionalSpurs()
{
    QFETCH(Plan, plan);
    QFETCH(double, mod);
    QFETCH(QString, spurs);
    const Settings s = settingsOf(plan);
    const PlanResult result = computePlan(s, {});
    QCOMPARE(result.values.denom, mod);
    QCOMPARE(QString::fromStdString(fractionalSpursText(*planQuality(s, result, {}))), spurs);
}

void TestPlanQuality::loopBandwidthAndPfdSpur()
{
    const PlanQuality assumed = qualityOf({"10", "2320.5", "2500"});
    QCOMPARE(assumed.loopBandwidthKHz, kAssumedLoopBandwidthKHz);
    QVERIFY(assumed.loopBandwidthAssumed);
    QCOMPARE(assumed.pfdSpurOffsetMHz, 10.0);
    QCOMPARE(assumed.pfdMHz, 10.0);

    // A wider loop takes the 500 kHz spur in; the setting is no longer assumed.
    const PlanQuality wide = qualityOf({"10", "2320.5", "2500"}, LoopBandwidth{600.0});
    QVERIFY(wide.boundarySpurInLoop);
    QVERIFY(!wide.loopBandwidthAssumed);
    QCOMPARE(wide.loopBandwidthKHz, 600.0);

    QVERIFY(!isLoopBandwidth(0));
    QVERIFY(!isLoopBandwidth(kMinLoopBandwidthKHz / 2));
    QVERIFY(isLoopBandwidth(kMinLoopBandwidthKHz));
    QVERIFY(isLoopBandwidth(kMaxLoopBandwidthKHz));
    QVERIFY(!isLoopBandwidth(kMaxLoopBandwidthKHz * 1.001));
    QVERIFY(!isLoopBandwidth(std::numeric_limits<double>::quiet_NaN()));
}

void TestPlanQuality::noFiguresWithoutAPlan_data()
{
    QTest::addColumn<Plan>("plan");
    QTest::addRow("no PFD") << Plan{"0", "2320.5", "2500"};
    QTest::addRow("MOD above 4095") << Plan{"10", "2320.5", "1"};
    QTest::addRow("an output of 0") << Plan{"10", "0", "2500"};
}

void TestPlanQuality::noFiguresWithoutAPlan()
{
    QFETCH(Plan, plan);
    const Settings s = settingsOf(plan);
    QVERIFY(!planQuality(s, computePlan(s, {}), {}).has_value());
}

void TestPlanQuality::linesSayWhatIsAssumed()
{
    const std::string text = qualityText(qualityOf({"25", "4400", "100000"}));
    QCOMPARE(QString::fromStdString(text),
             QStringLiteral("Plan quality. %1\n"
                            "PFD: 25.0 MHz\n"
                            "In-band floor: -101.1 dBc/Hz\n"
                            "1/f noise at 10 kHz: -103.1 dBc/Hz\n"
                            "In-band noise at 10 kHz: -99.0 dBc/Hz\n"
                            "Integer-boundary spur: none (FRAC 0)\n"
                            "Fractional spurs: none (FRAC 0)\n"
                            "PFD spur: at 25.0 MHz\n"
                            "Loop bandwidth: 50 kHz (assumed)\n")
                 .arg(QString::fromLatin1(kQualityEstimateNote)));
    const std::vector<QualityLine> lines = qualityLines(qualityOf({"10", "580.125", "2500", 2}, LoopBandwidth{600.0}));
    QCOMPARE(QString::fromStdString(lines[4].value),
             QStringLiteral("at 500.0 kHz, inside the loop bandwidth: the loop filter leaves it; 12.0 dB lower at "
                            "the output than at the VCO"));
    QCOMPARE(QString::fromStdString(lines[7].value), QStringLiteral("600 kHz"));
}

QTEST_APPLESS_MAIN(TestPlanQuality)
#include "tst_plan_quality.moc"
