// vantrel-bench: the speed and memory figures, measured.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>

#include "best_fraction.h"
#include "chip_check.h"
#include "chip_check_strip.h"
#include "chip_options_window.h"
#include "main_menus.h"
#include "frequency_plan.h"
#include "main_window.h"
#include "panel_harness.h"
#include "register_set_text.h"
#include "settings_file.h"

namespace {

// One plan, from the settings snapshot to the listing text.
void planToListing(benchmark::State& state)
{
    vantrel::Settings settings;
    settings.mux = vantrel::MuxButton::MuxL;
    settings.chrgPump = 7;
    const vantrel::PlanValues previous;
    for (auto _ : state) {
        const vantrel::PlanResult result = vantrel::computePlan(settings, previous);
        benchmark::DoNotOptimize(result.listingText);
    }
}
BENCHMARK(planToListing);

// The plan and the chip check after it, as every run in the window makes
// them: within every limit, and breaking two.
void planWithChipCheck(benchmark::State& state, const char* ref, const char* fout)
{
    vantrel::Settings settings;
    settings.mux = vantrel::MuxButton::MuxL;
    settings.chrgPump = 7;
    settings.frText = ref;
    settings.foutText = fout;
    settings.resolutionText = "100000";
    const vantrel::PlanValues previous;
    for (auto _ : state) {
        const vantrel::PlanResult result = vantrel::computePlan(settings, previous);
        benchmark::DoNotOptimize(vantrel::checkChipLimits(settings, result));
    }
}
BENCHMARK_CAPTURE(planWithChipCheck, within_limits, "10", "2320.5");
BENCHMARK_CAPTURE(planWithChipCheck, two_broken, "30", "2190");

// Two limits broken (INT 73 and a VCO below 2200 MHz) with chip options
// that every check of theirs reads and the strip notes, but that break nothing.
vantrel::Settings twoBrokenWithOptions()
{
    vantrel::Settings s;
    s.frText = "60"; // 30 MHz after Ref Divide/2, which cycle slip reduction needs
    s.foutText = "2190";
    s.resolutionText = "100000";
    s.mux = vantrel::MuxButton::MuxL;
    s.chrgPump = 7;
    s.refDiv2 = true;
    s.chip.cycleSlipReduction = true;
    s.chip.phaseAdjust = true;
    s.chip.phaseValue = 50;
    s.chip.bandSelectClockMode = vantrel::BandSelectClockMode::High;
    s.chip.clockDividerMode = vantrel::ClockDividerMode::FastLock;
    s.chip.clockDivider = 150;
    s.chip.auxEnable = true;
    s.chip.auxPower = 2;
    s.chip.auxSelect = vantrel::AuxSelect::Fundamental;
    s.chip.rfOutputEnable = false;
    return s;
}

// The worst case of the check: settings and chip options that break
// fourteen limits at once, with a note of the options beside them. A complete plan, so the plan alone does its
// whole listing too.
vantrel::Settings everyCheckBroken()
{
    vantrel::Settings s;
    s.frText = "300";     // REFIN above 250, and above 30 with the doubler
    s.refDbl = true;      // PFD 600 MHz, band-select clock 2.35 MHz
    s.foutText = "5000";  // VCO and output above 4400, INT 8
    s.prescale8 = false;  // VCO above 3600 with 4/5
    s.resolutionText = "60000000"; // MOD 10: below 50 in low spur mode
    s.lowSpur = true;
    s.mux = vantrel::MuxButton::MuxN;
    s.chip.phaseValue = 20;  // not below MOD
    s.chip.cycleSlipReduction = true; // without Ref Divide/2
    s.chip.chargeCancellation = true; // in fractional mode
    s.chip.abp = vantrel::Antibacklash::Ns3;
    s.chip.rfOutputEnable = false;
    return s;
}

// The plan alone and the plan with every check (limits, advice, notes) and
// the first limit's summary, in alternating blocks of the same run, so that
// a loaded machine slows both alike: the figure is their ratio. The summary
// counts because the strip shows it after every keystroke; the other texts
// are made when something shows them (the strip's tool tip, a tool's
// "chip:" lines), not by the check.
void planAndChecksSideBySide(benchmark::State& state, vantrel::Settings (*make)())
{
    const vantrel::Settings settings = make();
    const vantrel::PlanValues previous;
    constexpr int kBlock = 200;
    std::chrono::nanoseconds alone{0};
    std::chrono::nanoseconds checked{0};
    std::size_t breaks = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i)
            benchmark::DoNotOptimize(vantrel::computePlan(settings, previous));
        const auto middle = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i) {
            const vantrel::PlanResult result = vantrel::computePlan(settings, previous);
            const vantrel::ChipCheck check = vantrel::checkChip(settings, result);
            breaks = check.breaks.size();
            if (!check.breaks.empty())
                benchmark::DoNotOptimize(check.breaks.front().summary());
            benchmark::DoNotOptimize(check);
        }
        const auto end = std::chrono::steady_clock::now();
        alone += middle - start;
        checked += end - middle;
    }
    const double runs = double(state.iterations()) * kBlock;
    state.counters["plan_us"] = std::chrono::duration<double, std::micro>(alone).count() / runs;
    state.counters["with_checks_us"] = std::chrono::duration<double, std::micro>(checked).count() / runs;
    state.counters["ratio"] = double(checked.count()) / double(alone.count());
    state.counters["limits_broken"] = double(breaks);
}
BENCHMARK_CAPTURE(planAndChecksSideBySide, two_broken_with_options, twoBrokenWithOptions)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(planAndChecksSideBySide, every_limit_broken, everyCheckBroken)->Unit(benchmark::kMicrosecond);

