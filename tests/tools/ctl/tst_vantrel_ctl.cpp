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

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>

#include "board_harness.h"
#include "program_run.h"

namespace {

constexpr int kWaitMs = 15000;
constexpr int kMaxHopLinesSeen = 100001; // a header and 100000 frequencies

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

// A Reg0 line: the chip takes a step when it arrives.
bool isReg0Line(const QString& line)
{
    bool ok = false;
    return line.size() == 9 && line.startsWith('R') && (line.mid(1).toUInt(&ok, 16) & 7u) == 0 && ok;
}

// vantrel-ctl as a child process, for what happens while it runs.
struct CtlProcess {
    QProcess process;
    QByteArray err;

    bool start(const QStringList& arguments)
    {
        process.start(QStringLiteral(VANTREL_CTL_EXE), arguments);
        return process.waitForStarted();
    }
    void signal(int number) { ::kill(static_cast<pid_t>(process.processId()), number); }
    const QByteArray& stderrText()
    {
        err += process.readAllStandardError();
        return err;
    }
    // The exit code, or -1 when it crashed or was killed.
    int finish()
    {
        if (!process.waitForFinished(kWaitMs))
            return -1;
        stderrText();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

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
    void aStopEndsOnAWholeStep_data();
    void aStopEndsOnAWholeStep();
    void aSignalLetsTheSetFinish_data();
    void aSignalLetsTheSetFinish();
    void aLostPortEndsEveryCommand_data();
    void aLostPortEndsEveryCommand();
    void aReadBackThatIsNoSet_data();
    void aReadBackThatIsNoSet();
    void frequenciesWithUnits_data();
    void frequenciesWithUnits();
    void aSettingsFileIsReadStrictly_data();
    void aSettingsFileIsReadStrictly();
    void dryRunOpensNoPort();
    void stepsCarryTheirQuality();
    void chipOptionsTravelWithTheSweep();
    void readSaysWhichWordsItChanges();
    void aDeviceNoGroupMayOpen();
    void aHopListIsBounded_data();
    void aHopListIsBounded();
    void aSignalEndsTheReadOfAHopList();
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

    // The words decide every control but the reference.
    const Run run = runCtl({"read", "--port", board.path(), "--ref", "25", "--json"});
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
    QVERIFY2(err.contains("interrupted by SIGINT; stopped after step 2 of 101"), err.constData());
    // It ended after the step under way: two whole sets, none after.
    QTest::qWait(300);
    const QStringList lines = lineTexts(board.logLines());
    QCOMPARE(lines.size(), 12);
    QVERIFY(isReg0Line(lines.last()));
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

// The lines each step of a sweep sends, from its dry run.
QList<QStringList> dryRunSteps(QStringList arguments)
{
    arguments.removeAll("--json");
    arguments.removeAll("--loop");
    const Run run = runCtl(arguments + QStringList{"--dry-run", "--json"});
    QList<QStringList> steps;
    for (const QByteArray& line : run.out.trimmed().split('\n'))
        steps << QJsonDocument::fromJson(line).object().value("would_send").toVariant().toStringList();
    return steps;
}

// Whatever stops a sweep, the board is left with whole steps: the step under
// way goes on to its Reg0 line, and what a step reports is what went out.
void TestVantrelCtl::aStopEndsOnAWholeStep_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("stopStep");   // the stop starts as this step's line (both from 0) arrives
    QTest::addColumn<int>("stopLine");
    QTest::addColumn<QString>("how");    // a signal's name, or "stdout" for a reader that goes away
    QTest::addColumn<int>("status");
    // From 2200 to 2199.75 MHz the divider changes: Reg4, Reg1 and Reg0 must all go.
    QTest::addRow("SIGINT as the new divider goes out")
        << QStringList{"sweep", "2200.5", "2199.5", "-0.25", "--ref", "25", "--resolution", "100000",
                       "--auto-divider", "--changed-only", "--json"}
        << 3 << 0 << "SIGINT" << 130;
    QTest::addRow("SIGTERM in a full-set loop")
        << QStringList{"sweep", "2400", "2300", "-1", "--loop"} << 1 << 2 << "SIGTERM" << 143;
    QTest::addRow("SIGHUP") << QStringList{"sweep", "2400", "2300", "-1", "--json"} << 1 << 2 << "SIGHUP" << 129;
    QTest::addRow("standard output closed") << QStringList{"sweep", "2400", "2300", "-1"} << -1 << 0 << "stdout"
                                            << 1;
}

void TestVantrelCtl::aStopEndsOnAWholeStep()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, stopStep);
    QFETCH(int, stopLine);
    QFETCH(QString, how);
    QFETCH(int, status);
    const QList<QStringList> steps = dryRunSteps(arguments);
    QVERIFY(steps.size() > 4);
    qsizetype linesBefore = 0;
    for (int i = 0; i < stopStep; ++i)
        linesBefore += steps[i].size();
    Board board;
    QVERIFY(board.start({"--log"}));
    CtlProcess ctl;
    if (how == "stdout") {
        // A reader gone before the first report: the first report fails.
        ctl.process.start("/bin/bash", QStringList{"-c", "\"$0\" \"$@\" | true; exit ${PIPESTATUS[0]}",
                                                   VANTREL_CTL_EXE} + arguments + QStringList{"--port", board.path()});
        QVERIFY(ctl.process.waitForStarted());
    } else {
        QVERIFY(ctl.start(arguments + QStringList{"--port", board.path()}));
    }
    if (stopStep >= 0) {
        QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() > linesBefore + stopLine, kWaitMs);
        QCOMPARE(lineTexts(board.logLines()).at(linesBefore + stopLine), steps[stopStep][stopLine]);
    }
    const QMap<QString, int> byName{{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}};
    if (byName.contains(how))
        ctl.signal(byName[how]);
    QCOMPARE(ctl.finish(), status);
    QTest::qWait(300); // nothing more after the end
    const QStringList seen = lineTexts(board.logLines());
    QStringList whole;
    int stepsSent = 0;
    while (whole.size() < seen.size() && stepsSent < steps.size())
        whole += steps[stepsSent++];
    QCOMPARE(seen, whole);
    QVERIFY(isReg0Line(seen.last()));
    if (how == "stdout") {
        QCOMPARE(stepsSent, 1);
        QVERIFY2(ctl.err.contains("cannot write to standard output"), ctl.err.constData());
        return;
    }
    QVERIFY2(ctl.err.contains(QStringLiteral("interrupted by %1; stopped after step %2 of ").arg(how).arg(stepsSent).toLatin1()),
             ctl.err.constData());
    // The report of the last step lists what went out, all of it.
    const QList<QByteArray> out = ctl.process.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(out.size(), stepsSent);
    if (arguments.contains("--json")) {
        const QJsonObject last = QJsonDocument::fromJson(out.last()).object();
        QCOMPARE(last.value("sent").toVariant().toStringList(), steps[stepsSent - 1]);
    }
}

