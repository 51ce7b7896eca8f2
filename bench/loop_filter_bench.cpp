// The loop filter, measured: a design, one plan's loop figures with the
// noise curve and its integral, a keystroke to the listing, the strip and
// an open Loop Filter window, and the band map of 35 to 4400 MHz with each
// plan's crossover computed and drawn.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QLabel>
#include <QtTest>

#include "band_map_view.h"
#include "band_scan.h"
#include "chip_check_strip.h"
#include "frequency_plan.h"
#include "loop_figures.h"
#include "loop_filter_window.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_harness.h"

namespace {

// A 2.4 GHz plan from a 25 MHz reference, and the filter designed for 50 kHz there.
vantrel::Settings planSettings()
{
    vantrel::Settings s;
    s.frText = "25";
    s.foutText = "2400.1";
    s.resolutionText = "100000";
    return s;
}

const vantrel::LoopFilter kFilter{4.3e-9, 51e-9, 300e-12, 160, 2e3};

vantrel::LoopSettings loopSettings(double jitterStartHz = vantrel::kDefaultJitterStartHz,
                                   double jitterStopHz = vantrel::kDefaultJitterStopHz)
{
    vantrel::LoopSettings loop;
    loop.filter = kFilter;
    loop.range = {jitterStartHz, jitterStopHz};
    loop.target = vantrel::DesignTarget{50e3};
    return loop;
}

void loopDesign(benchmark::State& state, double t31)
{
    const vantrel::Settings settings = planSettings();
    const vantrel::PlanResult plan = vantrel::computePlan(settings, {});
    const vantrel::LoopPlant plant = vantrel::loopPlant(settings, plan.values, *loopSettings().circuit());
    vantrel::DesignTarget target{50e3};
    target.t31 = t31;
    for (auto _ : state)
        benchmark::DoNotOptimize(vantrel::designLoopFilter(target, plant));
}
BENCHMARK_CAPTURE(loopDesign, third_order, 0.6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loopDesign, second_order, 0.0)->Unit(benchmark::kMicrosecond);

// Everything the window shows of one plan: the margins, the four noise
// figures, the 101-point curve and Bode plot, the integral and the
// charge-pump advice. The wide range integrates over 141 points, 10 Hz to
// 100 MHz at 20 a decade.
void loopFigures(benchmark::State& state, double jitterStartHz, double jitterStopHz)
{
    const vantrel::Settings settings = planSettings();
    const vantrel::PlanResult plan = vantrel::computePlan(settings, {});
    const vantrel::LoopSettings loop = loopSettings(jitterStartHz, jitterStopHz);
    std::size_t points = 0;
    for (auto _ : state) {
        const vantrel::LoopFiguresResult result = vantrel::loopFigures(settings, plan, loop);
        points = result.figures->curve.size();
        benchmark::DoNotOptimize(result.figures->jitterFs);
    }
    state.counters["curve_points"] = double(points);
}
BENCHMARK_CAPTURE(loopFigures, range_1k_10M, 1e3, 10e6)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(loopFigures, range_10_100M_141_points, 10.0, 100e6)->Unit(benchmark::kMicrosecond);

// Keystrokes in the output frequency box with the Loop Filter window open
// and a filter set, each until the listing, the strip and the window's
// figures show its plan.
void keystrokeToLoopWindow(benchmark::State& state)
{
    bench::PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    harness.panel.setLoopSettings(loopSettings());
    window.findChild<QAction*>(QStringLiteral("LoopFilter"))->trigger();
    LoopFilterWindow* loop = window.menus()->loopFilterWindow();
    if (!QTest::qWaitForWindowExposed(loop)) {
        state.SkipWithError("the Loop Filter window was not shown");
        return;
    }
    const QLabel* crossover = loop->findChild<QLabel*>(QStringLiteral("CrossoverFigure"));
    const ChipCheckStrip* strip = window.chipCheckStrip();
    harness.keystrokes(state, [strip, crossover] {
        benchmark::DoNotOptimize(strip->toolTip());
        benchmark::DoNotOptimize(crossover->text());
    });
}
BENCHMARK(keystrokeToLoopWindow)->Unit(benchmark::kMicrosecond);

// The band map of 35 to 4400 MHz by 1 MHz with the filter set: each of the
// 4,366 plans with its crossover, scanned, handed to the map and painted
// with the crossover line.
void bandMapWithCrossover(benchmark::State& state)
{
    vantrel::Presses presses;
    presses.autoSet = true;
    const vantrel::LoopBandwidth loop(std::nullopt, loopSettings().circuit());
    BandMapView view;
    view.resize(880, 480);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        state.SkipWithError("the map was not shown");
        return;
    }
    std::size_t points = 0;
    for (auto _ : state) {
        vantrel::BandScan scan = vantrel::scanBand({35, 4400, 1}, vantrel::Settings{}, presses, loop);
        points = scan.points.size();
        view.showScan(std::move(scan), loop);
        view.repaint();
    }
    state.counters["points"] = double(points);
}
BENCHMARK(bandMapWithCrossover)->Unit(benchmark::kMillisecond);

} // namespace
