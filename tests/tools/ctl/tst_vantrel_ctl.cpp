// vantrel-ctl end to end against vantrel-board on a pseudo-terminal: the
// lines it puts on the wire, the set it reads back, sweeps and hop lists
// (whole and changed words only), and how it ends when stopped, when the
// board goes away or when nothing answers.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <csignal>

#include "board_harness.h"
#include "program_run.h"

namespace {

constexpr int kWaitMs = 15000;

Run runCtl(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_CTL_EXE), arguments, kWaitMs); }

// The file's name once it holds `bytes`.
QString written(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

const QStringList kFirstExample{"--fout", "2320.5", "--mux", "lock", "--charge-pump", "7", "--no-mute"};
// What the window's "Set all Registers" puts on the wire for the first example.
const QStringList kFirstExampleLines{"R00580005", "R0085003C", "R00000003", "R18004E42", "R0800FD01", "R00740640"};

QStringList fullSet(const char* reg0, const char* reg1 = "R0800FD01", const char* reg4 = "R0085043C")
{
    return {"R00580005", reg4, "R00000003", "R00005E42", reg1, reg0};
}

} // namespace

class TestVantrelCtl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void setAndStorePutTheWindowsLines();
    void readGivesBackWhatStoreWrote();
    void readWithoutAnswer();
    void sweepsAndHops_data();
    void sweepsAndHops();
    void aBadStepOrLineSendsNothing_data();
    void aBadStepOrLineSendsNothing();
    void interruptedMidSweep();
    void boardGoneMidSweep();
    void chipOptionsTravelWithTheSweep();
    void readSaysWhichWordsItChanges();
};

void TestVantrelCtl::initTestCase()
{
    TestPty probe;
    if (!probe.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestVantrelCtl::setAndStorePutTheWindowsLines()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    Run run = runCtl(QStringList{"set", "--port", board.path()} + kFirstExample);
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("Fcomp  10.00MHz\nR  1\nN  232\nF  200\n"));
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), kFirstExampleLines, kWaitMs);

    run = runCtl(QStringList{"store", "--port", board.path(), "--json"} + kFirstExample);
    QCOMPARE(run.status, 0);
    QStringList stored;
    for (const QString& line : kFirstExampleLines)
        stored << line << "W";
    const QJsonArray sent = QJsonDocument::fromJson(run.out).object().value("sent").toArray();
    QCOMPARE(sent.toVariantList().size(), 12);
    QCOMPARE(sent.at(11).toString(), QStringLiteral("W"));
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), kFirstExampleLines + stored, kWaitMs);
    for (const auto& [gap, line] : board.logLines())
        QVERIFY2(gap < 0 || gap >= kMinSeenGapMs, qPrintable(line));
}

void TestVantrelCtl::readGivesBackWhatStoreWrote()
{
    QTemporaryDir dir;
    Board board;
    QVERIFY(board.start({"--eeprom", dir.filePath("eeprom.txt")}));
    const QStringList plan{"--ref", "25", "--fout", "2400", "--resolution", "100000", "--mux", "lock",
                           "--charge-pump", "7", "--no-mute"};
    QCOMPARE(runCtl(QStringList{"store", "--port", board.path()} + plan).status, 0);

    // The controls before the read differ from the stored plan but for the
    // reference and the bits the words do not carry.
    const Run run = runCtl({"read", "--port", board.path(), "--ref", "25", "--no-mute", "--fout", "1000", "--json"});
    QCOMPARE(run.status, 0);
    const QJsonObject read = QJsonDocument::fromJson(run.out).object();
    const QStringList stored{"00300000", "080087D1", "18004E42", "00000003", "008C803C", "00580005"};
    QCOMPARE(read.value("words").toVariant().toStringList(), stored);
    QCOMPARE(read.value("registers").toVariant().toStringList(), stored);
    QCOMPARE(read.value("settings").toObject().value("FoutText").toString(), QStringLiteral(" 2400"));
    QCOMPARE(read.value("settings").toObject().value("mux").toString(), QStringLiteral("lock"));
    QVERIFY2(run.err.contains("board: Reg  0 300000"), run.err.constData());
}

