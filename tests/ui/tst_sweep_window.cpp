// The sweep window against vantrel-board on a pseudo-terminal: the lines of
// a sweep and their order, the panel's buttons held meanwhile, Stop, and a
// board that goes away mid-sweep.
#include <QtTest>

#include <QProgressBar>
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

} // namespace

class TestSweepWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startNeedsAnOpenPort();
    void threeStepsOnTheWire();
    void stopEndsAfterTheLineInFlight();
    void boardGoneMidSweep();
    void aBadHopLineSendsNothing();
    void theBoardMenuShowsIt();
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

void TestSweepWindow::stopEndsAfterTheLineInFlight()
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
    const qsizetype sent = board.logLines().size();
    QVERIFY(sent >= 3 && sent <= 5);
    QTest::qWait(300);
    QCOMPARE(board.logLines().size(), sent); // nothing after the stop
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
    QCOMPARE(w.d.sink.messages, QStringList{"line 2: \"100 ms\" is not a dwell in whole milliseconds"});
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

QTEST_MAIN(TestSweepWindow)
#include "tst_sweep_window.moc"
