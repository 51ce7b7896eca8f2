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

// Starts vantrel-board on a pseudo-terminal; the path to open, or empty
// when it did not start.
inline QString startBoard(QProcess& board)
{
    board.start(QStringLiteral(VANTREL_BOARD_EXE), {});
    if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000))
        return {};
    const QByteArray first = board.readLine().trimmed();
    return QString::fromLocal8Bit(first.mid(first.lastIndexOf(' ') + 1));
}

// vantrel-board on a pseudo-terminal, with the link open to it.
struct BoardSession {
    QProcess board;
    vantrel::SerialLink link;
    vantrel::BoardCommands commands{link};
    QString error;

    BoardSession()
    {
        const QString port = startBoard(board);
        if (port.isEmpty()) {
            error = QStringLiteral("cannot start vantrel-board");
            return;
        }
        const vantrel::OpenOutcome outcome = link.open(port);
        if (!outcome.opened)
            error = outcome.message;
    }
    ~BoardSession()
    {
        link.close();
        board.kill();
        board.waitForFinished(5000);
    }
};


} // namespace bench
