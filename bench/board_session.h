// What the benchmarks against vantrel-board share: the board as a child
// process with the link open to it, waiting on a signal, the CPU clock.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <ctime>

#include "board_commands.h"
#include "serial_link.h"

namespace bench {

inline const vantrel::RegisterSet kExample{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

inline double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

template <typename Sender, typename Signal>
inline void waitFor(Sender* sender, Signal signal, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
}

// vantrel-board on a pseudo-terminal as a child process, ended with the
// benchmark; port is empty when it did not start.
struct BoardProcess {
    QProcess board;
    QString port;

    BoardProcess()
    {
        board.start(QStringLiteral(VANTREL_BOARD_EXE), {});
        if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000))
            return;
        const QByteArray first = board.readLine().trimmed();
        port = QString::fromLocal8Bit(first.mid(first.lastIndexOf(' ') + 1));
    }
    ~BoardProcess()
    {
        board.kill();
        board.waitForFinished(5000);
    }
    // Opens the link on the board's port; why not, or empty when it opened.
    QString open(vantrel::SerialLink& link) const
    {
        if (port.isEmpty())
            return QStringLiteral("cannot start vantrel-board");
        const vantrel::OpenOutcome outcome = link.open(port);
        return outcome.opened ? QString() : outcome.message;
    }
};

// vantrel-board with the link open to it.
struct BoardSession {
    BoardProcess board;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands{link};
    QString error = board.open(link);

    ~BoardSession() { link.close(); }
};

} // namespace bench