// set and store finish the set under way on a signal; a second signal ends at once.
void TestVantrelCtl::aSignalLetsTheSetFinish_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("twice");
    QTest::addColumn<int>("status");
    QTest::addRow("store, SIGTERM") << "store" << int(SIGTERM) << false << 143;
    QTest::addRow("set, SIGINT") << "set" << int(SIGINT) << false << 130;
    // Ctrl-\ used to end a store at once, with half a new set in the EEPROM.
    QTest::addRow("store, SIGQUIT") << "store" << int(SIGQUIT) << false << 131;
    QTest::addRow("store, SIGINT twice") << "store" << int(SIGINT) << true << 130;
}

void TestVantrelCtl::aSignalLetsTheSetFinish()
{
    QFETCH(QString, command);
    QFETCH(int, signal);
    QFETCH(bool, twice);
    QFETCH(int, status);
    Board board;
    QVERIFY(board.start({"--log"}));
    CtlProcess ctl;
    QVERIFY(ctl.start(QStringList{command, "--port", board.path()} + kFirstExample));
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 2, kWaitMs);
    ctl.signal(signal);
    if (twice) {
        QTRY_VERIFY_WITH_TIMEOUT(ctl.stderrText().contains("finishing the set"), kWaitMs);
        ctl.signal(signal);
    }
    QCOMPARE(ctl.finish(), status);
    QTest::qWait(300);
    QStringList whole = kFirstExampleLines;
    if (command == "store") {
        whole.clear();
        for (const QString& line : kFirstExampleLines)
            whole << line << "W";
    }
    const QStringList seen = lineTexts(board.logLines());
    if (twice) {
        QVERIFY2(ctl.err.contains("again: stopped at once; not sent: "), ctl.err.constData());
        QVERIFY(seen.size() < whole.size());
        QCOMPARE(seen, whole.mid(0, seen.size()));
        QVERIFY2(ctl.err.contains(whole.mid(seen.size()).join(' ').toLatin1()), ctl.err.constData());
        return;
    }
    QCOMPARE(seen, whole);
    QVERIFY2(ctl.err.contains("once the set had gone out whole"), ctl.err.constData());
}

