// The sweep window against vantrel-board on a pseudo-terminal: the lines of
// a sweep and their order, the panel's buttons held meanwhile, Stop, and a
// board that goes away mid-sweep.
#include <QtTest>

#include <QProgressBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>

#include "board_harness.h"
#include "panel_driver.h"
#include "file_chooser.h"
#include "main_menus.h"
#include "main_window.h"
#include "sweep_window.h"

namespace {

constexpr int kWaitMs = 10000;

class OneFile final : public FileChooser {
public:
    QString openFileName(const QString&, const QString&) override { return name; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
    QString name;
};

struct SweepDriver {
    SweepDriver() : window(d.panel, d.link, d.commands, d.sink, files) { window.show(); }

    template <typename T>
    T* get(const char* name) const
    {
        T* widget = window.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    void openPort(const QString& path)
    {
        d.type("CPNo", path);
        d.click("SetCP");
    }
    void sweep(const char* start, const char* stop, const char* step)
    {
        get<QLineEdit>("StartText")->setText(QString::fromLatin1(start));
        get<QLineEdit>("StopText")->setText(QString::fromLatin1(stop));
        get<QLineEdit>("StepText")->setText(QString::fromLatin1(step));
    }
    bool panelButtonsEnabled() const { return d.get<QWidget>("SendAll")->isEnabled() && d.get<QWidget>("Init")->isEnabled(); }
    QString status() const { return get<QLabel>("SweepStatus")->text(); }

    PanelDriver d;
    OneFile files;
    SweepWindow window;
};

// The program's windows: the main window with its menus and the sweep
// window reached from them.
struct BothWindows {
    BothWindows() : main(d.panel, d.sink, files), sweep(d.panel, d.link, d.commands, d.sink, files)
    {
        main.menus()->addSweepWindow(sweep);
        main.show();
        sweep.show();
    }
    template <typename T>
    T* get(const char* name) const
    {
        T* widget = sweep.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    // A sweep that runs for a minute at least: 2400 down to 2300 by 1 MHz.
    void startLongSweep(const QString& port)
    {
        d.type("CPNo", port);
        d.click("SetCP");
        get<QLineEdit>("StartText")->setText(QStringLiteral("2400"));
        get<QLineEdit>("StopText")->setText(QStringLiteral("2300"));
        get<QLineEdit>("StepText")->setText(QStringLiteral("-1"));
        get<QCheckBox>("LoopCheck")->setChecked(true);
        QTest::mouseClick(get<QPushButton>("StartButton"), Qt::LeftButton);
    }
    QString status() const { return get<QLabel>("SweepStatus")->text(); }

    PanelDriver d;
    OneFile files;
    MainWindow main;
    SweepWindow sweep;
};

} // namespace

class TestSweepWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startNeedsAnOpenPort();
    void threeStepsOnTheWire();
    void stopEndsAfterTheStepInFlight();
    void boardGoneMidSweep();
    void aBadHopLineSendsNothing();
    void theBoardMenuShowsIt();
    void closingWhileItRunsAsks_data();
    void closingWhileItRunsAsks();
    void closingWhenIdleAsksNothing();
    void messagesInTheWindowsTerms_data();
    void messagesInTheWindowsTerms();
    void theListStaysWhereTheUserScrolled();
    void timeLeftFromTheStepsAfterTheFirst();
    void closingTheProgramWaitsForTheBoard_data();
    void closingTheProgramWaitsForTheBoard();
    void stepsBreakingALimitAsk_data();
    void stepsBreakingALimitAsk();
    void autoSetEachFollowsThePanel();
};

void TestSweepWindow::initTestCase()
{
    TestPty probe;
    if (!probe.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestSweepWindow::startNeedsAnOpenPort()
{
    SweepDriver w;
    QPushButton* start = w.get<QPushButton>("StartButton");
    QVERIFY(!start->isEnabled());
    QCOMPARE(start->toolTip(), QString::fromLatin1(SweepWindow::kNeedsPortTip));
    TestPty pty;
    w.openPort(pty.path());
    QVERIFY(start->isEnabled());
    QCOMPARE(start->toolTip(), QString());
}

void TestSweepWindow::threeStepsOnTheWire()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    SweepDriver w;
    w.openPort(board.path());
    w.sweep("2400", "2400.2", "0.1");
    w.get<QCheckBox>("ChangedOnly")->setChecked(true);
    w.d.click("RefDbl"); // the panel's settings as they stand at Start
    w.d.click("RefDbl");
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QVERIFY(w.window.isRunning());
    QVERIFY(!w.panelButtonsEnabled());
    QVERIFY(!w.get<QPushButton>("StartButton")->isEnabled());
    w.d.type("FrText", QStringLiteral("20")); // read once at Start: no effect on the sweep

    QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
    const QStringList expected{"R00580005", "R0085043C", "R00000003", "R00005E42",
                               "R0800FD01", "R00780000", "R00780140", "R00780280"};
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), expected, kWaitMs);
    for (const auto& [gap, line] : board.logLines())
        QVERIFY2(gap < 0 || gap >= kMinSeenGapMs, qPrintable(line));
    QVERIFY(w.panelButtonsEnabled());
    QVERIFY(w.status().startsWith(QStringLiteral("Done: 3 step(s)")));
    auto* list = w.get<QTableWidget>("StepList");
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->item(1, 1)->text(), QStringLiteral("2400.1"));
    QCOMPARE(list->item(1, 3)->text(), QStringLiteral("1"));
    QCOMPARE(w.get<QProgressBar>("SweepProgress")->value(), 3);
}

