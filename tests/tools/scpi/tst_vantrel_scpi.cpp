// vantrel-scpi end to end against vantrel-board on a pseudo-terminal: every
// line on the wire is vantrel-plan's words for the same settings (sets,
// power, output, the reference, sweeps, lists, store, a pasted set), a
// recall comes back into the state, bad commands leave the wire alone with
// their error numbers, clients take turns, a stop at any instant leaves
// the board on a whole set, and a lost port is said and opened again.
#include <QtTest>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "board_harness.h"
#include "scpi_harness.h"

namespace {

// Server, board and client together.
struct Bench {
    Board board;
    ScpiProcess server;
    ScpiClient client;

    bool start(const QStringList& options)
    {
        return board.start({"--log"}) && server.start(QStringList{"--port", board.path()} + options)
               && client.connectTo(server.port);
    }
    QStringList lines() { return lineTexts(board.logLines()); }
};

// What the board should see: "set" and "store" with vantrel-plan's
// arguments, "step" for a sweep step after the first (changed words only),
// "words" with the six words themselves.
using Expected = QList<QStringList>;

QStringList expectedLines(const Expected& expected, const QStringList& options)
{
    QStringList lines;
    QStringList previous;
    for (const QStringList& item : expected) {
        const QString& kind = item.first();
        const QStringList words = kind == "words" ? item.mid(1) : planWords(options + item.mid(1));
        if (words.size() != 6)
            return {"vantrel-plan gave no words for " + item.join(' ')};
        if (kind == "store")
            lines += storeLines(words);
        else if (kind == "step")
            lines += changedLines(previous, words);
        else
            lines += setLines(words);
        previous = words;
    }
    return lines;
}

} // namespace

class TestVantrelScpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void wordsOnTheWireAreThePlans_data();
    void wordsOnTheWireAreThePlans();
    void recallTakesTheStoredSet();
    void badCommandsLeaveTheWireAlone_data();
    void badCommandsLeaveTheWireAlone();
    void theQueueOverflowsAndLongLinesAreRefused();
    void clientsTakeTurns();
    void aStopEndsOnAWholeSet_data();
    void aStopEndsOnAWholeSet();
    void aLostPortIsSaidAndOpenedAgain();
};

