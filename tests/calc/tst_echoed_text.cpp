// Input echoed in messages: 7-bit ASCII whatever arrives, cut to a bound
// without splitting an escape.
#include <QtTest>

#include "echoed_text.h"

class TestEchoedText : public QObject {
    Q_OBJECT
private slots:
    void echo_data();
    void echo();
};

void TestEchoedText::echo_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<int>("maxChars");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("printable text unchanged") << QByteArray("FREQ 2.4GHZ") << 40 << QByteArray("FREQ 2.4GHZ");
    QTest::addRow("NUL, CR and DEL escaped") << QByteArray("a\0b\r\x7F", 5) << 40 << QByteArray("a\\x00b\\x0D\\x7F");
    QTest::addRow("UTF-8 bytes one by one") << QByteArray("\xC3\xA9") << 40 << QByteArray("\\xC3\\xA9");
    QTest::addRow("backslash escaped") << QByteArray("\\x41") << 40 << QByteArray("\\x5Cx41");
    QTest::addRow("exactly the bound kept whole") << QByteArray(8, 'A') << 8 << QByteArray(8, 'A');
    QTest::addRow("one over the bound cut") << QByteArray(9, 'A') << 8 << QByteArray("AAAAAAAA...");
    // An escape that would straddle the bound goes whole, not as "\x0".
    QTest::addRow("escape not split") << QByteArray("AAAAAA\x01", 7) << 8 << QByteArray("AAAAAA...");
    QTest::addRow("a megabyte line cut") << QByteArray(1 << 20, 'z') << 80 << QByteArray(80, 'z') + "...";
}

void TestEchoedText::echo()
{
    QFETCH(QByteArray, raw);
    QFETCH(int, maxChars);
    QFETCH(QByteArray, expected);
    const std::string echoed = vantrel::echoedText(std::string_view(raw.constData(), static_cast<std::size_t>(raw.size())),
                                                   static_cast<std::size_t>(maxChars));
    QCOMPARE(QByteArray::fromStdString(echoed), expected);
}

QTEST_APPLESS_MAIN(TestEchoedText)
#include "tst_echoed_text.moc"