void TestVantrelCtl::readWithoutAnswer()
{
    TestPty pty;
    QElapsedTimer timer;
    timer.start();
    const Run run = runCtl({"read", "--port", pty.path(), "--ref", "10"});
    QCOMPARE(run.status, 4);
    QVERIFY(timer.elapsed() >= 3000); // the wait is a minimum
    QVERIFY(run.err.contains("No register set received from the board"));
    QCOMPARE(pty.wire(), QByteArray("INIT\r\n"));
}

void TestVantrelCtl::sweepsAndHops_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("hopFile");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("steps");

    QTest::addRow("sweep, whole sets") << QStringList{"sweep", "2400", "2400.2", "0.1"} << QByteArray()
                                       << fullSet("R00780000") + fullSet("R00780140") + fullSet("R00780280") << 3;
    QTest::addRow("sweep, changed words only: INT and FRAC in Reg0")
        << QStringList{"sweep", "2400", "2400.2", "0.1", "--changed-only"} << QByteArray()
        << fullSet("R00780000") + QStringList{"R00780140", "R00780280"} << 3;
    QTest::addRow("sweep downwards") << QStringList{"sweep", "2400.2", "2400", "-0.1", "--changed-only"}
                                     << QByteArray()
                                     << fullSet("R00780280") + QStringList{"R00780140", "R00780000"} << 3;
    // From 2400 to 1200 MHz the divider and MOD change but Reg0 does not; it
    // still goes last, since the chip takes the new setting on Reg0.
    QTest::addRow("hop list, changed words only, Reg0 last")
        << QStringList{"--changed-only", "--auto-divider"}
        << QByteArray("# two hops\n2400\n\n1200, 500\n2400 # back\n")
        << fullSet("R00780000") + QStringList{"R0095043C", "R0800BE81", "R00780000", "R0085043C", "R0800FD01",
                                              "R00780000"}
        << 3;
    QTest::addRow("hop list twice") << QStringList{"--repeat", "2"} << QByteArray("2400\n")
                                    << fullSet("R00780000") + fullSet("R00780000") << 2;
}

void TestVantrelCtl::sweepsAndHops()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, hopFile);
    QFETCH(QStringList, lines);
    QFETCH(int, steps);
    QTemporaryDir dir;
    Board board;
    QVERIFY(board.start({"--log"}));
    if (!hopFile.isEmpty())
        arguments = QStringList{"hop", written(dir.filePath("hops.txt"), hopFile)} + arguments;
    const Run run = runCtl(arguments + QStringList{"--port", board.path()});
    QCOMPARE(run.status, 0);
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), lines, kWaitMs);
    for (const auto& [gap, line] : board.logLines())
        QVERIFY2(gap < 0 || gap >= kMinSeenGapMs, qPrintable(line));
    if (hopFile.contains("500")) {
        // The dwell runs from a step's first line to the next step's, here
        // longer than the step's three lines.
        const auto log = board.logLines();
        const double dwell = log.at(7).first + log.at(8).first + log.at(9).first;
        QVERIFY2(dwell >= 500 - 25, qPrintable(QString::number(dwell)));
    }
    QCOMPARE(run.out.count('\n'), steps); // one line per step
}

void TestVantrelCtl::aBadStepOrLineSendsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("hopFile");
    QTest::addColumn<QString>("message");
    QTest::addRow("a bad hop line") << QStringList{} << QByteArray("2400\n# fine\n24OO\n") << "line 3: \"24OO\"";
    QTest::addRow("a step the plan refuses") << QStringList{"sweep", "2400", "2400.1", "0.1", "--resolution", "2400"}
                                             << QByteArray() << "step 1 of 2 (2400 MHz): no plan: More than 12 bits";
    QTest::addRow("a step breaking a chip limit, strict")
        << QStringList{"sweep", "2300", "2100", "-100", "--strict"} << QByteArray()
        << "step 3 of 3 (2100 MHz): breaks a chip limit: VCO 2100 MHz below 2200 MHz";
}

