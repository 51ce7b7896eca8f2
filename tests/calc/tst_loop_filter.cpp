// The loop filter: the textbook's worked design, designs that analysed give
// back their targets (random targets, a fixed seed, both orders), the noise
// at its limits deep in band and far out, the integral against closed
// forms, the charge-pump advice, parts refused with their reason, and the
// part values as engineers write them.
#include <QtTest>

#include <cmath>
#include <random>

#include "frequency_plan.h"
#include "loop_design.h"
#include "loop_figures.h"
#include "loop_filter_text.h"
#include "part_value.h"
#include "plan_quality.h"
#include "quality_text.h"

using namespace vantrel;

namespace {

// A plan of the panel at `fout` MHz from a 25 MHz reference, its divider chosen as "Auto Set >>" would.
struct PanelPlan {
    Settings settings;
    PlanResult result;
};

PanelPlan planAt(const char* fout, int divider, int chargePump = 7)
{
    PanelPlan plan;
    plan.settings.frText = "25";
    plan.settings.resolutionText = "25000";
    plan.settings.foutText = fout;
    plan.settings.outDivCont = divider;
    plan.settings.chrgPump = chargePump;
    plan.result = computePlan(plan.settings, {});
    if (plan.result.outcome != PlanOutcome::Complete)
        qFatal("the plan at %s MHz did not complete", fout);
    return plan;
}

LoopDesign designed(const PanelPlan& plan, const LoopSettings& loop, const DesignTarget& target)
{
    const LoopDesignResult result = designForPlan(plan.settings, plan.result, loop, target);
    if (!result.design)
        qFatal("no design: %s", result.error.c_str());
    return *result.design;
}

double relative(double value, double expected) { return std::fabs(value / expected - 1); }

} // namespace

class TestLoopFilter : public QObject {
    Q_OBJECT
private slots:
    void textbookExample();
    void designsGiveBackTheirTargets_data();
    void designsGiveBackTheirTargets();
    void noiseMeetsItsSourcesAtTheEnds();
    void integralMatchesClosedForms_data();
    void integralMatchesClosedForms();
    void vcoTable_data();
    void vcoTable();
    void chargePumpAdviceFindsTheDesignedCode();
    void planQualityTakesTheCrossover();
    void badPartsAreRefused_data();
    void badPartsAreRefused();
    void partValues_data();
    void partValues();
    void e24AndEngineeringText_data();
    void e24AndEngineeringText();
};

void TestLoopFilter::textbookExample()
{
    const DesignTarget target{2e3, 47.1, 1.136, 0.6};
    const LoopPlant plant{4e-3, 30e6, 23200};
    const LoopDesignResult result = designLoopFilter(target, plant);
    QVERIFY2(result.design, result.error.c_str());
    const LoopFilter& f = result.design->exact;
    const std::pair<double, double> parts[] = {
        {f.c1, 6.58e-9}, {f.c2, 85.6e-9}, {f.c3, 466e-12}, {f.r2, 2.58e3}, {f.r3, 33.9e3}};
    for (const auto& [value, book] : parts)
        QVERIFY2(relative(value, book) < 0.005, qPrintable(QString::number(value) + " vs " + QString::number(book)));
    // The E24 parts are of the series and come near the target.
    QCOMPARE(loopFilterText(result.design->e24, 2), std::string("C1=6.8n,C2=82n,C3=470p,R2=2.7k,R3=33k"));
    QVERIFY(relative(result.design->e24Loop.crossoverHz, 2e3) < 0.1);
}

void TestLoopFilter::designsGiveBackTheirTargets_data()
{
    QTest::addColumn<bool>("thirdOrder");
    QTest::addRow("second order") << false;
    QTest::addRow("third order") << true;
}

