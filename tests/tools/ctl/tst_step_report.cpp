// What vantrel-ctl says of a step: the time left on its progress line, and
// the error in its step lines.
#include <QtTest>

#include "step_report.h"

using namespace vantrel;
using namespace std::chrono_literals;

namespace {

std::vector<SweepStepPlan> steps(int count, double errorHz = 0)
{
    std::vector<SweepStepPlan> planned(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        planned[static_cast<std::size_t>(i)].point = {2400.0 + i, std::nullopt, 0, i + 1};
        planned[static_cast<std::size_t>(i)].plannedMHz = 2400.0 + i;
        planned[static_cast<std::size_t>(i)].errorHz = errorHz;
    }
    return planned;
}

} // namespace

class TestStepReport : public QObject {
    Q_OBJECT
private slots:
    void timeLeft_data();
    void timeLeft();
    void noNegativeZeroError();
};

void TestStepReport::timeLeft_data()
{
    QTest::addColumn<QList<int>>("startsMs"); // when each step began
    QTest::addColumn<QString>("progress");
    // With --changed-only the first step sends six lines, the others one:
    // its 0.6 s used to count for every step (about 34 s).
    QTest::addRow("changed words only: paced by the steps since the second")
        << QList<int>{0, 600, 700} << "step 3 of 100 (2402 MHz), about 10 s left";
    QTest::addRow("whole sets: the same pace") << QList<int>{0, 600, 1200} << "about 59 s left";
    QTest::addRow("nothing to go by before the third step") << QList<int>{0, 600} << "step 2 of 100 (2401 MHz)";
}

void TestStepReport::timeLeft()
{
    QFETCH(QList<int>, startsMs);
    QFETCH(QString, progress);
    const std::vector<SweepStepPlan> planned = steps(100);
    StepReport report(planned, 100, 1);
    for (int i = 0; i < startsMs.size(); ++i)
        report.started(1, i, std::chrono::milliseconds(startsMs[i]));
    QVERIFY2(report.progressLine().endsWith(progress), qPrintable(report.progressLine()));
    if (!progress.contains(QStringLiteral("left")))
        QVERIFY(!report.progressLine().contains(QStringLiteral("left")));
}

// An exact plan's error of -2.27e-07 Hz read "-0.0Hz" in the step lines.
void TestStepReport::noNegativeZeroError()
{
    const std::vector<SweepStepPlan> planned = steps(1, -2.2737367544323206e-07);
    StepReport report(planned, 1, 1);
    report.started(1, 0, 0ns);
    report.sent(1, 0, {QStringLiteral("R00780000")}, 0ns);
    QVERIFY2(report.textLine().contains("error 0.0Hz, 1 line"), report.textLine().constData());
    QVERIFY2(report.dryRunLine(0, {}, false).contains("error 0.0Hz"), report.dryRunLine(0, {}, false).constData());
    QVERIFY2(report.jsonLine().contains("\"error_hz\":0,"), report.jsonLine().constData());
}

QTEST_APPLESS_MAIN(TestStepReport)
#include "tst_step_report.moc"
