// The window on a screen smaller than itself: 1280 x 1024 at twice the
// scale, 640 x 512 logical pixels. The window stays on the screen and the
// panel scrolls inside it, at its own size; on a screen with room the
// window is the panel's size as ever. Both screens are the offscreen
// platform's, set up in main().
#include <QtTest>

#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>

#include <QGroupBox>

#include <memory>

#include "band_map_window.h"
#include "chip_check_strip.h"
#include "chip_options_window.h"
#include "file_chooser.h"
#include "loop_filter_window.h"
#include "main_window.h"
#include "panel_driver.h"
#include "plan_quality_window.h"
#include "sweep_window.h"

namespace {

QScreen* screenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    qFatal("no screen named %s", qPrintable(name));
}

void putOn(QWidget& window, const QString& name)
{
    QScreen* screen = screenNamed(name);
    window.setScreen(screen);
    window.move(screen->availableGeometry().topLeft());
}

struct FitWindow {
    FitWindow() : window(d.panel, d.sink, files) {}
    QScrollArea* area() const { return window.findChild<QScrollArea*>(QStringLiteral("PanelScroll")); }
    // Whether `control` shows whole in the visible part of the panel.
    bool inView(const char* control) const
    {
        const QWidget* widget = d.get<QWidget>(control);
        const QRect where(widget->mapTo(area()->viewport(), QPoint(0, 0)), widget->size());
        return area()->viewport()->rect().contains(where);
    }

    PanelDriver d;
    NamedFile files; // no name: every dialog cancelled
    MainWindow window;
};

// One of the secondary windows, over a panel of its own.
struct Secondary {
    explicit Secondary(const QString& which)
    {
        if (which == QLatin1String("Chip Options"))
            window = std::make_unique<ChipOptionsWindow>(d.panel);
        else if (which == QLatin1String("Plan Quality"))
            window = std::make_unique<PlanQualityWindow>(d.panel);
        else if (which == QLatin1String("Band Map"))
            window = std::make_unique<BandMapWindow>(d.panel, d.sink, files, std::nullopt);
        else if (which == QLatin1String("Loop Filter"))
            window = std::make_unique<LoopFilterWindow>(d.panel, d.sink, files);
        else
            window = std::make_unique<SweepWindow>(d.panel, d.link, d.commands, d.sink, files);
    }
    // What the window lays out: inside its scroll area, where it has one.
    QWidget* content() const
    {
        auto* area = window->findChild<QScrollArea*>(QStringLiteral("ContentScroll"));
        return area ? area->widget() : window.get();
    }
    bool showActive()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    PanelDriver d;
    NamedFile files;
    std::unique_ptr<QWidget> window;
};

void addSecondaryRows(bool sweep)
{
    QTest::addColumn<QString>("which");
    for (const char* which : {"Chip Options", "Plan Quality", "Band Map", "Loop Filter", "Sweep"}) {
        if (sweep || QLatin1String(which) != QLatin1String("Sweep"))
            QTest::newRow(which) << QString::fromLatin1(which);
    }
}

} // namespace

class TestWindowFit : public QObject {
    Q_OBJECT
private slots:
    void theWindowFitsItsScreen_data();
    void theWindowFitsItsScreen();
    void tabScrollsTheFocusIntoView();
    void secondaryWindowsFitTheScreen_data() { addSecondaryRows(true); }
    void secondaryWindowsFitTheScreen();
    void escOrCloseClosesThem_data() { addSecondaryRows(false); }
    void escOrCloseClosesThem();
    void accessLettersDiffer_data() { addSecondaryRows(true); }
    void accessLettersDiffer();
    void chipOptionsTabFollowsTheRows();
};

void TestWindowFit::theWindowFitsItsScreen_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("then"); // empty: the window stays where it was shown
    QTest::addRow("the small screen") << "small" << "";
    QTest::addRow("a roomy screen") << "roomy" << "";
    QTest::addRow("moved to the roomy screen") << "small" << "roomy";
    QTest::addRow("moved to the small screen") << "roomy" << "small";
}

// The window used to be 594 pixels high on a screen of 512, its bottom off
// the screen.
void TestWindowFit::theWindowFitsItsScreen()
{
    QFETCH(QString, first);
    QFETCH(QString, then);
    FitWindow w;
    putOn(w.window, first);
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    if (!then.isEmpty()) {
        putOn(w.window, then);
        QTRY_COMPARE(w.window.screen()->name(), then);
    }
    const bool small = (then.isEmpty() ? first : then) == QLatin1String("small");
    const QRect screen = w.window.screen()->availableGeometry();
    // Where a moved window lands is the window system's affair; its size is not.
    QTRY_VERIFY2(then.isEmpty() ? screen.contains(w.window.frameGeometry())
                                : w.window.frameGeometry().size().boundedTo(screen.size())
                                      == w.window.frameGeometry().size(),
                 qPrintable(QDebug::toString(w.window.frameGeometry()) + QDebug::toString(screen)));
    // The panel keeps its size and layout either way.
    QCOMPARE(w.d.panel.size(), QSize(433, 552));
    QScrollBar* vertical = w.area()->verticalScrollBar();
    QTRY_COMPARE(vertical->isVisible(), small);
    QVERIFY(!w.area()->horizontalScrollBar()->isVisible());
    const int bar = w.window.menuBar()->height();
    const int status = w.window.statusBar()->height();
    QCOMPARE(w.window.chipCheckStrip()->mapTo(&w.window, QPoint(0, 0)).y(),
             w.window.height() - ChipCheckStrip::kHeight - status);
    if (!small) {
        QCOMPARE(w.window.size(), QSize(433, bar + 552 + ChipCheckStrip::kHeight + status));
        return;
    }
    // All of the panel can be scrolled into view, its last line included.
    QVERIFY(w.inView("FoutText"));
    QVERIFY(!w.inView("Text1"));
    vertical->setValue(vertical->maximum());
    QVERIFY(w.inView("Text1"));
    QCOMPARE(w.d.panel.mapTo(w.area()->viewport(), QPoint(0, 552)).y(), w.area()->viewport()->height());
}

