// The band scan: the default range of each divider, the points found under
// the pointer, and the CSV and tool-tip texts of a point. That every point
// is the plan of its own output is checked end to end against vantrel-plan
// (tests/tools/plan/tst_vantrel_plan_scan.cpp).
#include <QtTest>

#include "band_scan.h"
#include "band_scan_text.h"

using namespace vantrel;

namespace {

BandPoint completePoint()
{
    BandPoint p;
    p.foutMHz = 2320.5;
    p.errorHz = -0.0; // a negative zero must not print as "-0"
    p.pfdMHz = 10;
    p.r = 1;
    p.n = 232;
    p.frac = 200;
    p.mod = 4000;
    p.outDiv = 1;
    p.vcoMHz = 2320.5;
    PointFigures q;
    q.inBand10kHzDbcHz = -99.04;
    q.boundary = BoundarySpur::Present;
    q.boundarySpurOffsetKHz = 500;
    q.boundarySpurInLoop = false;
    p.quality = q;
    return p;
}

} // namespace

class TestBandScan : public QObject {
    Q_OBJECT
private slots:
    void dividerRanges_data();
    void dividerRanges();
    void refusedRanges_data();
    void refusedRanges();
    void nearestPoint_data();
    void nearestPoint();
    void csvLines_data();
    void csvLines();
    void tipOfAPoint();
};

void TestBandScan::dividerRanges_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<int>("points");
    QTest::addRow("divider 1: the VCO's own range") << 0 << 2200.0 << 4400.0 << 2201;
    QTest::addRow("divider 8") << 3 << 275.0 << 550.0 << 2201;
    // 2200 / 64 = 34.375 lies below the chip's least output.
    QTest::addRow("divider 64 starts at 35 MHz") << 6 << 35.0 << 68.75 << 2161;
}

// Each divider's range is the default of the window: with the default
// settings on that divider every point must be a clean plan, or the map
// would open red.
void TestBandScan::dividerRanges()
{
    QFETCH(int, k);
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(int, points);
    const FrequencyRange range = dividerOutputRange(k);
    QCOMPARE(range.startMHz, start);
    QCOMPARE(range.stopMHz, stop);
    Settings settings;
    settings.outDivCont = k;
    const BandScan scan = scanBand(range, settings, {});
    QVERIFY2(scan.ok(), scan.error.c_str());
    QCOMPARE(int(scan.points.size()), points);
    QCOMPARE(scan.points.front().foutMHz, start);
    QCOMPARE(scan.points.back().foutMHz, stop);
    const BandScanCounts counts = countPoints(scan);
    QCOMPARE(int(counts.within), points);
}

void TestBandScan::refusedRanges_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("error");
    QTest::addRow("35 to 4400 MHz by 1 kHz") << 35.0 << 4400.0 << 0.001
                                              << "the scan would have 4365001 points, more than 100000 points";
    QTest::addRow("one point over the most") << 0.0 << 100000.0 << 1.0
                                             << "the scan would have 100001 points, more than 100000 points";
    QTest::addRow("step 0") << 100.0 << 200.0 << 0.0 << "STEP must not be 0";
}

void TestBandScan::refusedRanges()
{
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    QFETCH(QString, error);
    const BandScan scan = scanBand({start, stop, step}, Settings{}, {});
    QCOMPARE(QString::fromStdString(scan.error), error);
    QVERIFY(scan.points.empty());
}

void TestBandScan::nearestPoint_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("at");
    QTest::addColumn<int>("index"); // -1: none
    QTest::addRow("on a point") << 2400.0 << 2410.0 << 1.0 << 2403.0 << 3;
    QTest::addRow("just past the middle") << 2400.0 << 2410.0 << 1.0 << 2403.51 << 4;
    QTest::addRow("before the start") << 2400.0 << 2410.0 << 1.0 << 2000.0 << 0;
    QTest::addRow("beyond the stop") << 2400.0 << 2410.0 << 1.0 << 9000.0 << 10;
    // A last point short of the stop (2410 is not reached by 3 MHz steps).
    QTest::addRow("stop between points") << 2400.0 << 2410.0 << 3.0 << 2410.0 << 3;
    QTest::addRow("downwards") << 2410.0 << 2400.0 << -1.0 << 2401.2 << 9;
    QTest::addRow("not a number") << 2400.0 << 2410.0 << 1.0 << qQNaN() << -1;
}