// A port that goes away ends each command at once with the loss as its reason.
void TestVantrelCtl::aLostPortEndsEveryCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("linesBeforeLoss");
    QTest::addRow("set, mid-set") << "set" << 2;
    QTest::addRow("read, waiting for the answer") << "read" << 1;
}

void TestVantrelCtl::aLostPortEndsEveryCommand()
{
    QFETCH(QString, command);
    QFETCH(int, linesBeforeLoss);
    TestPty pty;
    CtlProcess ctl;
    QVERIFY(ctl.start({command, "--port", pty.path(), "--ref", "10"}));
    QTRY_VERIFY_WITH_TIMEOUT(pty.wire().count('\n') >= linesBeforeLoss, kWaitMs);
    QTest::qWait(150); // past the line's pause: an idle read must notice too
    QElapsedTimer sinceLoss;
    sinceLoss.start();
    pty.close();
    QCOMPARE(ctl.finish(), 1);
    QVERIFY2(sinceLoss.elapsed() < 2000, qPrintable(QString::number(sinceLoss.elapsed())));
    QVERIFY2(ctl.err.contains("Lost the port " + pty.path().toLatin1()), ctl.err.constData());
    QVERIFY2(!ctl.err.contains("refused"), ctl.err.constData());
}

void TestVantrelCtl::aReadBackThatIsNoSet_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("message");
    QTest::addRow("erased: Reg0 to Reg4 stored as 0")
        << QByteArray("0X00580005\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n")
        << "10" << "no word for register 1, 2, 3, 4";
    // These two waited 3 s for a Reg0 word and ended "No register set received" (4).
    // With a line of control bytes first, which was echoed raw.
    QTest::addRow("an erased EEPROM: six words of all ones")
        << QByteArray("\x1b[2J\x07noise\r\n") + QByteArray("0XFFFFFFFF\r\n").repeated(6) << "10"
        << "(an erased EEPROM, which reads all ones)";
    QTest::addRow("a store cut after Reg3 on an erased chip")
        << QByteArray("0X00580005\r\n0X0085003C\r\n0X00000003\r\n") + QByteArray("0XFFFFFFFF\r\n").repeated(3)
        << "10" << "no word for register 0, 1, 2: not a whole set";
    // These printed the plan of the options given, and ended 0.
    QTest::addRow("MOD 0 in fractional mode")
        << QByteArray("0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X08000001\r\n0X00740640\r\n")
        << "10" << "the set read back gives no plan: MOD 0 in fractional mode";
    QTest::addRow("Reg0 stored as 0: an output of 0 MHz")
        << QByteArray("0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00000000\r\n")
        << "10" << "the set read back gives no plan: an output of 0 MHz";
    // Divider code 7, MUXOUT 5: its words were compared with the plan's before.
    QTest::addRow("a whole set whose plan stops")
        << QByteArray("0X00580005\r\n0X00F5003C\r\n0X00000003\r\n0X14004E42\r\n0X0000FD01\r\n0X00740640\r\n")
        << "10" << "The set read back gives no complete plan: More than 12 bits needed for fractional registers";
}

