// The Loop Filter window driven through the real program window, headless:
// parts typed as engineers write them reach the panel and its quality
// figures; a bad value is said and the last good settings kept; Design fills
// E24 parts; the figures and plots follow the panel; the exports; Esc and
// Close; the band map draws each plan's crossover.
#include <QtTest>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "band_map_view.h"
#include "band_map_window.h"
#include "loop_filter_text.h"
#include "loop_filter_window.h"
#include "loop_plots.h"
#include "loop_text.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "widget_colours.h"

using namespace vantrel;

namespace {

const LoopFilter kFilter{4.3e-9, 51e-9, 300e-12, 160, 2e3};

struct LoopWindow {
    LoopWindow() : window(d.panel, d.sink, files)
    {
        window.show();
        d.type("FrText", QStringLiteral("25"));
        d.type("FoutText", QStringLiteral("2400.1"));
        d.type("ResolutionText", QStringLiteral("100000"));
        window.findChild<QAction*>(QStringLiteral("LoopFilter"))->trigger();
        loop = window.menus()->loopFilterWindow();
    }
    QLineEdit* box(const char* name) const { return loop->findChild<QLineEdit*>(QLatin1String(name)); }
    QString figure(const char* name) const { return loop->findChild<QLabel*>(QLatin1String(name))->text(); }
    QString state() const { return figure("LoopState"); }
    void type(const char* name, const QString& text)
    {
        QLineEdit* edit = box(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void typeFilter()
    {
        const char* names[] = {"C1", "C2", "C3", "R2", "R3"};
        const char* texts[] = {"4.3n", "51 nF", "300p", "160", "2k"};
        for (int i = 0; i < 5; ++i)
            type(names[i], QString::fromLatin1(texts[i]));
    }
    QLineSeries* series(const char* name) const
    {
        for (const QChartView* view : loop->findChildren<QChartView*>()) {
            for (QAbstractSeries* s : view->chart()->series()) {
                if (s->objectName() == QLatin1String(name))
                    return qobject_cast<QLineSeries*>(s);
            }
        }
        qFatal("no series named %s", name);
    }

    PanelDriver d;
    NamedFile files;
    MainWindow window;
    LoopFilterWindow* loop = nullptr;
};

bool isRed(QWidget* widget) { return widget->palette().color(QPalette::Base) == QColor(255, 0, 0); }

} // namespace

class TestLoopFilterWindow : public QObject {
    Q_OBJECT
private slots:
    void typedPartsReachThePanel();
    void aBadValueKeepsTheLastGood_data();
    void aBadValueKeepsTheLastGood();
    void designFillsE24Parts();
    void aMarginTypedBeforeTheCrossoverStays();
    void followsThePanel();
    void exports();
    void escapeAndCloseAndNames();
    void bandMapDrawsEachCrossover();
};

void TestLoopFilterWindow::typedPartsReachThePanel()
{
    LoopWindow w;
    QVERIFY(w.figure("IcpFigure").startsWith(QStringLiteral("none: no loop filter entered")));
    QVERIFY(w.series("TotalNoise")->points().isEmpty());
    w.typeFilter();
    QCOMPARE(w.d.panel.loopSettings().filter, std::optional<LoopFilter>(kFilter));
    QCOMPARE(w.state(), QString());
    const LoopFiguresResult figures = w.d.panel.loopFigures();
    QVERIFY(figures.figures);
    QCOMPARE(w.figure("CrossoverFigure"), QString::fromStdString(crossoverText(figures.figures->loop.crossoverHz)));
    // The plan quality takes its loop bandwidth from the filter now.
    const std::optional<PlanQuality> quality = w.d.panel.checkControls().quality;
    QVERIFY(quality && quality->loopBandwidthFromFilter);
    QCOMPARE(w.series("TotalNoise")->points().size(), 101);
    // Emptying all five parts leaves no filter: the bandwidth is assumed again.
    for (const char* name : {"C1", "C2", "C3", "R2", "R3"})
        w.type(name, QString());
    QVERIFY(!w.d.panel.loopSettings().filter);
    QVERIFY(w.d.panel.checkControls().quality->loopBandwidthAssumed);
}

void TestLoopFilterWindow::aBadValueKeepsTheLastGood_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("red"); // the box marked
    QTest::addRow("a unit of another quantity") << "C1" << "4.3nH" << "C1 \"4.3nH\": does not end in a prefix and unit of F" << "C1";
    QTest::addRow("a part of 0") << "C2" << "0" << "C2 \"0\": C2 is 0" << "C2";
    QTest::addRow("C3 gone while R3 stays") << "C3" << "" << "C3 is 0 while R3 is set" << "C3";
    QTest::addRow("C1 gone, the others stay") << "C1" << "" << "C1 \"\": is empty" << "C1";
    QTest::addRow("Kv of 0") << "Kv" << "0" << "Kv is not above 0 MHz/V" << "Kv";
    QTest::addRow("a range upside down") << "JitterStop" << "10" << "does not start below its stop" << "JitterStart";
    QTest::addRow("a phase margin of 90") << "DesignPhaseMargin" << "90" << "not between 0 and 90 degrees" << "DesignPhaseMargin";
}

void TestLoopFilterWindow::aBadValueKeepsTheLastGood()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, said);
    QFETCH(QString, red);
    LoopWindow w;
    w.typeFilter();
    const LoopSettings good = w.d.panel.loopSettings();
    const QString crossover = w.figure("CrossoverFigure");
    w.type(box.toLatin1().constData(), text);
    QVERIFY2(w.state().contains(said), qPrintable(w.state()));
    QVERIFY(w.state().endsWith(QStringLiteral("the figures keep the last good settings")));
    QCOMPARE(w.d.panel.loopSettings(), good);
    QCOMPARE(w.figure("CrossoverFigure"), crossover);
    QVERIFY(isRed(w.box(red.toLatin1().constData())));
    // Put right, the box turns white and the panel takes it.
    w.typeFilter();
    w.type("Kv", QStringLiteral("40"));
    w.type("JitterStop", QStringLiteral("10M"));
    w.type("DesignPhaseMargin", QStringLiteral("45"));
    QVERIFY(!isRed(w.box(red.toLatin1().constData())));
    QCOMPARE(w.state(), QString());
}

