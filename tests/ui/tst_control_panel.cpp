// The control panel driven through its widgets: what the user types and
// clicks, and what the window then shows.
#include <QtTest>

#include <QTimer>

#include "eedata_window.h"
#include "hex_codec.h"
#include "panel_driver.h"
#include "widget_colours.h"
#include "worked_listings.h"

namespace {

QStringList hexWords(const vantrel::RegisterSet& set)
{
    QStringList words;
    for (const std::uint32_t word : set)
        words << QString::fromStdString(vantrel::hexFormat(word));
    return words;
}

const QString kFirstListing = QString::fromStdString(worked::withLf(worked::kFirstResultsListing));

} // namespace

class TestControlPanel : public QObject {
    Q_OBJECT
private slots:
    void initialStateBeforeAnyEvent();
    void layoutAndLook();
    void everyCaptionFitsItsControl();
    void typingGivesTheFirstListing();
    void dividerOneWarnsAndAsksForThePrescaler();
    void scrollBarArrows();
    void scrollBarLabels();
    void scrollBarsTakeTheKeyboard();
    void autoSet_data();
    void autoSet();
    void autoSetWithTheDividerAtZeroRaisesNothing();
    void trackingFollowsTheDivider();
    void integerNDisablesBestFraction();
    void clearingIntegerNGivesTheStepBack_data();
    void clearingIntegerNGivesTheStepBack();
    void bestFractionForcesTheDenominator();
    void forcedDenominatorTyped();
    void referenceDividerResetsTheResolution();
    void referenceBoxTurnsWhite();
    void negativeEntriesComputeAsWritten();
    void stoppedRunsKeepTheRegisterWords();
    void serialCaptionTurnsBold();
    void aLongPortPathShowsItsEnd();
    void regFileControlsAppear();
    void closingThePanelEndsTheProgram();
};

void TestControlPanel::initialStateBeforeAnyEvent()
{
    PanelDriver d;
    QCOMPARE(d.panel.windowTitle(), QStringLiteral("Vantrel"));
    QCOMPARE(d.listing(), QString());
    QCOMPARE(d.label("Fvco")->text(), QString());
    QCOMPARE(d.label("Label6")->text(), QString());
    QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  1"));
    QCOMPARE(d.label("ChrgPumpLabel")->text(), QStringLiteral("Charge Pump  15"));
    QCOMPARE(d.label("PwrLabel")->text(), QStringLiteral("O/P Power  3"));
    QVERIFY(!d.check("TrackDivider")->isEnabled());
    QVERIFY(!d.check("TrackDivider")->isChecked());

    const std::pair<const char*, const char*> texts[] = {
        {"FoutText", "2320.5"}, {"FrText", "10"}, {"Rdivider", "1"}, {"ResolutionText", "2500"},
        {"ForceD", ""}, {"CPNo", "1"}, {"Udata", ""}, {"RegFileName", "4351SynthReg.txt"}, {"BlockNo", "0"}};
    for (const auto& [name, text] : texts)
        QCOMPARE(d.edit(name)->text(), QString::fromLatin1(text));
    for (const char* name : {"Prescale8", "Enable", "MTLD"})
        QVERIFY2(d.check(name)->isChecked(), name);
    for (const char* name : {"RefDbl", "Refdiv2", "Feedback", "PDpol", "LowSpur", "IntN", "GenRegFile"})
        QVERIFY2(!d.check(name)->isChecked(), name);
    for (const char* name : {"MuxNone", "MuxR", "MuxN", "MuxL"})
        QVERIFY2(!d.get<QRadioButton>(name)->isChecked(), name);
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 0);
    QCOMPARE(d.bar("ChrgPump")->settingValue(), 15);
    QCOMPARE(d.bar("Pwr")->settingValue(), 3);
    for (const char* name : {"SendAll", "WriteAll", "SetAll", "Init", "RegFileName", "BlockNo", "Label7"})
        QVERIFY2(!d.get<QWidget>(name)->isVisible(), name);
    for (const char* name : {"CPNo", "SetCP", "Text1", "Udata", "PicEEdata", "GenRegFile", "NMCalc", "AutoDiv"})
        QVERIFY2(d.get<QWidget>(name)->isVisible(), name);
    QVERIFY(d.get<QPushButton>("NMCalc")->isEnabled());
    QCOMPARE(d.get<QPushButton>("SetCP")->text(), QStringLiteral("Set COM"));
    QVERIFY(!d.get<QPushButton>("SetCP")->font().bold());
    QCOMPARE(d.panel.plan().registers, vantrel::RegisterSet{});
}

