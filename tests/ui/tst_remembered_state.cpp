// What the program remembers between runs, through the real window on a
// settings file of the test's own (never the user's): what one run leaves
// the next starts with, nothing is written when nothing changed, a value
// that does not parse is ignored with a line on stderr, places are kept on
// the screen, File ▸ Open Recent; and the program itself with --fresh and
// with a file that does not parse.
#include <QtTest>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>

#include "band_map_window.h"
#include "main_menus.h"
#include "main_window.h"
#include "panel_driver.h"
#include "plan_quality_window.h"
#include "remembered_state.h"
#include "settings_file.h"
#include "window_places.h"

#ifdef Q_OS_UNIX
#include "board_harness.h"
#endif

namespace {

// One run of the program: its store, what it remembers and its window.
struct Run {
    explicit Run(const QString& path)
        : store(path, QSettings::IniFormat)
        , remembered(&store)
        , window(d.panel, d.sink, files, &remembered)
    {
        window.show();
    }
    ~Run() { store.sync(); }
    void trigger(const char* name) const
    {
        auto* action = window.findChild<QAction*>(QString::fromLatin1(name));
        if (!action)
            qFatal("no action named %s", name);
        action->trigger();
    }
    QStringList recentEntries() const
    {
        QStringList texts;
        for (const QAction* entry : window.findChild<QAction*>(QStringLiteral("OpenRecent"))->menu()->actions()) {
            if (entry->isVisible())
                texts << entry->text();
        }
        return texts;
    }

    QSettings store;
    RememberedState remembered;
    PanelDriver d;
    NamedFile files;
    MainWindow window;
};

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRememberedState : public QObject {
    Q_OBJECT
private slots:
    void whatOneRunLeavesTheNextStartsWith();
    void nothingWrittenWhenNothingChanged();
    void aValueThatDoesNotParseIsIgnored_data();
    void aValueThatDoesNotParseIsIgnored();
    void placesStayOnTheScreen_data();
    void placesStayOnTheScreen();
    void openRecent();
    void theProgram_data();
    void theProgram();
};

void TestRememberedState::whatOneRunLeavesTheNextStartsWith()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vantrel.conf"));
    const QString settings = dir.filePath(QStringLiteral("bench.json"));
    QString port;
    QRect left; // where the first run left the Plan Quality window
    {
        Run first(path);
#ifdef Q_OS_UNIX
        TestPty pty;
        if (pty.isOpen()) {
            port = pty.path();
            first.d.type("CPNo", port);
            first.d.click("SetCP");
            QVERIFY(first.d.link.isOpen());
        }
#endif
        first.files.name = settings;
        first.trigger("SaveSettingsAs");
        first.trigger("PlanQuality");
        PlanQualityWindow* quality = first.window.menus()->planQualityWindow();
        auto* loop = quality->findChild<QLineEdit*>(QStringLiteral("LoopBandwidth"));
        loop->selectAll();
        QTest::keyClicks(loop, QStringLiteral("75"));
        quality->move(140, 90);
        quality->resize(600, 420);
        left = QRect(quality->pos(), quality->size());
        quality->close();
        first.trigger("BandMap");
        BandMapWindow* map = first.window.menus()->bandMapWindow();
        for (const auto& [box, text] : {std::pair{"BandStart", "140"}, {"BandStop", "150"}, {"BandStep", "0.0125"}}) {
            auto* edit = map->findChild<QLineEdit*>(QLatin1String(box));
            edit->selectAll();
            QTest::keyClicks(edit, QLatin1String(text));
        }
        map->scanNow();
    }

    Run next(path);
    // The port is offered, not opened; the panel is as at any start.
    if (!port.isEmpty()) // a port could be opened here
        QCOMPARE(next.d.edit("CPNo")->text(), port);
    QCOMPARE(next.d.get<QPushButton>("SetCP")->text(), QStringLiteral("Set COM"));
    QVERIFY(!next.d.link.isOpen());
    QCOMPARE(next.d.edit("FoutText")->text(), QStringLiteral("2320.5"));
    QVERIFY(next.d.listing().isEmpty());
    QCOMPARE(next.d.panel.loopBandwidth(), vantrel::LoopBandwidth{75});
    QCOMPARE(next.recentEntries(), QStringList{QStringLiteral("&1 ") + QDir::toNativeSeparators(settings)});
    next.trigger("PlanQuality");
    PlanQualityWindow* quality = next.window.menus()->planQualityWindow();
    QCOMPARE(quality->findChild<QLineEdit*>(QStringLiteral("LoopBandwidth"))->text(), QStringLiteral("75"));
    QCOMPARE(QRect(quality->pos(), quality->size()), left);
    QCOMPARE(left.topLeft(), QPoint(140, 90));
    next.trigger("BandMap");
    QCOMPARE(next.window.menus()->bandMapWindow()->shownRange(), (vantrel::FrequencyRange{140, 150, 0.0125}));
}

