// The control panel and a board end to end, headless: the virtual board on a
// pseudo-terminal, or a pseudo-terminal played by the test for the failures.
#include <QtTest>

#include <QTemporaryDir>

#include "board_harness.h"
#include "panel_driver.h"

namespace {

bool commandButtonsEnabled(PanelDriver& d)
{
    return d.get<QWidget>("SendAll")->isEnabled() && d.get<QWidget>("WriteAll")->isEnabled()
           && d.get<QWidget>("SetAll")->isEnabled() && d.get<QWidget>("Init")->isEnabled();
}

// Types the port into the COM box and presses "Set".
void openPort(PanelDriver& d, const QString& path)
{
    d.type("CPNo", path);
    d.click("SetCP");
}

QString text1(PanelDriver& d) { return d.get<QPlainTextEdit>("Text1")->toPlainText(); }

constexpr int kCommandWaitMs = 5000;

} // namespace

class TestBoardPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void openingSwapsTheSelectionForTheCommands();
    void openFailureBringsTheSelectionBack();
    void sendAllAndSetAllPutTheSameLinesOnTheWire();
    void writeEEThenInitLoadsTheStoredSet();
    void initWithoutAnswerDoesNotFreezeThePlan();
    void decodeTakesTheSetOfItsOwnLine();
    void aReadBackThatIsNoSetLoadsNothing_data();
    void aReadBackThatIsNoSetLoadsNothing();
    void repliesAndUserData();
    void boardStoppedMidCommand();
    void writeEECutShortSaysWhatIsStored();
    void portMessagesSayWhatToDo_data();
    void portMessagesSayWhatToDo();
    void noSetFromAPlanThatStopped_data();
    void noSetFromAPlanThatStopped();
};

void TestBoardPanel::initTestCase()
{
    TestPty pty;
    if (!pty.isOpen())
        QSKIP("this system offers no pseudo-terminals");
}

void TestBoardPanel::openingSwapsTheSelectionForTheCommands()
{
    Board board;
    QVERIFY(board.start({}));
    PanelDriver d;
    d.get<QPlainTextEdit>("Text1")->setPlainText(QStringLiteral("old"));
    openPort(d, board.path());
    QVERIFY(!d.get<QWidget>("SetCP")->isVisible());
    QVERIFY(!d.get<QWidget>("CPNo")->isVisible());
    for (const char* name : {"SendAll", "WriteAll", "SetAll", "Init"})
        QVERIFY2(d.get<QWidget>(name)->isVisible(), name);
    QCOMPARE(text1(d), QString());

    // "COM3" and "0" name no port: the button does nothing.
    PanelDriver other;
    for (const char* text : {"COM3", "0", ""}) {
        openPort(other, QString::fromLatin1(text));
        QVERIFY2(other.get<QWidget>("SetCP")->isVisible(), text);
        QVERIFY2(!other.get<QWidget>("SendAll")->isVisible(), text);
    }
}

void TestBoardPanel::openFailureBringsTheSelectionBack()
{
    PanelDriver d;
    openPort(d, QStringLiteral("/dev/vantrel-no-such-port"));
    QVERIFY2(text1(d).startsWith(QStringLiteral("Cannot open /dev/vantrel-no-such-port")), qPrintable(text1(d)));
    QVERIFY(d.get<QWidget>("SetCP")->isVisible());
    QVERIFY(d.get<QWidget>("CPNo")->isVisible());
    QVERIFY(!d.get<QWidget>("SendAll")->isVisible());

    Board board; // another port can be tried
    QVERIFY(board.start({}));
    openPort(d, board.path());
    QVERIFY(d.get<QWidget>("SendAll")->isVisible());
}

void TestBoardPanel::sendAllAndSetAllPutTheSameLinesOnTheWire()
{
    Board board;
    QVERIFY(board.start({QStringLiteral("--log")}));
    PanelDriver d;
    d.firstExampleOptions();
    openPort(d, board.path());

    d.click("SendAll");
    QVERIFY(!commandButtonsEnabled(d)); // while the lines are paced
    QTRY_VERIFY_WITH_TIMEOUT(commandButtonsEnabled(d), kCommandWaitMs);
    const QStringList expected{"R00580005", "R0085003C", "R00000003", "R18004E42", "R0800FD01", "R00740640"};
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), expected, kCommandWaitMs);

    d.click("SetAll");
    QTRY_VERIFY_WITH_TIMEOUT(commandButtonsEnabled(d), kCommandWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), expected + expected, kCommandWaitMs);
    for (const auto& [gap, line] : board.logLines())
        QVERIFY2(gap < 0 || gap >= kMinSeenGapMs, qPrintable(line));
}

