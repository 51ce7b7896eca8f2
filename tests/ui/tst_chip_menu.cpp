// The Chip menu driven through the real window, headless: the options window
// and the words its controls change, the MUXOUT code against the panel's
// buttons, RF Output and its shortcut, following the datasheet, the strip's
// notes and advice, a read-back that loads the board's options, and the
// options through a settings file.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QSpinBox>
#include <QTemporaryDir>

#include "chip_check_strip.h"
#include "chip_options_window.h"
#include "file_chooser.h"
#include "hex_codec.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"

using vantrel::RegisterSet;

namespace {

// The first worked example in the program's window, with its menus.
struct ChipWindow {
    ChipWindow() : window(d.panel, d.sink, files)
    {
        window.show();
        d.firstExampleOptions();
        d.type("FoutText", QStringLiteral("2320.5"));
    }
    QAction* action(const char* name) const
    {
        auto* found = window.findChild<QAction*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no action named %s", name);
        return found;
    }
    ChipOptionsWindow* options()
    {
        action("ChipOptions")->trigger();
        return window.menus()->chipOptionsWindow();
    }
    template <typename T>
    T* control(const char* name)
    {
        T* found = options()->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no option control named %s", name);
        return found;
    }
    // Chooses the item whose text starts with `text`, as a user picks it.
    void choose(const char* combo, const QString& text)
    {
        QComboBox* box = control<QComboBox>(combo);
        for (int i = 0; i < box->count(); ++i) {
            if (box->itemText(i).startsWith(text)) {
                box->setCurrentIndex(i);
                return;
            }
        }
        qFatal("no item %s", qPrintable(text));
    }
    QString word(int reg) const { return QString::fromStdString(vantrel::hexFormat(d.panel.plan().registers[reg])); }
    QStringList words() const
    {
        QStringList list;
        for (int reg = 0; reg < 6; ++reg)
            list << word(reg);
        return list;
    }
    QString strip() const { return window.chipCheckStrip()->text(); }
    QString text1() const { return d.get<QPlainTextEdit>("Text1")->toPlainText(); }