void TestControlPanel::layoutAndLook()
{
    PanelDriver d;
    QCOMPARE(d.panel.size(), QSize(433, 552)); // 6495 x 8280 twips
    QCOMPARE(d.edit("FoutText")->geometry(), QRect(137, 48, 81, 19));
    QCOMPARE(d.get<QWidget>("Text1")->geometry(), QRect(224, 408, 184, 134));
    QCOMPARE(d.get<QWidget>("MuxL")->geometry(), QRect(8, 72, 49, 25)); // inside the frame
    QVERIFY(d.label("Label5")->font().bold());
    QCOMPARE(d.label("Label5")->font().pointSize(), 12);
    QVERIFY(d.get<QPushButton>("PicEEdata")->font().bold());
    QCOMPARE(d.panel.font().pointSize(), 8);
    QCOMPARE(roleColour(d.edit("FrText"), QPalette::Base), vantrel::kRed);
    QCOMPARE(roleColour(d.edit("CPNo"), QPalette::Base), 33023u);
    QCOMPARE(roleColour(d.edit("CPNo"), QPalette::Text), 12648447u);
    QCOMPARE(roleColour(d.get<QWidget>("SetCP"), QPalette::Button), 255u);
    QCOMPARE(roleColour(d.label("Label8"), QPalette::WindowText), 32768u);
    QCOMPARE(roleColour(d.label("Label9"), QPalette::WindowText), 16576u);
    QCOMPARE(roleColour(d.get<QWidget>("Line1"), QPalette::WindowText), 16744576u);
    QCOMPARE(d.edit("ResolutionText")->toolTip(), QStringLiteral("Manually set tuning grid resolution"));
    QCOMPARE(d.get<QWidget>("GenRegFile")->toolTip(),
             QStringLiteral("Add EE contents to file for inclusion in Korvane PIC assembly"));
    QVERIFY(d.panel.windowIcon().availableSizes().contains(QSize(48, 28)));

    // The tab order starts at the output frequency and follows the design.
    QCOMPARE(d.panel.focusWidget(), d.edit("FoutText"));
    QCOMPARE(d.edit("FoutText")->nextInFocusChain(), d.edit("FrText"));
    QCOMPARE(d.edit("FrText")->nextInFocusChain(), d.edit("ResolutionText"));
}

// Captions sized for the design's font must not be cut off with ours.
void TestControlPanel::everyCaptionFitsItsControl()
{
    PanelDriver d;
    const auto fits = [](const QWidget* widget, const QString& text, QRect room, bool wraps) {
        const QFontMetrics metrics = widget->fontMetrics();
        const QRect needed = metrics.boundingRect(room, wraps ? int(Qt::TextWordWrap) : 0, text);
        // Lines that wrap must all be there; a single line may be a pixel or
        // two taller than the design's 11-pixel labels without cutting a glyph.
        const int lines = (needed.height() + metrics.lineSpacing() / 2) / metrics.lineSpacing();
        return needed.width() <= room.width() && (!wraps || lines * metrics.lineSpacing() <= room.height() + 1);
    };
    for (QAbstractButton* button : d.panel.findChildren<QAbstractButton*>()) {
        QRect room = button->rect();
        bool wraps = false;
        if (qobject_cast<QPushButton*>(button)) {
            // The caption sits within the button's contents and wraps there.
            QStyleOptionButton option;
            option.initFrom(button);
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            wraps = true;
        } else {
            const int indent = button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                               + button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
            room.setLeft(indent);
            wraps = button->objectName() == QLatin1String("MuxL");
        }
        QVERIFY2(fits(button, button->text(), room, wraps), qPrintable(button->objectName()));
    }
    for (QLabel* label : d.panel.findChildren<QLabel*>())
        QVERIFY2(fits(label, label->text(), label->rect(), label->wordWrap()), qPrintable(label->objectName()));
}