void TestBandScan::nearestPoint()
{
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    QFETCH(double, at);
    QFETCH(int, index);
    Settings settings;
    const BandScan scan = scanBand({start, stop, step}, settings, {});
    const std::optional<std::size_t> found = vantrel::nearestPoint(scan, at);
    QCOMPARE(found ? int(*found) : -1, index);
}

void TestBandScan::csvLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("line");
    QTest::addRow("complete, boundary spur outside the loop")
        << 0 << "2320.5,complete,0,10,232,200,4000,500,false,-99.04,,";
    QTest::addRow("inside the loop, breaking two limits")
        << 1 << "2320.5,complete,0,10,232,200,4000,500,true,-99.04,,INT 73 below 75 for prescaler 8/9; VCO 2000 MHz";
    QTest::addRow("FRAC 0: no offset, not in the loop") << 2 << "2320.5,complete,0,10,232,0,4000,,false,-99.04,,";
    QTest::addRow("stopped: the output, the outcome and the limits")
        << 3 << "2200,mod-limit,,,,,,,,,,MOD 5000 above 4095";
    // A summary with a separator or a quote must stay one cell.
    QTest::addRow("a limit text with a comma and a quote") << 4 << "2200,refused,,,,,,,,,,\"a, \"\"b\"\"\"";
    // The loop filter's crossover, to the Hz as the loop's figures show it.
    QTest::addRow("a crossover from the loop filter") << 5 << "2320.5,complete,0,10,232,200,4000,500,true,-99.04,38.235,";
}

void TestBandScan::csvLines()
{
    QFETCH(int, kind);
    QFETCH(QString, line);
    BandPoint p = completePoint();
    if (kind == 1) {
        p.quality->boundarySpurInLoop = true;
        p.limits = {"INT 73 below 75 for prescaler 8/9", "VCO 2000 MHz"};
    } else if (kind == 2) {
        p.frac = 0;
        p.quality->boundary = BoundarySpur::FracZero;
        p.quality->boundarySpurInLoop = true; // what is left of an earlier figure must not show
    } else if (kind == 5) {
        p.quality->boundarySpurInLoop = true;
        p.quality->crossoverKHz = 38.23451;
    } else if (kind >= 3) {
        p = BandPoint{};
        p.foutMHz = 2200;
        p.outcome = kind == 3 ? PlanOutcome::ModLimit : PlanOutcome::Refused;
        p.limits = {kind == 3 ? "MOD 5000 above 4095" : "a, \"b\""};
    }
    QCOMPARE(QString::fromStdString(bandScanCsvLine(p)), line);
    // Every line has the header's cells.
    QCOMPARE(QString::fromStdString(bandScanCsvLine(completePoint())).count(','),
             QString::fromLatin1(kBandScanColumns).count(','));
}

void TestBandScan::tipOfAPoint()
{
    BandPoint p = completePoint();
    p.limits = {"INT 73 below 75 for prescaler 8/9"};
    // A small negative error used to show as "-0.0 Hz".
    for (const double errorHz : {-0.0, -0.004}) {
        p.errorHz = errorHz;
        QCOMPARE(QString::fromStdString(bandPointTip(p)),
                 "2320.5 MHz: error 0.0 Hz\n"
                 "R 1, INT 232, FRAC 200, MOD 4000; PFD 10.0 MHz, O/P divider 1, VCO 2320.5 MHz\n"
                 "Integer-boundary spur: at 500.0 kHz, outside the loop bandwidth\n"
                 "In-band noise at 10 kHz: -99.0 dBc/Hz\n"
                 "Chip limits:\n  INT 73 below 75 for prescaler 8/9");
    }
    BandPoint stopped;
    stopped.foutMHz = 2200;
    stopped.outcome = PlanOutcome::ModLimit;
    stopped.stopReason = "More than 12 bits needed for fractional registers";
    QCOMPARE(QString::fromStdString(bandPointTip(stopped)),
             "2200 MHz: no plan: More than 12 bits needed for fractional registers\nChip limits: none");
}

QTEST_APPLESS_MAIN(TestBandScan)
#include "tst_band_scan.moc"