void TestVantrelScpi::initTestCase()
{
    TestPty probe;
    if (!probe.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestVantrelScpi::wordsOnTheWireAreThePlans_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<Expected>("expected");
    const QStringList autoDivider{"--auto-divider"};
    QTest::addRow("FREQ in GHZ") << autoDivider << QStringList{"FREQ 2.4GHZ"}
                                 << Expected{{"set", "--fout", "2400"}};
    QTest::addRow("FREQ in Hz, then POW and OUTP")
        << autoDivider << QStringList{"FREQ 145200000", "POW -1DBM", "OUTP OFF"}
        << Expected{{"set", "--fout", "145.2"}, {"step", "--fout", "145.2", "--power", "1"},
                    {"step", "--fout", "145.2", "--power", "1", "--rf-off"}};
    QTest::addRow("the reference, on options of the panel")
        << QStringList{"--auto-divider", "--mux", "lock", "--charge-pump", "7", "--resolution", "100000"}
        << QStringList{"ROSC:EXT:FREQ 25MHZ;:FREQ 2.4835GHZ"}
        << Expected{{"set", "--ref", "25"}, {"step", "--ref", "25", "--fout", "2483.5"}};
    QTest::addRow("strict off lets a chip limit through")
        << autoDivider << QStringList{"SYST:CHIP:STR OFF;:ROSC:EXT:FREQ 5MHZ"} << Expected{{"set", "--ref", "5"}};
    QTest::addRow("a sweep, changed words only")
        << autoDivider << QStringList{"FREQ:STAR 2400MHZ;STOP 2401MHZ;STEP 250KHZ", "FREQ:MODE SWE", "INIT"}
        << Expected{{"set", "--fout", "2400"}, {"step", "--fout", "2400.25"}, {"step", "--fout", "2400.5"},
                    {"step", "--fout", "2400.75"}, {"step", "--fout", "2401"}};
    QTest::addRow("a sweep downwards, whole sets")
        << autoDivider << QStringList{"FREQ:STAR 2401MHZ;STOP 2400MHZ;STEP 0.5MHZ;:SWE:CHAN OFF;:FREQ:MODE SWE;:INIT"}
        << Expected{{"set", "--fout", "2401"}, {"set", "--fout", "2400.5"}, {"set", "--fout", "2400"}};
    QTest::addRow("a list with its dwells")
        << autoDivider << QStringList{"LIST:FREQ 2400MHZ,2441.75MHZ,2.4835GHZ;DWEL 0.2,0,0;:FREQ:MODE LIST;:INIT"}
        << Expected{{"set", "--fout", "2400"}, {"step", "--fout", "2441.75"}, {"step", "--fout", "2483.5"}};
    QTest::addRow("store") << autoDivider << QStringList{"FREQ 145.2MHZ", "MEM:STOR"}
                           << Expected{{"set", "--fout", "145.2"}, {"store", "--fout", "145.2"}};
    QTest::addRow("a pasted set goes out as pasted")
        << autoDivider << QStringList{"SYST:REG 18004e42,#H00580005,0x0085003C,740640,3,800FD01"}
        << Expected{{"words", "00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"}};
    QTest::addRow("back in CW the CW set goes out again")
        << autoDivider << QStringList{"FREQ 2.4GHZ", "LIST:FREQ 2.5GHZ;:FREQ:MODE LIST;:INIT", "FREQ:MODE CW"}
        << Expected{{"set", "--fout", "2400"}, {"set", "--fout", "2500"}, {"step", "--fout", "2400"}};
    QTest::addRow("SYST:CHAN OFF: every CW command sends the whole set")
        << autoDivider << QStringList{"SYST:CHAN OFF;:FREQ 2.4GHZ", "FREQ 2.41GHZ"}
        << Expected{{"set", "--fout", "2400"}, {"set", "--fout", "2410"}};
    QTest::addRow("in SWEep mode a setting waits for INIT")
        << autoDivider << QStringList{"FREQ:MODE SWE;:POW 2;:FREQ 2.4GHZ;:FREQ:STAR 2.4GHZ;STOP 2.4GHZ;:INIT"}
        << Expected{{"set", "--fout", "2400", "--power", "2"}};
}

void TestVantrelScpi::wordsOnTheWireAreThePlans()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, commands);
    QFETCH(Expected, expected);
    const QStringList wanted = expectedLines(expected, options);
    Bench bench;
    QVERIFY(bench.start(options));
    for (const QString& command : commands)
        QCOMPARE(bench.client.query(command.toLatin1() + ";*OPC?"), QByteArray("1"));
    QCOMPARE(bench.client.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    // Every line is out once *OPC? answers; the board's log may take a moment.
    QTRY_COMPARE_WITH_TIMEOUT(bench.lines(), wanted, kWaitMs);
    for (const auto& [gap, line] : bench.board.logLines())
        QVERIFY2(gap < 0 || gap >= kMinSeenGapMs, qPrintable(line));
}

void TestVantrelScpi::recallTakesTheStoredSet()
{
    Bench bench;
    QVERIFY(bench.start({"--auto-divider"}));
    QCOMPARE(bench.client.query("FREQ 145.2MHZ;:MEM:STOR;*OPC?"), QByteArray("1"));
    QCOMPARE(bench.client.query("*RST;FREQ?"), QByteArray("2320500000"));
    const QByteArray recalled = bench.client.query("MEM:REC;FREQ?;:SYST:REG?");
    QStringList words;
    for (const QString& word : planWords({"--fout", "145.2", "--auto-divider"}))
        words << "#H" + word;
    QCOMPARE(recalled, "145200000;" + words.join(',').toLatin1());
    QCOMPARE(bench.client.query("SYST:ERR?"), QByteArray("0,\"No error\""));
}