void TestLoopFilter::designsGiveBackTheirTargets()
{
    QFETCH(bool, thirdOrder);
    std::mt19937 random(27);
    const auto uniform = [&random](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    for (int i = 0; i < 300; ++i) {
        const DesignTarget target{std::pow(10.0, uniform(2, 5.5)), uniform(30, 70), uniform(1.0, 1.5),
                                  thirdOrder ? uniform(0.1, 0.6) : 0.0};
        const LoopPlant plant{uniform(0.3e-3, 5e-3), uniform(10e6, 80e6), uniform(50, 30000)};
        const LoopDesignResult result = designLoopFilter(target, plant);
        QVERIFY2(result.design, result.error.c_str());
        QCOMPARE(result.design->exact.thirdOrder(), thirdOrder);
        const LoopAnalysisResult back = analyseLoop(result.design->exact, plant);
        QVERIFY2(back.analysis, back.error.c_str());
        const QString row = QStringLiteral("target %1 Hz, %2 degrees, gamma %3, T31 %4")
                                .arg(target.crossoverHz).arg(target.phaseMarginDeg).arg(target.gamma).arg(target.t31);
        QVERIFY2(relative(back.analysis->crossoverHz, target.crossoverHz) < 0.001, qPrintable(row));
        QVERIFY2(std::fabs(back.analysis->phaseMarginDeg - target.phaseMarginDeg) < 0.1, qPrintable(row));
        // The phase reaches -180 degrees only with the third pole, beyond the crossover.
        QCOMPARE(back.analysis->gainMarginDb.has_value(), thirdOrder);
        if (thirdOrder)
            QVERIFY2(*back.analysis->gainMarginDb > 0, qPrintable(row));
    }
}

void TestLoopFilter::noiseMeetsItsSourcesAtTheEnds()
{
    std::mt19937 random(4351);
    const auto uniform = [&random](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const std::pair<const char*, int> plans[] = {{"2400", 0}, {"3900.5", 0}, {"1100.25", 1}, {"145.2", 4}};
    for (const auto& [fout, divider] : plans) {
        const PanelPlan plan = planAt(fout, divider);
        LoopSettings loop;
        // Deep in band is 100 Hz, far out 10 MHz: 100 to 1000 times below and above.
        const double target = std::pow(10.0, uniform(4, 5)); // 10 to 100 kHz
        loop.filter = designed(plan, loop, {target, uniform(35, 60), kDefaultGamma, uniform(0, 0.6)}).exact;
        const LoopFiguresResult result = loopFigures(plan.settings, plan.result, loop);
        QVERIFY2(result.figures, result.error.c_str());
        const std::vector<NoisePoint>& curve = result.figures->curve;
        QCOMPARE(curve.size(), std::size_t(101));
        QCOMPARE(curve.front().offsetHz, 100.0);
        QCOMPARE(curve.back().offsetHz, 10e6);
        const std::optional<PlanQuality> q = planQuality(plan.settings, plan.result, {});
        const double inBand = powerSumDb(q->inBandFloorDbcHz,
                                         flickerNoiseDbcHz(plan.settings.chip.abp, plan.result.values.fout, 100));
        QVERIFY2(std::fabs(curve.front().totalDbcHz - inBand) < 0.1, fout);
        const double vco = vcoNoiseDbcHz(plan.result.values.vco, 10e6) - 20 * std::log10(plan.result.values.outDiv);
        QVERIFY2(std::fabs(curve.back().totalDbcHz - vco) < 0.1, fout);
    }
}

void TestLoopFilter::integralMatchesClosedForms_data()
{
    QTest::addColumn<double>("slopeDbPerDecade");
    QTest::addColumn<double>("closedForm"); // radians
    // 10^-10 over 1 kHz to 10 MHz: sqrt(2 x 1e-10 x (1e7 - 1e3)).
    QTest::addRow("flat -100 dBc/Hz") << 0.0 << std::sqrt(2e-10 * (1e7 - 1e3));
    // -100 at 1 kHz falling as 1/f: 1e-10 x 1e3 x ln(1e4).
    QTest::addRow("-10 dB a decade, the 1/f case") << -10.0 << std::sqrt(2e-10 * 1e3 * std::log(1e4));
    // As 1/f^2: 1e-10 x 1e6 x (1/1e3 - 1/1e7).
    QTest::addRow("-20 dB a decade") << -20.0 << std::sqrt(2e-10 * 1e6 * (1e-3 - 1e-7));
}

void TestLoopFilter::integralMatchesClosedForms()
{
    QFETCH(double, slopeDbPerDecade);
    QFETCH(double, closedForm);
    std::vector<NoisePoint> points;
    for (int i = 0; i <= 80; ++i) {
        const double hz = 1e3 * std::pow(10.0, i / 20.0);
        points.push_back({hz, 0, 0, -100 + slopeDbPerDecade * std::log10(hz / 1e3)});
    }
    QVERIFY(relative(rmsPhaseErrorRad(points), closedForm) < 1e-9);
}

void TestLoopFilter::vcoTable_data()
{
    QTest::addColumn<double>("vcoMHz");
    QTest::addColumn<double>("offsetHz");
    QTest::addColumn<double>("dbcHz");
    QTest::addRow("a table point") << 3300.0 << 1e6 << -134.0;
    QTest::addRow("halfway between carriers") << 2750.0 << 100e3 << -112.5;
    QTest::addRow("halfway between offsets in log") << 2200.0 << std::sqrt(10e3 * 100e3) << -101.5;
    QTest::addRow("below 10 kHz, the first slope") << 2200.0 << 1e3 << -64.0;
    // 1 MHz to 5 MHz falls 14 dB; 5 to 25 MHz as much again.
    QTest::addRow("beyond 5 MHz, the last slope") << 4400.0 << 25e6 << -159.0;
    QTest::addRow("above the table's carriers") << 4600.0 << 10e3 << -83.0;
}

void TestLoopFilter::vcoTable()
{
    QFETCH(double, vcoMHz);
    QFETCH(double, offsetHz);
    QFETCH(double, dbcHz);
    QVERIFY2(std::fabs(vcoNoiseDbcHz(vcoMHz, offsetHz) - dbcHz) < 1e-9, qPrintable(QString::number(vcoNoiseDbcHz(vcoMHz, offsetHz))));
}

void TestLoopFilter::chargePumpAdviceFindsTheDesignedCode()
{
    QCOMPARE(chargePumpCurrentMA(15, 5.1), 5.0);
    QCOMPARE(chargePumpCurrentMA(0, 10.2), 0.15625);
    // Designed with code 7; the panel now at 15 gives a wider loop.
    const PanelPlan at7 = planAt("2400", 0, 7);
    LoopSettings loop;
    loop.target = DesignTarget{50e3};
    loop.filter = designed(at7, loop, *loop.target).exact;
    const PanelPlan at15 = planAt("2400", 0, 15);
    const LoopFiguresResult result = loopFigures(at15.settings, at15.result, loop);
    QVERIFY2(result.figures && result.figures->chargePump, result.error.c_str());
    const ChargePumpAdvice& advice = *result.figures->chargePump;
    QCOMPARE(advice.currentCode, 15);
    QCOMPARE(advice.bestCode, 7);
    QVERIFY(relative(advice.bestCrossoverHz, 50e3) < 0.001);
    QVERIFY(advice.currentCrossoverHz > 70e3);
}

void TestLoopFilter::planQualityTakesTheCrossover()
{
    // A boundary spur 25 kHz out: inside a 50 kHz loop, outside a 10 kHz one.
    PanelPlan plan = planAt("2400.025", 0);
    LoopSettings loop;
    for (const double fc : {10e3, 50e3}) {
        loop.filter = designed(plan, loop, DesignTarget{fc}).exact;
        const std::optional<PlanQuality> q = planQuality(plan.settings, plan.result, LoopBandwidth(std::nullopt, loop.circuit()));
        QVERIFY(q && q->loopBandwidthFromFilter && !q->loopBandwidthAssumed);
        QVERIFY(relative(q->loopBandwidthKHz, fc / 1e3) < 0.001);
        QCOMPARE(q->boundarySpurInLoop, fc > 25e3);
        QVERIFY(qualityLines(*q).back().value.find("(from the loop filter)") != std::string::npos);
    }
}

void TestLoopFilter::badPartsAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::addRow("zero C1") << "C1=0,C2=22n,R2=1k" << "C1 is 0";
    QTest::addRow("negative C2") << "C1=1.5n,C2=-22n,R2=1k" << "C2 is negative";
    QTest::addRow("NaN R2") << "C1=1.5n,C2=22n,R2=nan" << "R2 is not a finite number";
    QTest::addRow("R3 missing with C3 set") << "C1=1.5n,C2=22n,C3=470p,R2=1k" << "R3 is 0 while C3 is set";
    QTest::addRow("C3 zero with R3 set") << "C1=1.5n,C2=22n,C3=0,R2=1k,R3=2k2" << "C3 is 0 while R3 is set";
    QTest::addRow("C2 missing") << "C1=1.5n,R2=1k" << "C2 is missing";
    QTest::addRow("a part twice") << "C1=1.5n,C1=2n,C2=22n,R2=1k" << "gives C1 twice";
    QTest::addRow("an unknown part") << "C1=1.5n,C2=22n,R2=1k,R4=1k" << "other than C1";
    QTest::addRow("no value") << "C1=1.5n,C2,R2=1k" << "without NAME=VALUE";
    QTest::addRow("a bad unit") << "C1=1.5nH,C2=22n,R2=1k" << "C1 does not end in a prefix and unit of F";
}

void TestLoopFilter::badPartsAreRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    const LoopFilterReading reading = readLoopFilter(text.toStdString());
    QVERIFY(!reading.filter);
    QVERIFY2(QString::fromStdString(reading.error).contains(reason), reading.error.c_str());
    // The parts as numbers (as a settings file or a design might give them)
    // are refused by the analysis itself, and no figure is a NaN.
    LoopFilter f{1.5e-9, 22e-9, 0, 1e3, 0};
    if (text.contains(QStringLiteral("C1=0")))
        f.c1 = 0;
    else if (text.contains(QStringLiteral("-22n")))
        f.c2 = -22e-9;
    else if (text.contains(QStringLiteral("nan")))
        f.r2 = std::nan("");
    else if (text.contains(QStringLiteral("C3=470p")))
        f.c3 = 470e-12;
    else
        return;
    const LoopAnalysisResult analysis = analyseLoop(f, {1e-3, 40e6, 100});
    QVERIFY(!analysis.analysis);
    QVERIFY2(QString::fromStdString(analysis.error).contains(reason.left(4)), analysis.error.c_str());
}

