// The receive path: every complete line handled however the bytes are cut
// into reads, register words and their Text1 lines, user data, and when a
// received set is ready to decode.
#include <QtTest>

#include "reply_parser.h"

using vantrel::ReplyEvent;
using vantrel::ReplyParser;
using Kind = ReplyEvent::Kind;

namespace {

ReplyEvent word(std::uint32_t value, const char* line)
{
    return {Kind::RegisterWord, line, value, static_cast<int>(value & 7u)};
}
ReplyEvent userData(const char* text) { return {Kind::UserData, text}; }
ReplyEvent decode(const vantrel::RegisterSet& set)
{
    ReplyEvent event{Kind::Decode, {}};
    event.set = set;
    return event;
}

QString describe(const std::vector<ReplyEvent>& events)
{
    QStringList parts;
    for (const ReplyEvent& e : events) {
        const QString text = QString::fromStdString(e.text).replace("\r\n", "<CRLF>");
        switch (e.kind) {
        case Kind::UserData: parts << "user(" + text + ")"; break;
        case Kind::RegisterWord: parts << QString("word(%1,%2,%3)").arg(e.value, 0, 16).arg(e.index).arg(text); break;
        case Kind::Decode:
        case Kind::NoSet: {
            QStringList words;
            for (const std::uint32_t w : e.set)
                words << QString::number(w, 16);
            parts << (e.kind == Kind::Decode ? "decode(" : "noset(") + words.join(',') + ")";
            break;
        }
        }
    }
    return parts.join(' ');
}

// The board's answer to INIT with the example set, Reg0 last.
const std::string kInitAnswer = "0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n";

const vantrel::RegisterSet kInitSet{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

const std::vector<ReplyEvent> kInitEvents = {
    word(0x00580005, "Reg  5 580005\r\n"), word(0x0085003C, "Reg  4 85003C\r\n"), word(0x00000003, "Reg  3 3\r\n"),
    word(0x18004E42, "Reg  2 18004E42\r\n"), word(0x0800FD01, "Reg  1 800FD01\r\n"), word(0x00740640, "Reg  0 740640\r\n"),
    decode(kInitSet),
};

} // namespace

class TestReplyParser : public QObject {
    Q_OBJECT
private slots:
    void initAnswerLineByLine();
    void streamCutAnywhere_data();
    void streamCutAnywhere();
    void oneLine_data();
    void oneLine();
    void decodeOnlyOnARegisterZeroWord();
    void anAnswerWithoutItsRegistersIsNoSet_data();
    void anAnswerWithoutItsRegistersIsNoSet();
    void lineFeedAfterCrAcrossReads();
    void regCountSaturates();
    void randomStreamsDoNotDependOnReads();
};

void TestReplyParser::initAnswerLineByLine()
{
    ReplyParser parser;
    std::vector<ReplyEvent> events;
    std::size_t start = 0;
    while (start < kInitAnswer.size()) {
        const std::size_t end = kInitAnswer.find('\n', start) + 1;
        for (ReplyEvent& e : parser.feed(std::string_view(kInitAnswer).substr(start, end - start)))
            events.push_back(std::move(e));
        start = end;
    }
    QCOMPARE(describe(events), describe(kInitEvents));
    const std::array<std::uint32_t, 16> expectedRegIn{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
    QVERIFY(parser.regIn() == expectedRegIn);
    QCOMPARE(parser.regCount(), 6);
    QCOMPARE(parser.serin(), std::string());
    QCOMPARE(parser.takePendingText(), std::string());
}

void TestReplyParser::streamCutAnywhere_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("expectedEvents");
    QTest::addColumn<QByteArray>("expectedPending");
    QTest::addColumn<QByteArray>("expectedSerin");

    QTest::addRow("INIT answer in one burst")
        << QByteArray::fromStdString(kInitAnswer) << describe(kInitEvents) << QByteArray() << QByteArray();
    // The set a Reg0 word completes is the one of that moment: a word for
    // register 2 later in the same read used to be decoded in its place.
    std::vector<ReplyEvent> withLaterWord = kInitEvents;
    withLaterWord.push_back(word(0x12, "Reg  2 12\r\n"));
    QTest::addRow("a register line after the Reg0 word in the same read")
        << QByteArray::fromStdString(kInitAnswer + "0X00000012\r\n") << describe(withLaterWord) << QByteArray()
        << QByteArray();
    // Before the fix only the first line of a read was seen and the rest lost.
    QTest::addRow("user data, a text line and words, with a partial line left over")
        << QByteArray("Udata{ABCDEFGH}\r\nhello\r\nReg 5 0X00580005\r\nx 0x00c8000a\r\nReg 1 0X0")
        << describe({userData("ABCDEFGH"), word(0x00580005, "Reg  5 580005\r\n"), word(0x00C8000A, "Reg  2 C8000A\r\n")})
        << QByteArray("Udata{ABCDEFGH}\r\nhello\r\n") << QByteArray("Reg 1 0X0");
    QTest::addRow("bare CR line ends and empty lines")
        << QByteArray("a\r\r\nb\r0X7\r")
        << describe({word(7, "Reg  7 7\r\n")}) << QByteArray("a\r\n\r\nb\r\n") << QByteArray();
}

// The same stream cut into two reads at every position, and byte by byte,
// must give what it gives in one read.
void TestReplyParser::streamCutAnywhere()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, expectedEvents);
    QFETCH(QByteArray, expectedPending);
    QFETCH(QByteArray, expectedSerin);
    const std::string text = stream.toStdString();

    const auto check = [&](const std::vector<std::size_t>& cuts, const QString& label) {
        ReplyParser parser;
        std::vector<ReplyEvent> events;
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            for (ReplyEvent& e : parser.feed(std::string_view(text).substr(from, cut - from)))
                events.push_back(std::move(e));
            from = cut;
        }
        QVERIFY2(describe(events) == expectedEvents, qPrintable(label + ": " + describe(events)));
        QVERIFY2(parser.takePendingText() == expectedPending.toStdString(), qPrintable(label));
        QVERIFY2(parser.serin() == expectedSerin.toStdString(), qPrintable(label));
    };

    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        check({cut, text.size()}, QString("cut at %1").arg(cut));
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i <= text.size(); ++i)
        everyByte.push_back(i);
    check(everyByte, "byte by byte");
}