void TestVantrelScpi::badCommandsLeaveTheWireAlone_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("error");
    QTest::addRow("a power no code gives") << QByteArray("POW 3") << QByteArray("-222,\"Data out of range;the output power");
    // Fixed: "FREQ 1E-06 MHz is outside ...".
    QTest::addRow("a frequency below the output range, in its own unit")
        << QByteArray("FREQ 10KHZ") << QByteArray("-222,\"Data out of range;FREQ 10 kHz is outside the output range, 35 MHz to 4.4 GHz\"");
    QTest::addRow("FREQ 1: 1 Hz") << QByteArray("FREQ 1") << QByteArray("-222,\"Data out of range;FREQ 1 Hz is outside");
    QTest::addRow("a reference above the chip's")
        << QByteArray("ROSC:EXT:FREQ 300MHZ") << QByteArray("-222,\"Data out of range;");
    QTest::addRow("a list point outside the output range, refused when given")
        << QByteArray("LIST:FREQ 1GHZ,2MHZ") << QByteArray("-222,\"Data out of range;LIST:FREQ point 2");
    QTest::addRow("a sweep of too many steps")
        << QByteArray("FREQ:STAR 2GHZ;STOP 3GHZ;STEP 1HZ;:FREQ:MODE SWE;:INIT") << QByteArray("-221,\"Settings conflict;the sweep would have");
    QTest::addRow("INIT in CW mode") << QByteArray("INIT") << QByteArray("-221,\"Settings conflict;FREQ:MODE is CW");
    QTest::addRow("words that are no set") << QByteArray("SYST:REG 1,2,3") << QByteArray("-224,\"Illegal parameter value;");
    QTest::addRow("a store with nothing complete")
        << QByteArray("SYST:REG 00740640,0800FD01,18004E42,00000003,0085003C,GG") << QByteArray("-224,");
    QTest::addRow("*ESE beyond a byte") << QByteArray("*ESE 256") << QByteArray("-222,");
    QTest::addRow("an unknown suffix") << QByteArray("FREQ 2.4XHZ") << QByteArray("-131,\"Invalid suffix;");
    QTest::addRow("an unknown header") << QByteArray("VOLT 1") << QByteArray("-113,\"Undefined header;");
    QTest::addRow("bytes that are no text") << QByteArray("\xff\x00\x01 FREQ", 8) << QByteArray("-102,\"Syntax error;");
}

// Each bad command is one error in the queue, and nothing reaches the board.
void TestVantrelScpi::badCommandsLeaveTheWireAlone()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, error);
    Bench bench;
    QVERIFY(bench.start({"--auto-divider"}));
    bench.client.send(line);
    const QByteArray answer = bench.client.query("SYST:ERR?");
    QVERIFY2(answer.startsWith(error), answer.constData());
    QCOMPARE(bench.client.query("SYST:ERR?;*OPC?;*IDN?").left(15), QByteArray("0,\"No error\";1;"));
    QTest::qWait(200);
    QCOMPARE(bench.lines(), QStringList());
}

