// The window's menus driven through the real window, headless: settings
// files saved and opened, register sets copied and pasted, the shortcuts,
// help, and the window's measures with the bar on top.
#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>

#include "chip_check_strip.h"
#include "file_chooser.h"
#include "hex_codec.h"
#include "main_window.h"
#include "panel_driver.h"
#include "settings_file.h"

#ifdef Q_OS_UNIX
#include "board_harness.h"
#include "unblocking_fifo.h"
#endif

namespace {

// Names what the dialogs would have returned, and counts the questions.
class ScriptedFiles final : public FileChooser {
public:
    QString openFileName(const QString&, const QString&) override
    {
        ++opened;
        return openName;
    }
    QString saveFileName(const QString&, const QString&) override
    {
        ++saved;
        return saveName;
    }
    QString openName;
    QString saveName;
    int opened = 0;
    int saved = 0;
};

struct MenuWindow {
    MenuWindow() : window(d.panel, d.sink, files) { window.show(); }
    void trigger(const char* action) const
    {
        auto* found = window.findChild<QAction*>(QString::fromLatin1(action));
        if (!found)
            qFatal("no action named %s", action);
        found->trigger();
    }

    PanelDriver d;
    ScriptedFiles files;
    MainWindow window;
};

constexpr const char* kTexts[] = {"FoutText", "FrText", "Rdivider", "ResolutionText", "ForceD", "CPNo"};
constexpr const char* kChecks[] = {"RefDbl", "Refdiv2", "Feedback", "Prescale8", "PDpol",
                                   "LowSpur", "Enable", "MTLD", "IntN", "TrackDivider"};
constexpr const char* kMuxButtons[] = {"MuxNone", "MuxR", "MuxN", "MuxL"};
constexpr const char* kScrolls[] = {"OutDivCont", "ChrgPump", "Pwr"};
// The check boxes a user can click from the start (tracking is disabled until a plan has run).
constexpr const char* kOptionChecks[] = {"RefDbl", "Refdiv2", "Feedback", "Prescale8", "PDpol",
                                         "LowSpur", "Enable", "MTLD", "IntN"};

// Every setting control, read off the widgets, "name=value".
QStringList controls(const PanelDriver& d)
{
    QStringList list;
    for (const char* name : kTexts)
        list << QStringLiteral("%1=%2").arg(QLatin1String(name), d.edit(name)->text());
    for (const char* name : kChecks)
        list << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(d.check(name)->isChecked());
    for (const char* name : kMuxButtons)
        list << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(d.get<QRadioButton>(name)->isChecked());
    for (const char* name : kScrolls)
        list << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(d.bar(name)->settingValue());
    return list;
}

// What the plan made of them: the six words, the listing, the labels.
QStringList outcome(const PanelDriver& d)
{
    QStringList list;
    for (const std::uint32_t word : d.panel.plan().registers)
        list << QString::fromStdString(vantrel::hexFormat(word));
    list << d.listing();
    for (const char* name : {"Fvco", "Label6", "OutDivLabel", "ChrgPumpLabel", "PwrLabel"})
        list << d.label(name)->text();
    list << QStringLiteral("NMCalc=%1").arg(d.get<QPushButton>("NMCalc")->isEnabled());
    return list;
}

QStringList everything(const PanelDriver& d) { return controls(d) + outcome(d); }

// Every setting control away from its initial value, set as a user would;
// tracking, when wanted, ticked last.
void setUnusualState(PanelDriver& d, bool tracking = true)
{
    d.type("FrText", QStringLiteral("25"));
    d.type("Rdivider", QStringLiteral("2"));
    d.arrows("OutDivCont", true, 4);
    d.type("FoutText", QStringLiteral("145.2"));
    for (const char* name : kOptionChecks)
        d.click(name);
    d.click("MuxN");
    d.arrows("ChrgPump", false, 11);
    d.arrows("Pwr", false, 2);
    d.type("ForceD", QStringLiteral("12.5"));
    d.type("ResolutionText", QStringLiteral("1000"));
    d.type("CPNo", QStringLiteral("7"));
    if (tracking)
        d.click("TrackDivider");
}

// The first worked example's set.
constexpr vantrel::RegisterSet kWorkedSet{0x00740640, 0x0800FD01, 0x18004E42, 0x00000003, 0x0085003C, 0x00580005};

const QString kReadBackMessage = QStringLiteral("The board's stored register set is being read back (INIT from EE). "
                                                "Nothing was changed; try again once it has arrived.");

} // namespace