void TestBoardPanel::writeEEThenInitLoadsTheStoredSet()
{
    Board board;
    QVERIFY(board.start({QStringLiteral("--log"), QStringLiteral("--burst")}));
    PanelDriver d;
    d.firstExampleOptions();
    d.type("FoutText", QStringLiteral("2320.5"));
    openPort(d, board.path());

    d.click("WriteAll");
    QTRY_VERIFY_WITH_TIMEOUT(commandButtonsEnabled(d), kCommandWaitMs);
    const QStringList written = lineTexts(board.logLines());
    QCOMPARE(written.size(), 12);
    for (int i = 0; i < written.size(); ++i)
        QCOMPARE(written.at(i).left(1), QString::fromLatin1(i % 2 ? "W" : "R"));

    // Move the settings away, then load the stored set back.
    d.type("FoutText", QStringLiteral("1000"));
    d.click("MuxN");
    d.arrows("ChrgPump", true, 3);
    d.type("Rdivider", QStringLiteral("2"));
    d.click("Init");
    QCOMPARE(d.panel.initFlag(), -1);
    QTRY_COMPARE_WITH_TIMEOUT(d.panel.initFlag(), 0, kCommandWaitMs);
    QVERIFY(d.get<QRadioButton>("MuxL")->isChecked());
    QCOMPARE(d.bar("ChrgPump")->settingValue(), 7);
    QCOMPARE(d.edit("Rdivider")->text(), QStringLiteral(" 1"));
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral(" 2500"));
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    QVERIFY(d.listing().startsWith(QStringLiteral("Fcomp  10.00MHz\nR  1\nN  232\nF  200\nD  4000     \n")));
    QVERIFY(text1(d).contains(QStringLiteral("Reg  0 740640\n")));
}

