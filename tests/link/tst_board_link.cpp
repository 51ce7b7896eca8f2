// SerialLink and BoardCommands on a real pseudo-terminal: against a pty the
// test drives itself (bytes on the wire, silence, late answers) and against
// the vantrel-board program (lines taken in, EEPROM store and read-back, a
// board that vanishes mid-command).
#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "board_commands.h"
#include "board_harness.h"
#include "serial_link.h"

using vantrel::BoardCommands;
using vantrel::SerialLink;

Q_DECLARE_METATYPE(vantrel::BoardCommands::Command)

namespace {

const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
const vantrel::RegisterSet k25MHz{0x00300000, 0x080087D1, 0x18004E42, 0x00000003, 0x008C803C, 0x00580005};
const QByteArray kExampleInitAnswer = "0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n";

} // namespace

class TestBoardLink : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void openFailureSaysWhy();
    void sendAllPutsTheSnapshotOnTheWire();
    void initWithoutAnswerTimesOutAndALateSetStillDecodes();
    void sendAllReachesTheBoard();
    void writeAllThenInitReadsTheSetBack_data();
    void writeAllThenInitReadsTheSetBack();
    void boardStoppedMidCommand();
    void boardOnADeviceAnswersWithItsFactorySet();
    void userDataFromTheBoard();
};

void TestBoardLink::initTestCase()
{
    qRegisterMetaType<BoardCommands::Command>();
    TestPty probe;
    if (!probe.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestBoardLink::openFailureSaysWhy()
{
    SerialLink link;
    const vantrel::OpenOutcome outcome = link.open(QStringLiteral("/dev/vantrel-no-such-port"));
    QVERIFY(!outcome.opened);
    QVERIFY(!link.isOpen());
    const QString prefix = QStringLiteral("Cannot open /dev/vantrel-no-such-port: ");
    QVERIFY2(outcome.message.startsWith(prefix) && outcome.message.size() > prefix.size(), qPrintable(outcome.message));
    QVERIFY(!link.write("R00000005\r\n"));
}

void TestBoardLink::sendAllPutsTheSnapshotOnTheWire()
{
    TestPty pty;
    SerialLink link;
    BoardCommands commands(link);
    QVERIFY2(link.open(pty.path()).opened, qPrintable(pty.path()));
    QSignalSpy busy(&commands, &BoardCommands::busyChanged);
    QSignalSpy finished(&commands, &BoardCommands::finished);

    vantrel::RegisterSet set = kExample;
    QVERIFY(commands.sendAll(set));
    set.fill(0); // later changes must not reach the wire
    QVERIFY(commands.isBusy());
    QVERIFY(!commands.writeAll(set));
    QVERIFY(!commands.init());
    // Replies during the pauses: a text line is kept for Text1, a word is not.
    QTRY_VERIFY(!pty.wire().isEmpty());
    QVERIFY(pty.write("OK 1\r\n0X0000000"));
    QVERIFY(pty.write("5\r\nOK 2\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QCOMPARE(finished.at(0).at(0).value<BoardCommands::Command>(), BoardCommands::Command::SendAll);
    QCOMPARE(finished.at(0).at(1).toString(), QString("OK 1\r\nOK 2\r\n"));
    QCOMPARE(busy.size(), 2);
    QCOMPARE(busy.at(1).at(0).toBool(), false);
    QCOMPARE(link.regIn()[5], 5u);
    QCOMPARE(pty.wire(), QByteArray("R00580005\r\nR0085003C\r\nR00000003\r\nR18004E42\r\nR0800FD01\r\nR00740640\r\n"));
}

void TestBoardLink::initWithoutAnswerTimesOutAndALateSetStillDecodes()
{
    TestPty pty;
    SerialLink link;
    BoardCommands commands(link);
    QVERIFY(link.open(pty.path()).opened);
    QSignalSpy timedOut(&commands, &BoardCommands::initTimedOut);
    QSignalSpy decode(&link, &SerialLink::decodeRequested);
    // The wait is a minimum: a coarse timer ended it at 2.85 to 2.94 s.
    QElapsedTimer sinceRequest;
    qint64 waitedMs = -1;
    connect(&commands, &BoardCommands::initTimedOut, this, [&] { waitedMs = sinceRequest.elapsed(); });
    sinceRequest.start();
    QVERIFY(commands.init());
    QTRY_COMPARE(pty.wire(), QByteArray("INIT\r\n"));
    QVERIFY(commands.isInitPending());
    QTRY_COMPARE_WITH_TIMEOUT(timedOut.size(), 1, 6000);
    QVERIFY2(waitedMs >= 3000, qPrintable(QString::number(waitedMs)));
    QVERIFY(!commands.isInitPending());
    QVERIFY(pty.write(kExampleInitAnswer));
    QTRY_COMPARE(decode.size(), 1);
    QCOMPARE(timedOut.size(), 1);

    // An answer in time ends the wait without a time-out.
    QVERIFY(commands.init());
    QTRY_COMPARE(pty.wire(), QByteArray("INIT\r\nINIT\r\n"));
    QVERIFY(pty.write(kExampleInitAnswer));
    QTRY_COMPARE(decode.size(), 2);
    QVERIFY(!commands.isInitPending());
}

void TestBoardLink::sendAllReachesTheBoard()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    SerialLink link;
    BoardCommands commands(link);
    const vantrel::OpenOutcome outcome = link.open(board.path());
    QVERIFY2(outcome.opened, qPrintable(outcome.message));
    QSignalSpy finished(&commands, &BoardCommands::finished);
    QVERIFY(commands.sendAll(kExample));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QTRY_COMPARE(board.logLines().size(), 6);
    const QList<QPair<double, QString>> lines = board.logLines();
    const QStringList expected = {"R00580005", "R0085003C", "R00000003", "R18004E42", "R0800FD01", "R00740640"};
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i].second, expected[i]);
        if (i > 0)
            QVERIFY2(lines[i].first >= kMinSeenGapMs, qPrintable(QString::number(lines[i].first)));
    }
}

