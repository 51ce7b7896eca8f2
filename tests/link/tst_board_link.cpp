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
#include "serial_link.h"

using vantrel::BoardCommands;
using vantrel::SerialLink;

Q_DECLARE_METATYPE(vantrel::BoardCommands::Command)

namespace {

const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
const vantrel::RegisterSet k25MHz{0x00300000, 0x080087D1, 0x18004E42, 0x00000003, 0x008C803C, 0x00580005};
const QByteArray kExampleInitAnswer = "0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n";

// The far end of a pseudo-terminal, played by the test.
class TestPty {
public:
    TestPty()
    {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0 || ptsname(m_fd) == nullptr) {
            close();
            return;
        }
        m_path = QString::fromLocal8Bit(ptsname(m_fd));
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }
    ~TestPty() { close(); }
    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }

    // Everything the link has written so far; safe to call repeatedly (QTRY
    // evaluates its expression more than once).
    const QByteArray& wire()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_wire.append(buffer, static_cast<qsizetype>(n));
        return m_wire;
    }
    bool write(const QByteArray& bytes) { return ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QString m_path;
    QByteArray m_wire;
};

// vantrel-board as a child process.
class Board {
public:
    bool start(const QStringList& arguments)
    {
        m_process.start(QStringLiteral(VANTREL_BOARD_EXE), arguments);
        if (!m_process.waitForStarted(5000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return false;
        }
        const QByteArray first = m_process.readLine().trimmed();
        if (!first.startsWith("Board ready on "))
            return false;
        m_path = QString::fromLocal8Bit(first.mid(15));
        return true;
    }
    ~Board()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString path() const { return m_path; }
    QProcess& process() { return m_process; }

    // The "--log" lines so far: {gap in ms or -1, line}.
    QList<QPair<double, QString>> logLines()
    {
        m_log += m_process.readAllStandardOutput();
        QList<QPair<double, QString>> lines;
        for (const QByteArray& raw : m_log.split('\n')) {
            // "1.2345 s gap 100.2 ms: R00580005"
            const qsizetype gapAt = raw.indexOf(" gap ");
            const qsizetype colon = raw.indexOf(" ms: ");
            if (gapAt < 0 || colon < 0)
                continue;
            const QByteArray gap = raw.mid(gapAt + 5, colon - gapAt - 5);
            lines.append({gap == "-" ? -1.0 : gap.toDouble(), QString::fromLatin1(raw.mid(colon + 5))});
        }
        return lines;
    }

private:
    QProcess m_process;
    QString m_path;
    QByteArray m_log;
};

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

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
    QVERIFY(commands.init());
    QTRY_COMPARE(pty.wire(), QByteArray("INIT\r\n"));
    QVERIFY(commands.isInitPending());
    QTRY_COMPARE_WITH_TIMEOUT(timedOut.size(), 1, 6000);
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
            QVERIFY2(lines[i].first >= 100.0, qPrintable(QString::number(lines[i].first)));
    }
    QCOMPARE(board.process().readAllStandardError(), QByteArray()); // no warning of lines too close
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