// The search over its hardest inputs: a fraction just below 1 tries every
// numerator up to 4094; one of 0.00001 or less used to spin two seconds.
void bestFraction(benchmark::State& state, double vco)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::searchBestFraction(vco, 10.0));
}
BENCHMARK_CAPTURE(bestFraction, fraction_0_99999, 2329.9999);
BENCHMARK_CAPTURE(bestFraction, fraction_0_9991, 2329.991);
BENCHMARK_CAPTURE(bestFraction, fraction_1_over_pi, 2320.0 + 10.0 / 3.14159265);
BENCHMARK_CAPTURE(bestFraction, fraction_0_00001_or_less, 2320.00005);
BENCHMARK_CAPTURE(bestFraction, whole_ratio, 2320.0);

using bench::PanelHarness;

void keystrokeToListing(benchmark::State& state)
{
    PanelHarness harness;
    harness.panel.show();
    harness.keystrokes(state, [] {});
}
BENCHMARK(keystrokeToListing)->Unit(benchmark::kMicrosecond);

void keystrokeToListingAndStrip(benchmark::State& state, bool withOptions)
{
    PanelHarness harness;
    MainWindow window(harness.panel);
    window.show();
    if (withOptions) // the options the strip notes, and the integer-N advice
        harness.panel.setChipOptions(twoBrokenWithOptions().chip);
    const ChipCheckStrip* strip = window.chipCheckStrip();
    harness.keystrokes(state, [strip] { benchmark::DoNotOptimize(strip->text()); });
}
BENCHMARK_CAPTURE(keystrokeToListingAndStrip, default_options, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(keystrokeToListingAndStrip, with_options, true)->Unit(benchmark::kMicrosecond);

// Chip, Options… in the program's window, opened for the first time: the
// window built with every control, shown and painted. It is closed and
// deleted after each opening, so that every one is a first.
void openChipOptionsWindow(benchmark::State& state)
{
    PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    auto* open = window.findChild<QAction*>(QStringLiteral("ChipOptions"));
    for (auto _ : state) {
        open->trigger();
        ChipOptionsWindow* options = window.menus()->chipOptionsWindow();
        if (!QTest::qWaitForWindowExposed(options)) {
            state.SkipWithError("the options window was not shown");
            return;
        }
        options->repaint();
        state.PauseTiming();
        delete options;
        state.ResumeTiming();
    }
}
BENCHMARK(openChipOptionsWindow)->Unit(benchmark::kMillisecond);

// A received set loaded into the window: the decode with its one recalculation.
void decodeIntoWindow(benchmark::State& state)
{
    PanelHarness harness;
    harness.panel.show();
    const vantrel::RegisterSet words{0x00740640, 0x0800FD01, 0x18004E42, 3, 0x0085003C, 0x00580005};
    for (auto _ : state)
        harness.panel.decodeInput(words);
}
BENCHMARK(decodeIntoWindow)->Unit(benchmark::kMicrosecond);

void triggerAction(const MainWindow& window, const char* name)
{
    window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
}

// "Open Settings…" in the program's window, from the menu entry to the
// listing of the file's plan: reading and checking the file, every control
// set with its handler, one run of the plan. Two files in turn, so that each
// open changes every setting.
void openSettingsToListing(benchmark::State& state)
{
    PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    QPlainTextEdit* listing = harness.listing();

    QTemporaryDir dir;
    vantrel::PanelSettings first;
    first.settings.mux = vantrel::MuxButton::MuxL;
    first.settings.chrgPump = 7;
    vantrel::PanelSettings second;
    second.settings.frText = "25";
    second.settings.foutText = "145.2";
    second.settings.rdividerText = "2";
    second.settings.resolutionText = "1000";
    second.settings.outDivCont = 4;
    second.settings.feedback = second.settings.intN = second.settings.lowSpur = true;
    second.settings.mux = vantrel::MuxButton::MuxN;
    second.forceDText = "12";
    const QString paths[] = {dir.filePath(QStringLiteral("first.json")), dir.filePath(QStringLiteral("second.json"))};
    if (!vantrel::writeSettingsFile(paths[0], first).isEmpty()
        || !vantrel::writeSettingsFile(paths[1], second).isEmpty()) {
        state.SkipWithError("cannot write the settings files");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        harness.files.name = paths[next];
        next = 1 - next;
        triggerAction(window, "OpenSettings");
        benchmark::DoNotOptimize(listing->toPlainText());
    }
}
BENCHMARK(openSettingsToListing)->Unit(benchmark::kMicrosecond);

// "Paste Register Set" in the program's window, from the menu entry to the
// decoded window with its one run of the plan. Two sets in turn (the worked
// set at 2320.5 MHz and one at 4641 MHz with divider 2), so that each paste
// changes the controls; putting the text on the clipboard is counted too.
void pasteToDecodedWindow(benchmark::State& state)
{
    PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    QPlainTextEdit* listing = harness.listing();
    const vantrel::RegisterSet worked{0x00740640, 0x0800FD01, 0x18004E42, 3, 0x0085003C, 0x00580005};
    const vantrel::RegisterSet divided{0x00E80640, 0x00003E81, 0x18004E42, 3, 0x0091003C, 0x00580005};
    const QString sets[] = {QString::fromStdString(vantrel::registerSetText(worked)),
                            QString::fromStdString(vantrel::registerSetText(divided))};
    QClipboard* clipboard = QGuiApplication::clipboard();
    int next = 0;
    for (auto _ : state) {
        clipboard->setText(sets[next]);
        next = 1 - next;
        triggerAction(window, "PasteRegisterSet");
        benchmark::DoNotOptimize(listing->toPlainText());
    }
}
BENCHMARK(pasteToDecodedWindow)->Unit(benchmark::kMicrosecond);

// Undo of a whole-panel change (a pasted set) in the program's window, from
// the menu entry to every control put back with its one run of the plan;
// undo and redo in turn, each a whole restore.
void undoWholePanelChange(benchmark::State& state)
{
    PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    QPlainTextEdit* listing = harness.listing();
    harness.fout()->setText(QStringLiteral("1000"));
    QGuiApplication::clipboard()->setText(QStringLiteral("740640 800FD01 18004E42 3 85003C 580005"));
    triggerAction(window, "PasteRegisterSet");
    bool undo = true;
    for (auto _ : state) {
        triggerAction(window, undo ? "Undo" : "Redo");
        undo = !undo;
        benchmark::DoNotOptimize(listing->toPlainText());
    }
    if (listing->toPlainText().isEmpty())
        state.SkipWithError("nothing was undone");
}
BENCHMARK(undoWholePanelChange)->Unit(benchmark::kMicrosecond);

// What a user's earlier runs leave for the next: the port, the windows'
// places, eight settings files, the loop bandwidth and the band map's range.
bool writeRememberedState(const QString& configHome)
{
    if (!QDir(configHome).mkpath(QStringLiteral("Vantrel")))
        return false;
    QFile file(configHome + QStringLiteral("/Vantrel/Vantrel.conf"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "[board]\nlastPort=/dev/ttyUSB0\n[plan]\nloopBandwidthKHz=75\n[bandMap]\n"
                      "range=140 1300 0.0125\n[windows]\nMainWindow=40 30 433 610\n"
                      "PlanQualityWindow=500 40 780 560\nBandMapWindow=60 300 980 600\n[files]\nrecent=";
    for (int i = 1; i <= 8; ++i)
        text += (i > 1 ? ", " : "") + configHome.toUtf8() + "/bench" + QByteArray::number(i) + ".json";
    return file.write(text + '\n') > 0;
}

// Start of the program to its window painted, and resident memory then:
// with nothing remembered (a folder of settings of its own, never the
// user's), or with what earlier runs left.
void startupToWindowShown(benchmark::State& state, bool remembered)
{
    QTemporaryDir configHome;
    if (remembered && !writeRememberedState(configHome.path())) {
        state.SkipWithError("cannot write the remembered state");
        return;
    }
    QByteArray rss;
    for (auto _ : state) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VANTREL_STARTUP_PROBE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.path());
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(VANTREL_EXE), {});
        process.waitForReadyRead(10000);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        rss = process.readAllStandardOutput().split(' ').value(2).trimmed();
        process.waitForFinished(10000);
    }
    state.counters["rss_kB"] = rss.toDouble();
}
void startupWithRememberedState(benchmark::State& state) { startupToWindowShown(state, true); }
BENCHMARK(startupWithRememberedState)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(startupToWindowShown, nothing_remembered, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