void TestVantrelCtl::aReadBackThatIsNoSet()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, ref);
    QFETCH(QString, message);
    TestPty pty;
    CtlProcess ctl;
    QVERIFY(ctl.start({"read", "--port", pty.path(), "--ref", ref}));
    QTRY_COMPARE_WITH_TIMEOUT(pty.wire(), QByteArray("INIT\r\n"), kWaitMs);
    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    QVERIFY(pty.write(answer));
    QCOMPARE(ctl.finish(), 5);
    QVERIFY2(ctl.err.contains(message.toLatin1()) && !ctl.err.contains("differ"), ctl.err.constData());
    for (const char c : ctl.err)
        QVERIFY2(c == '\n' || (c >= 0x20 && c < 0x7F), ctl.err.constData());
    // Known from the answer itself, not from the 3 s wait for one.
    QVERIFY2(sinceAnswer.elapsed() < 2500, qPrintable(QString::number(sinceAnswer.elapsed())));
}

// What goes to a board takes units, and a typing slip is a usage error
// before anything is sent; vantrel-plan reads as the window's box does.
void TestVantrelCtl::frequenciesWithUnits_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("found"); // on stdout for 0, on stderr otherwise
    QTest::addRow("2.4G is 2400 MHz") << QStringList{"sweep", "2.4G", "2400.1 MHz", "100k", "--dry-run"} << 0
                                      << "step 2 of 2 (2400.1 MHz): planned 2400.1 MHz";
    QTest::addRow("--fout 2.4G, --resolution 100 kHz")
        << QStringList{"sweep", "2400", "2400", "1", "--fout", "2.4g", "--resolution", "100 kHz", "--ref", "25M",
                       "--dry-run"}
        << 0 << "R00300000";
    QTest::addRow("a letter O in the number") << QStringList{"set", "--fout", "24OO", "--port", "/dev/null"} << 2
                                              << "--fout \"24OO\" has \"OO\" after the number";
    QTest::addRow("an empty value") << QStringList{"set", "--fout", "", "--port", "/dev/null"} << 2
                                    << "--fout \"\" is empty";
    QTest::addRow("minus infinity") << QStringList{"sweep", "-inf", "2201", "1", "--dry-run"} << 2
                                    << "START is not a number";
    // A range that is none is a usage error, as in vantrel-plan --scan (these ended 1).
    QTest::addRow("absurd step count") << QStringList{"sweep", "2400", "2401", "1e-300", "--dry-run"} << 2
                                       << "more than 100000 steps";
    QTest::addRow("a step away from STOP") << QStringList{"sweep", "2401", "2400", "1", "--dry-run"} << 2
                                           << "STEP 1 leads away from STOP";
    // Nonsense that reached the board with status 0; the limits are said.
    const QStringList set{"set", "--port", "/dev/vantrel-no-port"};
    QTest::addRow("a negative resolution") << set + QStringList{"--resolution", "-5"} << 2
                                           << "--resolution \"-5\": give a step above 0 Hz and at most 4400 MHz";
    QTest::addRow("a resolution of 1e308 Hz") << set + QStringList{"--resolution", "1e308"} << 2
                                              << "--resolution \"1e308\": give a step above 0 Hz";
    QTest::addRow("an output of 0") << set + QStringList{"--fout", "0"} << 2
                                    << "--fout \"0\": give an output of at least 1 kHz";
    QTest::addRow("an output of 1e-300 MHz") << set + QStringList{"--fout", "1e-300"} << 2
                                             << "--fout \"1e-300\": give an output of at least 1 kHz";
    QTest::addRow("a reference of 0") << QStringList{"read", "--ref", "0", "--port", "/dev/vantrel-no-port"} << 2
                                      << "--ref \"0\": give a reference of at least 1 kHz";
    QTest::addRow("a sweep from 0 MHz") << QStringList{"sweep", "0", "1", "1", "--dry-run"} << 2
                                        << "START \"0\": give an output of at least 1 kHz";
    QTest::addRow("--repeat 0") << QStringList{"sweep", "2400", "2401", "1", "--repeat", "0", "--dry-run"} << 2
                                << "--repeat 0: expected a whole number from 1 to 1000000";
    QTest::addRow("--dwell beyond a day")
        << QStringList{"sweep", "2400", "2401", "1", "--dwell", "86400001", "--dry-run"} << 2
        << "--dwell 86400001: expected whole milliseconds from 0 to 86400000";
    // Echoed input is escaped and cut.
    QTest::addRow("a control byte in a frequency") << set + QStringList{"--fout", "24\x01" + QString(100, 'x')} << 2
                                                   << "--fout \"24\\x01" + QString(74, 'x') + "...\" has";
    QTest::addRow("--version") << QStringList{"--version"} << 0 << "vantrel-ctl ";
    QTest::addRow("read refuses what the words decide")
        << QStringList{"read", "--ref", "10", "--fout", "1234.5", "--rdiv", "2", "--port", "/dev/null"} << 2
        << "the board's words, which decide --fout, --rdiv:";
}