void TestVantrelScpi::theQueueOverflowsAndLongLinesAreRefused()
{
    Bench bench;
    QVERIFY(bench.start({}));
    for (int i = 0; i < 25; ++i)
        bench.client.send("POW 3");
    for (int i = 0; i < 19; ++i)
        QVERIFY(bench.client.query("SYST:ERR?").startsWith("-222,"));
    QCOMPARE(bench.client.query("SYST:ERR?"), QByteArray("-350,\"Queue overflow\""));
    QCOMPARE(bench.client.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    // The standard event status register says which kinds came.
    QCOMPARE(bench.client.query("*ESR?"), QByteArray(QByteArray::number((1 << 7) | (1 << 4))));

    // A line over 64 KiB, in pieces and whole: refused, the connection kept.
    bench.client.send(QByteArray(70000, 'A'));
    QByteArray longLine(40000, 'B');
    bench.client.socket.write(longLine);
    bench.client.socket.flush();
    QTest::qWait(50);
    bench.client.send(longLine + ";*IDN?");
    QVERIFY(bench.client.query("*IDN?").startsWith("Vantrel,ADF4351 board,"));
    QVERIFY(bench.client.query("SYST:ERR?").startsWith("-363,\"Input buffer overrun;"));
    QVERIFY(bench.client.query("SYST:ERR?").startsWith("-363,\"Input buffer overrun;"));
    QCOMPARE(bench.client.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    QCOMPARE(bench.lines(), QStringList());
}

// Each answer to its own client; a query answers what the board holds, a
// client's next command waits for its own set; a client gone mid-command
// loses only its answer.
void TestVantrelScpi::clientsTakeTurns()
{
    Bench bench;
    QVERIFY(bench.start({"--auto-divider"}));
    ScpiClient other;
    QVERIFY(other.connectTo(bench.server.port));
    bench.client.send("FREQ 2.4GHZ;*OPC?;FREQ?");
    QTRY_VERIFY_WITH_TIMEOUT(!bench.lines().isEmpty(), kWaitMs);
    // The set is on its way: the board still holds the one before.
    QCOMPARE(other.query("FREQ?"), QByteArray("2320500000"));
    QCOMPARE(bench.client.answer(), QByteArray("1;2400000000"));
    QCOMPARE(other.query("FREQ?"), QByteArray("2400000000"));

    {
        ScpiClient leaving;
        QVERIFY(leaving.connectTo(bench.server.port));
        leaving.send("FREQ 2.5GHZ;*OPC?");
        leaving.socket.waitForBytesWritten(kWaitMs);
    }
    // Its set goes out though nobody waits for the answer any more.
    QTRY_VERIFY_WITH_TIMEOUT(bench.lines().size() > 6, kWaitMs);
    QCOMPARE(other.query("*OPC?;FREQ?"), QByteArray("1;2500000000"));
    QTRY_COMPARE_WITH_TIMEOUT(bench.lines(),
                              expectedLines({{"set", "--fout", "2400"}, {"step", "--fout", "2500"}}, {"--auto-divider"}),
                              kWaitMs);
}

void TestVantrelScpi::aStopEndsOnAWholeSet_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("changedOnly");
    const QByteArray sweep = "FREQ:STAR 2400MHZ;STOP 2410MHZ;STEP 1MHZ;:FREQ:MODE SWE;:INIT";
    // Three instants each, drawn afresh every run: the seed is printed.
    for (int i = 1; i <= 3; ++i) {
        QTest::addRow("SIGINT during a sweep of whole sets, %d", i) << "SIGINT" << ":SWE:CHAN OFF;" + sweep << false;
        QTest::addRow("SIGTERM during a sweep of changed words, %d", i) << "SIGTERM" << sweep << true;
        QTest::addRow("SIGINT during a set, %d", i) << "SIGINT" << QByteArray("FREQ 2.45GHZ") << false;
        QTest::addRow("the client gone, then SIGTERM, %d", i) << "gone" << ":SWE:CHAN OFF;" + sweep << false;
        QTest::addRow("ABORt, %d", i) << "ABORt" << ":SWE:CHAN OFF;" + sweep << false;
    }
}

void TestVantrelScpi::aStopEndsOnAWholeSet()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, start);
    QFETCH(bool, changedOnly);
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    // A set is on the wire for 0.6 s, the sweeps for longer.
    const int afterMs = static_cast<int>(random.bounded(start.startsWith("FREQ 2.45") ? 600u : 1500u));
    qInfo("seed %u: stopping %d ms after the first line", seed, afterMs);

    Bench bench;
    QVERIFY(bench.start({"--auto-divider"}));
    bench.client.send(start);
    QTRY_VERIFY_WITH_TIMEOUT(!bench.lines().isEmpty(), kWaitMs);
    QTest::qWait(afterMs);
    if (how == "ABORt") {
        QCOMPARE(bench.client.query("ABOR;*OPC?"), QByteArray("1"));
    } else {
        if (how == "gone")
            bench.client.socket.abort();
        bench.server.signal(how == "SIGINT" ? SIGINT : SIGTERM);
        QCOMPARE(bench.server.finish(), 0);
    }
    QTest::qWait(300); // nothing more after the end
    const QStringList seen = bench.lines();
    QVERIFY(!seen.isEmpty());
    QVERIFY2(isReg0Line(seen.last()), qPrintable(seen.join(' ')));
    // The steps that went out, each whole, in order.
    const QStringList options{"--auto-divider"};
    QStringList whole;
    QStringList previous;
    for (int step = 0; whole.size() < seen.size() && step <= 10; ++step) {
        const QStringList words =
            planWords(options + QStringList{"--fout", start.startsWith("FREQ 2.45") ? "2450" : QString::number(2400 + step)});
        whole += changedOnly && step > 0 ? changedLines(previous, words) : setLines(words);
        previous = words;
        if (start.startsWith("FREQ 2.45"))
            break;
    }
    QCOMPARE(seen, whole);
}