void TestLoopFilterWindow::designFillsE24Parts()
{
    LoopWindow w;
    w.type("DesignCrossover", QStringLiteral("50"));
    QVERIFY(w.d.panel.loopSettings().target);
    QTest::mouseClick(w.loop->findChild<QPushButton*>(QStringLiteral("Design")), Qt::LeftButton);
    const LoopDesignResult design = w.d.panel.designLoop(*w.d.panel.loopSettings().target);
    QVERIFY(design.design);
    QCOMPARE(w.d.panel.loopSettings().filter, std::optional<LoopFilter>(design.design->e24));
    QCOMPARE(w.box("C1")->text(), QStringLiteral("4.3n"));
    QVERIFY(w.figure("DesignResult").startsWith(QStringLiteral("Exact: C1=4.316n, C2=49.67n")));
    QVERIFY2(w.figure("ChargePumpAdvice").endsWith(QStringLiteral("nearest the designed 50 kHz")),
             qPrintable(w.figure("ChargePumpAdvice")));
    // Without a plan there is no N to design for: said, and no part changes.
    w.d.type("ResolutionText", QStringLiteral("1"));
    QTest::mouseClick(w.loop->findChild<QPushButton*>(QStringLiteral("Design")), Qt::LeftButton);
    QCOMPARE(w.figure("DesignResult"), QStringLiteral("No design: the plan stopped"));
    QCOMPARE(w.d.panel.loopSettings().filter, std::optional<LoopFilter>(design.design->e24));
}

// The settings hold no margin until there is a crossover: a change of the
// parts meanwhile must not put the box back to its default.
void TestLoopFilterWindow::aMarginTypedBeforeTheCrossoverStays()
{
    LoopWindow w;
    w.type("DesignPhaseMargin", QStringLiteral("50"));
    w.typeFilter();
    QCOMPARE(w.box("DesignPhaseMargin")->text(), QStringLiteral("50"));
    w.type("DesignCrossover", QStringLiteral("20"));
    QCOMPARE(w.d.panel.loopSettings().target->phaseMarginDeg, 50.0);
    QCOMPARE(w.d.panel.loopSettings().target->crossoverHz, 20e3);
}