void TestVantrelCtl::frequenciesWithUnits()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, found);
    const Run run = runCtl(arguments);
    QCOMPARE(run.status, status);
    const QByteArray& where = status == 0 ? run.out : run.err;
    QVERIFY2(where.contains(found.toUtf8()), (run.out + run.err).constData());
}

// The window's box reads "abc" as 0 and "2.4G" as 2.4: such a file sent a
// 0 MHz or 2.4 MHz set.
void TestVantrelCtl::aSettingsFileIsReadStrictly_data()
{
    QTest::addColumn<QString>("foutText");
    QTest::addColumn<QString>("message");
    QTest::addRow("letters") << "abc" << "FoutText \"abc\" is not a number in MHz, as the window's box holds it: the "
                                         "window reads it as 0 MHz";
    QTest::addRow("another unit") << "2.4G" << "FoutText \"2.4G\" is not a number in MHz, as the window's box holds "
                                               "it: the window reads it as 2.4 MHz";
    QTest::addRow("0 MHz") << "0" << "FoutText \"0\": give an output of at least 1 kHz";
}

void TestVantrelCtl::aSettingsFileIsReadStrictly()
{
    QFETCH(QString, foutText);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = written(dir.filePath("bench.json"), QStringLiteral(R"({"format": "vantrel-settings",
        "version": 1, "mux": "MuxL", "checks": {"Enable": true, "Feedback": false, "IntN": false, "LowSpur": false,
        "MTLD": false, "PDpol": false, "Prescale8": true, "RefDbl": false, "Refdiv2": false, "TrackDivider": false},
        "scrolls": {"ChrgPump": 7, "OutDivCont": 0, "Pwr": 3}, "texts": {"CPNo": "", "ForceD": "", "FoutText": "%1",
        "FrText": "10", "Rdivider": "1", "ResolutionText": "2500"}})").arg(foutText).toUtf8());
    const Run run = runCtl({"set", "--settings", path, "--port", "/dev/vantrel-no-port"});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(("--settings " + path + ": " + message).toUtf8()), run.err.constData());
    // An option after the file replaces its text, which is then not read.
    QCOMPARE(runCtl({"sweep", "2400", "2400", "1", "--settings", path, "--fout", "2400", "--dry-run"}).status, 0);
}

