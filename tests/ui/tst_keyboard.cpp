// The window without a mouse: Tab and Shift+Tab through every control in
// the designed order and out of the multi-line boxes, a visible mark on the
// focused controls that styles leave unmarked, and the chip-check strip's
// details on a key.
#include <QtTest>

#include <QToolTip>

#include "chip_check_strip.h"
#include "eedata_window.h"
#include "file_chooser.h"
#include "main_window.h"
#include "panel_driver.h"

#ifdef Q_OS_UNIX
#include "board_harness.h"
#endif

namespace {

struct KeyboardWindow {
    KeyboardWindow() : window(d.panel, d.sink, files)
    {
        window.show();
        window.activateWindow();
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    // The object names of the controls the focus passes, `key` pressed
    // `times` times from `start`.
    QStringList walk(QWidget* start, Qt::Key key, Qt::KeyboardModifiers modifiers, int times) const
    {
        start->setFocus();
        QStringList names{focus()->objectName()};
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(focus(), key, modifiers);
            names << focus()->objectName();
        }
        return names;
    }

    PanelDriver d;
    NamedFile files; // no name: every dialog cancelled
    MainWindow window;
};

// Tab order 0 to 51 of the design, the labels left out. Of the four MUXOUT
// buttons Tab stops at one; the arrow keys move between them.
const QStringList kDesignedOrder{
    "FoutText", "FrText", "ResolutionText", "RefDbl", "Feedback", "ValuesText", "MuxR", "PDpol", "Refdiv2",
    "Pwr", "ChrgPump", "Prescale8", "OutDivCont", "SendAll", "CPNo", "SetCP", "Text1", "LowSpur", "WriteAll",
    "PicEEdata", "TrackDivider", "Init", "Rdivider", "SetAll", "RegFileName", "GenRegFile", "BlockNo",
    "ForceD", "NMCalc", "Udata", "Enable", "AutoDiv", "MTLD", "IntN", "ChipCheck"};

QImage looks(QWidget* widget) { return widget->grab().toImage(); }

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void tabGoesRoundInTheDesignedOrder_data();
    void tabGoesRoundInTheDesignedOrder();
    void tabLeavesTheEEDataListingAsItIs();
    void focusedControlsShowAMark_data();
    void focusedControlsShowAMark();
    void theStripShowsItsDetailsOnAKey_data();
    void theStripShowsItsDetailsOnAKey();
};

void TestKeyboard::tabGoesRoundInTheDesignedOrder_data()
{
    // Which controls are there: before the port opens the board buttons are
    // hidden and the port selection shown, after it the other way round.
    QTest::addColumn<bool>("portOpen");
    QTest::addRow("port closed") << false;
#ifdef Q_OS_UNIX
    QTest::addRow("port open") << true;
#endif
}

// Tab used to stop in the results box and type tab characters into it.
void TestKeyboard::tabGoesRoundInTheDesignedOrder()
{
    QFETCH(bool, portOpen);
    KeyboardWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
#ifdef Q_OS_UNIX
    TestPty pty;
    if (portOpen) {
        w.d.type("CPNo", pty.path());
        w.d.click("SetCP");
        QVERIFY(w.d.link.isOpen());
    }
#endif
    w.d.type("FoutText", QStringLiteral("2320.5")); // a plan: tracking becomes usable
    w.d.click("GenRegFile");                        // the file name and block number appear
    QStringList expected;
    for (const QString& name : kDesignedOrder) {
        QWidget* control = w.window.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        if (control->isVisible())
            expected << name;
    }
    QCOMPARE(expected.contains(QStringLiteral("SendAll")), portOpen);
    QCOMPARE(expected.contains(QStringLiteral("SetCP")), !portOpen);
    const QString listing = w.d.listing();
    const QString replies = w.d.get<QPlainTextEdit>("Text1")->toPlainText();

    const int steps = int(expected.size());
    QCOMPARE(w.walk(w.d.edit("FoutText"), Qt::Key_Tab, Qt::NoModifier, steps), expected + QStringList{"FoutText"});
    QStringList backwards = expected;
    std::reverse(backwards.begin(), backwards.end());
    QCOMPARE(w.walk(w.window.chipCheckStrip(), Qt::Key_Backtab, Qt::ShiftModifier, steps),
             backwards + QStringList{"ChipCheck"});
    QCOMPARE(w.d.listing(), listing);
    QCOMPARE(w.d.get<QPlainTextEdit>("Text1")->toPlainText(), replies);
}

void TestKeyboard::tabLeavesTheEEDataListingAsItIs()
{
    KeyboardWindow w;
    w.d.click("PicEEdata");
    EEdataWindow* ee = w.d.panel.eeDataWindow();
    QVERIFY(ee->isVisible());
    const QString listing = ee->text()->toPlainText();
    ee->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ee));
    ee->text()->setFocus();
    QTest::keyClick(ee->text(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(ee->text()->toPlainText(), listing);
}

void TestKeyboard::focusedControlsShowAMark_data()
{
    QTest::addColumn<QString>("control");
    QTest::addRow("O/P Divider") << "OutDivCont";
    QTest::addRow("Charge Pump") << "ChrgPump";
    QTest::addRow("O/P Power") << "Pwr";
    QTest::addRow("the chip-check strip") << "ChipCheck";
}

void TestKeyboard::focusedControlsShowAMark()
{
    QFETCH(QString, control);
    KeyboardWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QWidget* widget = w.window.findChild<QWidget*>(control);
    QVERIFY(widget);
    w.d.edit("FoutText")->setFocus();
    const QImage unfocused = looks(widget);
    widget->setFocus();
    QVERIFY(widget->hasFocus());
    QVERIFY(looks(widget) != unfocused);
    w.d.edit("FoutText")->setFocus();
    QCOMPARE(looks(widget), unfocused);
}

void TestKeyboard::theStripShowsItsDetailsOnAKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addRow("Enter") << int(Qt::Key_Return);
    QTest::addRow("Space") << int(Qt::Key_Space);
}

void TestKeyboard::theStripShowsItsDetailsOnAKey()
{
    QFETCH(int, key);
    KeyboardWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.d.type("FrText", QStringLiteral("30"));
    w.d.type("ResolutionText", QStringLiteral("100000"));
    w.d.type("FoutText", QStringLiteral("2190")); // two limits broken
    ChipCheckStrip* strip = w.window.chipCheckStrip();
    QVERIFY(strip->toolTip().contains(QLatin1Char('\n')));
    QToolTip::hideText();
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key(key));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), strip->toolTip());
    QToolTip::hideText();
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