class TestMainWindowMenus : public QObject {
    Q_OBJECT
private slots:
    void theWindowGrowsByTheBar();
    void settingsRoundTrip_data();
    void settingsRoundTrip();
    void noMuxButtonInTheFile();
    void aBadSettingsFileChangesNothing_data();
    void aBadSettingsFileChangesNothing();
    void noSettingsFileToRead_data();
    void noSettingsFileToRead();
    void aFailedSaveSaysWhy();
    void copyPutsTheWordsOnTheClipboard();
    void noCopyFromAPlanThatStopped();
    void pasteDecodesAsTheBoardsSet_data();
    void pasteDecodesAsTheBoardsSet();
    void aBadPasteChangesNothing_data();
    void aBadPasteChangesNothing();
    void shortcutsFromATextBox_data();
    void shortcutsFromATextBox();
    void help_data();
    void help();
    void nothingWhileTheBoardsSetIsAwaited();
    void closePortBringsTheSelectionBack();
    void everyEntryHasAnAccessLetter();
    void theStatusBarSaysWhatAButtonDid_data();
    void theStatusBarSaysWhatAButtonDid();
};

void TestMainWindowMenus::theWindowGrowsByTheBar()
{
    MenuWindow w;
    const int bar = w.window.menuBar()->height();
    QVERIFY(bar > 0);
    QCOMPARE(w.window.menuBar()->geometry(), QRect(0, 0, 433, bar));
    QCOMPARE(w.d.panel.size(), QSize(433, 552));
    QCOMPARE(w.d.panel.mapTo(&w.window, QPoint(0, 0)), QPoint(0, bar));
    QCOMPARE(w.window.chipCheckStrip()->mapTo(&w.window, QPoint(0, 0)), QPoint(0, bar + 552));
    // The status bar, under the strip, adds its own height.
    const int status = w.window.statusBar()->height();
    QVERIFY(status > 0);
    QCOMPARE(w.window.statusBar()->mapTo(&w.window, QPoint(0, 0)), QPoint(0, bar + 552 + ChipCheckStrip::kHeight));
    QCOMPARE(w.window.size(), QSize(433, bar + 552 + ChipCheckStrip::kHeight + status));
}

void TestMainWindowMenus::settingsRoundTrip_data()
{
    // Tracking differs between the file and the window it is opened in, one
    // way in each row: a run with it ticked would take the output from the
    // VCO instead of from the file's text.
    QTest::addColumn<bool>("trackingInFile");
    QTest::addRow("tracking ticked in the file") << true;
    QTest::addRow("tracking ticked in the window") << false;
}

void TestMainWindowMenus::settingsRoundTrip()
{
    QFETCH(bool, trackingInFile);
    QTemporaryDir dir;
    MenuWindow w;
    setUnusualState(w.d, trackingInFile);
    const QStringList saved = everything(w.d);
    w.files.saveName = dir.filePath(QStringLiteral("bench.json"));
    w.trigger("SaveSettingsAs");

    // Every control somewhere else.
    w.d.type("FoutText", QStringLiteral("2320.5"));
    w.d.type("FrText", QStringLiteral("10"));
    w.d.type("Rdivider", QStringLiteral("1"));
    for (const char* name : kOptionChecks)
        w.d.click(name);
    w.d.click("MuxL");
    w.d.arrows("OutDivCont", false, 3);
    w.d.arrows("ChrgPump", true, 5);
    w.d.arrows("Pwr", true, 2);
    w.d.type("ForceD", QString());
    w.d.type("ResolutionText", QStringLiteral("2500"));
    w.d.type("CPNo", QStringLiteral("2"));
    if (!trackingInFile)
        w.d.click("TrackDivider");
    const QStringList changed = controls(w.d);
    for (qsizetype i = 0; i < changed.size(); ++i) {
        // The MUXOUT choice moved from MuxN to MuxL; MuxNone and MuxR are clear in both.
        if (!changed[i].startsWith(QLatin1String("MuxNone=")) && !changed[i].startsWith(QLatin1String("MuxR=")))
            QVERIFY2(changed[i] != saved[i], qPrintable(changed[i]));
    }
    // The changes ran the plan with prescaler 4/5 above 3600 MHz on the way.
    w.d.sink.messages.clear();

    // A cancelled dialog opens nothing.
    w.trigger("OpenSettings");
    QCOMPARE(controls(w.d), changed);

    w.files.openName = w.files.saveName;
    w.trigger("OpenSettings");
    QCOMPARE(w.files.opened, 2);
    QCOMPARE(everything(w.d), saved);
    QCOMPARE(w.d.sink.messages, QStringList());
}