void TestReplyParser::oneLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expectedEvents");
    QTest::addColumn<int>("regCount");

    QTest::addRow("text before the marker is ignored") << QByteArray("Reg 5 0X00580005") << describe({word(0x580005, "Reg  5 580005\r\n")}) << 1;
    QTest::addRow("lower-case marker and digits") << QByteArray("x 0x00c8000a") << describe({word(0xC8000A, "Reg  2 C8000A\r\n")}) << 1;
    QTest::addRow("fewer than eight digits") << QByteArray("0X5") << describe({word(5, "Reg  5 5\r\n")}) << 1;
    QTest::addRow("only eight digits are read") << QByteArray("0X123456789") << describe({word(0x12345678, "Reg  0 12345678\r\n")}) << 1;
    // These read as 15, 0 and garbage when every character counted as a digit.
    QTest::addRow("stops at the first non-hex character") << QByteArray("0X1G") << describe({word(1, "Reg  1 1\r\n")}) << 1;
    QTest::addRow("marker at the end carries no word") << QByteArray("0X") << describe({}) << 0;
    QTest::addRow("marker then no hex digit carries no word") << QByteArray("0X G1") << describe({}) << 0;
    QTest::addRow("80000000 and above keep their bit pattern") << QByteArray("0XFFFFFFFF") << describe({word(0xFFFFFFFF, "Reg  7 FFFFFFFF\r\n")}) << 1;
    QTest::addRow("high bit alone") << QByteArray("0X80000006") << describe({word(0x80000006, "Reg  6 80000006\r\n")}) << 1;
    QTest::addRow("zero word") << QByteArray("0X00000000") << describe({word(0, "Reg  0 0\r\n")}) << 1;
    QTest::addRow("user data after the brace") << QByteArray("Udata{ABCDEFGH}") << describe({userData("ABCDEFGH")}) << 0;
    QTest::addRow("user data shorter than eight") << QByteArray("Udata{AB") << describe({userData("AB")}) << 0;
    QTest::addRow("user data without a brace is the line's start") << QByteArray("Udata 12345") << describe({userData("Udata 12")}) << 0;
    QTest::addRow("user data is case-sensitive") << QByteArray("udata{ABCDEFGH}") << describe({}) << 0;
    QTest::addRow("user data and a word in one line") << QByteArray("Udata{0X000003}")
                                                      << describe({userData("0X000003"), word(3, "Reg  3 3\r\n")}) << 1;
}

void TestReplyParser::oneLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expectedEvents);
    QFETCH(int, regCount);
    ReplyParser parser;
    QCOMPARE(describe(parser.feed((line + "\r\n").toStdString())), expectedEvents);
    QCOMPARE(parser.regCount(), regCount);
    // A line without a word waits for Text1 with its line break; a word line is consumed.
    QCOMPARE(parser.takePendingText(), regCount == 0 ? (line + "\r\n").toStdString() : std::string());
}

void TestReplyParser::decodeOnlyOnARegisterZeroWord()
{
    ReplyParser parser;
    QCOMPARE(describe(parser.feed("0X00740640\r\n")), describe({word(0x00740640, "Reg  0 740640\r\n")}));
    parser.feed(kInitAnswer.substr(0, kInitAnswer.size() - 12)); // Reg5 .. Reg1
    QCOMPARE(parser.regCount(), 6);
    // Six words are in, but only a Reg0 word ends a set: other lines must not decode.
    QCOMPARE(describe(parser.feed("Udata{ABCDEFGH}\r\nOK\r\n\r\n")), describe({userData("ABCDEFGH")}));
    QCOMPARE(describe(parser.feed("0X0085003C\r\n")), describe({word(0x0085003C, "Reg  4 85003C\r\n")}));
    QCOMPARE(describe(parser.feed("0X00740640\r\n")), describe({word(0x00740640, "Reg  0 740640\r\n"), decode(kInitSet)}));
}

