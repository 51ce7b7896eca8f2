// The band map through the real window, headless: opened from Plan ▸ Band
// Map…, its points against vantrel-plan --scan of the same settings, the
// shades of limit breaks and stopped plans, hover, click, zoom, following
// the settings after the idle delay, and the exports.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "band_map_view.h"
#include "band_map_window.h"
#include "file_chooser.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "program_run.h"

namespace {

// One point of vantrel-plan --scan, as the map should draw it.
struct ScanLine {
    double mhz = 0;
    QString outcome;
    std::optional<double> offset;
    std::optional<double> noise;
    std::optional<double> crossover;
    QString limits;
};

std::vector<ScanLine> parseScan(const QByteArray& csv)
{
    std::vector<ScanLine> lines;
    const QList<QByteArray> rows = csv.trimmed().split('\n');
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QList<QByteArray> cells = rows[i].split(',');
        ScanLine line;
        line.mhz = cells[0].toDouble();
        line.outcome = QString::fromLatin1(cells[1]);
        if (!cells[7].isEmpty())
            line.offset = cells[7].toDouble();
        if (!cells[9].isEmpty())
            line.noise = cells[9].toDouble();
        if (!cells[10].isEmpty())
            line.crossover = cells[10].toDouble();
        line.limits = QString::fromUtf8(rows[i].split(',').mid(11).join(','));
        lines.push_back(line);
    }
    return lines;
}

QList<QPointF> sorted(QList<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    return points;
}

void sendMouse(QWidget* viewport, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
}

struct MapWindow {
    MapWindow() : window(d.panel, d.sink, files) { window.show(); }

    // Plan ▸ Band Map…, with the range typed into its boxes.
    BandMapWindow* open(const QString& start, const QString& stop, const QString& step)
    {
        window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
        BandMapWindow* map = window.menus()->bandMapWindow();
        if (!map)
            qFatal("Band Map… opened nothing");
        const std::pair<const char*, QString> boxes[] = {{"BandStart", start}, {"BandStop", stop}, {"BandStep", step}};
        for (const auto& [name, text] : boxes) {
            auto* box = map->findChild<QLineEdit*>(QLatin1String(name));
            box->selectAll();
            QTest::keyClicks(box, text);
        }
        map->scanNow();
        return map;
    }

    PanelDriver d;
    NamedFile files;
    MainWindow window;
};

QLineSeries* seriesNamed(const BandMapView* view, const char* name)
{
    for (QAbstractSeries* series : view->chart()->series()) {
        if (series->objectName() == QLatin1String(name))
            return qobject_cast<QLineSeries*>(series);
    }
    auto* child = view->findChild<QLineSeries*>(QLatin1String(name));
    if (!child)
        qFatal("no series %s", name);
    return child;
}

// The bands an area's upper line rises over, "from-to" in MHz.
QStringList raisedBands(const QLineSeries* upper, double top)
{
    QStringList bands;
    const QList<QPointF> points = upper->points();
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        if (points[i].y() == top && points[i + 1].y() == top)
            bands << QStringLiteral("%1-%2").arg(points[i].x()).arg(points[i + 1].x());
    }
    return bands;
}

} // namespace

class TestBandMap : public QObject {
    Q_OBJECT
private slots:
    void pointsAreThoseOfTheScan_data();
    void pointsAreThoseOfTheScan();
    void hoverShowsThePointsPlan();
    void theTipStaysWhileThePointerRests();
    void hoverPicksTheDotUnderThePointer();
    void clickPutsThePointIntoWantedFout();
    void zoomKeptWhenTheSettingsChange();
    void followsTheSettingsOnceTypingPauses();
    void opensOnTheDividersRange();
    void aRangeThatIsNoneKeepsTheMap();
    void exportFailureIsSaid();
};

