// The board's controller loses a line that comes sooner than 100 ms after the
// one before. Every gap between two lines is measured where the lines are
// handed to the port and where the virtual board takes them in, for each way
// lines reach the board: "Set all Registers", "Write EE" and a sweep of
// changed words. The bound is the board's, not the sender's own constant, so
// a shorter gap in the sender is caught. The write() calls themselves are
// watched too: this program's write() wraps the system's.
#include <QtTest>

#include <QElapsedTimer>

#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <mutex>

#include "board_commands.h"
#include "board_harness.h"
#include "serial_link.h"
#include "sweep_runner.h"

using vantrel::BoardCommands;
using vantrel::SerialLink;
using vantrel::SweepRunner;

namespace {

constexpr double kBoardGapMs = 100.0;
// The board process notes a line when the system lets it run, and on a busy
// machine that is up to some 15 ms late; a line noted late shortens the next
// gap it sees by as much. So the board's own clock is read over spans of
// lines: n gaps take at least n times the bound, less the lateness of one
// line. A sender 10 ms short loses 50 ms or more over every command here.
constexpr double kBoardLatenessMs = 20.0;

const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
const vantrel::RegisterSet kNext{0x00740648, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
const vantrel::RegisterSet kThird{0x00740650, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

// Each write() to a terminal while watched: when it began and when it
// returned. The wrapper takes kSlowWrite over each, as a loaded machine or
// a traced process does, so that a pause counted from the hand-over rather
// than from the end of the write shows as a gap under 100 ms.
struct WriteCall {
    qint64 beganNs = 0;
    qint64 endedNs = 0;
};
std::mutex g_writesMutex;
bool g_watchingWrites = false;
QList<WriteCall> g_writes;
constexpr timespec kSlowWrite{0, 10'000'000};

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto system = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
    {
        const std::lock_guard lock(g_writesMutex);
        if (!g_watchingWrites || !isatty(fd))
            return system(fd, data, size);
    }
    WriteCall call;
    call.beganNs = monotonicNs();
    const ssize_t written = system(fd, data, size);
    nanosleep(&kSlowWrite, nullptr);
    call.endedNs = monotonicNs();
    const std::lock_guard lock(g_writesMutex);
    g_writes << call;
    return written;
}

class TestLineGap : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyGapIsAtLeastTheBoards_data();
    void everyGapIsAtLeastTheBoards();
};

void TestLineGap::initTestCase()
{
    TestPty probe;
    if (!probe.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestLineGap::everyGapIsAtLeastTheBoards_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("lines");
    QTest::addRow("Set all Registers") << "SendAll" << 6;
    QTest::addRow("Write EE") << "WriteAll" << 12;
    QTest::addRow("a sweep of changed words") << "sweep" << 8;
}

void TestLineGap::everyGapIsAtLeastTheBoards()
{
    QFETCH(QString, how);
    QFETCH(int, lines);
    Board board;
    QVERIFY(board.start({"--log"}));
    SerialLink link;
    QVERIFY(link.open(board.path()).opened);
    {
        const std::lock_guard lock(g_writesMutex);
        g_writes.clear();
        g_watchingWrites = true;
    }
    QElapsedTimer clock;
    clock.start();
    QList<qint64> handedOverNs;
    connect(&link, &SerialLink::writing, this, [&] { handedOverNs << clock.nsecsElapsed(); });

    BoardCommands commands(link);
    SweepRunner runner(link);
    if (how == "SendAll")
        QVERIFY(commands.sendAll(kExample));
    else if (how == "WriteAll")
        QVERIFY(commands.writeAll(kExample));
    else
        QVERIFY(runner.start({{kExample, {}}, {kNext, {}}, {kThird, {}}}, {true, 1}));
    QTRY_COMPARE_WITH_TIMEOUT(board.logLines().size(), lines, 10000);
    QTRY_VERIFY(!commands.isBusy() && !runner.isRunning());
    QList<WriteCall> writes;
    {
        const std::lock_guard lock(g_writesMutex);
        g_watchingWrites = false;
        writes = g_writes;
    }

    // From the end of one line's write() to the start of the next one's.
    QCOMPARE(writes.size(), lines);
    for (int i = 1; i < writes.size(); ++i) {
        const double gapMs = double(writes[i].beganNs - writes[i - 1].endedNs) / 1e6;
        QVERIFY2(gapMs >= kBoardGapMs, qPrintable(QStringLiteral("write(), line %1: %2 ms").arg(i + 1).arg(gapMs)));
    }
    QCOMPARE(handedOverNs.size(), lines);
    for (int i = 1; i < handedOverNs.size(); ++i) {
        const double gapMs = double(handedOverNs[i] - handedOverNs[i - 1]) / 1e6;
        QVERIFY2(gapMs >= kBoardGapMs, qPrintable(QStringLiteral("sender, line %1: %2 ms").arg(i + 1).arg(gapMs)));
    }
    const auto seen = board.logLines();
    for (int from = 0; from < seen.size(); ++from) {
        double spanMs = 0;
        for (int to = from + 1; to < seen.size(); ++to) {
            spanMs += seen[to].first;
            const int gaps = to - from;
            QVERIFY2(spanMs >= gaps * kBoardGapMs - kBoardLatenessMs,
                     qPrintable(QStringLiteral("board, lines %1 to %2: %3 ms").arg(from + 1).arg(to + 1).arg(spanMs)));
        }
    }
}

QTEST_GUILESS_MAIN(TestLineGap)
#include "tst_line_gap.moc"
