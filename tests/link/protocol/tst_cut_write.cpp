// What a Write EE cut short says of the board's stored set, for every point
// at which the lines can stop.
#include <QtTest>

#include "cut_write.h"

using namespace vantrel;

class TestCutWrite : public QObject {
    Q_OBJECT
private slots:
    void afterEachLine_data();
    void afterEachLine();
};

void TestCutWrite::afterEachLine_data()
{
    QTest::addColumn<int>("linesSent");
    QTest::addColumn<QString>("text");
    QTest::addRow("none") << 0 << "Write EE sent no line: the board's stored set is as it was.";
    QTest::addRow("Reg5's word, not stored")
        << 1
        << "Write EE was cut short: the last line out was R00580005 (Reg5's word, not stored). The board's "
           "stored set is as it was.";
    QTest::addRow("Reg5 stored")
        << 2
        << "Write EE was cut short: the last line out was W, which stored Reg5. The stored set is now mixed: "
           "Reg5 of this set, Reg4 to Reg0 of the one before. Write EE again once the board is back.";
    QTest::addRow("Reg3's word after Reg5 and Reg4 stored")
        << 5
        << "Write EE was cut short: the last line out was R00000003 (Reg3's word, not stored). The stored set "
           "is now mixed: Reg5 to Reg4 of this set, Reg3 to Reg0 of the one before. Write EE again once the "
           "board is back.";
    QTest::addRow("all but Reg0 stored")
        << 11
        << "Write EE was cut short: the last line out was R00740640 (Reg0's word, not stored). The stored set "
           "is now mixed: Reg5 to Reg1 of this set, Reg0 of the one before. Write EE again once the board is "
           "back.";
    QTest::addRow("every line") << 12 << "Every line of Write EE went out: the board has stored the whole set.";
}

void TestCutWrite::afterEachLine()
{
    QFETCH(int, linesSent);
    QFETCH(QString, text);
    // The first worked set.
    const RegisterSet set{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
    QCOMPARE(QString::fromStdString(cutWriteText(set, std::size_t(linesSent))), text);
}

QTEST_APPLESS_MAIN(TestCutWrite)
#include "tst_cut_write.moc"