void TestBandMap::pointsAreThoseOfTheScan_data()
{
    QTest::addColumn<QStringList>("panel"); // box=text, or a check box to clear
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<bool>("autoSet");
    QTest::addColumn<QStringList>("options"); // the same for vantrel-plan
    QTest::addColumn<int>("broken");
    QTest::addColumn<int>("stopped");
    QTest::addRow("MOD above 4095 past the divider boundary")
        << QStringList{"ResolutionText=2000"} << QStringList{"2197", "2203", "1"} << true
        << QStringList{"--resolution", "2000", "--auto-divider"} << 0 << 4;
    QTest::addRow("INT below 75 with a 30 MHz reference")
        << QStringList{"FrText=30", "ResolutionText=100000"} << QStringList{"2190", "2260", "5"} << true
        << QStringList{"--ref", "30", "--resolution", "100000", "--auto-divider"} << 10 << 0;
    QTest::addRow("the panel's divider, downwards, out of the VCO's range")
        << QStringList{"ResolutionText=100000"} << QStringList{"2204", "2190", "-2"} << false
        << QStringList{"--resolution", "100000"} << 5 << 0;
}

// The points drawn, the shades and the CSV export are those of vantrel-plan
// --scan with the same settings.
void TestBandMap::pointsAreThoseOfTheScan()
{
    QFETCH(QStringList, panel);
    QFETCH(QStringList, range);
    QFETCH(bool, autoSet);
    QFETCH(QStringList, options);
    QFETCH(int, broken);
    QFETCH(int, stopped);
    MapWindow w;
    for (const QString& setting : panel)
        w.d.edit(qPrintable(setting.section('=', 0, 0)))->setText(setting.section('=', 1));
    w.window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
    w.window.menus()->bandMapWindow()->findChild<QCheckBox*>(QStringLiteral("AutoSetEach"))->setChecked(autoSet);
    BandMapWindow* map = w.open(range[0], range[1], range[2]);
    BandMapView* view = map->view();

    const Run run = runProgram(QStringLiteral(VANTREL_PLAN_EXE), QStringList{"--scan"} + range + options);
    QCOMPARE(run.status, 0);
    const std::vector<ScanLine> lines = parseScan(run.out);
    QList<QPointF> offsets;
    QList<QPointF> noise;
    int brokenLines = 0;
    int stoppedLines = 0;
    for (const ScanLine& line : lines) {
        if (line.offset)
            offsets << QPointF(line.mhz, *line.offset);
        if (line.noise)
            noise << QPointF(line.mhz, *line.noise);
        brokenLines += line.outcome == QLatin1String("complete") && !line.limits.isEmpty();
        stoppedLines += line.outcome != QLatin1String("complete");
    }
    QCOMPARE(brokenLines, broken);
    QCOMPARE(stoppedLines, stopped);
    QCOMPARE(sorted(seriesNamed(view, "OffsetPoints")->points()), sorted(offsets));
    QCOMPARE(sorted(seriesNamed(view, "NoisePoints")->points()), sorted(noise));

    // One band over the broken points and one over the stopped, each half a
    // step beyond its ends (the rows' points are neighbours).
    const double top = view->chart()->findChild<QValueAxis*>(QStringLiteral("NoiseAxis"))->max();
    const double half = std::abs(range[2].toDouble()) / 2;
    const auto expected = [&](bool stoppedKind) {
        double from = 1e9;
        double to = -1e9;
        for (const ScanLine& line : lines) {
            const bool kind = stoppedKind ? line.outcome != QLatin1String("complete")
                                          : line.outcome == QLatin1String("complete") && !line.limits.isEmpty();
            if (kind) {
                from = std::min(from, line.mhz - half);
                to = std::max(to, line.mhz + half);
            }
        }
        return from > to ? QStringList() : QStringList{QStringLiteral("%1-%2").arg(from).arg(to)};
    };
    QCOMPARE(raisedBands(seriesNamed(view, "BrokenShadeTop"), top), expected(false));
    QCOMPARE(raisedBands(seriesNamed(view, "StoppedShadeTop"), top), expected(true));

    // The CSV export is vantrel-plan's output byte for byte.
    QTemporaryDir dir;
    w.files.name = dir.filePath(QStringLiteral("band.csv"));
    QTest::mouseClick(map->findChild<QPushButton*>(QStringLiteral("ExportCsv")), Qt::LeftButton);
    QFile csv(w.files.name);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), run.out);
    // The PNG export is the map as shown.
    w.files.name = dir.filePath(QStringLiteral("band.png"));
    QTest::mouseClick(map->findChild<QPushButton*>(QStringLiteral("ExportPng")), Qt::LeftButton);
    const QImage picture(w.files.name);
    QCOMPARE(picture.size(), view->grab().size());
    QVERIFY(w.d.sink.messages.isEmpty());
}