    PanelDriver d;
    NamedFile files;
    MainWindow window;
};

const QStringList kFirstWords{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"};

} // namespace

class TestChipMenu : public QObject {
    Q_OBJECT
private slots:
    void theMenuSitsBeforeHelp();
    void optionControlsChangeTheWords_data();
    void optionControlsChangeTheWords();
    void oneNonModalWindowWithTheDatasheetsWords();
    void muxCodeAndTheButtons();
    void rfOutput_data();
    void rfOutput();
    void followTheDatasheetForTheMode();
    void stripNotesAndAdvice();
    void aReadBackLoadsTheBoardsOptions();
    void optionsThroughASettingsFile();
};

void TestChipMenu::theMenuSitsBeforeHelp()
{
    ChipWindow w;
    QStringList titles;
    for (const QAction* menu : w.window.menuBar()->actions())
        titles << menu->text();
    // Before Plan, which comes before Help.
    QCOMPARE(titles.indexOf(QStringLiteral("&Chip")), titles.size() - 3);
    QCOMPARE(titles.indexOf(QStringLiteral("&Plan")), titles.size() - 2);
    QCOMPARE(w.action("ChipOptions")->text(), QStringLiteral("&Options…"));
    QVERIFY(w.action("RfOutput")->isCheckable());
    QVERIFY(w.action("RfOutput")->isChecked());
    QCOMPARE(w.action("RfOutput")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QVERIFY(w.action("FollowDatasheet")->isCheckable());
    QVERIFY(!w.action("FollowDatasheet")->isChecked()); // off: the words stay as they are
    QCOMPARE(w.words(), kFirstWords);
}

void TestChipMenu::optionControlsChangeTheWords_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value"); // "click", a number to type, or the start of an item
    QTest::addColumn<int>("reg");
    QTest::addColumn<QString>("word");
    QTest::addRow("phase adjust") << "PhaseAdjust" << "click" << 1 << "1800FD01";
    QTest::addRow("phase value 4095, typed") << "PhaseValue" << "4095" << 1 << "0FFFFD01";
    QTest::addRow("double buffer") << "DoubleBuffer" << "click" << 2 << "18006E42";
    QTest::addRow("LDP 6 ns") << "LockDetectPrecision" << "6 ns" << 2 << "18004EC2";
    QTest::addRow("counter reset") << "CounterReset" << "click" << 2 << "18004E4A";
    QTest::addRow("band-select clock high") << "BandSelectClockMode" << "high" << 3 << "00800003";
    QTest::addRow("ABP 3 ns") << "Antibacklash" << "3 ns" << 3 << "00400003";
    QTest::addRow("phase resync") << "ClockDividerMode" << "phase resync" << 3 << "00010003";
    QTest::addRow("clock divider 150") << "ClockDivider" << "150" << 3 << "000004B3";
    QTest::addRow("VCO power-down") << "VcoPowerDown" << "click" << 4 << "0085083C";
    QTest::addRow("AUX fundamental") << "AuxSelect" << "fundamental" << 4 << "0085023C";
    QTest::addRow("AUX +5 dBm") << "AuxPower" << "+5 dBm" << 4 << "008500FC";
    QTest::addRow("RF output off") << "RfOutputEnable" << "click" << 4 << "0085001C";
    QTest::addRow("LD pin high") << "LockDetectPin" << "high" << 5 << "00D80005";
}

void TestChipMenu::optionControlsChangeTheWords()
{
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(int, reg);
    QFETCH(QString, word);
    ChipWindow w;
    const QByteArray name = control.toLatin1();
    if (value == QLatin1String("click")) {
        QTest::mouseClick(w.control<QCheckBox>(name.constData()), Qt::LeftButton, {}, QPoint(4, 6));
    } else if (auto* spin = w.options()->findChild<QSpinBox*>(control)) {
        spin->selectAll();
        QTest::keyClicks(spin, value);
    } else {
        w.choose(name.constData(), value);
    }
    QStringList expected = kFirstWords;
    expected[reg] = word;
    QCOMPARE(w.words(), expected); // the plan ran at once, as for a panel control
}

void TestChipMenu::oneNonModalWindowWithTheDatasheetsWords()
{
    ChipWindow w;
    ChipOptionsWindow* first = w.options();
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QCOMPARE(w.options(), first);
    // Every field and the MUXOUT code, each with the datasheet's words.
    int controls = 0;
    for (QWidget* widget : first->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget)
                             || qobject_cast<QSpinBox*>(widget);
        if (widget->objectName().isEmpty() || widget->objectName() == QLatin1String("Close") || !control)
            continue;
        ++controls;
        QVERIFY2(widget->toolTip().startsWith(QStringLiteral("Register ")), qPrintable(widget->objectName()));
    }
    QCOMPARE(controls, int(vantrel::chipOptionFields().size()) + 1);
    // The panel stays usable beside it.
    w.d.type("FoutText", QStringLiteral("2400"));
    QCOMPARE(w.word(0), QStringLiteral("00780000"));
}

void TestChipMenu::muxCodeAndTheButtons()
{
    ChipWindow w;
    w.choose("MuxCode", QStringLiteral("5"));
    QCOMPARE(w.word(2), QStringLiteral("14004E42"));
    for (const char* button : {"MuxNone", "MuxR", "MuxN", "MuxL"})
        QVERIFY2(!w.d.get<QRadioButton>(button)->isChecked(), button);

    // A button clicked afterwards takes its own code, and the option lets go.
    w.d.click("MuxR");
    QCOMPARE(w.word(2), QStringLiteral("0C004E42"));
    QCOMPARE(w.control<QComboBox>("MuxCode")->currentText(), QStringLiteral("the panel's button"));

    // Back to the buttons with none selected: three-state, not the code before.
    w.choose("MuxCode", QStringLiteral("2"));
    QCOMPARE(w.word(2), QStringLiteral("08004E42"));
    w.choose("MuxCode", QStringLiteral("the panel's button"));
    QCOMPARE(w.word(2), QStringLiteral("00004E42"));
}

