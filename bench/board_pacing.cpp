// The link's timing against the virtual board: "Set all Registers" and
// "Write EE" on the wire with the CPU used meanwhile, and how soon a register
// set that arrives in one burst is handed on to decode.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "board_commands.h"
#include "board_session.h"
#include "serial_link.h"

namespace {

using bench::BoardSession;
using bench::cpuSeconds;
using bench::kExample;
using bench::waitFor;
using vantrel::BoardCommands;
using vantrel::SerialLink;

// From the press to the end of the command's last pause, in seconds.
void pacedCommand(benchmark::State& state, bool (BoardCommands::*start)(const vantrel::RegisterSet&))
{
    BoardSession session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(session.error.toLocal8Bit().constData());
        return;
    }
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        const double cpuBefore = cpuSeconds();
        clock.start();
        if (!(session.commands.*start)(kExample)) {
            state.SkipWithError("the command did not start");
            return;
        }
        waitFor(&session.commands, &BoardCommands::finished, std::chrono::seconds(5));
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        wall += seconds;
        cpu += cpuSeconds() - cpuBefore;
    }
    state.counters["cpu_percent_of_one_core"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
void boardSetAllRegisters(benchmark::State& state) { pacedCommand(state, &BoardCommands::sendAll); }
BENCHMARK(boardSetAllRegisters)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void boardWriteEe(benchmark::State& state) { pacedCommand(state, &BoardCommands::writeAll); }
BENCHMARK(boardWriteEe)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// From writing a whole set in one burst to the link asking for its decode.
void burstToDecode(benchmark::State& state)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    SerialLink link;
    if (!link.open(QString::fromLocal8Bit(ptsname(master))).opened) {
        state.SkipWithError("cannot open the pseudo-terminal");
        ::close(master);
        return;
    }
    const QByteArray burst = "0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n";
    QElapsedTimer clock;
    qint64 decodedAt = -1;
    QObject::connect(&link, &SerialLink::decodeRequested, [&](const vantrel::RegisterSet&) { decodedAt = clock.nsecsElapsed(); });
    for (auto _ : state) {
        decodedAt = -1;
        clock.start();
        if (::write(master, burst.constData(), static_cast<size_t>(burst.size())) != burst.size()) {
            state.SkipWithError("cannot write the burst");
            break;
        }
        waitFor(&link, &SerialLink::decodeRequested, std::chrono::seconds(1));
        if (decodedAt < 0) {
            state.SkipWithError("the burst was not decoded");
            break;
        }
        state.SetIterationTime(double(decodedAt) / 1e9);
    }
    link.close();
    ::close(master);
}
BENCHMARK(burstToDecode)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

} // namespace