void TestBandMap::hoverShowsThePointsPlan()
{
    MapWindow w;
    w.d.edit("FrText")->setText(QStringLiteral("30"));
    w.d.edit("ResolutionText")->setText(QStringLiteral("100000"));
    BandMapWindow* map = w.open(QStringLiteral("2190"), QStringLiteral("2260"), QStringLiteral("5"));
    BandMapView* view = map->view();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    const QPointF at = view->offsetPosition(2230, 1000);
    sendMouse(view->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    const QString tip = QToolTip::text();
    QVERIFY2(tip.startsWith(QLatin1String("2230 MHz: error 0.0 Hz\nR 1, INT 74, FRAC 100, MOD 300")), qPrintable(tip));
    QVERIFY2(tip.contains(QLatin1String("Integer-boundary spur: at 10000.0 kHz, outside the loop bandwidth")), qPrintable(tip));
    QVERIFY2(tip.contains(QLatin1String("In-band noise at 10 kHz: -105.4 dBc/Hz")), qPrintable(tip));
    QVERIFY2(tip.endsWith(QLatin1String("Chip limits:\n  INT 74 below 75 for prescaler 8/9")), qPrintable(tip));
    // Between two points, nearer the second; and off the plot, nothing.
    sendMouse(view->viewport(), QEvent::MouseMove, view->offsetPosition(2233, 100), Qt::NoButton, Qt::NoButton);
    QVERIFY2(QToolTip::text().startsWith(QLatin1String("2235 MHz")), qPrintable(QToolTip::text()));
    sendMouse(view->viewport(), QEvent::MouseMove, QPointF(2, 2), Qt::NoButton, Qt::NoButton);
    QTRY_VERIFY(!QToolTip::isVisible());
}

// The tip used to vanish 0.7 s after the pointer came to rest: the
// chart's scene answered the rest with no tip of its own.
void TestBandMap::theTipStaysWhileThePointerRests()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2190"), QStringLiteral("2260"), QStringLiteral("5"));
    BandMapView* view = map->view();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    const QPoint at = view->offsetPosition(2230, 1000).toPoint();
    sendMouse(view->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    const QString tip = QToolTip::text();
    QVERIFY(tip.startsWith(QLatin1String("2230 MHz")));
    QHelpEvent rest(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view->viewport(), &rest);
    QTest::qWait(500); // longer than a hidden tip lingers
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), tip);
}

// At many points a pixel, the pointer on a dot used to be described by the
// point nearest in frequency, whose own dots stood far above or below.
void TestBandMap::hoverPicksTheDotUnderThePointer()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2200"), QStringLiteral("2220"), QStringLiteral("0.001"));
    BandMapView* view = map->view();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    const auto& points = view->scan().points;
    QVERIFY(points.size() / view->chart()->plotArea().width() > 10); // points a pixel
    // 25 kHz above the boundary at 2210 MHz, and a pixel and a half to the
    // right of its dot: still on the dot, where the points nearest in
    // frequency have spurs 30 to 40 kHz away.
    const QPointF dot = view->offsetPosition(2210.025, 25);
    const QPoint at = (dot + QPointF(1.5, 0)).toPoint();
    sendMouse(view->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    const QString tip = QToolTip::text();
    const double mhz = tip.section(QLatin1Char(' '), 0, 0).toDouble();
    const auto shown = std::find_if(points.begin(), points.end(), [mhz](const auto& p) { return p.foutMHz == mhz; });
    QVERIFY2(shown != points.end() && shown->quality, qPrintable(tip));
    const std::optional<double> offset = shown->quality->boundarySpurOffset();
    QVERIFY2(offset, qPrintable(tip));
    const QPointF shownDot = view->offsetPosition(mhz, *offset);
    QVERIFY2(QLineF(shownDot, at).length() <= 3, qPrintable(tip));
}