void TestSweepWindow::stopEndsAfterTheStepInFlight()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    SweepDriver w;
    w.openPort(board.path());
    w.sweep("2400", "2300", "-1");
    w.get<QCheckBox>("LoopCheck")->setChecked(true);
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 3, kWaitMs);
    QTest::mouseClick(w.get<QPushButton>("StopButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
    QVERIFY2(w.status().startsWith(QStringLiteral("Stopped after step 1 of 101, pass 1")), qPrintable(w.status()));
    // The step under way went out whole, Reg0 last, so the chip runs a set
    // the user chose; nothing after it.
    QTRY_COMPARE_WITH_TIMEOUT(board.logLines().size(), 6, kWaitMs);
    QTest::qWait(300);
    QCOMPARE(lineTexts(board.logLines()).last(), QStringLiteral("R00780000"));
    QCOMPARE(board.logLines().size(), 6);
    QVERIFY(w.panelButtonsEnabled());
}

void TestSweepWindow::boardGoneMidSweep()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    SweepDriver w;
    w.openPort(board.path());
    w.sweep("2400", "2300", "-1");
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 2, kWaitMs);
    board.process().kill();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
    QVERIFY2(w.status().startsWith(QStringLiteral("Lost the port ")), qPrintable(w.status()));
    QVERIFY(w.status().contains(QStringLiteral("the last line out was R")));
    // The panel shows the same and offers the port selection again.
    QVERIFY(w.d.get<QPlainTextEdit>("Text1")->toPlainText().contains(QStringLiteral("Lost the port ")));
    QVERIFY(w.d.get<QWidget>("SetCP")->isVisible());
    QVERIFY(!w.get<QPushButton>("StartButton")->isEnabled());
}

