// Pacing: one line per hand-over, at least the line gap between two, the
// event loop free meanwhile, and a clean stop when the port goes away.
#include <QtTest>

#include <chrono>

#include "paced_sender.h"

using vantrel::PacedSender;

class TestPacedSender : public QObject {
    Q_OBJECT
private slots:
    void writesInOrderWithTheGap();
    void refusesASecondCommandWhileBusy();
    void abortStopsWriting();
    void refusedWriteStops();
};

namespace {

struct Recorder {
    QList<QByteArray> lines;
    QList<qint64> atNs;
    QElapsedTimer clock;
    bool accept = true;

    PacedSender::WriteFunction function()
    {
        clock.start();
        return [this](const QByteArray& bytes) {
            lines.append(bytes);
            atNs.append(clock.nsecsElapsed());
            return accept;
        };
    }
};

} // namespace

void TestPacedSender::writesInOrderWithTheGap()
{
    Recorder recorder;
    PacedSender sender(recorder.function());
    QSignalSpy finished(&sender, &PacedSender::finished);
    int ticks = 0;
    QTimer ticker; // the event loop must keep running during the pauses
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(std::chrono::milliseconds(10));

    QVERIFY(sender.start({"R00580005\r\n", "W\r\n", "INIT\r\n"}));
    QCOMPARE(recorder.lines.size(), 1); // the first line goes out at once
    QVERIFY(sender.isBusy());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QVERIFY(!sender.isBusy());
    QCOMPARE(recorder.lines, (QList<QByteArray>{"R00580005\r\n", "W\r\n", "INIT\r\n"}));
    const qint64 gapNs = std::chrono::nanoseconds(PacedSender::kLineGap).count();
    for (int i = 1; i < recorder.atNs.size(); ++i)
        QVERIFY2(recorder.atNs[i] - recorder.atNs[i - 1] >= gapNs, qPrintable(QString::number(recorder.atNs[i] - recorder.atNs[i - 1])));
    // finished comes a full gap after the last line too.
    QVERIFY(recorder.clock.nsecsElapsed() - recorder.atNs.last() >= gapNs);
    QVERIFY(ticks >= 10);
}

void TestPacedSender::refusesASecondCommandWhileBusy()
{
    Recorder recorder;
    PacedSender sender(recorder.function());
    QSignalSpy finished(&sender, &PacedSender::finished);
    QVERIFY(!sender.start({}));
    QVERIFY(sender.start({"A\r\n", "B\r\n"}));
    QVERIFY(!sender.start({"X\r\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QCOMPARE(recorder.lines, (QList<QByteArray>{"A\r\n", "B\r\n"}));
    QVERIFY(sender.start({"C\r\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
}

void TestPacedSender::abortStopsWriting()
{
    Recorder recorder;
    PacedSender sender(recorder.function());
    QSignalSpy finished(&sender, &PacedSender::finished);
    QSignalSpy aborted(&sender, &PacedSender::aborted);
    QVERIFY(sender.start({"A\r\n", "B\r\n", "C\r\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.lines.size(), 2, 5000);
    sender.abort();
    QCOMPARE(aborted.size(), 1);
    QVERIFY(!sender.isBusy());
    QTest::qWait(300);
    QCOMPARE(recorder.lines.size(), 2);
    QCOMPARE(finished.size(), 0);
    sender.abort(); // nothing to stop: no second report
    QCOMPARE(aborted.size(), 1);
}

void TestPacedSender::refusedWriteStops()
{
    Recorder recorder;
    PacedSender sender(recorder.function());
    QSignalSpy failed(&sender, &PacedSender::writeFailed);
    QSignalSpy finished(&sender, &PacedSender::finished);
    QVERIFY(sender.start({"A\r\n", "B\r\n", "C\r\n"}));
    recorder.accept = false;
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
    QCOMPARE(failed.at(0).at(0).toInt(), 1);
    QVERIFY(!sender.isBusy());
    QTest::qWait(250);
    QCOMPARE(recorder.lines.size(), 2);
    QCOMPARE(finished.size(), 0);
}

QTEST_MAIN(TestPacedSender)
#include "tst_paced_sender.moc"