void TestControlPanel::typingGivesTheFirstListing()
{
    PanelDriver d;
    d.firstExampleOptions();
    d.type("FoutText", QStringLiteral("2320.5"));
    QCOMPARE(d.listing(), kFirstListing);
    QCOMPARE(roleColour(d.get<QWidget>("ValuesText"), QPalette::Text), vantrel::kBlack);
    QCOMPARE(d.label("Label6")->text(), QStringLiteral("Fcomp 10.0"));
    QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  2320.5MHz"));
    QVERIFY(d.check("TrackDivider")->isEnabled());
    QCOMPARE(hexWords(d.panel.plan().registers),
             (QStringList{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"}));
    QVERIFY(d.sink.messages.isEmpty());
}

void TestControlPanel::dividerOneWarnsAndAsksForThePrescaler()
{
    PanelDriver d;
    d.arrow("OutDivCont", true);
    QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  4641MHz\nExternal VCO Only"));
    QCOMPARE(roleColour(d.label("Fvco"), QPalette::WindowText), vantrel::kRed);
    QVERIFY(d.label("Fvco")->font().bold());
    QVERIFY(d.listing().startsWith(QStringLiteral("Fcomp  10.00MHz\nR  1\nN  464\nF  200\nD  2000     \n")));
    QVERIFY(d.sink.messages.isEmpty());

    d.click("Prescale8");
    QCOMPARE(d.sink.messages,
             QStringList{QStringLiteral("Must use Prescale 8/9 for Freqeuncies above 3.6GHz on ADF4351")});
    d.arrow("OutDivCont", false); // back to 2320.5: black, not bold, no message
    QCOMPARE(d.sink.messages.size(), 1);
    QCOMPARE(roleColour(d.label("Fvco"), QPalette::WindowText), vantrel::kBlack);
    QVERIFY(!d.label("Fvco")->font().bold());
}

void TestControlPanel::scrollBarArrows()
{
    PanelDriver d;
    d.arrow("Pwr", true); // at the top already: nothing happens
    QCOMPARE(d.bar("Pwr")->settingValue(), 3);
    QCOMPARE(d.listing(), QString());
    d.arrow("Pwr", false);
    QCOMPARE(d.bar("Pwr")->settingValue(), 2);
    d.arrow("Pwr", true);
    QCOMPARE(d.bar("Pwr")->settingValue(), 3);
    d.arrows("OutDivCont", true, 9);
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 6);
    d.arrows("ChrgPump", false, 20);
    QCOMPARE(d.bar("ChrgPump")->settingValue(), 0);

    // Dragging the thumb changes nothing until it is let go.
    SettingScrollBar* pump = d.bar("ChrgPump");
    pump->setSliderDown(true);
    pump->setSliderPosition(pump->maximum() - 9);
    QCOMPARE(d.label("ChrgPumpLabel")->text(), QStringLiteral("Chrg. Pump 0"));
    pump->setSliderDown(false);
    QCOMPARE(d.label("ChrgPumpLabel")->text(), QStringLiteral("Chrg. Pump 9"));
    QCOMPARE(pump->settingValue(), 9);
}

void TestControlPanel::scrollBarLabels()
{
    PanelDriver d;
    d.arrows("ChrgPump", false, 15);
    QCOMPARE(d.label("ChrgPumpLabel")->text(), QStringLiteral("Chrg. Pump 0"));
    d.arrows("Pwr", false, 3);
    QCOMPARE(d.label("PwrLabel")->text(), QStringLiteral("O/P Power  0"));
    d.arrows("OutDivCont", true, 4);
    QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  16"));
    d.arrow("OutDivCont", true);
    QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  32\n ADF4351 Only"));
    d.arrow("OutDivCont", false);
    QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  16"));
}

// They could not take the focus at all: Tab skipped them and no key moved them.
void TestControlPanel::scrollBarsTakeTheKeyboard()
{
    PanelDriver d;
    d.panel.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.panel));
    d.check("Refdiv2")->setFocus();
    for (const char* next : {"Pwr", "ChrgPump", "Prescale8", "OutDivCont", "CPNo"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
    }

    // The keys step a bar as its arrows do: Up and Page Up raise it by 1.
    const struct {
        const char* bar;
        Qt::Key key;
        int expected;
    } presses[] = {
        {"OutDivCont", Qt::Key_Up, 1},     {"OutDivCont", Qt::Key_PageUp, 2}, {"OutDivCont", Qt::Key_Down, 1},
        {"OutDivCont", Qt::Key_PageDown, 0}, {"OutDivCont", Qt::Key_Down, 0}, {"Pwr", Qt::Key_Up, 3},
        {"Pwr", Qt::Key_PageDown, 2},      {"ChrgPump", Qt::Key_Down, 14},    {"ChrgPump", Qt::Key_Up, 15},
    };
    for (const auto& press : presses) {
        d.bar(press.bar)->setFocus();
        QTest::keyClick(d.bar(press.bar), press.key);
        QVERIFY2(d.bar(press.bar)->settingValue() == press.expected, press.bar);
    }
    QCOMPARE(d.label("PwrLabel")->text(), QStringLiteral("O/P Power  2"));
    QCOMPARE(d.label("ChrgPumpLabel")->text(), QStringLiteral("Chrg. Pump 15"));
    d.bar("OutDivCont")->setFocus();
    QTest::keyClick(d.bar("OutDivCont"), Qt::Key_Up);
    QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  2"));
    QVERIFY(d.listing().contains(QStringLiteral("N  464\n")));

    // A click on an arrow gives the bar the focus as well.
    d.arrow("ChrgPump", false);
    QCOMPARE(QApplication::focusWidget(), d.bar("ChrgPump"));
}

void TestControlPanel::autoSet_data()
{
    QTest::addColumn<QString>("fout");
    QTest::addColumn<int>("index");
    QTest::addRow("2320.5 keeps divider 1") << "2320.5" << 0;
    QTest::addRow("1160.25 gives 2") << "1160.25" << 1;
    QTest::addRow("35 gives 64") << "35" << 6;
    QTest::addRow("34.9 changes nothing") << "34.9" << 3;
    QTest::addRow("4400.1 changes nothing") << "4400.1" << 3;
    QTest::addRow("4400 gives 1") << "4400" << 0;
    QTest::addRow("2200 gives 1") << "2200" << 0;
    QTest::addRow("1099.99 gives 4") << "1099.99" << 2;
}

void TestControlPanel::autoSet()
{
    QFETCH(QString, fout);
    QFETCH(int, index);
    PanelDriver d;
    d.arrows("OutDivCont", true, 3); // start away from the answer
    d.type("FoutText", fout);
    d.click("AutoDiv");
    QCOMPARE(d.bar("OutDivCont")->settingValue(), index);
    if (index == 6) {
        QCOMPARE(d.label("OutDivLabel")->text(), QStringLiteral("O/P Divider  64\n ADF4351 Only"));
        QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  2240MHz"));
    }
}

void TestControlPanel::autoSetWithTheDividerAtZeroRaisesNothing()
{
    PanelDriver d;
    d.click("AutoDiv");
    QCOMPARE(d.listing(), QString());
    QVERIFY(!d.check("TrackDivider")->isEnabled());
}

void TestControlPanel::trackingFollowsTheDivider()
{
    PanelDriver d;
    d.arrow("OutDivCont", true); // VCO 4641
    d.click("TrackDivider");
    QVERIFY(d.check("TrackDivider")->isChecked());
    d.arrow("OutDivCont", true);
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 1160.25"));
    QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  4641MHz\nExternal VCO Only"));
    QVERIFY(d.listing().contains(QStringLiteral("N  464\n")));
    d.click("AutoDiv"); // the tracked output stays where it is
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 1);
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 1160.25"));

    QTest::mouseClick(d.edit("FoutText"), Qt::LeftButton);
    QVERIFY(!d.check("TrackDivider")->isChecked());
}

