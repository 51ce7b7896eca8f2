// Sweeps and vantrel-ctl against the virtual board: a step with the whole
// set and with only Reg0, a 100-step sweep against the sum of its gaps, the
// CPU it takes, vantrel-ctl's "set" from start to exit, and its memory over
// a long loop.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>

#include <chrono>
#include <vector>

#include "board_session.h"
#include "sweep_runner.h"

namespace {

using bench::BoardSession;
using bench::cpuSeconds;
using bench::waitFor;
using vantrel::SweepRunner;
using vantrel::SweepStep;

// count steps of the first worked set whose Reg0 steps FRAC by 1 each time.
std::vector<SweepStep> fracSteps(int count)
{
    std::vector<SweepStep> steps;
    for (int i = 0; i < count; ++i) {
        vantrel::RegisterSet set = bench::kExample;
        set[0] = set[0] + static_cast<std::uint32_t>(i) * 8u; // FRAC sits at bit 3
        steps.push_back({set, std::chrono::milliseconds(0)});
    }
    return steps;
}

struct SweepTiming {
    std::vector<double> startsAt; // seconds since start()
    double endedAt = 0;
    double cpuSeconds = 0;
    bool ok = false;
};

SweepTiming runSweep(BoardSession& session, std::vector<SweepStep> steps, bool changedOnly)
{
    SweepRunner runner(session.link);
    SweepTiming timing;
    QElapsedTimer clock;
    QObject::connect(&runner, &SweepRunner::stepStarted, [&](int, int, const QStringList&, std::chrono::nanoseconds at) {
        timing.startsAt.push_back(std::chrono::duration<double>(at).count());
    });
    const std::size_t count = steps.size();
    const double cpuBefore = cpuSeconds();
    clock.start();
    if (!runner.start(std::move(steps), {changedOnly, 1}))
        return timing;
    waitFor(&runner, &SweepRunner::finished, std::chrono::seconds(5 + count));
    timing.endedAt = double(clock.nsecsElapsed()) / 1e9;
    timing.cpuSeconds = cpuSeconds() - cpuBefore;
    timing.ok = !runner.isRunning() && timing.startsAt.size() == count;
    return timing;
}

// The time a step takes on the wire: from one step's first line to the
// next one's, the first step left out when only changed words go.
void sweepStep(benchmark::State& state, bool changedOnly)
{
    BoardSession session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(session.error.toLocal8Bit().constData());
        return;
    }
    for (auto _ : state) {
        const SweepTiming timing = runSweep(session, fracSteps(5), changedOnly);
        if (!timing.ok) {
            state.SkipWithError("the sweep did not finish");
            return;
        }
        const std::size_t first = changedOnly ? 1 : 0;
        const double span = timing.endedAt - timing.startsAt[first];
        state.SetIterationTime(span / double(timing.startsAt.size() - first));
    }
}
void sweepStepWhole(benchmark::State& state) { sweepStep(state, false); }
BENCHMARK(sweepStepWhole)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
void sweepStepChanged(benchmark::State& state) { sweepStep(state, true); }
BENCHMARK(sweepStepChanged)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// 100 steps: the first with the whole set, 99 with Reg0 alone. Their gaps
// add up to 0.6 + 99 x 0.1 s; any lateness of the timers piles up in the
// difference.
void sweepNoDrift(benchmark::State& state)
{
    BoardSession session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(session.error.toLocal8Bit().constData());
        return;
    }
    const double expected = 0.6 + 99 * 0.1;
    for (auto _ : state) {
        const SweepTiming timing = runSweep(session, fracSteps(100), true);
        if (!timing.ok) {
            state.SkipWithError("the sweep did not finish");
            return;
        }
        state.SetIterationTime(timing.endedAt);
        state.counters["drift_percent"] = 100.0 * (timing.endedAt - expected) / expected;
        state.counters["cpu_percent_of_one_core"] = 100.0 * timing.cpuSeconds / timing.endedAt;
    }
}
BENCHMARK(sweepNoDrift)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// "vantrel-ctl set" from the start of the process to its exit.
void ctlSetProcess(benchmark::State& state)
{
    const bench::BoardProcess board;
    if (board.port.isEmpty()) {
        state.SkipWithError("cannot start vantrel-board");
        return;
    }
    const QString& port = board.port;
    for (auto _ : state) {
        QProcess ctl;
        QElapsedTimer clock;
        clock.start();
        ctl.start(QStringLiteral(VANTREL_CTL_EXE), {"set", "--port", port});
        if (!ctl.waitForFinished(10000) || ctl.exitCode() != 0) {
            state.SkipWithError("vantrel-ctl set failed");
            break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(ctlSetProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

qint64 residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// vantrel-ctl looping over two frequencies, only Reg0 changing: its resident
// memory after 100 steps and after 1000 (about 100 s on the wire).
void ctlLoopMemory(benchmark::State& state)
{
    const bench::BoardProcess board;
    if (board.port.isEmpty()) {
        state.SkipWithError("cannot start vantrel-board");
        return;
    }
    const QString& port = board.port;
    for (auto _ : state) {
        QProcess ctl;
        ctl.start(QStringLiteral(VANTREL_CTL_EXE),
                  {"sweep", "2400", "2400.1", "0.1", "--loop", "--changed-only", "--port", port});
        qint64 steps = 0;
        qint64 at100 = -1;
        qint64 at1000 = -1;
        QElapsedTimer clock;
        clock.start();
        while (at1000 < 0 && ctl.waitForReadyRead(5000)) {
            steps += ctl.readAllStandardOutput().count('\n');
            if (at100 < 0 && steps >= 100)
                at100 = residentKilobytes(ctl.processId());
            if (steps >= 1000)
                at1000 = residentKilobytes(ctl.processId());
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        ctl.terminate();
        ctl.waitForFinished(5000);
        if (at100 < 0 || at1000 < 0) {
            state.SkipWithError("the loop did not reach 1000 steps");
            break;
        }
        state.counters["rss_growth_kB"] = double(at1000 - at100);
        state.counters["rss_kB"] = double(at1000);
    }
}
BENCHMARK(ctlLoopMemory)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(1);

} // namespace
