// Register sets as clipboard text: the "0x%08X" lines copied out, and six
// words pasted back in the forms people copy them in.
#include <QtTest>

#include "register_set_text.h"

using vantrel::RegisterSet;

namespace {

// The first worked example's set.
constexpr RegisterSet kSet{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

} // namespace

Q_DECLARE_METATYPE(RegisterSet)

class TestRegisterSetText : public QObject {
    Q_OBJECT
private slots:
    void copiedLines();
    void readsASet_data();
    void readsASet();
    void refusesText_data();
    void refusesText();
};

void TestRegisterSetText::copiedLines()
{
    const std::string text = vantrel::registerSetText(kSet);
    QCOMPARE(QString::fromStdString(text), QStringLiteral("0x00740640\r\n0x0800FD01\r\n0x18004E42\r\n"
                                                          "0x00000003\r\n0x0085003C\r\n0x00580005\r\n"));
    const vantrel::RegisterSetReading back = vantrel::readRegisterSetText(text);
    QVERIFY(back.set);
    QVERIFY(*back.set == kSet);
}

void TestRegisterSetText::readsASet_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<RegisterSet>("expected");
    QTest::addRow("0x lines, Reg5 first, LF only")
        << "0x00580005\n0x0085003C\n0x00000003\n0x18004E42\n0x0800FD01\n0x00740640" << kSet;
    QTest::addRow("commas without prefix, shuffled")
        << "18004E42,00580005,00740640,0085003C,00000003,0800FD01" << kSet;
    QTest::addRow("blanks, lower case, leading zeros dropped")
        << "0x0800fd01 0x0085003c 18004e42 740640 3 580005" << kSet;
    QTest::addRow("0X, tabs, semicolons, separators round and at the ends")
        << " \r\n0X0800FD01 ,\t0x0085003c;; 0X18004E42,3\r\n0x740640 ;580005,\r\n" << kSet;
    QTest::addRow("one digit each") << "0 1 2 3 4 5" << RegisterSet{0, 1, 2, 3, 4, 5};
    QTest::addRow("the top bit keeps its pattern")
        << "FFFFFFF8 FFFFFFF9 FFFFFFFA FFFFFFFB FFFFFFFC FFFFFFFD"
        << RegisterSet{0xFFFFFFF8, 0xFFFFFFF9, 0xFFFFFFFA, 0xFFFFFFFB, 0xFFFFFFFC, 0xFFFFFFFD};
}

void TestRegisterSetText::readsASet()
{
    QFETCH(QString, text);
    QFETCH(RegisterSet, expected);
    const vantrel::RegisterSetReading reading = vantrel::readRegisterSetText(text.toStdString());
    QVERIFY2(reading.set, reading.error.c_str());
    QVERIFY(reading.error.empty());
    for (std::size_t i = 0; i < expected.size(); ++i)
        QCOMPARE(reading.set->at(i), expected[i]);
}

void TestRegisterSetText::refusesText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addRow("nothing but separators") << " ,\r\n;\t" << "it holds no register words";
    QTest::addRow("register 3 missing")
        << "00740640 0800FD01 18004E42 0085003C 00580005" << "no word for register 3";
    QTest::addRow("three registers missing")
        << "00740640 0800FD01 18004E42" << "no words for registers 3, 4 and 5";
    QTest::addRow("a word with a letter beyond F")
        << "00740640 0800FD01 18004E4G 3 0085003C 00580005" << "\"18004E4G\" is not a hexadecimal word";
    QTest::addRow("a register name left in")
        << "R0=00740640 0800FD01 18004E42 3 0085003C 00580005" << "\"R0=00740640\" is not a hexadecimal word";
    QTest::addRow("a prefix alone") << "0x 0800FD01" << "\"0x\" is not a hexadecimal word";
    QTest::addRow("nine digits")
        << "007406400 0800FD01 18004E42 3 0085003C 00580005" << "\"007406400\" has more than eight hexadecimal digits";
    QTest::addRow("a long word is quoted short")
        << "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" << "\"0123456789ABCDEFGHIJ...\" is not a hexadecimal word";
    QTest::addRow("a word for register 6")
        << "00740640 0800FD01 18004E42 3 0085003C 00580005 6"
        << "0x00000006 is a word for register 6, and the chip has registers 0 to 5 only";
    QTest::addRow("a word for register 7 instead of 5")
        << "00740640 0800FD01 18004E42 3 0085003C 0058000F"
        << "0x0058000F is a word for register 7, and the chip has registers 0 to 5 only";
    QTest::addRow("two words for register 2")
        << "00740640 0800FD01 18004E42 3 0085003C 00580005 18004E4A"
        << "two words for register 2, 0x18004E42 and 0x18004E4A";
    QTest::addRow("the same word twice")
        << "00740640 0800FD01 18004E42 3 0085003C 00580005 00740640"
        << "two words for register 0, 0x00740640 and 0x00740640";
}

void TestRegisterSetText::refusesText()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    const vantrel::RegisterSetReading reading = vantrel::readRegisterSetText(text.toStdString());
    QVERIFY(!reading.set);
    QCOMPARE(QString::fromStdString(reading.error), error);
}

QTEST_APPLESS_MAIN(TestRegisterSetText)
#include "tst_register_set_text.moc"