void TestSweepWindow::aBadHopLineSendsNothing()
{
    Board board;
    QVERIFY(board.start({"--log"}));
    SweepDriver w;
    w.openPort(board.path());
    QTemporaryDir dir;
    QFile file(dir.filePath("hops.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("2400\n2400.5 , 100 ms\n");
    file.close();
    w.get<QRadioButton>("HopMode")->setChecked(true);
    w.files.name = file.fileName();
    QTest::mouseClick(w.get<QPushButton>("BrowseHop"), Qt::LeftButton);
    QCOMPARE(w.get<QLineEdit>("HopFileText")->text(), file.fileName());
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QVERIFY(!w.window.isRunning());
    QCOMPARE(w.d.sink.messages, QStringList{"line 2: \"100 ms\" is not a dwell in whole milliseconds from 0 to 86400000"});
    QTest::qWait(200);
    QCOMPARE(board.logLines().size(), 0);
    QVERIFY(w.panelButtonsEnabled());
}

void TestSweepWindow::theBoardMenuShowsIt()
{
    PanelDriver d;
    OneFile files;
    MainWindow main(d.panel, d.sink, files);
    SweepWindow sweep(d.panel, d.link, d.commands, d.sink, files);
    main.menus()->addSweepWindow(sweep);
    main.show();
    QVERIFY(!sweep.isVisible());
    QAction* entry = main.menus()->boardMenu()->findChild<QAction*>(QStringLiteral("Sweep"));
    QVERIFY(entry);
    QCOMPARE(entry->text(), QStringLiteral("&Sweep…"));
    entry->trigger();
    QVERIFY(sweep.isVisible());
}

void TestSweepWindow::closingWhileItRunsAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("byEscape");
    QTest::addRow("Cancel") << "Cancel" << false;
    QTest::addRow("Stop") << "Stop" << false;
    QTest::addRow("Keep running") << "Keep running" << false;
    QTest::addRow("Esc, then Keep running") << "Keep running" << true;
}

// Closing it used to leave a looping sweep running unseen, the panel's
// board buttons grey with no reason.
void TestSweepWindow::closingWhileItRunsAsks()
{
    QFETCH(QString, answer);
    QFETCH(bool, byEscape);
    Board board;
    QVERIFY(board.start({}));
    BothWindows w;
    w.startLongSweep(board.path());
    QVERIFY(w.sweep.isRunning());
    QVERIFY(!w.d.get<QWidget>("SendAll")->toolTip().isEmpty()); // why the buttons are grey
    QTRY_VERIFY_WITH_TIMEOUT(w.status().startsWith(QStringLiteral("Step 2 of 101")), kWaitMs);
    // Nor can the port be closed under it.
    w.main.findChild<QAction*>(QStringLiteral("ClosePort"))->trigger();
    QCOMPARE(w.d.sink.messages,
             QStringList{"The port stays open: a sweep is running; stop it first (Board, Sweep…)."});
    QVERIFY(w.d.link.isOpen());

    w.d.sink.answer = answer;
    if (byEscape)
        QTest::keyClick(&w.sweep, Qt::Key_Escape);
    else
        w.sweep.close();
    QCOMPARE(w.d.sink.questions.size(), 1);
    QVERIFY(w.d.sink.questions.constFirst().startsWith(QStringLiteral("The sweep is still running.")));
    QCOMPARE(w.d.sink.shownOver.constLast(), &w.sweep);
    QPushButton* state = w.main.sweepStateButton();
    if (answer == QLatin1String("Cancel")) {
        QVERIFY(w.sweep.isVisible());
        QVERIFY(w.sweep.isRunning());
        QVERIFY(!state->isVisible());
        return;
    }
    QVERIFY(!w.sweep.isVisible());
    if (answer == QLatin1String("Stop")) {
        QTRY_VERIFY_WITH_TIMEOUT(!w.sweep.isRunning(), kWaitMs);
        QVERIFY(!state->isVisible());
        QVERIFY(w.d.get<QWidget>("SendAll")->isEnabled());
        return;
    }
    // Kept running: its state shows beside the strip and follows the steps.
    QVERIFY(w.sweep.isRunning());
    QVERIFY(state->isVisible());
    QVERIFY2(state->text().startsWith(QStringLiteral("Sweep step ")), qPrintable(state->text()));
    QTRY_VERIFY_WITH_TIMEOUT(state->text().startsWith(QStringLiteral("Sweep step 4 of 101")), kWaitMs);
    QVERIFY(state->toolTip().startsWith(QStringLiteral("Step 4 of 101")));
    // A press opens the window again, which takes the state back.
    QTest::mouseClick(state, Qt::LeftButton);
    QVERIFY(w.sweep.isVisible());
    QVERIFY(!state->isVisible());
    QVERIFY(w.sweep.isRunning());
    w.sweep.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!w.sweep.isRunning(), kWaitMs);
}

void TestSweepWindow::closingWhenIdleAsksNothing()
{
    BothWindows w;
    w.sweep.close();
    QVERIFY(!w.sweep.isVisible());
    QCOMPARE(w.d.sink.questions, QStringList());
    QVERIFY(!w.main.sweepStateButton()->isVisible());
}