void TestBandMap::clickPutsThePointIntoWantedFout()
{
    MapWindow w;
    w.d.check("TrackDivider")->setEnabled(true);
    w.d.check("TrackDivider")->setChecked(true);
    BandMapWindow* map = w.open(QStringLiteral("1100"), QStringLiteral("1120"), QStringLiteral("0.5"));
    BandMapView* view = map->view();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    const auto& points = view->scan().points;
    const auto point = std::find_if(points.begin(), points.end(), [](const auto& p) { return p.foutMHz == 1105.5; });
    QVERIFY(point != points.end());
    // A click, a pixel's tremble aside, is no drag.
    const QPointF at = view->noisePosition(1105.5, point->quality->inBand10kHzDbcHz);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at.toPoint());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at.toPoint() + QPoint(1, 0));
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral("1105.5"));
    // Tracking would have kept the VCO; Auto Set chose the point's divider 2.
    QVERIFY(!w.d.check("TrackDivider")->isChecked());
    QCOMPARE(w.d.bar("OutDivCont")->settingValue(), 1);
    QCOMPARE(w.d.panel.plan().n, point->n);
    QCOMPARE(w.d.panel.plan().fract, point->frac);
    QCOMPARE(w.d.panel.plan().denom, point->mod);
    QVERIFY(!view->isZoomed());
}

void TestBandMap::zoomKeptWhenTheSettingsChange()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2200"), QStringLiteral("2400"), QStringLiteral("1"));
    BandMapView* view = map->view();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    QValueAxis* axis = view->frequencyAxis();
    QCOMPARE(axis->min(), 2199.5);
    QCOMPARE(axis->max(), 2400.5);

    // The wheel zooms about the frequency under the pointer. Where 2250 MHz
    // stands is compared in the chart's own coordinates: the view's are
    // whole pixels, rounded.
    const auto chartX = [view] {
        return view->chart()->mapToPosition(QPointF(2250, -100), seriesNamed(view, "NoisePoints")).x();
    };
    const double pointerX = chartX();
    const QPointF at = view->noisePosition(2250, -100);
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY(view->isZoomed());
    QVERIFY(qAbs((axis->max() - axis->min()) - 201 * 0.8) < 1e-9);
    QVERIFY2(qAbs(chartX() - pointerX) < 1, qPrintable(QStringLiteral("%1 then %2").arg(pointerX).arg(chartX())));

    // A drag across the plot zooms into the span dragged.
    view->resetZoom();
    const QPointF from = view->noisePosition(2250, -100);
    const QPointF to = view->noisePosition(2300, -100);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from.toPoint());
    sendMouse(view->viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to.toPoint());
    const double pixel = 201.0 / view->chart()->plotArea().width();
    QVERIFY2(qAbs(axis->min() - 2250) < 2 * pixel && qAbs(axis->max() - 2300) < 2 * pixel,
             qPrintable(QStringLiteral("%1 to %2").arg(axis->min()).arg(axis->max())));
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral("2320.5")); // a drag is no click
    const double low = axis->min();
    const double high = axis->max();

    // New settings: new points, the same zoom.
    const QList<QPointF> before = seriesNamed(view, "NoisePoints")->points();
    QSignalSpy updated(map, &BandMapWindow::mapUpdated);
    w.d.type("FrText", QStringLiteral("25"));
    QVERIFY(updated.wait(2000));
    QVERIFY(seriesNamed(view, "NoisePoints")->points() != before);
    QCOMPARE(axis->min(), low);
    QCOMPARE(axis->max(), high);

    QTest::mouseClick(map->findChild<QPushButton*>(QStringLiteral("ResetZoom")), Qt::LeftButton);
    QCOMPARE(axis->min(), 2199.5);
    QCOMPARE(axis->max(), 2400.5);
}

