// Edit ▸ Undo and Redo through the real window: each whole-panel change
// undone puts every control back byte for byte with one run of the plan,
// and redone makes it again; a box keeps its own undo; a redo waits for
// nothing that changed since; nothing goes to the board.
#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "band_map_view.h"
#include "band_map_window.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "plan_quality_window.h"
#include "settings_file.h"

#ifdef Q_OS_UNIX
#include "board_harness.h"
#endif

namespace {

struct UndoWindow {
    UndoWindow() : window(d.panel, d.sink, files) { window.show(); }
    QAction* action(const char* name) const
    {
        auto* found = window.findChild<QAction*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no action named %s", name);
        return found;
    }
    void trigger(const char* name) const { action(name)->trigger(); }

    PanelDriver d;
    NamedFile files;
    MainWindow window;
};

// Every control of the panel as it shows, the reply box (a log) aside, with
// every setting as a file keeps it and the six words.
QStringList panelState(const PanelDriver& d)
{
    QStringList state{QString::fromUtf8(vantrel::settingsFileText(d.panel.panelSettings()))};
    for (const std::uint32_t word : d.panel.plan().registers)
        state << QString::number(word, 16);
    for (const QWidget* widget : d.panel.findChildren<QWidget*>()) {
        const QString name = widget->objectName() + QStringLiteral(" enabled=%1 ").arg(widget->isEnabled());
        if (widget->objectName() == QLatin1String("Text1"))
            continue;
        if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
            state << name + edit->text();
        else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            state << name + button->text() + QStringLiteral(" checked=%1").arg(button->isChecked());
        else if (const auto* bar = qobject_cast<const SettingScrollBar*>(widget))
            state << name + QString::number(bar->settingValue());
        else if (const auto* label = qobject_cast<const QLabel*>(widget))
            state << name + label->text();
        else if (const auto* text = qobject_cast<const QPlainTextEdit*>(widget))
            state << name + text->toPlainText();
    }
    return state;
}

// Away from every initial value, tracking on, with a plan shown. The plan
// advisor's best for it is Ref Divider 1.
void setUp(PanelDriver& d)
{
    d.type("FrText", QStringLiteral("10"));
    d.type("Rdivider", QStringLiteral("2"));
    d.type("FoutText", QStringLiteral("2325.0025"));
    d.type("ResolutionText", QStringLiteral("2500"));
    d.click("MuxR");
    d.arrows("ChrgPump", false, 3);
    d.arrows("Pwr", false, 1);
    d.click("PDpol");
    d.type("CPNo", QStringLiteral("7"));
    d.click("TrackDivider");
}

} // namespace

class TestPanelUndo : public QObject {
    Q_OBJECT
private slots:
    void undoPutsEveryControlBack_data();
    void undoPutsEveryControlBack();
    void aBoxKeepsItsOwnUndo();
    void aRedoGoesOnceThePanelChanges();
};

void TestPanelUndo::undoPutsEveryControlBack_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("stopped"); // the plan before it stopped, keeping values of the run before
    QTest::addRow("Open Settings") << "Open Settings" << false;
    QTest::addRow("Open Settings over a plan that stopped") << "Open Settings" << true;
    QTest::addRow("Paste Register Set") << "Paste Register Set" << false;
    QTest::addRow("Plan Quality Apply") << "Plan Quality Apply" << false;
    QTest::addRow("Follow the Datasheet") << "Follow the Datasheet" << false;
    QTest::addRow("Band Map Click") << "Band Map Click" << false;
#ifdef Q_OS_UNIX
    QTest::addRow("INIT from EE") << "INIT from EE" << false;
#endif
}