// No user can clear the MUXOUT buttons once one is chosen; a file can, and
// the code goes back to three-state with them.
void TestMainWindowMenus::noMuxButtonInTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("initial.json"));
    QCOMPARE(vantrel::writeSettingsFile(path, vantrel::PanelSettings{}), QString());
    MenuWindow w;
    w.d.click("MuxN");
    w.files.openName = path;
    w.trigger("OpenSettings");
    for (const char* name : kMuxButtons)
        QVERIFY2(!w.d.get<QRadioButton>(name)->isChecked(), name);
    QCOMPARE(w.d.panel.plan().registers[2], 0x00005E42u);
}

void TestMainWindowMenus::aBadSettingsFileChangesNothing_data()
{
    // The file is a valid one of the initial settings with one change, so a
    // file applied in part would move the window's controls.
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("reason");
    QTest::addRow("no such file") << QByteArray() << QByteArray() << "it cannot be read (";
    QTest::addRow("not JSON") << QByteArray("\"format\"") << QByteArray("format") << "it is not JSON (";
    QTest::addRow("a later version") << QByteArray("\"version\": 4") << QByteArray("\"version\": 5")
                                     << "it is settings file version 5, and this program reads versions 1 to 4";
    QTest::addRow("a position beyond its bar, read last")
        << QByteArray("\"ChrgPump\": 15") << QByteArray("\"ChrgPump\": 16")
        << "\"scrolls.ChrgPump\" is 16, outside 0 to 15";
    QTest::addRow("a member misspelt")
        << QByteArray("\"TrackDivider\"") << QByteArray("\"TrackDivder\"") << "\"checks.TrackDivider\" is missing";
    QTest::addRow("a check box as a number")
        << QByteArray("\"IntN\": false") << QByteArray("\"IntN\": 0") << "\"checks.IntN\" is not true or false";
}

void TestMainWindowMenus::aBadSettingsFileChangesNothing()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.json"));
    if (!from.isEmpty()) {
        QByteArray text = vantrel::settingsFileText(vantrel::PanelSettings{});
        QVERIFY(text.contains(from));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.replace(from, to));
    }
    MenuWindow w;
    setUnusualState(w.d);
    w.d.sink.messages.clear();
    const QStringList before = everything(w.d);
    w.files.openName = path;
    w.trigger("OpenSettings");
    QCOMPARE(everything(w.d), before);
    QCOMPARE(w.d.sink.messages.size(), 1);
    const QString message = w.d.sink.messages.constFirst();
    QVERIFY2(message.startsWith(QStringLiteral("The settings were not opened from %1: %2")
                                    .arg(QDir::toNativeSeparators(path), reason)),
             qPrintable(message));
    QVERIFY(message.endsWith(QStringLiteral(". Nothing was changed.")));
}

void TestMainWindowMenus::noSettingsFileToRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addRow("an empty file") << "empty" << "the file is empty";
#ifdef Q_OS_UNIX
    // Used to freeze the window until something wrote to the FIFO.
    QTest::addRow("a FIFO") << "fifo" << "it is a pipe, not a regular file";
#endif
}

void TestMainWindowMenus::noSettingsFileToRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.json"));
#ifdef Q_OS_UNIX
    std::optional<UnblockingFifo> fifo;
    if (kind == QLatin1String("fifo"))
        fifo.emplace(path);
#endif
    if (kind == QLatin1String("empty")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    MenuWindow w;
    setUnusualState(w.d);
    w.d.sink.messages.clear();
    const QStringList before = everything(w.d);
    w.files.openName = path;
    w.trigger("OpenSettings");
    QCOMPARE(everything(w.d), before);
    QCOMPARE(w.d.sink.messages,
             QStringList{QStringLiteral("The settings were not opened from %1: %2. Nothing was changed.")
                             .arg(QDir::toNativeSeparators(path), reason)});
#ifdef Q_OS_UNIX
    if (fifo)
        QVERIFY2(!fifo->wasNeeded(), "the window waited for a writer");
#endif
}