void TestSweepWindow::messagesInTheWindowsTerms_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("message");
    QTest::addRow("no step") << "2400" << "2410" << "0" << "Step MHz must not be 0";
    QTest::addRow("a step away from the stop")
        << "2400" << "2410" << "-1" << "Step MHz -1 leads away from Stop MHz; give it the sign of Stop MHz - Start MHz";
    QTest::addRow("a start that is no number") << "24OO" << "2410" << "1" << "Start MHz must be a number (it is \"24OO\")";
}

// The engine names the values as the command line does (START, STOP, STEP);
// the window has its own labels, and its boxes belong in front of it.
void TestSweepWindow::messagesInTheWindowsTerms()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QString, step);
    QFETCH(QString, message);
    TestPty pty;
    SweepDriver w;
    w.openPort(pty.path());
    w.sweep(start.toLatin1().constData(), stop.toLatin1().constData(), step.toLatin1().constData());
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QVERIFY(!w.window.isRunning());
    QCOMPARE(w.d.sink.messages, QStringList{message});
    QCOMPARE(w.d.sink.shownOver, QList<QWidget*>{&w.window});
}

// It used to jump to the newest step while the user read an earlier one.
void TestSweepWindow::theListStaysWhereTheUserScrolled()
{
    Board board;
    QVERIFY(board.start({}));
    SweepDriver w;
    w.window.resize(560, 300);
    w.openPort(board.path());
    w.sweep("2400", "2401.5", "0.05"); // 31 steps, 2400.15 among them
    w.get<QCheckBox>("ChangedOnly")->setChecked(true);
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    auto* list = w.get<QTableWidget>("StepList");
    QScrollBar* scroll = list->verticalScrollBar();
    QTRY_VERIFY_WITH_TIMEOUT(scroll->maximum() > 2, kWaitMs);
    QCOMPARE(scroll->value(), scroll->maximum()); // following the steps so far
    scroll->setValue(1);
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
    QCOMPARE(list->rowCount(), 31);
    QCOMPARE(scroll->value(), 1);
    for (int row = 0; row < list->rowCount(); ++row) {
        // Not "-0.0" for the tiny negative error of 2400.15 MHz.
        QVERIFY2(!list->item(row, 2)->text().startsWith(QLatin1Char('-')), qPrintable(list->item(row, 2)->text()));
        QCOMPARE(list->item(row, 4)->toolTip(), list->item(row, 4)->text());
    }
    QCOMPARE(list->item(3, 1)->text(), QStringLiteral("2400.15"));
}

// The first step sends a whole set, the rest one word each: counting it
// made the first estimates far too long.
void TestSweepWindow::timeLeftFromTheStepsAfterTheFirst()
{
    Board board;
    QVERIFY(board.start({}));
    SweepDriver w;
    w.openPort(board.path());
    w.sweep("2400", "2401", "0.1"); // 11 steps
    w.get<QCheckBox>("ChangedOnly")->setChecked(true);
    w.get<QSpinBox>("DwellSpin")->setValue(300); // 0.6 s for the first step, 0.3 s for each after it
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(w.status().startsWith(QStringLiteral("Step 3 of 11")), kWaitMs);
    // Nine steps from the third on at 0.3 s, 2.7 s, or a little more on a
    // busy machine; counting the first step gives 4 s and more.
    const QRegularExpressionMatch left =
        QRegularExpression(QStringLiteral("^Step 3 of 11, about (\\d) s left$")).match(w.status());
    QVERIFY2(left.hasMatch(), qPrintable(w.status()));
    QVERIFY2(left.captured(1).toInt() <= 3, qPrintable(w.status()));
    w.window.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
}

void TestSweepWindow::closingTheProgramWaitsForTheBoard_data()
{
    QTest::addColumn<bool>("sweeping");
    QTest::addColumn<int>("lines"); // what the board holds in the end
    QTest::addRow("Write EE under way") << false << 12;
    QTest::addRow("a sweep's first step under way") << true << 6;
}