void TestChipMenu::rfOutput_data()
{
    QTest::addColumn<bool>("byShortcut");
    QTest::addRow("from the menu") << false;
    QTest::addRow("Ctrl+R with the caret in a text box") << true;
}

void TestChipMenu::rfOutput()
{
    QFETCH(bool, byShortcut);
    ChipWindow w;
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    const auto press = [&] {
        if (byShortcut) {
            w.d.edit("FoutText")->setFocus();
            QTest::keyClick(w.d.edit("FoutText"), Qt::Key_R, Qt::ControlModifier);
        } else {
            w.action("RfOutput")->trigger();
        }
    };
    press();
    QCOMPARE(w.word(4), QStringLiteral("0085001C"));
    QVERIFY(!w.action("RfOutput")->isChecked());
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits \u00B7 RF output off"));
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral("2320.5")); // the key went to the menu, not the box
    press();
    QCOMPARE(w.words(), kFirstWords);
    QVERIFY(w.action("RfOutput")->isChecked());
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits"));
}

void TestChipMenu::followTheDatasheetForTheMode()
{
    ChipWindow w;
    // Off: Integer N changes only what it always did, and the advice shows.
    w.d.click("IntN");
    QCOMPARE(w.word(2), QStringLiteral("18004F42"));
    QCOMPARE(w.word(3), QStringLiteral("00000003"));
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits (+1 advice)"));
    QVERIFY(w.window.chipCheckStrip()->toolTip().contains(
        QStringLiteral("Advice: the datasheet recommends LDP 6 ns, antibacklash 3 ns and charge cancellation in "
                       "integer-N (Chip \u25B8 Follow the Datasheet for the Mode)")));
    w.d.click("IntN"); // (its handler left the integer-N step in the resolution)
    const QStringList fractional = w.words();

    // On: ticking Integer N sets LDP 6 ns, ABP 3 ns and charge cancellation.
    w.action("FollowDatasheet")->trigger();
    QCOMPARE(w.words(), fractional); // turning it on changes nothing yet
    w.d.click("IntN");
    QCOMPARE(w.word(2), QStringLiteral("18004FC2"));
    QCOMPARE(w.word(3), QStringLiteral("00600003"));
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits"));
    QCOMPARE(w.control<QComboBox>("Antibacklash")->currentText(), QStringLiteral("3 ns"));
    // Clearing it goes back to 10 ns, 6 ns and off.
    w.d.click("IntN");
    QCOMPARE(w.words(), fractional);
}

void TestChipMenu::stripNotesAndAdvice()
{
    ChipWindow w;
    w.choose("AuxPower", QStringLiteral("+2 dBm"));
    w.choose("AuxSelect", QStringLiteral("fundamental"));
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits")); // AUX off: nothing to see
    QTest::mouseClick(w.control<QCheckBox>("AuxEnable"), Qt::LeftButton, {}, QPoint(4, 6));
    QTest::mouseClick(w.control<QCheckBox>("ChargePumpThreeState"), Qt::LeftButton, {}, QPoint(4, 6));
    QCOMPARE(w.strip(), QStringLiteral("Within chip limits \u00B7 AUX +2 dBm fundamental \u00B7 three-state"));
    // A limit the options bring comes first, amber.
    QTest::mouseClick(w.control<QCheckBox>("ChargeCancellation"), Qt::LeftButton, {}, QPoint(4, 6));
    QCOMPARE(w.strip(), QStringLiteral("Charge cancellation on in fractional mode \u00B7 AUX +2 dBm fundamental "
                                       "\u00B7 three-state"));
    QVERIFY(w.window.chipCheckStrip()->toolTip().section(QStringLiteral("\n\n"), 0, 0).endsWith(
        QStringLiteral("Chip options: AUX +2 dBm fundamental, three-state")));
}

