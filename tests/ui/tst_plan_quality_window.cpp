// The Plan Quality window driven through the real program window, headless:
// the figures follow the panel, the advisor's list waits for the plan to
// settle and cannot be applied stale, Apply makes a suggestion through the
// panel's controls with one run of the plan and gives the plan it showed,
// and the loop bandwidth is typed, refused, cleared and kept in a file.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "chip_check_strip.h"
#include "file_chooser.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "plan_quality_window.h"
#include "quality_text.h"
#include "settings_file.h"
#include "widget_colours.h"

using namespace vantrel;

namespace {

struct QualityWindow {
    QualityWindow() : window(d.panel, d.sink, files) { window.show(); }

    // Ref Divider first: its handler rewrites the resolution, typed after.
    void settings(const char* ref, const char* rdiv, const char* fout, const char* resolution)
    {
        d.type("FrText", QString::fromLatin1(ref));
        d.type("Rdivider", QString::fromLatin1(rdiv));
        d.type("FoutText", QString::fromLatin1(fout));
        d.type("ResolutionText", QString::fromLatin1(resolution));
    }
    PlanQualityWindow* open()
    {
        window.findChild<QAction*>(QStringLiteral("PlanQuality"))->trigger();
        return window.menus()->planQualityWindow();
    }
    QString figure(const char* name) const
    {
        return window.menus()->planQualityWindow()->findChild<QLabel*>(QLatin1String(name))->text();
    }
    template <typename T>
    T* control(const char* name) const
    {
        return window.menus()->planQualityWindow()->findChild<T*>(QLatin1String(name));
    }
    // Selects suggestion `index` (0 the first) and presses Apply.
    void apply(int index)
    {
        auto* list = control<QTreeWidget>("Suggestions");
        list->setCurrentItem(list->topLevelItem(index + 1));
        QTest::mouseClick(control<QPushButton>("Apply"), Qt::LeftButton);
    }

