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

QTEST_APPLESS_MAIN(TestCommandLines)
#include "tst_command_lines.moc"