// The port goes away mid-sweep (the board's end of it closes): nothing
// waits for it, the next command hears -310 with the reason, and one that
// needs the port opens it again.
void TestVantrelScpi::aLostPortIsSaidAndOpenedAgain()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("board");
    auto first = std::make_unique<Board>();
    QVERIFY(first->start({"--log"}));
    QVERIFY(QFile::link(first->path(), link));
    ScpiProcess server;
    QVERIFY(server.start({"--port", link, "--auto-divider"}));
    ScpiClient client;
    QVERIFY(client.connectTo(server.port));
    QCOMPARE(client.query("FREQ 2.4GHZ;*OPC?"), QByteArray("1"));

    // The board and its pseudo-terminal gone at any instant of a sweep.
    client.send("FREQ:STAR 2400MHZ;STOP 2410MHZ;STEP 1MHZ;:FREQ:MODE SWE;:INIT");
    const quint32 seed = QRandomGenerator::global()->generate();
    const int afterMs = static_cast<int>(QRandomGenerator(seed).bounded(1500u));
    qInfo("seed %u: the board goes %d ms into the sweep", seed, afterMs);
    QTest::qWait(afterMs);
    first.reset();
    const auto said = [&server](const char* text) {
        server.err += server.process.readAllStandardError();
        return server.err.contains(text);
    };
    QTRY_VERIFY_WITH_TIMEOUT(said("Lost the port"), kWaitMs);
    QCOMPARE(client.query("*OPC?"), QByteArray("1"));
    const QByteArray lost = client.query("SYST:ERR?");
    QVERIFY2(lost.startsWith("-310,\"System error;Lost the port " + link.toLocal8Bit()), lost.constData());

    // No port to open: said, and nothing changes, FREQ? included.
    QCOMPARE(client.query("FREQ:MODE CW;:FREQ 2.5GHZ;*OPC?"), QByteArray("1"));
    QVERIFY(client.query("SYST:ERR?").startsWith("-310,\"System error;Cannot open"));
    QVERIFY(client.query("SYST:ERR?").startsWith("-310,\"System error;Cannot open"));

    Board second;
    QVERIFY(second.start({"--log"}));
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(second.path(), link));
    QCOMPARE(client.query("FREQ?"), QByteArray("2400000000"));
    QCOMPARE(client.query("POW 2;*OPC?"), QByteArray("1"));
    QCOMPARE(client.query("SYST:ERR?"), QByteArray("0,\"No error\""));
    // After a loss the set goes out whole.
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(second.logLines()),
                              expectedLines({{"set", "--fout", "2400", "--power", "2"}}, {"--auto-divider"}), kWaitMs);
}

QTEST_GUILESS_MAIN(TestVantrelScpi)
#include "tst_vantrel_scpi.moc"