void TestWindowFit::tabScrollsTheFocusIntoView()
{
    FitWindow w;
    putOn(w.window, QStringLiteral("small"));
    w.window.show();
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QVERIFY(w.area()->verticalScrollBar()->isVisible());
    w.d.get<QWidget>("SetCP")->setFocus();
    QVERIFY(!w.inView("Text1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    QVERIFY(w.inView("Text1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("CPNo"));
    QVERIFY(w.inView("CPNo"));
}

// At twice the scale on a 1366 x 768 screen, each used to open larger than
// the screen, its last rows off it; shrunk, its rows overlapped.
void TestWindowFit::secondaryWindowsFitTheScreen()
{
    QFETCH(QString, which);
    Secondary w(which);
    putOn(*w.window, QStringLiteral("laptop"));
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const QRect screen = w.window->screen()->availableGeometry();
    QTRY_VERIFY2(screen.contains(w.window->frameGeometry()),
                 qPrintable(QDebug::toString(w.window->frameGeometry()) + QDebug::toString(screen)));
    // Never squeezed below what its rows need: what does not fit scrolls.
    const QSize least = w.content()->minimumSizeHint();
    QVERIFY2(w.content()->width() >= least.width() && w.content()->height() >= least.height(),
             qPrintable(QDebug::toString(w.content()->size()) + QDebug::toString(least)));
}

void TestWindowFit::escOrCloseClosesThem()
{
    QFETCH(QString, which);
    Secondary w(which);
    QVERIFY(w.showActive());
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && w.window->isAncestorOf(focus) ? focus : w.window.get(), Qt::Key_Escape);
    QVERIFY(!w.window->isVisible());
    QVERIFY(w.showActive());
    auto* close = w.window->findChild<QPushButton*>(QStringLiteral("Close"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!w.window->isVisible());
}

// Alt and a letter reaches one control only: a button, a labelled box or a tab.
void TestWindowFit::accessLettersDiffer()
{
    QFETCH(QString, which);
    Secondary w(which);
    QStringList texts;
    for (const QWidget* widget : w.window->findChildren<QWidget*>()) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        else if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
            texts << label->text();
        else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            for (int tab = 0; tab < tabs->count(); ++tab)
                texts << tabs->tabText(tab);
        }
    }
    QMap<QChar, QString> taken;
    for (const QString& text : texts) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size() || text.at(at + 1) == QLatin1Char('&'))
            continue;
        const QChar letter = text.at(at + 1).toLower();
        QVERIFY2(!taken.contains(letter), qPrintable(taken.value(letter) + QStringLiteral(" and ") + text));
        taken.insert(letter, text);
    }
}

// Tab used to go from the MUXOUT code (Register 2) up to Register 1, then
// across to Registers 3 and 4 and back to 5.
void TestWindowFit::chipOptionsTabFollowsTheRows()
{
    Secondary w(QStringLiteral("Chip Options"));
    QVERIFY(w.showActive());
    QList<QWidget*> controls;
    for (QWidget* widget : w.content()->findChildren<QWidget*>()) {
        if (widget->focusPolicy() & Qt::TabFocus && widget->isVisibleTo(w.window.get()) && !widget->focusProxy())
            controls << widget;
    }
    // Down the left column (Registers 1, 2, 5), then the right (3, 4).
    const auto place = [&w](QWidget* widget) {
        const QPoint at = widget->mapTo(w.content(), QPoint(0, 0));
        QWidget* group = widget->parentWidget();
        while (group && !qobject_cast<QGroupBox*>(group))
            group = group->parentWidget();
        return std::make_pair(group ? group->mapTo(w.content(), QPoint(0, 0)).x() : 0, at.y());
    };
    std::sort(controls.begin(), controls.end(), [&place](QWidget* a, QWidget* b) { return place(a) < place(b); });
    controls.first()->setFocus();
    for (qsizetype i = 1; i < controls.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), controls[i]->objectName());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Close"));
}

int main(int argc, char* argv[])
{
    // Three screens: 1280 x 1024 at twice the scale, one with room, and
    // 1366 x 768 at twice the scale.
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [
        {"name": "small", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 192, "logicalBaseDpi": 96},
        {"name": "roomy", "x": 1280, "y": 0, "width": 1920, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96},
        {"name": "laptop", "x": 3200, "y": 0, "width": 1366, "height": 768, "logicalDpi": 192, "logicalBaseDpi": 96}
    ]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_fit.moc"