void TestVantrelCtl::dryRunOpensNoPort()
{
    QTemporaryDir dir;
    // A byte order mark, a line with a unit, a bad line skipped: steps keep their numbers.
    const QString hops = written(dir.filePath("hops.txt"), "\xEF\xBB\xBF" "2400\n2403 MHz\n24OO\n2.41 GHz\n");
    // --skip-bad leaves out an unreadable line as a step the plan refuses (it used to end the list).
    const Run run = runCtl({"hop", hops, "--dry-run", "--changed-only", "--skip-bad", "--json"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("skipped " + hops.toUtf8() + ": line 3: \"24OO\""), run.err.constData());
    const QJsonObject last = QJsonDocument::fromJson(run.out.trimmed().split('\n').last()).object();
    QCOMPARE(last.value("step").toInt(), 4);
    QCOMPARE(last.value("of").toInt(), 4);

    const QString good = written(dir.filePath("good.txt"), "\xEF\xBB\xBF" "2400\n2403 MHz\n2.41 GHz\n");
    const Run dry = runCtl({"hop", good, "--dry-run", "--changed-only", "--json", "--port", "/dev/vantrel-no-port"});
    QCOMPARE(dry.status, 0);
    const QList<QByteArray> lines = dry.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    const QJsonObject third = QJsonDocument::fromJson(lines[2]).object();
    QCOMPARE(third.value("step").toInt(), 3);
    QCOMPARE(third.value("line").toInt(), 3);
    QCOMPARE(third.value("asked_mhz").toDouble(), 2410.0);
    QCOMPARE(third.value("would_send").toArray().last().toString(), QStringLiteral("R00788000"));

    QProcess full;
    full.setStandardOutputFile(QStringLiteral("/dev/full"));
    full.start(QStringLiteral(VANTREL_CTL_EXE), {"sweep", "2400", "2401", "1", "--dry-run", "--json"});
    QVERIFY(full.waitForFinished());
    QCOMPARE(full.exitCode(), 1);
    QVERIFY(full.readAllStandardError().contains("cannot write to standard output"));

    // JSON numbers as the text shows them: 2199.9 + 3 * 0.1 is 2200.2000000000003 in a double.
    const Run tenths = runCtl({"sweep", "2199.9", "2200.2", "0.1", "--dry-run", "--json"});
    QCOMPARE(tenths.status, 0);
    QVERIFY2(tenths.out.contains("\"asked_mhz\":2200.2,"), tenths.out.constData());

    // --skip-bad keeps the original step numbers.
    const QString vcoLow = written(dir.filePath("low.txt"), "2100\n2300\n");
    const Run skipped = runCtl({"hop", vcoLow, "--strict", "--skip-bad", "--dry-run"});
    QCOMPARE(skipped.status, 0);
    QVERIFY2(skipped.err.contains("skipped step 1 of 2 (line 1, 2100 MHz)"), skipped.err.constData());
    QVERIFY2(skipped.out.startsWith("step 2 of 2 (line 2, 2300 MHz)"), skipped.out.constData());
}

// Each step's JSON line holds its plan quality figures, rounded as the text
// shows them, with the loop bandwidth given; the text lines stay as they were.
void TestVantrelCtl::stepsCarryTheirQuality()
{
    const Run run = runCtl({"sweep", "2400", "2400.01", "0.01", "--dry-run", "--json", "--loop-bandwidth", "20"});
    QCOMPARE(run.status, 0);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    // 2400 MHz is 240 x 10 MHz: FRAC 0. 2400.01 MHz is FRAC 4 of 4000, 10 kHz from it.
    QVERIFY2(lines[0].contains("\"quality\":{\"boundary_spur_in_loop\":false,\"boundary_spur_offset_khz\":null,"
                               "\"flicker_10khz_dbc_hz\":-108.4,\"fractional_spur_interval_khz\":null,"
                               "\"in_band_10khz_dbc_hz\":-101.4,\"in_band_floor_dbc_hz\":-102.4,"
                               "\"loop_bandwidth_khz\":20,\"pfd_mhz\":10,\"pfd_spur_offset_mhz\":10}"),
             lines[0].constData());
    QVERIFY2(lines[1].contains("\"boundary_spur_in_loop\":true,\"boundary_spur_offset_khz\":10,"), lines[1].constData());
    QVERIFY2(lines[1].contains("\"fractional_spur_interval_khz\":1.25,"), lines[1].constData());

    const Run text = runCtl({"sweep", "2400", "2400.01", "0.01", "--dry-run"});
    QVERIFY(!text.out.contains("quality"));
    QVERIFY(!text.out.contains("dBc"));
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

// A device only root may open used to advise joining dialout, which would
// not help. Needs root to make the device and setpriv to try it as nobody.
void TestVantrelCtl::aDeviceNoGroupMayOpen()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        QSKIP("needs root and setpriv");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::ExeOther));
    const QString device = dir.filePath("ttyRoot");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(4, 70)) != 0)
        QSKIP("cannot make a device here");
    QProcess ctl;
    ctl.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", VANTREL_CTL_EXE, "set", "--port", device});
    QVERIFY(ctl.waitForFinished(kWaitMs));
    QCOMPARE(ctl.exitCode(), 1);
    const QByteArray err = ctl.readAllStandardError();
    QVERIFY2(err.contains("permission denied: it belongs to root:root with mode 0600, and no group") &&
                 !err.contains("usermod"),
             err.constData());
}