void TestControlPanel::integerNDisablesBestFraction()
{
    PanelDriver d;
    d.click("IntN");
    QVERIFY(!d.get<QPushButton>("NMCalc")->isEnabled());
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("10000000"));
    QVERIFY(d.listing().contains(QStringLiteral("F  0\nD  0     \nError =  -500000.0Hz\n\n")));
    QCOMPARE(roleColour(d.get<QWidget>("ValuesText"), QPalette::Text), vantrel::kRed);

    d.type("ForceD", QStringLiteral("20")); // integer-N: the step, not the typed denominator
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("10000000"));

    d.click("IntN");
    QVERIFY(d.get<QPushButton>("NMCalc")->isEnabled());
}

void TestControlPanel::clearingIntegerNGivesTheStepBack_data()
{
    QTest::addColumn<QString>("between"); // what happens while Integer N is ticked
    QTest::addColumn<QString>("stepAfter");
    // The step used to stay at 10000000 Hz: MOD 1 and a -500 kHz error.
    QTest::addRow("nothing") << "" << "2500";
    QTest::addRow("a new Ref Divider") << "Rdivider" << "2500";
    QTest::addRow("a step typed meanwhile is kept") << "ResolutionText" << "1000";
}

void TestControlPanel::clearingIntegerNGivesTheStepBack()
{
    QFETCH(QString, between);
    QFETCH(QString, stepAfter);
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    d.click("IntN");
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("10000000"));
    if (between == QLatin1String("Rdivider"))
        d.type("Rdivider", QStringLiteral("2"));
    else if (between == QLatin1String("ResolutionText"))
        d.type("ResolutionText", QStringLiteral("1000"));
    d.click("IntN");
    QCOMPARE(d.edit("ResolutionText")->text(), stepAfter);
    QCOMPARE(d.panel.plan().resolution, stepAfter.toDouble());
}