void TestMainWindowMenus::aFailedSaveSaysWhy()
{
    QTemporaryDir dir;
    MenuWindow w;
    w.files.saveName = dir.filePath(QStringLiteral("missing/bench.json"));
    w.trigger("SaveSettingsAs");
    QCOMPARE(w.d.sink.messages.size(), 1);
    QVERIFY2(w.d.sink.messages.constFirst().startsWith(
                 QStringLiteral("The settings were not saved to %1: it cannot be written (")
                     .arg(QDir::toNativeSeparators(w.files.saveName))),
             qPrintable(w.d.sink.messages.constFirst()));
}

void TestMainWindowMenus::copyPutsTheWordsOnTheClipboard()
{
    MenuWindow w;
    // Before any control is touched the words are already those of the
    // controls: the initial settings, MUXOUT code 0, charge pump 15, mute on.
    w.trigger("CopyRegisterSet");
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("0x00740640\r\n0x0800FD01\r\n0x00005E42\r\n0x00000003\r\n0x0085043C\r\n0x00580005\r\n"));

    w.d.firstExampleOptions();
    w.trigger("CopyRegisterSet");
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("0x00740640\r\n0x0800FD01\r\n0x18004E42\r\n0x00000003\r\n0x0085003C\r\n0x00580005\r\n"));
}

// The words of the last complete plan stay in place when a plan stops; they
// used to be copied as if they were the settings' own.
void TestMainWindowMenus::noCopyFromAPlanThatStopped()
{
    MenuWindow w;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    w.d.type("FrText", QStringLiteral("30")); // MOD 12000
    w.trigger("CopyRegisterSet");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    const QString text = QStringLiteral("Copy Register Set copied nothing: the settings give no complete plan "
                                        "(More than 12 bits needed for fractional registers).");
    QCOMPARE(w.d.sink.messages, QStringList{text});
    QCOMPARE(w.d.get<QPlainTextEdit>("Text1")->toPlainText(), text + QLatin1Char('\n'));
}

void TestMainWindowMenus::pasteDecodesAsTheBoardsSet_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addRow("0x lines, Reg0 first")
        << "0x00740640\r\n0x0800FD01\r\n0x18004E42\r\n0x00000003\r\n0x0085003C\r\n0x00580005\r\n";
    QTest::addRow("commas without prefix, shuffled") << "18004E42,00580005,0085003C,00740640,00000003,0800FD01";
    QTest::addRow("blanks, lower case") << "0x0800fd01 0x0085003c 0x18004e42 0x00740640 0x3 0x580005";
}

void TestMainWindowMenus::pasteDecodesAsTheBoardsSet()
{
    QFETCH(QString, clipboard);
    PanelDriver board; // the same set read back from the board
    board.panel.decodeInput(kWorkedSet);

    MenuWindow w;
    QGuiApplication::clipboard()->setText(clipboard);
    w.trigger("PasteRegisterSet");
    QCOMPARE(w.d.sink.messages, QStringList());
    QCOMPARE(everything(w.d), everything(board));
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    QVERIFY(w.d.get<QRadioButton>("MuxL")->isChecked());
}

void TestMainWindowMenus::aBadPasteChangesNothing_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("reason");
    QTest::addRow("register 3 missing") << "0x00740640 0x0800FD01 0x18004E42 0x0085003C 0x00580005"
                                        << "no word for register 3";
    QTest::addRow("a word that is not hexadecimal")
        << "0x00740640 0x0800FD01 0x18004E42 0x00000003 0x0085003C 0x0058000S"
        << "\"0x0058000S\" is not a hexadecimal word";
    QTest::addRow("two words for register 2")
        << "0x00740640 0x0800FD01 0x18004E42 0x00000003 0x0085003C 0x00580005 0x18004E4A"
        << "two words for register 2, 0x18004E42 and 0x18004E4A";
}

void TestMainWindowMenus::aBadPasteChangesNothing()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, reason);
    MenuWindow w;
    w.d.type("FoutText", QStringLiteral("1000"));
    const QStringList before = everything(w.d);
    QGuiApplication::clipboard()->setText(clipboard);
    w.trigger("PasteRegisterSet");
    QCOMPARE(everything(w.d), before);
    QCOMPARE(w.d.sink.messages,
             QStringList{QStringLiteral("The clipboard holds no register set: %1. Nothing was changed.").arg(reason)});
}

