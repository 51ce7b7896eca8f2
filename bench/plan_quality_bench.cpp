// The plan quality figures and the plan advisor, measured: the figures on
// top of the plan they describe, a keystroke to the listing, the strip and an
// open Plan Quality window, and the advisor's whole search.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include <chrono>

#include "chip_check_strip.h"
#include "frequency_plan.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_harness.h"
#include "plan_advisor.h"
#include "plan_quality.h"
#include "plan_quality_window.h"

namespace {

vantrel::Settings settingsOf(const char* ref, const char* rdiv, const char* fout, const char* resolution,
                             bool intN = false)
{
    vantrel::Settings s;
    s.frText = ref;
    s.rdividerText = rdiv;
    s.foutText = fout;
    s.resolutionText = resolution;
    s.intN = intN;
    s.mux = vantrel::MuxButton::MuxL;
    return s;
}

// The plan alone and the plan with its figures, in alternating blocks of the
// same run so that a loaded machine slows both alike; and the figures alone,
// of the plan's result, which is what they add to each plan (the difference
// of the first two is lost in the noise of a shared machine).
void qualityOnTopOfPlan(benchmark::State& state, const vantrel::Settings& settings)
{
    const vantrel::PlanValues previous;
    const vantrel::LoopBandwidth loop;
    const vantrel::PlanResult planned = vantrel::computePlan(settings, previous);
    constexpr int kBlock = 200;
    std::chrono::nanoseconds alone{0};
    std::chrono::nanoseconds withFigures{0};
    std::chrono::nanoseconds figures{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i)
            benchmark::DoNotOptimize(vantrel::computePlan(settings, previous));
        const auto middle = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i) {
            const vantrel::PlanResult result = vantrel::computePlan(settings, previous);
            benchmark::DoNotOptimize(vantrel::planQuality(settings, result, loop));
        }
        const auto figuresStart = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i) {
            benchmark::DoNotOptimize(planned);
            benchmark::DoNotOptimize(vantrel::planQuality(settings, planned, loop));
        }
        const auto end = std::chrono::steady_clock::now();
        alone += middle - start;
        withFigures += figuresStart - middle;
        figures += end - figuresStart;
    }
    const double runs = double(state.iterations()) * kBlock;
    state.counters["plan_us"] = std::chrono::duration<double, std::micro>(alone).count() / runs;
    state.counters["with_figures_us"] = std::chrono::duration<double, std::micro>(withFigures).count() / runs;
    state.counters["figures_seconds"] = std::chrono::duration<double>(figures).count() / runs;
}
BENCHMARK_CAPTURE(qualityOnTopOfPlan, fractional, settingsOf("10", "1", "2320.5", "2500"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(qualityOnTopOfPlan, integer_n, settingsOf("25", "1", "4400", "100000", true))
    ->Unit(benchmark::kMicrosecond);

// Keystrokes in the output frequency box of the program's window with the
// Plan Quality window open, each until the listing, the strip and the
// window's figures show its plan. The advisor runs once the typing pauses
// (PlanQualityWindow::kAdviceDelay) and is measured on its own below.
void keystrokeToQualityWindow(benchmark::State& state)
{
    bench::PanelHarness harness;
    MainWindow window(harness.panel, harness.messages, harness.files);
    window.show();
    window.findChild<QAction*>(QStringLiteral("PlanQuality"))->trigger();
    PlanQualityWindow* quality = window.menus()->planQualityWindow();
    if (!QTest::qWaitForWindowExposed(quality)) {
        state.SkipWithError("the Plan Quality window was not shown");
        return;
    }
    const QLabel* inBand = quality->findChild<QLabel*>(QStringLiteral("InBand10k"));
    const ChipCheckStrip* strip = window.chipCheckStrip();
    harness.keystrokes(state, [strip, inBand] {
        benchmark::DoNotOptimize(strip->toolTip());
        benchmark::DoNotOptimize(inBand->text());
    });
}
BENCHMARK(keystrokeToQualityWindow)->Unit(benchmark::kMicrosecond);

struct AdvisorCase {
    vantrel::Settings settings;
    bool follow = false;
};

// The advisor's whole search, as the window runs it: the worked plan (the
// cleanest already), INT 73 at 30 MHz (thousands qualify within half the
// step), a step too fine for MOD (the plan stopped), integer-N following the
// datasheet at an 80 MHz reference.
void planAdvisor(benchmark::State& state, const AdvisorCase& c)
{
    vantrel::AdviceRequest request;
    request.settings = c.settings;
    request.current = vantrel::computePlan(c.settings, {});
    request.chipForMode = vantrel::sameChipForBothModes(c.settings.chip);
    if (c.follow) {
        vantrel::followDatasheetForMode(request.chipForMode[0], false);
        vantrel::followDatasheetForMode(request.chipForMode[1], true);
    }
    std::size_t qualified = 0;
    for (auto _ : state) {
        const vantrel::Advice advice = vantrel::advisePlans(request);
        qualified = advice.qualified;
        benchmark::DoNotOptimize(advice.suggestions.data());
    }
    state.counters["qualified"] = double(qualified);
}
BENCHMARK_CAPTURE(planAdvisor, worked_plan_cleanest, AdvisorCase{settingsOf("10", "1", "2320.5", "2500")})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planAdvisor, int73_many_qualify, AdvisorCase{settingsOf("30", "1", "2200", "100000")})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planAdvisor, mod_above_4095, AdvisorCase{settingsOf("10", "1", "2320.5001", "100")})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(planAdvisor, integer_n_follow, AdvisorCase{settingsOf("80", "4", "2400", "100000", true), true})
    ->Unit(benchmark::kMillisecond);

} // namespace