void TestControlPanel::bestFractionForcesTheDenominator()
{
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    d.click("NMCalc");
    QCOMPARE(d.edit("ForceD")->text(), QStringLiteral(" 20"));
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("500000"));
    QVERIFY(d.listing().contains(QStringLiteral("N  232\nF  1\nD  20     \n")));

    // A whole ratio: nothing to search, ends at once, the plan unchanged.
    d.type("FoutText", QStringLiteral("2320"));
    const QString before = d.listing();
    d.click("NMCalc");
    QCOMPARE(d.edit("ForceD")->text(), QString());
    QCOMPARE(d.listing(), before);
}

void TestControlPanel::forcedDenominatorTyped()
{
    PanelDriver d;
    d.type("ForceD", QStringLiteral("12.5")); // no plan yet: nothing to divide by
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("2500"));
    d.type("FoutText", QStringLiteral("2320.5"));
    d.type("ForceD", QStringLiteral("12.5"));
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("833333.333333333"));
    QVERIFY(d.listing().contains(QStringLiteral("D  12     \n")));
    d.type("ForceD", QStringLiteral("-3")); // ignored
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("833333.333333333"));
}

void TestControlPanel::referenceDividerResetsTheResolution()
{
    PanelDriver d;
    d.type("Rdivider", QStringLiteral("2"));
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral("5000000"));
    QVERIFY(d.listing().contains(QStringLiteral("R  2\nN  464\nF  0\nD  1     \n")));
    d.type("Rdivider", QStringLiteral("0.3"));
    QCOMPARE(d.label("Label6")->text(), QStringLiteral("Fcomp 33.333333 TOO HIGH"));
    QCOMPARE(roleColour(d.label("Label6"), QPalette::WindowText), vantrel::kRed);
}