void TestVantrelCtl::aBadStepOrLineSendsNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, hopFile);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Board board;
    QVERIFY(board.start({"--log"}));
    if (!hopFile.isEmpty())
        arguments = QStringList{"hop", written(dir.filePath("hops.txt"), hopFile)};
    const Run run = runCtl(arguments + QStringList{"--port", board.path()});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
    QTest::qWait(300);
    QCOMPARE(board.logLines().size(), 0);
}

void TestVantrelCtl::interruptedMidSweep()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    QProcess ctl;
    ctl.start(QStringLiteral(VANTREL_CTL_EXE), {"sweep", "2400", "2300", "-1", "--loop", "--port", board.path()});
    QVERIFY(ctl.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 8, kWaitMs);
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    QVERIFY(ctl.waitForFinished(kWaitMs));
    QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ctl.exitCode(), 130);
    const QByteArray err = ctl.readAllStandardError();
    QVERIFY2(err.contains("interrupted; stopped after step 2 of 101"), err.constData());
    // It ended after the line in flight and its pause: every line whole, none after.
    QTest::qWait(300);
    const QStringList lines = lineTexts(board.logLines());
    for (const QString& line : lines)
        QVERIFY2(line.size() == 9 && line.startsWith('R'), qPrintable(line));
    QVERIFY(lines.size() >= 8 && lines.size() <= 12);
}

void TestVantrelCtl::boardGoneMidSweep()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    QProcess ctl;
    ctl.start(QStringLiteral(VANTREL_CTL_EXE), {"sweep", "2400", "2300", "-1", "--port", board.path()});
    QVERIFY(ctl.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 3, kWaitMs);
    board.process().kill();
    QVERIFY(ctl.waitForFinished(kWaitMs));
    QCOMPARE(ctl.exitCode(), 1);
    const QByteArray err = ctl.readAllStandardError();
    QVERIFY2(err.contains("Lost the port ") && err.contains("the last line out was R"), err.constData());
}

// The chip options are part of every step's words, and with changed words
// only Reg0 still goes last; the board logs the options of each set.
void TestVantrelCtl::chipOptionsTravelWithTheSweep()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    const Run run = runCtl({"sweep", "2400", "2400.1", "0.1", "--changed-only", "--rf-off", "--aux", "on",
                            "--port", board.path()});
    QCOMPARE(run.status, 0);
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()),
                              fullSet("R00780000", "R0800FD01", "R0085051C") + QStringList{"R00780140"}, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(board.output().count("options: "), 2, kWaitMs);
    const QByteArray log = board.output();
    QVERIFY2(log.contains("options: phase adjust off, phase value 1, ") && log.contains("AUX output enable on, ")
                 && log.contains("RF output enable off, lock-detect pin digital lock detect\n"),
             log.constData());
}

// A stored set whose band-select divider the plan recomputes: the read
// prints the plan, and says which word it would send otherwise.
void TestVantrelCtl::readSaysWhichWordsItChanges()
{
    QTemporaryDir dir;
    const QString eeprom = written(dir.filePath("eeprom.txt"), "Reg0 00740640\nReg1 0800FD01\nReg2 18004E42\n"
                                                               "Reg3 00E00003\nReg4 0086403C\nReg5 00D80005\n");
    Board board;
    QVERIFY(board.start({"--eeprom", eeprom}));
    Run run = runCtl({"read", "--port", board.path(), "--ref", "10"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.endsWith("Reg 3   0x 00E00003\nReg 4   0x 0085003C\nReg 5   0x 00D80005\n"), run.out.constData());
    QVERIFY2(run.err.contains("vantrel-ctl: The plan's words differ from the set read back: Reg4 read 0086403C, plan "
                              "0085003C\n"),
             run.err.constData());
    run = runCtl({"read", "--port", board.path(), "--ref", "10", "--json"});
    const QJsonObject read = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(read.value("read_back_differences").toArray().size(), 1);
    QCOMPARE(read.value("chip_options").toObject().value("BandSelectClockMode").toString(), QStringLiteral("high"));
}

QTEST_GUILESS_MAIN(TestVantrelCtl)
#include "tst_vantrel_ctl.moc"