    PanelDriver d;
    NamedFile files;
    MainWindow window;
};

struct Case {
    const char* ref;
    const char* rdiv;
    const char* fout;
    const char* resolution;
    bool follow = false;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestPlanQualityWindow : public QObject {
    Q_OBJECT
private slots:
    void theMenuOpensOneWindow();
    void figuresFollowThePanel();
    void theListWaitsForThePlanToSettle();
    void applyGivesThePlanShown_data();
    void applyGivesThePlanShown();
    void applyKeepsTheStepAndFollowsTheDatasheet();
    void loopBandwidth();
};

void TestPlanQualityWindow::theMenuOpensOneWindow()
{
    QualityWindow w;
    QStringList titles;
    for (const QAction* menu : w.window.menuBar()->actions())
        titles << menu->text();
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Board", "&Chip", "&Plan", "&Help"}));
    QCOMPARE(w.window.menus()->planMenu()->actions().first()->text(), QStringLiteral("Plan &Quality…"));
    PlanQualityWindow* first = w.open();
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());
    QCOMPARE(first->windowTitle(), QStringLiteral("Plan Quality"));
    QCOMPARE(w.open(), first);
}

void TestPlanQualityWindow::figuresFollowThePanel()
{
    QualityWindow w;
    w.settings("25", "1", "4400", "100000");
    w.open();
    // The datasheet's worked figure.
    QCOMPARE(w.figure("PfdFigure"), QStringLiteral("25.0 MHz"));
    QCOMPARE(w.figure("InBandFloor"), QStringLiteral("-101.1 dBc/Hz"));
    QCOMPARE(w.figure("Flicker10k"), QStringLiteral("-103.1 dBc/Hz"));
    QCOMPARE(w.figure("InBand10k"), QStringLiteral("-99.0 dBc/Hz"));
    QCOMPARE(w.figure("BoundarySpur"), QStringLiteral("none (FRAC 0)"));

    // A keystroke later, without waiting for anything: 1100 MHz, from a VCO of 2200 through divider 2.
    w.d.type("FoutText", QStringLiteral("1100"));
    w.d.click("AutoDiv");
    QCOMPARE(w.figure("InBand10k"), QStringLiteral("-111.0 dBc/Hz"));
    // MOD 500 at divider 2; 2200.5 MHz is FRAC 10 past 88 x 25 MHz.
    w.d.type("ResolutionText", QStringLiteral("25000"));
    w.d.type("FoutText", QStringLiteral("1100.25"));
    QCOMPARE(w.figure("BoundarySpur"), QStringLiteral("at 500.0 kHz, outside the loop bandwidth; 6.0 dB lower at "
                                                       "the output than at the VCO"));
    QCOMPARE(w.figure("FractionalSpurs"), QStringLiteral("every 25.0 kHz"));
    // A plan that stops has no figures.
    w.d.type("ResolutionText", QStringLiteral("1"));
    QCOMPARE(w.figure("PfdFigure"), QStringLiteral("none: the plan stopped"));
    QCOMPARE(w.figure("InBand10k"), QString());
}

void TestPlanQualityWindow::theListWaitsForThePlanToSettle()
{
    QualityWindow w;
    w.settings("10", "2", "2325.0025", "2500");
    PlanQualityWindow* window = w.open();
    QVERIFY(window->advice());
    QCOMPARE(w.figure("AdviceState"), QStringLiteral("Advisor: 5 cleaner plans found:"));
    auto* apply = w.control<QPushButton>("Apply");
    QVERIFY(apply->isEnabled()); // the best is selected
    QCOMPARE(w.control<QTreeWidget>("Suggestions")->currentItem()->text(0), QStringLiteral("R 2 \u2192 1"));

    // A keystroke makes the list the list of another plan: shown still, not to be applied.
    w.d.type("ResolutionText", QStringLiteral("2000"));
    QVERIFY(!window->advice());
    QVERIFY(!apply->isEnabled());
    QVERIFY(!w.control<QTreeWidget>("Suggestions")->isEnabled());
    QTRY_VERIFY(window->advice().has_value());
    QVERIFY(w.control<QTreeWidget>("Suggestions")->isEnabled());
    // The first row is the current plan, beside the suggestions; it is nothing to apply.
    auto* list = w.control<QTreeWidget>("Suggestions");
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Current plan"));
    list->setCurrentItem(list->topLevelItem(0));
    QVERIFY(!apply->isEnabled());
}

void TestPlanQualityWindow::applyGivesThePlanShown_data()
{
    QTest::addColumn<Case>("c");
    QTest::addRow("a boundary spur inside the loop") << Case{"10", "2", "2325.0025", "2500"};
    QTest::addRow("INT 73: prescaler 4/5") << Case{"30", "1", "2200", "100000"};
    QTest::addRow("integer-N at 26.7 MHz") << Case{"80", "4", "2400", "100000"};
    QTest::addRow("integer-N following the datasheet") << Case{"80", "4", "2400", "100000", true};
    QTest::addRow("MOD above 4095: the plan stopped") << Case{"10", "1", "2320.5001", "100"};
    QTest::addRow("the cleanest already: the next best") << Case{"10", "1", "2320.5", "2500"};
}

// Every suggestion on the list, applied to the window as it stood, gives the
// words and figures the list showed, with one run of the plan.
void TestPlanQualityWindow::applyGivesThePlanShown()
{
    QFETCH(Case, c);
    std::size_t count = 0;
    for (std::size_t index = 0; index == 0 || index < count; ++index) {
        QualityWindow w;
        w.d.panel.setFollowDatasheet(c.follow);
        w.settings(c.ref, c.rdiv, c.fout, c.resolution);
        PlanQualityWindow* window = w.open();
        const Advice advice = *window->advice();
        count = advice.suggestions.size();
        QVERIFY(count > 0);
        const PlanSuggestion& shown = advice.suggestions[index];
        QSignalSpy runs(&w.d.panel, &ControlPanel::chipChecked);
        w.apply(int(index));
        QCOMPARE(runs.size(), 1);
        QCOMPARE(w.d.panel.plan().registers, shown.plan.registers);
        QCOMPARE(w.d.panel.plan().errorHz, shown.plan.errorHz);
        QCOMPARE(w.figure("InBand10k"), QString::fromStdString(noiseText(shown.quality.inBand10kHzDbcHz)));
        QVERIFY(w.d.panel.checkControls().breaks.empty());
        QCOMPARE(w.d.edit("ResolutionText")->text(), QString::fromLatin1(c.resolution));
        // The list is searched again for the plan applied.
        QTRY_VERIFY(window->advice().has_value());
    }
}

void TestPlanQualityWindow::applyKeepsTheStepAndFollowsTheDatasheet()
{
    QualityWindow w;
    w.d.panel.setFollowDatasheet(true);
    w.settings("80", "4", "2400", "100000");
    w.open();
    QCOMPARE(w.control<QTreeWidget>("Suggestions")->currentItem()->text(0),
             QStringLiteral("R 4 \u2192 3, Integer N on"));
    w.apply(0);
    QCOMPARE(w.d.edit("Rdivider")->text(), QStringLiteral("3"));
    QVERIFY(w.d.check("IntN")->isChecked());
    QVERIFY(!w.d.get<QPushButton>("NMCalc")->isEnabled());
    QCOMPARE(w.d.edit("ResolutionText")->text(), QStringLiteral("100000"));
    QCOMPARE(w.d.panel.chipOptions().abp, Antibacklash::Ns3);
    QVERIFY(w.d.panel.chipOptions().chargeCancellation);
    QVERIFY(w.d.listing().startsWith(QStringLiteral("Fcomp  26.")));
}

void TestPlanQualityWindow::loopBandwidth()
{
    QualityWindow w;
    w.settings("10", "1", "2320.5", "2500");
    w.open();
    auto* box = w.control<QLineEdit>("LoopBandwidth");
    QVERIFY(w.figure("LoopBandwidthState").contains(QStringLiteral("assumed")));
    QCOMPARE(w.figure("BoundarySpur"), QStringLiteral("at 500.0 kHz, outside the loop bandwidth"));

    QTest::keyClicks(box, QStringLiteral("600"));
    QCOMPARE(w.d.panel.loopBandwidth().setKHz, std::optional<double>(600));
    QCOMPARE(w.figure("LoopBandwidthState"), QStringLiteral("kHz"));
    QCOMPARE(w.figure("BoundarySpur"), QStringLiteral("at 500.0 kHz, inside the loop bandwidth: the loop filter "
                                                       "leaves it"));
    QVERIFY(w.window.chipCheckStrip()->toolTip().contains(QStringLiteral("\nLoop bandwidth: 600 kHz")));

    // A text that is no bandwidth is said beside the box; the figures keep 600.
    QTest::keyClicks(box, QStringLiteral("x"));
    QCOMPARE(roleColour(box, QPalette::Base), kRed);
    QCOMPARE(w.figure("LoopBandwidthState"), QStringLiteral("not a bandwidth of 0.01 to 10000 kHz; the figures keep "
                                                             "600 kHz"));
    QCOMPARE(w.d.panel.loopBandwidth().setKHz, std::optional<double>(600));

    // Saved and opened again with the settings; cleared, it is assumed again.
    QTemporaryDir dir;
    w.files.name = dir.filePath(QStringLiteral("loop.json"));
    w.window.findChild<QAction*>(QStringLiteral("SaveSettingsAs"))->trigger();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QVERIFY(w.d.panel.loopBandwidth().assumed());
    QCOMPARE(roleColour(box, QPalette::Base), kWhite);
    w.window.findChild<QAction*>(QStringLiteral("OpenSettings"))->trigger();
    QCOMPARE(w.d.panel.loopBandwidth().setKHz, std::optional<double>(600));
    QCOMPARE(box->text(), QStringLiteral("600"));
    QVERIFY(w.figure("BoundarySpur").contains(QStringLiteral("inside")));
}

QTEST_MAIN(TestPlanQualityWindow)
#include "tst_plan_quality_window.moc"
