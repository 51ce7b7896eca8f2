// The band map: the scan of 35 to 4400 MHz by 1 MHz (4,366 points), the
// map of it drawn, a change of the panel's settings to the map drawn again,
// and the memory that 100,000 points take, scanned and drawn.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "band_map_view.h"
#include "band_map_window.h"
#include "band_scan.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_harness.h"

namespace {

// The widest band the chip gives, by 1 MHz, each point with its divider
// chosen by "Auto Set >>" as the window chooses it.
const vantrel::FrequencyRange kWholeBand{35, 4400, 1};

vantrel::BandScan wholeBandScan()
{
    vantrel::Presses presses;
    presses.autoSet = true;
    return vantrel::scanBand(kWholeBand, vantrel::Settings{}, presses);
}

void bandScanCompute(benchmark::State& state)
{
    std::size_t points = 0;
    for (auto _ : state) {
        const vantrel::BandScan scan = wholeBandScan();
        points = scan.points.size();
        benchmark::DoNotOptimize(scan.points.data());
    }
    state.counters["points"] = double(points);
}
BENCHMARK(bandScanCompute)->Unit(benchmark::kMillisecond);

// The scan handed to the map and painted, as the window does after a scan.
// Two references in turn, so that each drawing has other points.
void bandMapDraw(benchmark::State& state)
{
    vantrel::BandScan scans[2] = {wholeBandScan(), {}};
    vantrel::Settings other;
    other.frText = "25";
    vantrel::Presses presses;
    presses.autoSet = true;
    scans[1] = vantrel::scanBand(kWholeBand, other, presses);
    BandMapView view;
    view.resize(880, 480);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        state.SkipWithError("the map was not shown");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        vantrel::BandScan scan = scans[next];
        next = 1 - next;
        state.ResumeTiming();
        view.showScan(std::move(scan), {});
        view.repaint();
    }
}
BENCHMARK(bandMapDraw)->Unit(benchmark::kMillisecond);

// A keystroke in Ref In with the map open over 35 to 4400 MHz, to the map
// scanned and painted again: the idle delay, the scan and the drawing.
void bandMapFollowsSettings(benchmark::State& state)
{
    bench::PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
    BandMapWindow* map = window.menus()->bandMapWindow();
    map->findChild<QLineEdit*>(QStringLiteral("BandStart"))->setText(QStringLiteral("35"));
    map->findChild<QLineEdit*>(QStringLiteral("BandStop"))->setText(QStringLiteral("4400"));
    map->findChild<QLineEdit*>(QStringLiteral("BandStep"))->setText(QStringLiteral("1"));
    map->scanNow();
    if (!QTest::qWaitForWindowExposed(map)) {
        state.SkipWithError("the map was not shown");
        return;
    }
    auto* ref = harness.panel.findChild<QLineEdit*>(QStringLiteral("FrText"));
    ref->setCursorPosition(ref->text().size());
    QSignalSpy updated(map, &BandMapWindow::mapUpdated);
    bool add = true;
    for (auto _ : state) {
        // Alternately 10 and 100 MHz, so that every keystroke changes the plans.
        QTest::keyClick(ref, add ? Qt::Key_0 : Qt::Key_Backspace);
        add = !add;
        if (!updated.wait(2000)) {
            state.SkipWithError("the map did not follow the settings");
            return;
        }
        map->view()->repaint();
    }
}
BENCHMARK(bandMapFollowsSettings)->Unit(benchmark::kMillisecond)->Iterations(20);

// Heap in use, main arena and mapped blocks: what a scan and its map keep,
// whatever the allocator hands back to the system or reuses.
double heapInUseKb()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1024;
#else
    return 0;
#endif
}

// 100,000 points (2200 MHz on by 22 kHz) scanned and drawn: the memory the
// map holds for them.
void bandMapMemory100k(benchmark::State& state)
{
#if !defined(__GLIBC__)
    state.SkipWithError("needs glibc's mallinfo2");
    return;
#endif
    double growth = 0;
    double scanOnly = 0;
    for (auto _ : state) {
        const double before = heapInUseKb();
        {
            BandMapView view;
            view.resize(880, 480);
            view.show();
            vantrel::BandScan scan = vantrel::scanBand({2200, 2200 + 0.022 * 99999, 0.022}, vantrel::Settings{}, {});
            if (scan.points.size() != 100000) {
                state.SkipWithError("the scan does not have 100,000 points");
                return;
            }
            scanOnly = heapInUseKb() - before;
            view.showScan(std::move(scan), {});
            view.repaint();
            growth = heapInUseKb() - before;

        }
    }
    state.counters["heap_growth_kB"] = growth;
    state.counters["scan_only_kB"] = scanOnly;
}
BENCHMARK(bandMapMemory100k)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