void TestBandMap::followsTheSettingsOnceTypingPauses()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2200"), QStringLiteral("2210"), QStringLiteral("1"));
    QSignalSpy updated(map, &BandMapWindow::mapUpdated);
    // Four keystrokes, each a run of the plan: no scan until the typing pauses.
    w.d.type("FrText", QStringLiteral("8.5"));
    QCOMPARE(updated.count(), 0);
    QVERIFY(updated.wait(2000));
    QTest::qWait(2 * int(BandMapWindow::kIdleDelay.count()));
    QCOMPARE(updated.count(), 1);
    QCOMPARE(map->view()->scan().points.front().pfdMHz, 8.5);
    // The loop bandwidth is a setting of the figures too.
    w.d.panel.setLoopBandwidth(vantrel::LoopBandwidth{5000});
    QVERIFY(updated.wait(2000));
    QVERIFY(map->view()->scan().points[1].quality->spurInLoop());
}

void TestBandMap::opensOnTheDividersRange()
{
    MapWindow w;
    w.d.bar("OutDivCont")->setSettingValue(3);
    w.window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
    BandMapWindow* map = w.window.menus()->bandMapWindow();
    QCOMPARE(map->findChild<QLineEdit*>(QStringLiteral("BandStart"))->text(), QStringLiteral("275"));
    QCOMPARE(map->findChild<QLineEdit*>(QStringLiteral("BandStop"))->text(), QStringLiteral("550"));
    QCOMPARE(map->findChild<QLineEdit*>(QStringLiteral("BandStep"))->text(), QStringLiteral("0.125"));
    QCOMPARE(map->view()->scan().points.size(), std::size_t(2201));
    // The entry brings the one window forward.
    w.window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
    QCOMPARE(w.window.menus()->bandMapWindow(), map);
}

void TestBandMap::aRangeThatIsNoneKeepsTheMap()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2200"), QStringLiteral("2210"), QStringLiteral("1"));
    const std::size_t shown = map->view()->scan().points.size();
    auto* status = map->findChild<QLabel*>(QStringLiteral("BandMapStatus"));
    const auto retype = [map](const char* box, const QString& text) {
        auto* edit = map->findChild<QLineEdit*>(QLatin1String(box));
        edit->selectAll();
        QTest::keyClicks(edit, text);
        map->scanNow();
    };
    retype("BandStop", QStringLiteral("22OO"));
    QVERIFY2(status->text().startsWith(QLatin1String("Stop MHz \"22OO\" has \"OO\" after the number")),
             qPrintable(status->text()));
    QCOMPARE(map->view()->scan().points.size(), shown);
    retype("BandStop", QStringLiteral("2210"));
    retype("BandStep", QStringLiteral("100 Hz"));
    QVERIFY2(status->text().startsWith(QLatin1String("the scan would have 100001 points, more than 100000 points; "
                                                     "the map still shows 2200 to 2210 MHz")),
             qPrintable(status->text()));
    QCOMPARE(map->view()->scan().points.size(), shown);
}

void TestBandMap::exportFailureIsSaid()
{
    MapWindow w;
    BandMapWindow* map = w.open(QStringLiteral("2200"), QStringLiteral("2210"), QStringLiteral("1"));
    QTemporaryDir dir;
    w.files.name = dir.filePath(QStringLiteral("no such folder/band.csv"));
    map->exportCsv();
    QCOMPARE(w.d.sink.messages.size(), 1);
    QVERIFY2(w.d.sink.messages[0].startsWith(QLatin1String("The band map was not exported to ")),
             qPrintable(w.d.sink.messages[0]));
    QCOMPARE(w.d.sink.shownOver.constLast(), map);
    QVERIFY(!QFile::exists(w.files.name));
}

QTEST_MAIN(TestBandMap)
#include "tst_band_map.moc"