void TestChipMenu::aReadBackLoadsTheBoardsOptions()
{
    ChipWindow w;
    ChipOptionsWindow* options = w.options();
    // A board set up elsewhere: AUX on, Reg3's integer-N bits, LD pin high, mute off.
    const RegisterSet board{0x00740640, 0x0800FD01, 0x18004E62, 0x00E00003, 0x008507FC, 0x00D80005};
    w.d.panel.decodeInput(board);
    QCOMPARE(w.words(), (QStringList{"00740640", "0800FD01", "18004E62", "00E00003", "008507FC", "00D80005"}));
    QVERIFY(!w.d.check("Enable")->isChecked()); // the power-down bit
    QVERIFY(w.d.check("MTLD")->isChecked());
    QVERIFY(options->findChild<QCheckBox*>(QStringLiteral("AuxEnable"))->isChecked());
    QCOMPARE(options->findChild<QComboBox*>(QStringLiteral("LockDetectPin"))->currentText(), QStringLiteral("high"));
    QCOMPARE(w.text1(), QString()); // nothing changed, nothing to say

    // MUXOUT 7 and an LD pin of 10: shown as read, though never offered.
    w.d.panel.decodeInput({0x00740640, 0x0800FD01, 0x1C004E42, 0x00000003, 0x0085003C, 0x00980005});
    QCOMPARE(w.word(2), QStringLiteral("1C004E42"));
    QCOMPARE(w.word(5), QStringLiteral("00980005"));
    QCOMPARE(options->findChild<QComboBox*>(QStringLiteral("MuxCode"))->currentText(),
             QStringLiteral("7 reserved (read back)"));
    QCOMPARE(options->findChild<QComboBox*>(QStringLiteral("LockDetectPin"))->currentText(),
             QStringLiteral("low (10)"));
    QCOMPARE(w.strip(), QStringLiteral("MUXOUT code 7 (reserved)"));

    // A band-select divider the plan recomputes: Text1 says so.
    w.d.panel.decodeInput({0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0086403C, 0x00580005});
    QCOMPARE(w.text1(), QStringLiteral("The plan's words differ from the set read back: Reg4 read 0086403C, plan "
                                       "0085003C\n"));

    // Divider code 7 and MUXOUT 5: the rebuilt plan stops, and its words
    // used to be compared though they were the plan's before.
    const QString before = w.text1();
    w.d.panel.decodeInput({0x00740640, 0x0000FD01, 0x14004E42, 0x00000003, 0x00F5003C, 0x00580005});
    QCOMPARE(w.text1(), before + QStringLiteral("The set read back gives no complete plan: More than 12 bits needed "
                                                "for fractional registers\n"));
}

void TestChipMenu::optionsThroughASettingsFile()
{
    QTemporaryDir dir;
    ChipWindow w;
    w.choose("MuxCode", QStringLiteral("2"));
    w.choose("ClockDividerMode", QStringLiteral("fast lock"));
    w.action("RfOutput")->trigger();
    w.action("FollowDatasheet")->trigger();
    const QStringList saved = w.words();
    w.files.name = dir.filePath(QStringLiteral("chip.json"));
    w.action("SaveSettingsAs")->trigger();

    w.choose("MuxCode", QStringLiteral("the panel's button"));
    w.d.click("MuxL");
    w.choose("ClockDividerMode", QStringLiteral("off"));
    w.action("RfOutput")->trigger();
    w.action("FollowDatasheet")->trigger();
    QCOMPARE(w.words(), kFirstWords);

    w.action("OpenSettings")->trigger();
    QCOMPARE(w.d.sink.messages, QStringList());
    QCOMPARE(w.words(), saved);
    QVERIFY(!w.d.get<QRadioButton>("MuxL")->isChecked());
    QVERIFY(!w.action("RfOutput")->isChecked());
    QVERIFY(w.action("FollowDatasheet")->isChecked());
    QCOMPARE(w.control<QComboBox>("ClockDividerMode")->currentText(), QStringLiteral("fast lock"));
}

QTEST_MAIN(TestChipMenu)
#include "tst_chip_menu.moc"