// Quitting mid-command used to end the program at once: the EEPROM kept half
// a store, the chip half a step.
void TestSweepWindow::closingTheProgramWaitsForTheBoard()
{
    QFETCH(bool, sweeping);
    QFETCH(int, lines);
    Board board;
    QVERIFY(board.start({"--log"}));
    BothWindows w;
    if (sweeping) {
        w.startLongSweep(board.path());
    } else {
        w.d.type("CPNo", board.path());
        w.d.click("SetCP");
        w.d.click("WriteAll");
    }
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() >= 2, kWaitMs);
    QVERIFY(!w.main.close());
    QVERIFY(w.main.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!w.main.isVisible(), kWaitMs);
    QTest::qWait(300);
    const QStringList seen = lineTexts(board.logLines());
    QCOMPARE(seen.size(), lines);
    QCOMPARE(seen.last(), sweeping ? QStringLiteral("R00780000") : QStringLiteral("W"));
}

void TestSweepWindow::stepsBreakingALimitAsk_data()
{
    QTest::addColumn<bool>("autoSetEach");
    QTest::addColumn<QString>("answer"); // none: dismissed, as Enter or Esc would
    QTest::addColumn<bool>("sent");
    // The 51 steps used to go out without a word, the VCO at 4800 to 4900 MHz.
    QTest::addRow("dismissed, nothing is sent") << false << "" << false;
    QTest::addRow("sent anyway") << false << "Send anyway" << true;
    QTest::addRow("Auto Set >> at each step keeps every limit") << true << "" << true;
}

void TestSweepWindow::stepsBreakingALimitAsk()
{
    QFETCH(bool, autoSetEach);
    QFETCH(QString, answer);
    QFETCH(bool, sent);
    TestPty pty;
    SweepDriver w;
    w.d.arrow("OutDivCont", true); // the panel's divider 2
    w.openPort(pty.path());
    w.sweep("2400", "2450", "1");
    w.get<QCheckBox>("AutoSetEach")->setChecked(autoSetEach);
    w.d.sink.answer = answer;
    QTest::mouseClick(w.get<QPushButton>("StartButton"), Qt::LeftButton);
    if (autoSetEach) {
        QCOMPARE(w.d.sink.questions, QStringList());
    } else {
        QCOMPARE(w.d.sink.questions.size(), 1);
        const QString question = w.d.sink.questions.first();
        QVERIFY2(question.startsWith(QStringLiteral("51 of 51 steps break a chip limit:\n\n"
                                                    "Step 1 (2400 MHz): VCO 4800 MHz above 4400 MHz\n"
                                                    "Step 2 (2401 MHz): VCO 4802 MHz above 4400 MHz\n")),
                 qPrintable(question));
        QVERIFY2(question.contains(QStringLiteral("\nStep 5 (2404 MHz): VCO 4808 MHz above 4400 MHz\n\u2026 and 46 more\n")),
                 qPrintable(question));
        QCOMPARE(w.d.sink.shownOver.last(), &w.window);
    }
    QCOMPARE(w.window.isRunning(), sent);
    if (sent) {
        QTRY_VERIFY_WITH_TIMEOUT(!pty.wire().isEmpty(), kWaitMs);
        w.window.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window.isRunning(), kWaitMs);
    } else {
        QTest::qWait(150);
        QCOMPARE(pty.wire(), QByteArray());
    }
}

// Ticked by default when the panel's divider was last set by Auto Set >>;
// once the user ticks or clears it here, it stays as they left it.
void TestSweepWindow::autoSetEachFollowsThePanel()
{
    SweepDriver w;
    QCheckBox* each = w.get<QCheckBox>("AutoSetEach");
    QVERIFY(!each->isChecked());
    w.d.click("AutoDiv");
    QVERIFY(each->isChecked());
    w.d.arrow("OutDivCont", true);
    QVERIFY(!each->isChecked());
    w.d.click("AutoDiv");
    QVERIFY(each->isChecked());
    QTest::mouseClick(each, Qt::LeftButton, {}, QPoint(4, each->height() / 2));
    QVERIFY(!each->isChecked());
    w.d.arrow("OutDivCont", true);
    w.d.click("AutoDiv");
    QVERIFY(!each->isChecked());
    // A window opened after Auto Set >> starts ticked.
    SweepWindow later(w.d.panel, w.d.link, w.d.commands, w.d.sink, w.files);
    QVERIFY(later.findChild<QCheckBox*>(QStringLiteral("AutoSetEach"))->isChecked());
}

QTEST_MAIN(TestSweepWindow)
#include "tst_sweep_window.moc"