// The second run finds everything as the first left it: it writes nothing,
// and the file keeps its time.
void TestRememberedState::nothingWrittenWhenNothingChanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vantrel.conf"));
    {
        Run first(path);
        first.trigger("PlanQuality");
        first.window.menus()->planQualityWindow()->close();
        first.window.close();
    }
    const QByteArray written = readText(path);
    QVERIFY(written.contains("PlanQualityWindow="));
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    std::filesystem::last_write_time(path.toStdString(), longAgo);
    {
        Run second(path);
        second.trigger("PlanQuality");
        second.window.menus()->planQualityWindow()->close();
        second.trigger("CopyRegisterSet");
        second.window.close();
    }
    QCOMPARE(readText(path), written);
    QVERIFY(std::filesystem::last_write_time(path.toStdString()) == longAgo);
}

void TestRememberedState::aValueThatDoesNotParseIsIgnored_data()
{
    // Each file holds a port that is fine beside what does not parse.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("warning");
    QTest::addRow("a file that does not parse")
        << QByteArray("[board]\nlastPort=3\n[windows\nMainWindow=1 2 3 4\n")
        << "does not parse as remembered settings; it is ignored";
    QTest::addRow("a place that is no place")
        << QByteArray("[board]\nlastPort=3\n[windows]\nMainWindow=10 20 wide\n")
        << "windows/MainWindow in .* is ignored: \"10 20 wide\" is no place";
    QTest::addRow("a place without a size")
        << QByteArray("[board]\nlastPort=3\n[windows]\nMainWindow=10 20 0 0\n")
        << "windows/MainWindow in .* is ignored: \"10 20 0 0\" is no place";
    QTest::addRow("a loop bandwidth out of range")
        << QByteArray("[board]\nlastPort=3\n[plan]\nloopBandwidthKHz=20000\n")
        << "plan/loopBandwidthKHz in .* is ignored: \"20000\" is no loop bandwidth";
    QTest::addRow("a range with a comma")
        << QByteArray("[board]\nlastPort=3\n[bandMap]\nrange=\"140 1300,5 1\"\n")
        << "bandMap/range in .* is ignored: \"140 1300,5 1\" is no range";
    QTest::addRow("recent files as a rectangle")
        << QByteArray("[board]\nlastPort=3\n[files]\nrecent=@Rect(1 2 3 4)\n") << "files/recent in .* is ignored";
}

void TestRememberedState::aValueThatDoesNotParseIsIgnored()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vantrel.conf"));
    writeText(path, text);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^vantrel: .*") + warning));
    Run run(path);
    const bool wholeFile = warning.startsWith(QLatin1String("does not parse"));
    QCOMPARE(run.d.edit("CPNo")->text(), wholeFile ? QStringLiteral("1") : QStringLiteral("3"));
    QCOMPARE(run.d.panel.loopBandwidth(), vantrel::LoopBandwidth{});
    QCOMPARE(run.recentEntries(), QStringList());
    run.trigger("BandMap");
    QCOMPARE(run.window.menus()->bandMapWindow()->shownRange(), (vantrel::FrequencyRange{2200, 4400, 1}));
}

void TestRememberedState::placesStayOnTheScreen_data()
{
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QRect>("shown"); // on a 1920 x 1200 screen, with a frame of 4, 30, 4, 4
    QTest::addRow("on the screen") << QRect(100, 80, 700, 500) << QRect(100, 80, 700, 500);
    QTest::addRow("past the right and bottom edges") << QRect(1800, 1100, 700, 500) << QRect(1212, 666, 700, 500);
    QTest::addRow("above and left of it") << QRect(-300, -50, 700, 500) << QRect(0, 0, 700, 500);
    QTest::addRow("larger than the screen") << QRect(0, 0, 3000, 2000) << QRect(0, 0, 1912, 1166);
}

