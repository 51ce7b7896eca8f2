// A sweep from the window against the virtual board: a step's time with the
// whole set and with only Reg0, and how soon a keystroke in the panel shows
// its listing while the sweep runs.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <vector>

#include "board_session.h"
#include "panel_harness.h"
#include "sweep_window.h"

namespace {

// The panel and its sweep window on the board's port.
struct WindowSession {
    bench::BoardProcess board;
    bench::PanelHarness harness;
    ControlPanel& panel = harness.panel;
    vantrel::SerialLink& link = harness.link;
    SweepWindow window{panel, link, harness.commands, harness.messages, harness.files};
    QString error = board.open(link);

    WindowSession()
    {
        panel.show();
        window.show();
    }
    ~WindowSession()
    {
        window.stop();
        link.close();
    }
    template <typename T>
    T* get(const char* name) const
    {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    void sweep(const char* start, const char* stop, const char* step, bool changedOnly, bool loop)
    {
        get<QLineEdit>("StartText")->setText(QString::fromLatin1(start));
        get<QLineEdit>("StopText")->setText(QString::fromLatin1(stop));
        get<QLineEdit>("StepText")->setText(QString::fromLatin1(step));
        get<QCheckBox>("ChangedOnly")->setChecked(changedOnly);
        get<QCheckBox>("LoopCheck")->setChecked(loop);
        window.start();
    }
};

// From the first changed step's start to the end, per step; the runner's
// own signal gives the starts, as in vantrel-ctl.
void windowSweepStep(benchmark::State& state, bool changedOnly)
{
    WindowSession session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(session.error.toLocal8Bit().constData());
        return;
    }
    for (auto _ : state) {
        std::vector<qint64> starts;
        QElapsedTimer clock;
        clock.start();
        session.sweep("2400", "2400.4", "0.1", changedOnly, false);
        if (!session.window.isRunning()) {
            state.SkipWithError("the sweep did not start");
            return;
        }
        bench::waitFor(&session.window, &SweepWindow::runningChanged, std::chrono::seconds(10));
        const double total = double(clock.nsecsElapsed()) / 1e9;
        // Five steps; with changed words only the first sends the whole set (0.6 s).
        state.SetIterationTime(changedOnly ? (total - 0.6) / 4 : total / 5);
    }
}
void windowSweepStepWhole(benchmark::State& state) { windowSweepStep(state, false); }
BENCHMARK(windowSweepStepWhole)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
void windowSweepStepChanged(benchmark::State& state) { windowSweepStep(state, true); }
BENCHMARK(windowSweepStepChanged)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// A keystroke posted to the output frequency box, as the window system
// delivers one, until the listing shows its plan, while a sweep is pacing.
void keystrokeWhileSweeping(benchmark::State& state)
{
    WindowSession session;
    if (!session.error.isEmpty()) {
        state.SkipWithError(session.error.toLocal8Bit().constData());
        return;
    }
    QLineEdit* fout = session.harness.fout();
    QPlainTextEdit* listing = session.harness.listing();
    fout->setText(QStringLiteral("2320.5"));
    fout->setCursorPosition(fout->text().size());
    session.sweep("2400", "2300", "-1", true, true);
    bool add = true;
    int offset = 0;
    for (auto _ : state) {
        // Land at different moments of the line gaps.
        state.PauseTiming();
        QTest::qWait(17 + (offset = (offset + 23) % 61));
        state.ResumeTiming();
        QEventLoop loop;
        QObject::connect(listing, &QPlainTextEdit::textChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(std::chrono::seconds(1), &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        const Qt::Key key = add ? Qt::Key_5 : Qt::Key_Backspace;
        const QString text = add ? QStringLiteral("5") : QString();
        QCoreApplication::postEvent(fout, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(fout, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
        loop.exec();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        add = !add;
    }
    if (!session.window.isRunning())
        state.SkipWithError("the sweep ended early");
}
BENCHMARK(keystrokeWhileSweeping)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(60);

} // namespace