void TestLoopFilter::partValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("value"); // 0: refused
    const int c = int(Quantity::Capacitance);
    const int r = int(Quantity::Resistance);
    const int kv = int(Quantity::Sensitivity);
    QTest::addRow("prefix") << "1.5n" << c << 1.0 << 1.5e-9;
    QTest::addRow("prefix and unit after a blank") << "22 nF" << c << 1.0 << 22e-9;
    QTest::addRow("pico") << "470p" << c << 1.0 << 470e-12;
    QTest::addRow("micro sign") << "1.5\u00b5F" << c << 1.0 << 1.5e-6;
    QTest::addRow("prefix for the point") << "2k2" << r << 1.0 << 2200.0;
    QTest::addRow("R for the point") << "4R7" << r << 1.0 << 4.7;
    QTest::addRow("kilo with a point") << "2.2k" << r << 1.0 << 2200.0;
    QTest::addRow("mega") << "1M" << r << 1.0 << 1e6;
    QTest::addRow("ohm sign") << "33 k\u03a9" << r << 1.0 << 33e3;
    QTest::addRow("plain number in F") << "1.5e-9" << c << 1.0 << 1.5e-9;
    QTest::addRow("plain number in a kOhm box") << "5.1" << r << 1e3 << 5100.0;
    QTest::addRow("prefixed in a kOhm box") << "5k1" << r << 1e3 << 5100.0;
    QTest::addRow("Kv in MHz/V") << "40 MHz/V" << kv << 1e6 << 40e6;
    QTest::addRow("empty") << "  " << c << 1.0 << 0.0;
    QTest::addRow("letters") << "abc" << c << 1.0 << 0.0;
    QTest::addRow("a unit of another quantity") << "22nH" << c << 1.0 << 0.0;
    QTest::addRow("a point and a prefix point") << "2.2k2" << r << 1.0 << 0.0;
    QTest::addRow("infinity") << "inf" << r << 1.0 << 0.0;
    QTest::addRow("decimal comma") << "1,5n" << c << 1.0 << 0.0;
    // Regressions the fuzzer found: scaled past the largest double, a value read as infinity.
    QTest::addRow("a plain number scaled past the largest double") << "9e306" << r << 1e3 << 0.0;
    QTest::addRow("a prefix past the largest double") << "9e300G" << c << 1.0 << 0.0;
}