void TestBoardPanel::initWithoutAnswerDoesNotFreezeThePlan()
{
    TestPty pty;
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    openPort(d, pty.path());
    d.click("Init");
    QTRY_COMPARE_WITH_TIMEOUT(pty.wire(), QByteArray("INIT\r\n"), kCommandWaitMs);

    // While the set is awaited the plan does not follow the controls ...
    const QString before = d.listing();
    d.type("FoutText", QStringLiteral("2400"));
    QCOMPARE(d.listing(), before);
    // ... and then the wait ends by itself.
    QTRY_VERIFY_WITH_TIMEOUT(text1(d).contains(QStringLiteral("No register set received from the board\n")), 6000);
    QCOMPARE(d.panel.initFlag(), 0);
    QVERIFY(d.listing().contains(QStringLiteral("N  240\n")));

    // A set that arrives later is still loaded.
    QVERIFY(pty.write("0X00580005\r\n0X0085003C\r\n0X00000003\r\n0X18004E42\r\n0X0800FD01\r\n0X00740640\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(d.edit("FoutText")->text(), QStringLiteral(" 2320.5"), kCommandWaitMs);
}

// The set and a later register line in one read: the decode used whatever
// RegIn held once the whole read was parsed, here Reg2 = 0x12.
void TestBoardPanel::decodeTakesTheSetOfItsOwnLine()
{
    TestPty pty;
    PanelDriver d;
    d.type("FoutText", QStringLiteral("1000"));
    openPort(d, pty.path());
    d.click("Init");
    QTRY_COMPARE_WITH_TIMEOUT(pty.wire(), QByteArray("INIT\r\n"), kCommandWaitMs);
    QVERIFY(pty.write("0X00580005\r\n0X0080001C\r\n0X00000003\r\n0X18004E42\r\n0X0000FD01\r\n0X00740640\r\n"
                      "0X00000012\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(d.panel.initFlag(), 0, kCommandWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(text1(d).contains(QStringLiteral("Reg  2 12\n")), kCommandWaitMs);
    QVERIFY(d.get<QRadioButton>("MuxL")->isChecked());
    QCOMPARE(d.bar("ChrgPump")->settingValue(), 7);
    QVERIFY(!d.check("PDpol")->isChecked());
    QCOMPARE(d.edit("Rdivider")->text(), QStringLiteral(" 1"));
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    QVERIFY(d.listing().contains(QStringLiteral("Reg 2   0x 18004E42\n")));
}

void TestBoardPanel::aReadBackThatIsNoSetLoadsNothing_data()
{
    QTest::addColumn<QByteArray>("lines"); // Reg5 first, Reg0 last, as the board sends them
    QTest::addColumn<QString>("missing");
    QTest::addRow("Reg0 to Reg4 stored as 0")
        << QByteArray("0X00580005\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n0X00000000\r\n")
        << "1, 2, 3, 4";
    // Words the board cannot place (register 7) are passed over, so that
    // an EEPROM store cut short leaves Reg1 to Reg3 unsent.
    QTest::addRow("a store cut short after Reg4")
        << QByteArray("0X00580005\r\n0X0085003C\r\n0XFFFFFFFF\r\n0XFFFFFFFF\r\n0XFFFFFFFF\r\n0X00740640\r\n")
        << "1, 2, 3";
    // No Reg0 word comes from an erased EEPROM: it used to end in "No register set received".
    QTest::addRow("an erased EEPROM") << QByteArray("0XFFFFFFFF\r\n").repeated(6) << "0, 1, 2, 3, 4, 5";
}

// Such words would set every control to nonsense; the panel keeps what the
// user had, says why, and follows the controls again at once.
void TestBoardPanel::aReadBackThatIsNoSetLoadsNothing()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, missing);
    TestPty pty;
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    openPort(d, pty.path());
    const QString before = d.listing();
    d.click("Init");
    QTRY_COMPARE_WITH_TIMEOUT(pty.wire(), QByteArray("INIT\r\n"), kCommandWaitMs);
    QVERIFY(pty.write(lines));
    QTRY_VERIFY_WITH_TIMEOUT(text1(d).contains(QStringLiteral("The set read back was not loaded: the board sent no "
                                                              "word for register %1:").arg(missing)),
                             kCommandWaitMs);
    QCOMPARE(d.panel.initFlag(), 0);
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral("2320.5"));
    QCOMPARE(d.listing(), before);
    d.type("FoutText", QStringLiteral("2400"));
    QVERIFY(d.listing().contains(QStringLiteral("N  240\n")));
}

void TestBoardPanel::repliesAndUserData()
{
    TestPty pty;
    PanelDriver d;
    openPort(d, pty.path());
    // Two lines in one read, the second split over reads: nothing is lost.
    QVERIFY(pty.write("Udata{ABCDEFGH}\r\nhello\r\nReg 5 0X0058"));
    QVERIFY(pty.write("0005\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(d.edit("Udata")->text(), QStringLiteral("ABCDEFGH"), kCommandWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(text1(d), QStringLiteral("Reg  5 580005\n"), kCommandWaitMs);

    // The lines without a word are shown when a sending command ends.
    d.click("SendAll");
    QTRY_VERIFY_WITH_TIMEOUT(commandButtonsEnabled(d), kCommandWaitMs);
    QCOMPARE(text1(d), QStringLiteral("Udata{ABCDEFGH}\nhello\n"));
}

void TestBoardPanel::boardStoppedMidCommand()
{
    Board board;
    QVERIFY(board.start({}));
    PanelDriver d;
    openPort(d, board.path());
    d.click("WriteAll");
    QTest::qWait(250);
    board.process().kill();
    QTRY_VERIFY_WITH_TIMEOUT(d.get<QWidget>("SetCP")->isVisible(), kCommandWaitMs);
    QVERIFY(d.get<QWidget>("CPNo")->isVisible());
    QVERIFY(!d.get<QWidget>("WriteAll")->isVisible());
    QVERIFY(!text1(d).isEmpty());
    QVERIFY(commandButtonsEnabled(d)); // ready for the next port
}

// The reply box used to say only "Lost the port …", though the EEPROM now
// held the new set's first registers and the old set's last.
void TestBoardPanel::writeEECutShortSaysWhatIsStored()
{
    TestPty pty;
    PanelDriver d;
    openPort(d, pty.path());
    d.click("WriteAll");
    // The port goes away after R(Reg5), W, R(Reg4), W, R(Reg3) at least.
    QTRY_VERIFY_WITH_TIMEOUT(pty.wire().count("\r\n") >= 5, kCommandWaitMs);
    const QList<QByteArray> lines = pty.wire().split('\n');
    const QString last = QString::fromLatin1(lines.at(lines.size() - 2).trimmed());
    pty.close();
    QTRY_VERIFY_WITH_TIMEOUT(text1(d).contains(QStringLiteral("Write EE again once the board is back")), kCommandWaitMs);
    const QString box = text1(d);
    QVERIFY2(box.indexOf(QStringLiteral("Lost the port ")) < box.indexOf(QStringLiteral("Write EE was cut short")),
             qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral("the last line out was ") + last), qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral("The stored set is now mixed: Reg5 to Reg")), qPrintable(box));
}

void TestBoardPanel::portMessagesSayWhatToDo_data()
{
    // What is typed ("file" a regular file, "held" a port another program
    // has), and what the reply box then says.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("says");
    QTest::addRow("a name") << "abc" << "Cannot open port abc: type a port number or a device path such as /dev/ttyUSB0";
    QTest::addRow("a device's name") << "ttyS0" << "/dev/ttyS0";
    QTest::addRow("a regular file") << "file" << "is not a serial port (a regular file)";
    QTest::addRow("/dev/null") << "/dev/null" << "is not a serial port";
    QTest::addRow("a port another program holds") << "held" << "another program has it (the lock file ";
}

// Each used to end in nothing or in the system's bare words.
void TestBoardPanel::portMessagesSayWhatToDo()
{
    QFETCH(QString, typed);
    QFETCH(QString, says);
    QTemporaryDir dir;
    TestPty pty;
    vantrel::SerialLink holder;
    if (typed == QLatin1String("file")) {
        typed = dir.filePath(QStringLiteral("settings.json"));
        QFile file(typed);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (typed == QLatin1String("held")) {
        typed = pty.path();
        QVERIFY(holder.open(typed).opened);
    }
    PanelDriver d;
    openPort(d, typed);
    QVERIFY2(text1(d).contains(says), qPrintable(text1(d)));
    QVERIFY(d.get<QWidget>("SetCP")->isVisible());
    QVERIFY(d.get<QWidget>("CPNo")->isVisible());
    QVERIFY(!d.get<QWidget>("SendAll")->isVisible());
}

void TestBoardPanel::noSetFromAPlanThatStopped_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("refusal");
    QTest::addRow("Set all Registers") << "SendAll" << "Set all Registers sent nothing";
    QTest::addRow("SetAll") << "SetAll" << "Set all Registers sent nothing";
    QTest::addRow("Write EE") << "WriteAll" << "Write EE sent nothing";
}

// The words of the last complete plan stay in place when a plan stops; they
// used to go out as if they were the settings' own.
void TestBoardPanel::noSetFromAPlanThatStopped()
{
    QFETCH(QString, button);
    QFETCH(QString, refusal);
    Board board;
    QVERIFY(board.start({QStringLiteral("--log")}));
    PanelDriver d;
    openPort(d, board.path());
    // As found: divider 16, then a 60 MHz PFD, and Auto Set >> back to divider 1.
    d.type("FoutText", QStringLiteral("2320.5"));
    d.arrows("OutDivCont", true, 4);
    d.type("FrText", QStringLiteral("30"));
    d.click("RefDbl");
    d.click("AutoDiv");
    QVERIFY(d.listing().startsWith(QStringLiteral("More than 12 bits needed for fractional registers")));
    d.sink.messages.clear();

    d.click(button.toLatin1().constData());
    const QString text = refusal + QStringLiteral(": the settings give no complete plan "
                                                  "(More than 12 bits needed for fractional registers).");
    QCOMPARE(d.sink.messages, QStringList{text});
    QCOMPARE(text1(d), text + QLatin1Char('\n'));
    QVERIFY(commandButtonsEnabled(d));

    // The read-back is still allowed, and a plan that completes goes out.
    d.click("Init");
    QTRY_COMPARE_WITH_TIMEOUT(lineTexts(board.logLines()), QStringList{"INIT"}, kCommandWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(d.panel.initFlag(), 0, kCommandWaitMs);
    QVERIFY(!d.listing().startsWith(QStringLiteral("More than 12 bits")));
    d.click(button.toLatin1().constData());
    QTRY_VERIFY_WITH_TIMEOUT(board.logLines().size() > 1, kCommandWaitMs);
    QCOMPARE(d.sink.messages.size(), 1);
}

QTEST_MAIN(TestBoardPanel)
#include "tst_board_panel.moc"