// A hop list is a regular file or standard input, of a bounded size: a FIFO
// blocked for ever, /dev/zero grew to gigabytes.
void TestVantrelCtl::aHopListIsBounded_data()
{
    QTest::addColumn<QString>("file");  // "fifo", a path, or "-" for standard input
    QTest::addColumn<QString>("input"); // standard input: a path, or "lines" for a file of 100002 lines
    QTest::addColumn<QString>("message");
    QTest::addRow("a FIFO") << "fifo" << QString() << "it is a pipe, not a regular file; give - to read";
    QTest::addRow("a device") << "/dev/zero" << QString() << "/dev/zero: it is a device, not a regular file";
    QTest::addRow("endless bytes on standard input")
        << "-" << "/dev/zero" << "cannot read standard input: it holds more than 16 MiB";
    QTest::addRow("too many lines on standard input")
        << "-" << "lines" << "cannot read standard input: it holds more than 100001 lines";
}

void TestVantrelCtl::aHopListIsBounded()
{
    QFETCH(QString, file);
    QFETCH(QString, input);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (file == "fifo") {
        file = dir.filePath("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    }
    if (input == "lines")
        input = written(dir.filePath("lines.txt"), QByteArray("2400\n").repeated(kMaxHopLinesSeen + 1));
    CtlProcess ctl;
    if (!input.isEmpty())
        ctl.process.setStandardInputFile(input);
    QVERIFY(ctl.start({"hop", file, "--dry-run"}));
    QCOMPARE(ctl.finish(), 1);
    QVERIFY2(ctl.err.contains(message.toUtf8()) && ctl.err.contains("nothing sent"), ctl.err.constData());
    QCOMPARE(ctl.process.readAllStandardOutput(), QByteArray());
}

// Ctrl-C and SIGTERM went unheard while the list was read.
void TestVantrelCtl::aSignalEndsTheReadOfAHopList()
{
    CtlProcess ctl;
    QVERIFY(ctl.start({"hop", "-", "--dry-run"}));
    // More than a pipe holds: once it is all written, the program is reading, its handlers in place.
    QVERIFY(ctl.process.write(QByteArray("2400\n").repeated(40000)));
    QTRY_VERIFY_WITH_TIMEOUT(ctl.process.bytesToWrite() == 0, kWaitMs);
    ctl.signal(SIGINT);
    QCOMPARE(ctl.finish(), 130);
    QVERIFY2(ctl.err.contains("interrupted by SIGINT while reading standard input; nothing sent"), ctl.err.constData());
    QCOMPARE(ctl.process.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestVantrelCtl)
#include "tst_vantrel_ctl.moc"