// And through a real window: the same place on a screen that is gone is
// brought onto the one it opens on.
void TestRememberedState::placesStayOnTheScreen()
{
    QFETCH(QRect, place);
    QFETCH(QRect, shown);
    QCOMPARE(placeOnScreen(place, QMargins(4, 30, 4, 4), QRect(0, 0, 1920, 1200)), shown);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vantrel.conf"));
    const QRect gone = place.translated(20000, 20000);
    writeText(path, QStringLiteral("[windows]\nPlanQualityWindow=%1 %2 %3 %4\n")
                        .arg(gone.x())
                        .arg(gone.y())
                        .arg(gone.width())
                        .arg(gone.height())
                        .toLatin1());
    Run run(path);
    run.trigger("PlanQuality");
    PlanQualityWindow* quality = run.window.menus()->planQualityWindow();
    const QRect available = quality->screen()->availableGeometry();
    QVERIFY2(available.contains(QRect(quality->pos(), quality->size())),
             qPrintable(QDebug::toString(QRect(quality->pos(), quality->size())) + QDebug::toString(available)));
}

void TestRememberedState::openRecent()
{
    QTemporaryDir dir;
    Run run(dir.filePath(QStringLiteral("Vantrel.conf")));
    QVERIFY(!run.window.findChild<QAction*>(QStringLiteral("OpenRecent"))->isEnabled());
    // Nine saved: the latest eight, the latest first.
    QStringList saved;
    for (int i = 1; i <= 9; ++i) {
        run.d.type("FoutText", QStringLiteral("%1").arg(1000 + i));
        saved.prepend(dir.filePath(QStringLiteral("f%1.json").arg(i)));
        run.files.name = saved.constFirst();
        run.trigger("SaveSettingsAs");
    }
    QStringList expected;
    for (int i = 0; i < 8; ++i)
        expected << QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(saved[i]));
    QCOMPARE(run.recentEntries(), expected);

    // An entry opens its file, which goes to the front.
    run.trigger("RecentFile3");
    QCOMPARE(run.d.edit("FoutText")->text(), QStringLiteral("1007"));
    QVERIFY(run.recentEntries().constFirst().endsWith(QStringLiteral("f7.json")));

    // A file that is gone is said and taken off.
    QVERIFY(QFile::remove(saved[0]));
    run.d.sink.messages.clear();
    run.trigger("RecentFile2");
    QCOMPARE(run.d.sink.messages,
             QStringList{QStringLiteral("The settings file %1 is gone; it was taken off Open Recent. Nothing was "
                                        "changed.")
                             .arg(QDir::toNativeSeparators(saved[0]))});
    QCOMPARE(run.d.edit("FoutText")->text(), QStringLiteral("1007"));
    QCOMPARE(run.recentEntries().size(), 7);
    QVERIFY(!run.recentEntries().join(QLatin1Char(' ')).contains(QStringLiteral("f9.json")));
}

void TestRememberedState::theProgram_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stderrLine"); // empty: nothing on stderr but Qt's own
    QTest::addRow("--fresh reads and writes nothing")
        << QStringList{"--fresh"} << QByteArray("[windows]\nMainWindow=nowhere\n") << QByteArray();
    QTest::addRow("a file that does not parse")
        << QStringList() << QByteArray("[windows\n\xff\xfe\x00=\n") << QByteArray("does not parse as remembered settings");
}

// The program started on a settings folder of the test's own; it quits once
// its window has painted.
void TestRememberedState::theProgram()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stderrLine);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Vantrel")));
    const QString path = dir.filePath(QStringLiteral("Vantrel/Vantrel.conf"));
    writeText(path, text);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    environment.insert(QStringLiteral("VANTREL_STARTUP_PROBE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VANTREL_EXE), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(program.readAllStandardOutput().startsWith("shown "));
    const QByteArray errors = program.readAllStandardError();
    if (stderrLine.isEmpty()) {
        QCOMPARE(readText(path), text);
        QVERIFY2(!errors.contains("vantrel:"), errors.constData());
    } else {
        QVERIFY2(errors.contains("vantrel: " + path.toLocal8Bit() + ' ' + stderrLine), errors.constData());
    }
}

QTEST_MAIN(TestRememberedState)
#include "tst_remembered_state.moc"