void TestLoopFilter::partValues()
{
    QFETCH(QString, text);
    QFETCH(int, quantity);
    QFETCH(double, scale);
    QFETCH(double, value);
    const QuantityReading reading = readQuantity(text.toStdString(), Quantity(quantity), scale);
    if (value == 0) {
        QVERIFY(!reading.value);
        QVERIFY(!reading.error.empty());
    } else {
        QVERIFY2(reading.value, reading.error.c_str());
        QCOMPARE(*reading.value, value);
    }
}

void TestLoopFilter::e24AndEngineeringText_data()
{
    QTest::addColumn<double>("exact");
    QTest::addColumn<double>("e24");
    QTest::addColumn<QString>("e24Text");
    QTest::addRow("down to 6.8n") << 6.58e-9 << 6.8e-9 << "6.8n";
    QTest::addRow("between decades, up to 10k") << 9.6e3 << 10e3 << "10k";
    QTest::addRow("by ratio, 1.05 to 1.0") << 1.048 << 1.0 << "1";
    QTest::addRow("466p to 470p") << 466e-12 << 470e-12 << "470p";
    QTest::addRow("33.9k to 33k") << 33.9e3 << 33e3 << "33k";
}

void TestLoopFilter::e24AndEngineeringText()
{
    QFETCH(double, exact);
    QFETCH(double, e24);
    QFETCH(QString, e24Text);
    QCOMPARE(nearestE24(exact), e24);
    QCOMPARE(QString::fromStdString(engineeringText(e24, 2)), e24Text);
    // A figure rounded up across a prefix takes the next one, and reads back.
    QCOMPARE(engineeringText(999.96e-12, 4), std::string("1n"));
    const QuantityReading back = readQuantity(engineeringText(exact, 4), Quantity::Resistance);
    QCOMPARE(*back.value, shownSignificant(exact, 4));
}

QTEST_GUILESS_MAIN(TestLoopFilter)
#include "tst_loop_filter.moc"
