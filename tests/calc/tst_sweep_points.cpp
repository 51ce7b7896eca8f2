// Sweep and hop-list points: how many, which, and the errors that stop a
// sweep before anything is sent.
#include <QtTest>

#include "sweep_points.h"

using namespace vantrel;

class TestSweepPoints : public QObject {
    Q_OBJECT
private slots:
    void linear_data();
    void linear();
    void hopList_data();
    void hopList();
};

void TestSweepPoints::linear_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("points"); // frequency texts, or "error: ..." (a part of it)
    QTest::addRow("upwards, stop included") << 2400.0 << 2400.2 << 0.1 << "2400 2400.1 2400.2";
    // 0.1 is not exact in binary: the last point must neither be lost nor drift.
    QTest::addRow("ten tenths") << 0.0 << 1.0 << 0.1 << "0 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1";
    QTest::addRow("downwards with a negative step") << 2401.0 << 2400.0 << -0.5 << "2401 2400.5 2400";
    QTest::addRow("stop between two points") << 100.0 << 102.5 << 1.0 << "100 101 102";
    QTest::addRow("one point") << 2400.0 << 2400.0 << 1.0 << "2400";
    QTest::addRow("step 0") << 1.0 << 2.0 << 0.0 << "error: STEP must not be 0";
    QTest::addRow("step away from stop") << 1.0 << 2.0 << -0.1 << "error: STEP -0.1 leads away";
    QTest::addRow("too many points") << 35.0 << 4400.0 << 1e-3 << "error: more than 100000";
}

void TestSweepPoints::linear()
{
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    QFETCH(QString, points);
    const SweepPoints sweep = linearSweep(start, stop, step);
    if (points.startsWith(QLatin1String("error: "))) {
        QVERIFY2(QString::fromStdString(sweep.error).contains(points.mid(7)), sweep.error.c_str());
        QVERIFY(sweep.points.empty());
        return;
    }
    QVERIFY2(sweep.ok(), sweep.error.c_str());
    QStringList texts;
    for (const SweepPoint& point : sweep.points)
        texts << QString::fromStdString(frequencyText(point.mhz));
    QCOMPARE(texts.join(' '), points);
}

void TestSweepPoints::hopList_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("points"); // "MHz@ms:line" each, or "error: ..."
    QTest::addRow("frequencies, dwells, comments and blank lines")
        << QByteArray("# a filter's edges\r\n2400\n\n  2410.5 , 250\n2420 # the centre\n")
        << "2400@-:2 2410.5@250:4 2420@-:5";
    QTest::addRow("no line end at the end") << QByteArray("145.2") << "145.2@-:1";
    QTest::addRow("a comma for a point") << QByteArray("2400\n2400,5,3\n") << "error: line 2: \"5,3\"";
    QTest::addRow("letters in a frequency") << QByteArray("24OO\n") << "error: line 1: \"24OO\" is not a frequency";
    QTest::addRow("a negative dwell") << QByteArray("2400,-5") << "error: line 1: \"-5\" is not a dwell";
    QTest::addRow("a zero frequency") << QByteArray("\n0\n") << "error: line 2: \"0\"";
    QTest::addRow("nothing to hop to") << QByteArray("# only a comment\n") << "error: the hop list holds no frequency";
    // These were taken: 2400 MHz for 5 ms, a 0.1 Hz output, a dwell of 24 days.
    QTest::addRow("a comma straight after the number")
        << QByteArray("2400,5\n") << "error: line 1: \"2400,5\" is ambiguous: write 2400.5 for a frequency or "
                                     "\"2400, 5\" for a 5 ms dwell";
    QTest::addRow("an output below 1 kHz") << QByteArray("0.0000001") << "error: line 1: \"0.0000001\" is below 1 kHz";
    QTest::addRow("a dwell beyond a day") << QByteArray("2400, 86400001")
                                          << "error: line 1: \"86400001\" is not a dwell in whole milliseconds from 0 "
                                             "to 86400000";
    // The line used to be echoed whole and raw.
    QTest::addRow("control bytes and a long line, escaped and cut")
        << QByteArray("24\x01O\n") + QByteArray(200, 'x')
        << "error: line 1: \"24\\x01O\" is not a frequency";
    QTest::addRow("a long line, cut") << QByteArray(200, 'x')
                                      << "error: line 1: \"" + QString(80, 'x') + "...\" is not a frequency";
}

void TestSweepPoints::hopList()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, points);
    const SweepPoints hops = parseHopList(text.toStdString());
    if (points.startsWith(QLatin1String("error: "))) {
        QVERIFY2(QString::fromStdString(hops.error).startsWith(points.mid(7)), hops.error.c_str());
        return;
    }
    QVERIFY2(hops.ok(), hops.error.c_str());
    QStringList texts;
    for (const SweepPoint& point : hops.points) {
        texts << QStringLiteral("%1@%2:%3")
                     .arg(QString::fromStdString(frequencyText(point.mhz)),
                          point.dwell ? QString::number(point.dwell->count()) : QStringLiteral("-"))
                     .arg(point.line);
    }
    QCOMPARE(texts.join(' '), points);
}

QTEST_APPLESS_MAIN(TestSweepPoints)
#include "tst_sweep_points.moc"