void TestPanelUndo::undoPutsEveryControlBack()
{
    QFETCH(QString, change);
    QFETCH(bool, stopped);
    QTemporaryDir dir;
    UndoWindow w;
#ifdef Q_OS_UNIX
    Board board;
    if (change == QLatin1String("INIT from EE")) {
        QVERIFY(board.start({QStringLiteral("--log")}));
        w.d.type("CPNo", board.path());
        w.d.click("SetCP");
    }
#endif
    setUp(w.d);
    if (stopped) {
        w.d.type("ResolutionText", QStringLiteral("1")); // MOD above 4095
        QVERIFY(w.d.listing().contains(QStringLiteral("More than 12 bits")));
    }
    // Following the datasheet is a menu's check, no change of the panel: the
    // change is the tick of Integer N that brings the options along.
    if (change == QLatin1String("Follow the Datasheet"))
        w.trigger("FollowDatasheet");
    const QStringList before = panelState(w.d);
    QVERIFY(!w.action("Undo")->isEnabled());

    if (change == QLatin1String("Open Settings")) {
        vantrel::PanelSettings file;
        file.settings.foutText = "1000";
        file.settings.intN = true;
        file.settings.chip.phaseValue = 7;
        file.loopBandwidth.setKHz = 20;
        w.files.name = dir.filePath(QStringLiteral("other.json"));
        QCOMPARE(vantrel::writeSettingsFile(w.files.name, file), QString());
        w.trigger("OpenSettings");
    } else if (change == QLatin1String("Paste Register Set")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("740640 800FD01 18004E42 3 85003C 580005"));
        w.trigger("PasteRegisterSet");
    } else if (change == QLatin1String("Plan Quality Apply")) {
        w.trigger("PlanQuality");
        PlanQualityWindow* quality = w.window.menus()->planQualityWindow();
        quality->adviseNow();
        auto* list = quality->findChild<QTreeWidget*>(QStringLiteral("Suggestions"));
        QVERIFY(list->topLevelItemCount() > 1);
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(list->currentItem()->text(0), QStringLiteral("R 2 \u2192 1"));
        QTest::mouseClick(quality->findChild<QPushButton*>(QStringLiteral("Apply")), Qt::LeftButton);
    } else if (change == QLatin1String("Follow the Datasheet")) {
        w.d.click("IntN");
    } else if (change == QLatin1String("Band Map Click")) {
        w.trigger("BandMap");
        BandMapWindow* map = w.window.menus()->bandMapWindow();
        map->scanNow();
        QVERIFY(QTest::qWaitForWindowExposed(map));
        const vantrel::BandPoint& point = map->view()->scan().points.at(3);
        const QPoint at = map->view()->noisePosition(point.foutMHz, point.quality->inBand10kHzDbcHz).toPoint();
        QTest::mouseClick(map->view()->viewport(), Qt::LeftButton, {}, at);
    } else {
#ifdef Q_OS_UNIX
        w.d.click("Init");
        QTRY_COMPARE_WITH_TIMEOUT(w.d.panel.initFlag(), 0, 5000);
#endif
    }
    const QStringList after = panelState(w.d);
    QVERIFY(after != before);
    QCOMPARE(w.action("Undo")->text(), QStringLiteral("&Undo ") + change);
    QVERIFY(!w.action("Redo")->isEnabled());

#ifdef Q_OS_UNIX
    const qsizetype linesOnTheWire = board.logLines().size();
#endif
    int runs = 0;
    QObject::connect(&w.d.panel, &ControlPanel::chipChecked, [&runs] { ++runs; });
    w.trigger("Undo");
    QCOMPARE(panelState(w.d), before);
    QCOMPARE(runs, 1);
    QVERIFY(!w.action("Undo")->isEnabled());
    QCOMPARE(w.action("Redo")->text(), QStringLiteral("&Redo ") + change);

    w.trigger("Redo");
    QCOMPARE(panelState(w.d), after);
    QCOMPARE(runs, 2);
#ifdef Q_OS_UNIX
    QCOMPARE(board.logLines().size(), linesOnTheWire); // nothing sent, nothing taken back
#endif
}

// Ctrl+Z in a text box undoes the typing there; elsewhere, the panel's change.
void TestPanelUndo::aBoxKeepsItsOwnUndo()
{
    QTemporaryDir dir;
    UndoWindow w;
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.files.name = dir.filePath(QStringLiteral("initial.json"));
    QCOMPARE(vantrel::writeSettingsFile(w.files.name, vantrel::PanelSettings{}), QString());
    w.d.type("FrText", QStringLiteral("25"));
    w.trigger("OpenSettings");
    QCOMPARE(w.d.edit("FrText")->text(), QStringLiteral("10"));

    QLineEdit* fout = w.d.edit("FoutText");
    fout->setFocus();
    fout->end(false);
    QTest::keyClicks(fout, QStringLiteral("7"));
    QCOMPARE(fout->text(), QStringLiteral("2320.57"));
    QTest::keyClick(fout, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fout->text(), QStringLiteral("2320.5"));
    QCOMPARE(w.d.edit("FrText")->text(), QStringLiteral("10"));

    SettingScrollBar* bar = w.d.bar("Pwr");
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.d.edit("FrText")->text(), QStringLiteral("25"));
}

// Redone after the panel moved on, the change would overwrite what was set since.
void TestPanelUndo::aRedoGoesOnceThePanelChanges()
{
    QTemporaryDir dir;
    UndoWindow w;
    w.files.name = dir.filePath(QStringLiteral("initial.json"));
    QCOMPARE(vantrel::writeSettingsFile(w.files.name, vantrel::PanelSettings{}), QString());
    w.d.type("FrText", QStringLiteral("25"));
    w.trigger("OpenSettings");
    w.trigger("Undo");
    QVERIFY(w.action("Redo")->isEnabled());
    w.d.type("FoutText", QStringLiteral("1000"));
    QVERIFY(!w.action("Redo")->isEnabled());
    w.trigger("Redo");
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral("1000"));
    QCOMPARE(w.d.edit("FrText")->text(), QStringLiteral("25"));
}

QTEST_MAIN(TestPanelUndo)
#include "tst_panel_undo.moc"
