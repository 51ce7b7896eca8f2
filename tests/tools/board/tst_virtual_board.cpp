// What the virtual board warns of: lines too close together, timed as they
// arrive, and lines it cannot take, echoed so that a terminal stays whole.
#include <QtTest>

#include "virtual_board.h"

using vantrel::VirtualBoard;

class TestVirtualBoard : public QObject {
    Q_OBJECT
private slots:
    void warnings_data();
    void warnings();
};

void TestVirtualBoard::warnings_data()
{
    QTest::addColumn<int>("gapUs");        // from the first line's arrival to the second's
    QTest::addColumn<QByteArray>("second"); // the second line, without CR LF
    QTest::addColumn<QString>("warning");   // empty: none
    // A loaded machine read a line 5.2 ms late: 94.8 ms between arrivals
    // though the window wrote them 100.4 ms apart.
    QTest::addRow("94.8 ms: within the lag of timing on arrival") << 94800 << QByteArray("R0085003C") << QString();
    QTest::addRow("85 ms: too close")
        << 85000 << QByteArray("R0085003C")
        << "line 2 \"R0085003C\" arrived 85.0 ms after the previous one (at least 100 ms needed; timed on arrival "
           "here, which may lag the sender by up to 10 ms)";
    // These were echoed raw: a NUL, an escape sequence, a line of any length.
    QTest::addRow("control bytes") << 200000 << QByteArray("R\x1b[2J\0", 6) << "bad register line \"R\\x1B[2J\\x00\"";
    QTest::addRow("a long unknown line")
        << 200000 << QByteArray(500, 'x') << "unknown line \"" + QString(80, 'x') + "...\"";
}

void TestVirtualBoard::warnings()
{
    QFETCH(int, gapUs);
    QFETCH(QByteArray, second);
    QFETCH(QString, warning);
    VirtualBoard board(QStringLiteral("TEST"));
    const VirtualBoard::Clock::time_point start = VirtualBoard::Clock::now();
    QVERIFY(board.feed("R00580005\r\n", start).warnings.isEmpty());
    const QStringList warnings = board.feed(second + "\r\n", start + std::chrono::microseconds(gapUs)).warnings;
    QCOMPARE(warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
}

QTEST_APPLESS_MAIN(TestVirtualBoard)
#include "tst_virtual_board.moc"