void TestControlPanel::referenceBoxTurnsWhite()
{
    PanelDriver d;
    d.type("FrText", QStringLiteral("25"));
    QCOMPARE(roleColour(d.edit("FrText"), QPalette::Base), vantrel::kWhite);
    d.type("FrText", QStringLiteral("10"));
    QCOMPARE(roleColour(d.edit("FrText"), QPalette::Base), vantrel::kWhite);
}

// Only a zero divisor has no result; negative values are computed as written
// (both of these were refused as "no plan").
void TestControlPanel::negativeEntriesComputeAsWritten()
{
    PanelDriver d;
    d.type("FrText", QStringLiteral("-3"));
    d.click("NMCalc"); // 2320.5 / -3 = -773.5: fraction 0.5
    QCOMPARE(d.edit("ForceD")->text(), QStringLiteral(" 2"));

    PanelDriver e;
    e.click("RefDbl");
    e.type("Rdivider", QStringLiteral("0"));
    QCOMPARE(e.edit("ResolutionText")->text(), QStringLiteral("20000000"));
    e.type("FrText", QStringLiteral("-15")); // Fr -30 with Fcomp 20: R -1
    e.type("Rdivider", QStringLiteral("0"));
    QCOMPARE(e.edit("ResolutionText")->text(), QStringLiteral("30000000")); // -30e6 / -1
    e.type("ForceD", QStringLiteral("3"));
    QCOMPARE(e.edit("ResolutionText")->text(), QStringLiteral("10000000"));
}

void TestControlPanel::stoppedRunsKeepTheRegisterWords()
{
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    const vantrel::RegisterSet before = d.panel.plan().registers;
    d.type("ResolutionText", QStringLiteral("2441.40625")); // MOD 4096
    QCOMPARE(d.listing(),
             QStringLiteral("More than 12 bits needed for fractional registers\nChoose alternative values"));
    QCOMPARE(d.panel.plan().registers, before);

    d.click("IntN");
    d.type("FoutText", QStringLiteral("65536"));
    const vantrel::RegisterSet lastComplete = d.panel.plan().registers;
    QCOMPARE(hexWords(lastComplete).at(0), QStringLiteral("0CCC8000")); // INT 6553
    QTest::keyClick(d.edit("FoutText"), Qt::Key_0);
    QCOMPARE(d.listing(), QStringLiteral("INT 65536 outside 0 to 65535\nChoose alternative values"));
    QCOMPARE(d.panel.plan().registers, lastComplete);
}

void TestControlPanel::serialCaptionTurnsBold()
{
    PanelDriver d;
    d.type("CPNo", QStringLiteral("1"));
    QCOMPARE(d.get<QPushButton>("SetCP")->text(), QStringLiteral("Set"));
    QVERIFY(d.get<QPushButton>("SetCP")->font().bold());
}

// The 33-pixel box showed the start of the path, "/dev/serial/by-…", which
// every port shares.
void TestControlPanel::aLongPortPathShowsItsEnd()
{
    PanelDriver d;
    d.panel.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.panel));
    const QString path = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    d.type("CPNo", path);
    QLineEdit* box = d.edit("CPNo");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(!box->hasFocus());
    QCOMPARE(box->cursorPosition(), path.size());
    QVERIFY2(box->toolTip().startsWith(path), qPrintable(box->toolTip()));
    d.type("CPNo", QStringLiteral("1")); // fits: the tool tip lists the ports alone
    QVERIFY(!box->toolTip().contains(path));
}

void TestControlPanel::regFileControlsAppear()
{
    PanelDriver d;
    d.click("GenRegFile");
    d.click("GenRegFile"); // clearing leaves them shown
    for (const char* name : {"RegFileName", "BlockNo", "Label7"})
        QVERIFY2(d.get<QWidget>(name)->isVisible(), name);
}

void TestControlPanel::closingThePanelEndsTheProgram()
{
    PanelDriver d;
    EEdataWindow* eeData = d.panel.eeDataWindow();
    eeData->show();
    QTimer::singleShot(0, &d.panel, &QWidget::close);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    watchdog.start(std::chrono::seconds(5));
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!eeData->isVisible());
}

QTEST_MAIN(TestControlPanel)
#include "tst_control_panel.moc"