void TestBoardLink::writeAllThenInitReadsTheSetBack_data()
{
    QTest::addColumn<bool>("burst");
    QTest::addRow("one read per reply line") << false;
    QTest::addRow("whole answer in one burst") << true;
}

void TestBoardLink::writeAllThenInitReadsTheSetBack()
{
    QFETCH(bool, burst);
    QTemporaryDir dir;
    const QString eeprom = dir.filePath("eeprom.txt");
    Board board;
    QStringList arguments = {"--eeprom", eeprom};
    if (burst)
        arguments << "--burst";
    QVERIFY(board.start(arguments));
    SerialLink link;
    BoardCommands commands(link);
    QVERIFY(link.open(board.path()).opened);
    QSignalSpy finished(&commands, &BoardCommands::finished);
    QSignalSpy words(&link, &SerialLink::registerWord);
    QSignalSpy decode(&link, &SerialLink::decodeRequested);

    QVERIFY(commands.writeAll(k25MHz));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QVERIFY(commands.init());
    QTRY_COMPARE_WITH_TIMEOUT(decode.size(), 1, 3000);
    QCOMPARE(words.size(), 6);
    QCOMPARE(words.at(0).at(2).toString(), QString("Reg  5 580005\r\n"));
    QCOMPARE(words.at(5).at(0).toInt(), 0);
    QCOMPARE(words.at(5).at(2).toString(), QString("Reg  0 300000\r\n"));
    for (std::size_t i = 0; i < k25MHz.size(); ++i)
        QCOMPARE(link.regIn()[i], k25MHz[i]);
    QFile file(eeprom);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Reg4 008C803C"));
}

void TestBoardLink::boardStoppedMidCommand()
{
    Board board;
    QVERIFY(board.start({}));
    SerialLink link;
    BoardCommands commands(link);
    QVERIFY(link.open(board.path()).opened);
    QSignalSpy lost(&link, &SerialLink::portLost);
    QSignalSpy aborted(&commands, &BoardCommands::aborted);
    QSignalSpy finished(&commands, &BoardCommands::finished);

    QVERIFY(commands.writeAll(kExample));
    QTest::qWait(250);
    board.process().kill();
    QVERIFY(board.process().waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 3000);
    QVERIFY2(lost.at(0).at(0).toString() == "Lost the port " + board.path() + ": the device is no longer available", qPrintable(lost.at(0).at(0).toString()));
    QCOMPARE(aborted.size(), 1);
    QVERIFY(!commands.isBusy());
    QVERIFY(!link.isOpen());

    // A hung-up port that stayed watched would keep the loop busy and report again.
    const double cpuBefore = cpuSeconds();
    QTest::qWait(500);
    QVERIFY2(cpuSeconds() - cpuBefore < 0.25, "the event loop spins after the loss");
    QCOMPARE(lost.size(), 1);
    QCOMPARE(finished.size(), 0);
    QVERIFY(!commands.sendAll(kExample));
}

// --device: the board on a line it did not create (here a pty whose far end
// the test holds), answering INIT in one burst with the set it starts with.
void TestBoardLink::boardOnADeviceAnswersWithItsFactorySet()
{
    TestPty pty;
    Board board;
    QVERIFY(board.start({"--device", pty.path(), "--burst"}));
    QCOMPARE(board.path(), pty.path());
    QVERIFY(pty.write("INIT\r\n"));
    QTRY_COMPARE(pty.wire(), kExampleInitAnswer);
}

void TestBoardLink::userDataFromTheBoard()
{
    Board board;
    QVERIFY(board.start({"--udata", "ABCDEFGH"}));
    SerialLink link;
    QSignalSpy userData(&link, &SerialLink::userData);
    QVERIFY(link.open(board.path()).opened);
    // The line sent at start waits in the pty until the panel opens it.
    QTRY_COMPARE(userData.size(), 1);
    QVERIFY(link.write("U\r\n"));
    QTRY_COMPARE(userData.size(), 2);
    QCOMPARE(userData.at(1).at(0).toString(), QString("ABCDEFGH"));
    QCOMPARE(link.takePendingText(), QString("Udata{ABCDEFGH}\r\nUdata{ABCDEFGH}\r\n"));
}

QTEST_GUILESS_MAIN(TestBoardLink)
#include "tst_board_link.moc"