void TestMainWindowMenus::shortcutsFromATextBox_data()
{
    // Pressed with the caret in a text box, which keeps many keys for itself.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("effect");
    QTest::addRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "open";
    QTest::addRow("Ctrl+S") << int(Qt::Key_S) << int(Qt::ControlModifier) << "save";
    QTest::addRow("Ctrl+Shift+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier) << "paste";
    QTest::addRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "quit";
}

void TestMainWindowMenus::shortcutsFromATextBox()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, effect);
    MenuWindow w;
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QGuiApplication::clipboard()->setText(QStringLiteral("740640 800FD01 18004E42 3 85003C 580005"));
    w.d.edit("FoutText")->setFocus();
    QTest::keyClick(w.d.edit("FoutText"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.files.opened, int(effect == QLatin1String("open")));
    QCOMPARE(w.files.saved, int(effect == QLatin1String("save")));
    QCOMPARE(w.d.edit("FoutText")->text(), effect == QLatin1String("paste") ? QStringLiteral(" 2320.5")
                                                                            : QStringLiteral("2320.5"));
    QCOMPARE(w.window.isVisible(), effect != QLatin1String("quit"));
}

void TestMainWindowMenus::help_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("lines");
    QTest::addRow("Keyboard Shortcuts")
        << "KeyboardShortcuts"
        << QStringList{"Ctrl+O   Open Settings…", "Ctrl+S   Save Settings As…", "Ctrl+Q   Quit",
                       "Ctrl+Shift+V   Paste Register Set", "Tab, Shift+Tab", "Up, Down, Page Up, Page Down",
                       "leave the results and reply boxes too", "the underlined letter",
                       "Enter or Space on the chip-limits strip"};
    const QString versionLine = QStringLiteral("Vantrel %1\n").arg(QStringLiteral(VANTREL_VERSION));
    QTest::addRow("About Vantrel") << "AboutVantrel"
                                   << QStringList{versionLine, "ADF4351", "ADF4150", "README.md", "share/doc/vantrel"};
}

void TestMainWindowMenus::help()
{
    QFETCH(QString, action);
    QFETCH(QStringList, lines);
    MenuWindow w;
    w.trigger(action.toLatin1().constData());
    QCOMPARE(w.d.sink.messages.size(), 1);
    for (const QString& line : lines)
        QVERIFY2(w.d.sink.messages.constFirst().contains(line), qPrintable(line));
}

// A pasted set or an opened file would be overwritten by the board's set,
// and a paste would end the wait for it.
void TestMainWindowMenus::nothingWhileTheBoardsSetIsAwaited()
{
#ifdef Q_OS_UNIX
    TestPty pty;
    if (!pty.isOpen())
        QSKIP("this system offers no pseudo-terminals");
    QTemporaryDir dir;
    MenuWindow w;
    w.files.saveName = w.files.openName = dir.filePath(QStringLiteral("bench.json"));
    w.trigger("SaveSettingsAs");
    w.d.type("FoutText", QStringLiteral("1000"));
    w.d.type("CPNo", pty.path());
    w.d.click("SetCP");
    w.d.click("Init");
    QCOMPARE(w.d.panel.initFlag(), -1);
    const QStringList before = everything(w.d);

    QGuiApplication::clipboard()->setText(QStringLiteral("740640 800FD01 18004E42 3 85003C 580005"));
    w.trigger("PasteRegisterSet");
    w.trigger("OpenSettings");
    QCOMPARE(w.d.sink.messages, QStringList({kReadBackMessage, kReadBackMessage}));
    QCOMPARE(everything(w.d), before);
    QCOMPARE(w.d.panel.initFlag(), -1);
#else
    QSKIP("needs a pseudo-terminal");
#endif
}