void TestLoopFilterWindow::followsThePanel()
{
    LoopWindow w;
    w.typeFilter();
    const QString at15 = w.figure("CrossoverFigure");
    w.d.arrows("ChrgPump", false, 8); // code 7: less current, a narrower loop
    QVERIFY(w.figure("CrossoverFigure") != at15);
    QCOMPARE(w.figure("IcpFigure"), QStringLiteral("2.5 mA"));
    const double fc = w.d.panel.loopFigures().figures->loop.crossoverHz;
    QCOMPARE(w.series("CrossoverMarker")->points().front().x(), fc);
    // 2400.1 MHz from a 25 MHz PFD: the boundary spur 100 kHz out, marked.
    QCOMPARE(w.series("BoundarySpurMarker")->points().front().x(), 100e3);
    w.d.type("FoutText", QStringLiteral("2400"));
    QVERIFY(w.series("BoundarySpurMarker")->points().isEmpty());
    // A settings file's loop reaches the boxes.
    PanelSettings file = w.d.panel.panelSettings();
    file.loop.filter = LoopFilter{1e-9, 22e-9, 0, 1e3, 0};
    file.loop.kvMHzPerV = 30;
    w.d.panel.applySettings(file);
    QCOMPARE(w.box("C2")->text(), QStringLiteral("22n"));
    QCOMPARE(w.box("C3")->text(), QString());
    QCOMPARE(w.box("Kv")->text(), QStringLiteral("30"));
    QCOMPARE(w.figure("GainMarginFigure"), QStringLiteral("none: the phase stays above -180 degrees"));
}

void TestLoopFilterWindow::exports()
{
    LoopWindow w;
    w.typeFilter();
    QTemporaryDir dir;
    w.files.name = dir.filePath(QStringLiteral("noise.csv"));
    w.loop->exportCsv();
    QFile noise(w.files.name);
    QVERIFY(noise.open(QIODevice::ReadOnly));
    QCOMPARE(noise.readAll().toStdString(), noiseCurveCsv(w.d.panel.loopFigures().figures->curve));
    w.loop->plots()->setCurrentIndex(LoopPlots::BodeTab);
    w.files.name = dir.filePath(QStringLiteral("bode.csv"));
    w.loop->exportCsv();
    QFile bode(w.files.name);
    QVERIFY(bode.open(QIODevice::ReadOnly));
    QCOMPARE(bode.readLine(), QByteArray("offset_hz,gain_db,phase_deg\n"));
    w.files.name = dir.filePath(QStringLiteral("bode.png"));
    w.loop->exportPng();
    QVERIFY(!QImage(w.files.name).isNull());
    QVERIFY(w.d.sink.messages.isEmpty());
    // A folder is no file to write: said over the window.
    w.files.name = dir.path();
    w.loop->exportPng();
    QCOMPARE(w.d.sink.messages.size(), 1);
    QVERIFY(w.d.sink.messages.front().startsWith(QStringLiteral("The plot was not exported to")));
    QCOMPARE(w.d.sink.shownOver.front(), w.loop);
}

void TestLoopFilterWindow::escapeAndCloseAndNames()
{
    LoopWindow w;
    for (QLineEdit* edit : w.loop->findChildren<QLineEdit*>())
        QVERIFY2(!edit->accessibleName().isEmpty(), qPrintable(edit->objectName()));
    QCOMPARE(w.box("Rset")->accessibleName(), QStringLiteral("RSET, kOhm"));
    QVERIFY(w.loop->isVisible());
    QTest::keyClick(w.box("C1"), Qt::Key_Escape);
    QVERIFY(!w.loop->isVisible());
    w.window.findChild<QAction*>(QStringLiteral("LoopFilter"))->trigger();
    QVERIFY(w.loop->isVisible());
    QTest::mouseClick(w.loop->findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
    QVERIFY(!w.loop->isVisible());
}

void TestLoopFilterWindow::bandMapDrawsEachCrossover()
{
    LoopWindow w;
    w.typeFilter();
    w.window.findChild<QAction*>(QStringLiteral("BandMap"))->trigger();
    BandMapWindow* map = w.window.menus()->bandMapWindow();
    for (const auto& [name, text] : {std::pair{"BandStart", "2400"}, std::pair{"BandStop", "2401"},
                                     std::pair{"BandStep", "0.1"}})
        map->findChild<QLineEdit*>(QLatin1String(name))->setText(QLatin1String(text));
    map->scanNow();
    QList<QPointF> line;
    for (QAbstractSeries* s : map->view()->chart()->series()) {
        if (s->objectName() == QLatin1String("LoopBandwidthLine"))
            line = qobject_cast<QLineSeries*>(s)->points();
    }
    QCOMPARE(line.size(), 11);
    for (const BandPoint& point : map->view()->scan().points)
        QCOMPARE(line[qsizetype(&point - map->view()->scan().points.data())].y(), *point.quality->crossoverKHz);
    // The crossover falls as N rises with the output.
    QVERIFY(line.front().y() > line.back().y());
}

QTEST_MAIN(TestLoopFilterWindow)
#include "tst_loop_filter_window.moc"
