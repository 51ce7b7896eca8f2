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
#include <QTemporaryDir>

#include "chip_check_strip.h"
#include "file_chooser.h"
#include "main_window.h"
#include "panel_driver.h"

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

} // namespace

class TestWindowFit : public QObject {
    Q_OBJECT
private slots:
    void theWindowFitsItsScreen_data();
    void theWindowFitsItsScreen();
    void tabScrollsTheFocusIntoView();
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

int main(int argc, char* argv[])
{
    // Two screens: 1280 x 1024 at twice the scale, and one with room.
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screens.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(R"({"screens": [
        {"name": "small", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 192, "logicalBaseDpi": 96},
        {"name": "roomy", "x": 1280, "y": 0, "width": 1920, "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96}
    ]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_fit.moc"
