// The one hexadecimal codec: eight-digit words out, words read back from
// the board's replies, from the command line and from pasted text.
#include <QtTest>

#include "hex_codec.h"

class TestHexCodec : public QObject {
    Q_OBJECT
private slots:
    void hex_data();
    void hex();
    void read_data();
    void read();
};

void TestHexCodec::hex_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QString>("expected");
    QTest::addRow("zero") << 0u << "00000000";
    QTest::addRow("reg 5") << 5767173u << "00580005";
    QTest::addRow("small") << 5u << "00000005";
    QTest::addRow("largest positive") << 2147483647u << "7FFFFFFF";
    QTest::addRow("top bit keeps its pattern") << 0x80000000u << "80000000";
    QTest::addRow("upper case") << 0xABCDEF12u << "ABCDEF12";
}

void TestHexCodec::hex()
{
    QFETCH(quint32, word);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(vantrel::hexFormat(word)), expected);
}

void TestHexCodec::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("leading"); // -1: no word
    QTest::addColumn<qlonglong>("whole");   // -1: not a word by itself
    QTest::addRow("eight digits") << "00580005" << 0x580005LL << 0x580005LL;
    QTest::addRow("lower case") << "00c8000a" << 0xC8000ALL << 0xC8000ALL;
    QTest::addRow("fewer digits") << "5" << 5LL << 5LL;
    QTest::addRow("top bit keeps its pattern") << "FFFFFFFF" << 0xFFFFFFFFLL << 0xFFFFFFFFLL;
    QTest::addRow("stops at a non-digit") << "1G" << 1LL << -1LL;
    QTest::addRow("only eight digits are read") << "123456789" << 0x12345678LL << -1LL;
    QTest::addRow("empty") << "" << -1LL << -1LL;
    QTest::addRow("no leading digit") << " 12" << -1LL << -1LL;
    QTest::addRow("a prefix is not a digit") << "0x12" << 0LL << -1LL;
}

void TestHexCodec::read()
{
    QFETCH(QString, text);
    QFETCH(qlonglong, leading);
    QFETCH(qlonglong, whole);
    const auto value = [](const std::optional<std::uint32_t>& word) { return word ? qlonglong(*word) : -1LL; };
    QCOMPARE(value(vantrel::leadingHexWord(text.toStdString())), leading);
    QCOMPARE(value(vantrel::parseHexWord(text.toStdString())), whole);
}

QTEST_APPLESS_MAIN(TestHexCodec)
#include "tst_hex_codec.moc"