// The port could not be changed once open, even for a wrong device.
void TestMainWindowMenus::closePortBringsTheSelectionBack()
{
#ifdef Q_OS_UNIX
    Board board;
    QVERIFY(board.start({QStringLiteral("--log")}));
    TestPty other;
    MenuWindow w;
    auto* close = w.window.findChild<QAction*>(QStringLiteral("ClosePort"));
    QVERIFY(close);
    QVERIFY(!close->isEnabled()); // no port to close
    w.d.type("CPNo", board.path());
    w.d.click("SetCP");
    QVERIFY(close->isEnabled());

    // Not while a command paces its lines.
    w.d.click("WriteAll");
    w.trigger("ClosePort");
    QCOMPARE(w.d.sink.messages, QStringList{"The port stays open: a command is sending its lines."});
    QTRY_COMPARE_WITH_TIMEOUT(board.logLines().size(), 12, 5000);
    QTRY_VERIFY(w.d.get<QWidget>("Init")->isEnabled());
    w.d.click("Init");
    w.trigger("ClosePort");
    QTRY_COMPARE_WITH_TIMEOUT(w.d.panel.initFlag(), 0, 5000);
    QVERIFY(w.d.link.isOpen());
    QCOMPARE(w.d.sink.messages.size(), 2);
    QCOMPARE(w.d.sink.messages.constLast(), w.d.sink.messages.constFirst());

    w.trigger("ClosePort");
    QVERIFY(!w.d.link.isOpen());
    QVERIFY(!close->isEnabled());
    QVERIFY(w.d.get<QWidget>("SetCP")->isVisible());
    QVERIFY(w.d.get<QWidget>("CPNo")->isVisible());
    QVERIFY(!w.d.get<QWidget>("SendAll")->isVisible());
    QVERIFY2(w.d.get<QPlainTextEdit>("Text1")->toPlainText().endsWith(
                 QStringLiteral("Closed the port %1\n").arg(board.path())),
             qPrintable(w.d.get<QPlainTextEdit>("Text1")->toPlainText()));
    // Another port opens, and the first is free for other programs.
    w.d.type("CPNo", other.path());
    w.d.click("SetCP");
    QVERIFY(w.d.get<QWidget>("SendAll")->isVisible());
    vantrel::SerialLink again;
    QVERIFY(again.open(board.path()).opened);
    QCOMPARE(w.d.sink.messages.size(), 2);
#else
    QSKIP("needs a pseudo-terminal");
#endif
}

// Alt and a letter reach every menu entry, no letter twice in one menu.
void TestMainWindowMenus::everyEntryHasAnAccessLetter()
{
    MenuWindow w;
    const QList<QAction*> menus = w.window.menuBar()->actions();
    QVERIFY(!menus.isEmpty());
    for (const QAction* menu : menus) {
        QVERIFY2(menu->text().count(QLatin1Char('&')) == 1, qPrintable(menu->text()));
        QSet<QChar> letters;
        for (const QAction* entry : menu->menu()->actions()) {
            if (entry->isSeparator())
                continue;
            const qsizetype at = entry->text().indexOf(QLatin1Char('&'));
            QVERIFY2(at >= 0 && at + 1 < entry->text().size(), qPrintable(entry->text()));
            const QChar letter = entry->text().at(at + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(entry->text()));
            letters.insert(letter);
        }
    }
}

void TestMainWindowMenus::theStatusBarSaysWhatAButtonDid_data()
{
    // %1: the board's port, or the file saved.
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("said");
    QTest::addRow("Copy Register Set") << "CopyRegisterSet" << "Register Set copied to the clipboard";
    QTest::addRow("Save Settings As") << "SaveSettingsAs" << "Settings saved to %1";
#ifdef Q_OS_UNIX
    QTest::addRow("Set COM") << "SetCP" << "Connected to %1";
    QTest::addRow("Set all Registers") << "SendAll" << "Set all Registers: 6 lines sent to %1";
    QTest::addRow("Write EE") << "WriteAll" << "Write EE: 12 lines sent to %1";
#endif
}

// What the board does not answer, or a file written, shows nowhere else.
void TestMainWindowMenus::theStatusBarSaysWhatAButtonDid()
{
    QFETCH(QString, button);
    QFETCH(QString, said);
    QTemporaryDir dir;
    MenuWindow w;
    QStatusBar* status = w.window.statusBar();
    QString where = dir.filePath(QStringLiteral("bench.json"));
    w.files.saveName = where;
    const QByteArray name = button.toLatin1();
#ifdef Q_OS_UNIX
    Board board;
    if (button == QLatin1String("SetCP") || button == QLatin1String("SendAll") || button == QLatin1String("WriteAll")) {
        QVERIFY(board.start({}));
        where = board.path();
        w.d.type("CPNo", where);
        w.d.click("SetCP");
        if (button != QLatin1String("SetCP")) {
            status->clearMessage();
            w.d.click(name.constData());
            QCOMPARE(status->currentMessage(), QString()); // not before the lines are out
        }
    }
#endif
    if (button == QLatin1String("CopyRegisterSet") || button == QLatin1String("SaveSettingsAs"))
        w.trigger(name.constData()); // a menu's entry
    QTRY_COMPARE_WITH_TIMEOUT(status->currentMessage(), said.arg(QDir::toNativeSeparators(where)), 5000);
}

QTEST_MAIN(TestMainWindowMenus)
#include "tst_main_window_menus.moc"
