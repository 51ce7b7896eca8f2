// The best-fraction search, the forced denominator and the output steps.
#include <QtTest>

#include "best_fraction.h"

using namespace vantrel;
using End = BestFraction::End;

class TestBestFraction : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void nearlyWholeRatioEndsAtOnce();
    void timeLimitStillGuards();
    void forcedDenominator_data();
    void forcedDenominator();
    void stepsNeedNonZeroDivisors();
};

void TestBestFraction::search_data()
{
    QTest::addColumn<double>("vco");
    QTest::addColumn<double>("fcomp");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("denominator");
    QTest::addRow("fraction 0.05 fits 1/20 at once") << 2320.5 << 10.0 << int(End::Found) << 20;
    QTest::addRow("fraction 0.5 starts at F 1, finds 2") << 2325.0 << 10.0 << int(End::Found) << 2;
    QTest::addRow("fraction 0.75 ends at 3/4") << 2327.5 << 10.0 << int(End::Found) << 4;
    QTest::addRow("fraction below 1/4094.5 needs D 4095 at once") << 2320.0 + 10.0 / 5000 << 10.0
                                                                  << int(End::Found) << 0;
    QTest::addRow("no fit exact: best of 1..4094") << 2320.0 + 10.0 / 3.14159265 << 10.0 << int(End::Found) << 355; // 113/355
    QTest::addRow("whole ratio") << 2320.0 << 10.0 << int(End::NoFraction) << 0;
    QTest::addRow("fraction 0.000005") << 2320.00005 << 10.0 << int(End::NoFraction) << 0;
    QTest::addRow("no plan yet") << 0.0 << 0.0 << int(End::NoPlan) << 0;
    // 2320.5 / -3 = -773.5: fraction 0.5, searched as written (was refused).
    QTest::addRow("negative Fcomp") << 2320.5 << -3.0 << int(End::Found) << 2;
}

void TestBestFraction::search()
{
    QFETCH(double, vco);
    QFETCH(double, fcomp);
    const BestFraction best = searchBestFraction(vco, fcomp);
    QTEST(int(best.end), "end");
    QTEST(best.denominator, "denominator");
}

// The loop keeps D at 1 for so small a fraction and would run two seconds.
void TestBestFraction::nearlyWholeRatioEndsAtOnce()
{
    int clockReads = 0;
    const auto clock = [&clockReads] {
        ++clockReads;
        return std::chrono::steady_clock::time_point{};
    };
    QCOMPARE(int(searchBestFraction(2320.00005, 10.0, clock).end), int(End::NoFraction));
    QCOMPARE(clockReads, 0);
}

void TestBestFraction::timeLimitStillGuards()
{
    std::chrono::steady_clock::time_point t{};
    const auto slowClock = [&t] {
        t += std::chrono::milliseconds(700);
        return t;
    };
    const BestFraction best = searchBestFraction(2320.0 + 10.0 / 3.14159265, 10.0, slowClock);
    QCOMPARE(int(best.end), int(End::TimedOut));
}

void TestBestFraction::forcedDenominator_data()
{
    QTest::addColumn<bool>("intN");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("outDiv");
    QTest::addColumn<double>("expected"); // 0: nothing written
    QTest::addRow("20 at divider 1") << false << " 20" << 1.0 << 500000.0;
    QTest::addRow("12.5 ties to 12") << false << "12.5" << 1.0 << 10e6 / 12;
    QTest::addRow("13.5 ties to 14") << false << "13.5" << 1.0 << 10e6 / 14;
    QTest::addRow("divider divides once more") << false << "4000" << 4.0 << 625.0;
    QTest::addRow("empty text ignored") << false << "" << 1.0 << 0.0;
    QTest::addRow("zero ignored") << false << " 0" << 1.0 << 0.0;
    QTest::addRow("negative ignored") << false << "-5" << 1.0 << 0.0;
    QTest::addRow("beyond 32 bits ignored") << false << "3e9" << 1.0 << 0.0;
    QTest::addRow("integer-N writes the integer step") << true << "20" << 2.0 << 5e6;
    QTest::addRow("integer-N ignores an empty text") << true << "" << 1.0 << 10e6;
}

void TestBestFraction::forcedDenominator()
{
    QFETCH(bool, intN);
    QFETCH(QString, text);
    QFETCH(double, outDiv);
    QFETCH(double, expected);
    const std::optional<double> step = forcedResolution(intN, text.toStdString(), 10.0, 1.0, outDiv);
    QCOMPARE(step.value_or(0.0), expected);
}

void TestBestFraction::stepsNeedNonZeroDivisors()
{
    QCOMPARE(integerNStep(10, 1, 1), std::optional<double>(10e6));
    QCOMPARE(integerNStep(10, 3, 2), std::optional<double>((10e6 / 3) / 2));
    QVERIFY(!integerNStep(10, 0, 1));   // before the first plan
    QVERIFY(!integerNStep(10, 1, 0));
    QVERIFY(!stepForDenominator(10, 1, 0, 1));
    QVERIFY(!integerNStep(1e308, 1e-308, 1)); // not finite
    // A negative reference gives a negative R; the steps are computed as
    // written (these were refused as "no plan").
    QCOMPARE(integerNStep(-30, -1, 1), std::optional<double>(30e6));
    QCOMPARE(stepForDenominator(-30, -1, 3, 1), std::optional<double>(10e6));
}

QTEST_APPLESS_MAIN(TestBestFraction)
#include "tst_best_fraction.moc"