// An answer with words of register 6 or 7 ends at once (it used to wait for a
// Reg0 word that never came, or decoded words kept from an earlier answer).
void TestReplyParser::anAnswerWithoutItsRegistersIsNoSet_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("ends");
    const QByteArray erased = "0XFFFFFFFF\r\n";
    QTest::addRow("an erased EEPROM: six words of all ones, the sixth ends it")
        << QByteArray() << erased.repeated(6) << "noset(ffffffff,ffffffff,ffffffff,ffffffff,ffffffff,ffffffff)";
    QTest::addRow("a store cut after Reg3 on an erased chip")
        << QByteArray() << "0X00580005\r\n0X0085003C\r\n0X00000003\r\n" + erased.repeated(3)
        << "noset(ffffffff,ffffffff,ffffffff,3,85003c,580005)";
    QTest::addRow("register 7 in place of Reg3, after a whole set: no word of the earlier one")
        << QByteArray::fromStdString(kInitAnswer)
        << "0X00580005\r\n0X0085003C\r\n" + erased + "0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n"
        << "noset(740640,800fd01,18004e42,ffffffff,85003c,580005)";
}

void TestReplyParser::anAnswerWithoutItsRegistersIsNoSet()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, answer);
    QFETCH(QString, ends);
    ReplyParser parser;
    parser.feed(before.toStdString());
    const std::vector<ReplyEvent> events = parser.feed(answer.toStdString());
    QVERIFY(!events.empty());
    QCOMPARE(describe({events.back()}), ends);
    QCOMPARE(std::count_if(events.begin(), events.end(), [](const ReplyEvent& e) { return e.kind != Kind::RegisterWord; }), 1);
}

void TestReplyParser::lineFeedAfterCrAcrossReads()
{
    ReplyParser parser;
    parser.feed("abc\r");
    parser.feed("\ndef\r\n\n");
    // Only the LF right after a CR belongs to the line end; a lone LF is text.
    QCOMPARE(parser.takePendingText(), std::string("abc\r\ndef\r\n"));
    QCOMPARE(parser.serin(), std::string("\n"));

    // Regression (found by fuzzing): an empty read between the CR and its LF
    // made the LF the start of the next line.
    ReplyParser withEmptyRead;
    withEmptyRead.feed("abc\r");
    withEmptyRead.feed("");
    withEmptyRead.feed("\n");
    QCOMPARE(withEmptyRead.serin(), std::string());
}

void TestReplyParser::regCountSaturates()
{
    ReplyParser parser;
    std::string many;
    for (int i = 0; i < 40000; ++i)
        many += "0X5\r\n";
    parser.feed(many);
    QCOMPARE(parser.regCount(), ReplyParser::kMaxRegCount);
    QCOMPARE(describe(parser.feed("0X0\r\n")), describe({word(0, "Reg  0 0\r\n"), decode({0, 0, 0, 0, 0, 5})}));
}

// Random text from the protocol's own characters, cut into random reads:
// the events, the kept text and the words stored must be the same as for one read.
void TestReplyParser::randomStreamsDoNotDependOnReads()
{
    static constexpr char kAlphabet[] = "0Xx\r\n\r\n5A7fG {Udata}";
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        std::string stream;
        const int length = random.bounded(1, 200);
        for (int i = 0; i < length; ++i)
            stream += kAlphabet[random.bounded(int(sizeof kAlphabet - 1))];

        ReplyParser whole;
        const std::vector<ReplyEvent> expected = whole.feed(stream);
        ReplyParser pieces;
        std::vector<ReplyEvent> events;
        std::size_t from = 0;
        while (from < stream.size()) {
            const std::size_t size = static_cast<std::size_t>(random.bounded(1, 12));
            for (ReplyEvent& e : pieces.feed(std::string_view(stream).substr(from, size)))
                events.push_back(std::move(e));
            from += size;
        }
        QVERIFY2(events == expected, stream.c_str());
        QCOMPARE(pieces.takePendingText(), whole.takePendingText());
        QCOMPARE(pieces.serin(), whole.serin());
        QVERIFY(pieces.regIn() == whole.regIn());
        QCOMPARE(pieces.regCount(), whole.regCount());
        for (std::size_t i = 8; i < whole.regIn().size(); ++i)
            QCOMPARE(whole.regIn()[i], 0u);
    }
}

QTEST_APPLESS_MAIN(TestReplyParser)
#include "tst_reply_parser.moc"
