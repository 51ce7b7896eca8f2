// vantrel-link-bench: measures the link's timing against vantrel-board and a
// pseudo-terminal of its own: how long "Set all Registers" and "Write EE"
// take on the wire, the gaps the board sees, the CPU used while pacing, and
// how soon a register set that arrives in one burst is handed on to decode.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "board_commands.h"
#include "serial_link.h"

namespace {

using vantrel::BoardCommands;
using vantrel::SerialLink;

const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};
constexpr int kRuns = 5;
constexpr int kDecodeRuns = 20;

void print(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

QString seconds(double s) { return QString::number(s, 'f', 4); }

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

template <typename Signal, typename Sender>
void waitFor(Sender* sender, Signal signal, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
}

void measureCommand(const char* name, BoardCommands& commands, bool (BoardCommands::*start)(const vantrel::RegisterSet&))
{
    double shortest = 1e9;
    double longest = 0;
    double cpu = 0;
    double wall = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        const double cpuBefore = cpuSeconds();
        clock.start();
        if (!(commands.*start)(kExample)) {
            print(QStringLiteral("%1: the command did not start").arg(QLatin1String(name)));
            return;
        }
        waitFor(&commands, &BoardCommands::finished, std::chrono::seconds(5));
        const double s = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        cpu += cpuSeconds() - cpuBefore;
        wall += s;
        shortest = std::min(shortest, s);
        longest = std::max(longest, s);
    }
    print(QStringLiteral("%1: %2 runs, %3 to %4 s from start to the end of the last pause, CPU %5 % of one core")
              .arg(QLatin1String(name))
              .arg(kRuns)
              .arg(seconds(shortest), seconds(longest), QString::number(100.0 * cpu / wall, 'f', 2)));
}

void boardGaps(QProcess& board)
{
    double shortest = 1e9;
    double longest = 0;
    int count = 0;
    for (const QByteArray& raw : board.readAllStandardOutput().split('\n')) {
        const qsizetype gapAt = raw.indexOf(" gap ");
        const qsizetype colon = raw.indexOf(" ms: ");
        if (gapAt < 0 || colon < 0)
            continue;
        bool ok = false;
        const double gap = raw.mid(gapAt + 5, colon - gapAt - 5).toDouble(&ok);
        // The first line of a run has no gap; each command starts right after
        // the previous one's last pause, so every other gap is a pacing gap.
        if (!ok)
            continue;
        shortest = std::min(shortest, gap);
        longest = std::max(longest, gap);
        ++count;
    }
    print(QStringLiteral("board: %1 gaps between consecutive lines, %2 to %3 ms")
              .arg(count)
              .arg(QString::number(shortest, 'f', 1), QString::number(longest, 'f', 1)));
    const QByteArray warnings = board.readAllStandardError();
    print(warnings.isEmpty() ? QStringLiteral("board: no warnings") : QStringLiteral("board warned:\n") + QString::fromLocal8Bit(warnings));
}

void measureDecodeLatency()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        print(QStringLiteral("decode: no pseudo-terminal"));
        return;
    }
    SerialLink link;
    if (!link.open(QString::fromLocal8Bit(ptsname(master))).opened) {
        print(QStringLiteral("decode: cannot open the pseudo-terminal"));
        ::close(master);
        return;
    }
    const QByteArray burst = "0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n";
    QElapsedTimer clock;
    qint64 decodedAt = -1;
    QObject::connect(&link, &SerialLink::decodeRequested, [&] { decodedAt = clock.nsecsElapsed(); });
    double longest = 0;
    double total = 0;
    int decoded = 0;
    for (int run = 0; run < kDecodeRuns; ++run) {
        decodedAt = -1;
        clock.start();
        if (::write(master, burst.constData(), static_cast<size_t>(burst.size())) != burst.size())
            break;
        waitFor(&link, &SerialLink::decodeRequested, std::chrono::seconds(1));
        if (decodedAt < 0)
            continue;
        const double ms = static_cast<double>(decodedAt) / 1e6;
        longest = std::max(longest, ms);
        total += ms;
        ++decoded;
    }
    print(QStringLiteral("decode: %1 of %2 bursts decoded, from the burst's write to the decode request %3 ms on average, %4 ms at most")
              .arg(decoded)
              .arg(kDecodeRuns)
              .arg(QString::number(decoded ? total / decoded : 0, 'f', 3), QString::number(longest, 'f', 3)));
    link.close();
    ::close(master);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString boardExe = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-board")).filePath();
    QProcess board;
    board.start(boardExe, {QStringLiteral("--log")});
    if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000)) {
        print(QStringLiteral("cannot start ") + boardExe);
        return 1;
    }
    const QByteArray first = board.readLine().trimmed();
    const QString path = QString::fromLocal8Bit(first.mid(first.lastIndexOf(' ') + 1));

    SerialLink link;
    BoardCommands commands(link);
    const vantrel::OpenOutcome outcome = link.open(path);
    if (!outcome.opened) {
        print(outcome.message);
        return 1;
    }
    measureCommand("Set all Registers", commands, &BoardCommands::sendAll);
    measureCommand("Write EE", commands, &BoardCommands::writeAll);
    link.close();
    board.waitForReadyRead(500);
    boardGaps(board);
    board.kill();
    board.waitForFinished(5000);

    measureDecodeLatency();
    return 0;
}
