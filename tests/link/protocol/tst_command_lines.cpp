// The bytes each command puts on the wire.
#include <QtTest>

#include "command_lines.h"

namespace {

const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line;
    return all;
}

} // namespace

class TestCommandLines : public QObject {
    Q_OBJECT
private slots:
    void registerLineIsZeroPadded();
    void sendAll();
    void writeAll();
    void init();
    void changedOnly_data();
    void changedOnly();
};

void TestCommandLines::registerLineIsZeroPadded()
{
    QCOMPARE(vantrel::registerLine(0x5), std::string("R00000005\r\n"));
    QCOMPARE(vantrel::registerLine(0xFFFFFFFF), std::string("RFFFFFFFF\r\n"));
}

void TestCommandLines::sendAll()
{
    const std::vector<std::string> lines = vantrel::sendAllLines(kExample);
    QCOMPARE(lines.size(), std::size_t(6));
    const std::string all = joined(lines);
    QCOMPARE(all.size(), std::size_t(66));
    QCOMPARE(all, std::string("R00580005\r\nR0085003C\r\nR00000003\r\nR18004E42\r\nR0800FD01\r\nR00740640\r\n"));
}

void TestCommandLines::writeAll()
{
    const std::vector<std::string> lines = vantrel::writeAllLines(kExample);
    QCOMPARE(lines.size(), std::size_t(12));
    const std::string all = joined(lines);
    QCOMPARE(all.size(), std::size_t(84));
    QCOMPARE(all, std::string("R00580005\r\nW\r\nR0085003C\r\nW\r\nR00000003\r\nW\r\n"
                              "R18004E42\r\nW\r\nR0800FD01\r\nW\r\nR00740640\r\nW\r\n"));
}

void TestCommandLines::init()
{
    QCOMPARE(joined(vantrel::initLines()), std::string("INIT\r\n"));
}

void TestCommandLines::changedOnly_data()
{
    QTest::addColumn<quint32>("reg0");
    QTest::addColumn<quint32>("reg4");
    QTest::addColumn<quint32>("reg1");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("nothing changed: nothing sent") << 0x00740640u << 0x0085003Cu << 0x0800FD01u << QByteArray();
    QTest::addRow("INT and FRAC only: Reg0 alone") << 0x00748000u << 0x0085003Cu << 0x0800FD01u
                                                   << QByteArray("R00748000\r\n");
    // Reg0 goes last even when it did not change: the chip applies on Reg0.
    QTest::addRow("divider only: Reg4, then Reg0 unchanged")
        << 0x00740640u << 0x0095003Cu << 0x0800FD01u << QByteArray("R0095003C\r\nR00740640\r\n");
    QTest::addRow("two words and Reg0, descending")
        << 0x00748000u << 0x0095003Cu << 0x0800FD11u << QByteArray("R0095003C\r\nR0800FD11\r\nR00748000\r\n");
}

void TestCommandLines::changedOnly()
{
    QFETCH(quint32, reg0);
    QFETCH(quint32, reg4);
    QFETCH(quint32, reg1);
    QFETCH(QByteArray, expected);
    vantrel::RegisterSet next = kExample;
    next[0] = reg0;
    next[1] = reg1;
    next[4] = reg4;
    QCOMPARE(QByteArray::fromStdString(joined(vantrel::changedLines(kExample, next))), expected);
}

QTEST_APPLESS_MAIN(TestCommandLines)
#include "tst_command_lines.moc"
