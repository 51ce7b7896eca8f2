// The chip-check strip under the panel, driven through the real window: its
// text, colour and tool tip follow every run of the plan and every decode.
#include <QtTest>

#include "chip_check_strip.h"
#include "main_window.h"
#include "panel_driver.h"
#include "widget_colours.h"

namespace {

struct WindowDriver {
    WindowDriver() : window(d.panel) { window.show(); }
    ChipCheckStrip* strip() const { return window.chipCheckStrip(); }
    vantrel::Colour background() const { return roleColour(strip(), QPalette::Window); }

    PanelDriver d;
    MainWindow window;
};

} // namespace

class TestChipCheckStrip : public QObject {
    Q_OBJECT
private slots:
    void theWindowGrowsByTheStrip();
    void followsThePlan();
    void followsADecode();
    void keyboardReachesIt();
    void thePanelsOwnNotesComeFirst_data();
    void thePanelsOwnNotesComeFirst();
    void aLongTextIsCutWithAnEllipsis();
};

void TestChipCheckStrip::theWindowGrowsByTheStrip()
{
    WindowDriver w;
    QCOMPARE(w.d.panel.size(), QSize(433, 552));
    QCOMPARE(w.d.panel.pos(), QPoint(0, 0));
    QCOMPARE(w.window.size(), QSize(433, 552 + ChipCheckStrip::kHeight));
    QCOMPARE(QRect(w.strip()->mapTo(&w.window, QPoint(0, 0)), w.strip()->size()),
             QRect(0, 552, 433, ChipCheckStrip::kHeight));
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Vantrel"));
    // No plan has run yet, but the strip tells the state of the start
    // settings (it used to stay blank until the first keystroke) ...
    QCOMPARE(w.strip()->text(), QStringLiteral("Within chip limits"));
    // ... without running the plan, whose results box stays empty.
    QCOMPARE(w.d.listing(), QString());
}

void TestChipCheckStrip::followsThePlan()
{
    WindowDriver w;
    w.d.type("FoutText", QStringLiteral("2320.5"));
    QCOMPARE(w.strip()->text(), QStringLiteral("Within chip limits"));
    const vantrel::Colour green = w.background();

    w.d.type("ResolutionText", QStringLiteral("100000"));
    w.d.type("FrText", QStringLiteral("30"));
    w.d.type("FoutText", QStringLiteral("2200")); // INT 73
    QCOMPARE(w.strip()->text(), QStringLiteral("INT 73 below 75 for prescaler 8/9"));
    const vantrel::Colour amber = w.background();
    QVERIFY(amber != green);
    // The limits first; the plan's quality figures follow after a blank line.
    QCOMPARE(w.strip()->toolTip().section(QStringLiteral("\n\n"), 0, 0),
             QStringLiteral("INT 73 below 75 for prescaler 8/9: clear Prescalar 8/9 "
                            "(VCO up to 3600 MHz) or lower the PFD"));
    QVERIFY(w.strip()->toolTip().contains(QStringLiteral("\n\nPlan quality. ")));
    QVERIFY(w.strip()->toolTip().contains(QStringLiteral("\nIn-band noise at 10 kHz: -105.5 dBc/Hz\n")));

    w.d.type("FoutText", QStringLiteral("2190")); // INT 73 and a VCO below 2200
    QCOMPARE(w.strip()->text(), QStringLiteral("INT 73 below 75 for prescaler 8/9 (+1 more)"));
    QCOMPARE(w.strip()->toolTip().section(QStringLiteral("\n\n"), 0, 0).split(QLatin1Char('\n')).size(), 2);
    QVERIFY(w.strip()->toolTip().contains(QStringLiteral("VCO 2190 MHz below 2200 MHz: press Auto Set >>")));
    QCOMPARE(w.strip()->accessibleDescription(), w.strip()->text() + QLatin1Char('\n') + w.strip()->toolTip());

    w.d.type("FrText", QStringLiteral("10"));
    QCOMPARE(w.strip()->text(), QStringLiteral("VCO 2190 MHz below 2200 MHz"));
    w.d.click("AutoDiv");
    QCOMPARE(w.strip()->text(), QStringLiteral("Within chip limits"));
    QCOMPARE(w.background(), green);
}

void TestChipCheckStrip::followsADecode()
{
    WindowDriver w;
    w.d.type("FoutText", QStringLiteral("2200"));
    w.d.type("FrText", QStringLiteral("30")); // INT 73
    QVERIFY(w.strip()->text().startsWith(QStringLiteral("INT 73")));
    // The first worked set, read back with a 10 MHz reference.
    w.d.type("FrText", QStringLiteral("10"));
    w.d.type("FoutText", QStringLiteral("5000"));
    QVERIFY(w.strip()->text().startsWith(QStringLiteral("VCO 5000 MHz")));
    w.d.panel.decodeInput({0x00740640, 0x0800FD01, 0x18004E42, 3, 0x0085003C, 0x00580005});
    QCOMPARE(w.d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    QCOMPARE(w.strip()->text(), QStringLiteral("Within chip limits"));
}

void TestChipCheckStrip::keyboardReachesIt()
{
    WindowDriver w;
    w.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.d.check("IntN")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.strip());
    QCOMPARE(w.strip()->accessibleName(), QStringLiteral("Chip limits"));
}

void TestChipCheckStrip::thePanelsOwnNotesComeFirst_data()
{
    QTest::addColumn<QString>("fout");
    QTest::addColumn<bool>("autoSet");
    QTest::addColumn<QString>("says");
    QTest::addColumn<double>("plannedFout"); // the reading stays as it always was
    // Each used to leave a green strip, or nothing changed at all.
    QTest::addRow("a decimal comma") << "2320,5" << false << "Wanted F out reads 2320,5 as 2320 MHz" << 2320.0;
    QTest::addRow("Auto Set >> above 4400 MHz")
        << "4400.1" << true
        << "Auto Set >> needs an output of 35 to 4400 MHz (Wanted F out reads 4400.1 MHz); the O/P divider stays "
           "as it was (+"
        << 4400.1;
    QTest::addRow("Auto Set >> below 35 MHz") << "34.9" << true << "Auto Set >> needs an output of 35 to 4400 MHz"
                                              << 34.9;
}

void TestChipCheckStrip::thePanelsOwnNotesComeFirst()
{
    QFETCH(QString, fout);
    QFETCH(bool, autoSet);
    QFETCH(QString, says);
    QFETCH(double, plannedFout);
    WindowDriver w;
    w.d.type("FoutText", QStringLiteral("2320.5"));
    const vantrel::Colour green = w.background();
    w.d.arrows("OutDivCont", true, 6); // divider 64: the VCO breaks its limit at these outputs
    w.d.type("FoutText", fout);
    if (autoSet)
        w.d.click("AutoDiv");
    QVERIFY2(w.strip()->text().startsWith(says), qPrintable(w.strip()->text()));
    QVERIFY(w.background() != green);
    QVERIFY(w.strip()->toolTip().startsWith(says.section(QStringLiteral(" (+"), 0, 0)));
    QCOMPARE(w.d.bar("OutDivCont")->settingValue(), 6);
    QCOMPARE(w.d.panel.plan().fout, plannedFout);

    // The next run of the plan says what holds then.
    w.d.arrows("OutDivCont", false, 6);
    w.d.type("FoutText", QStringLiteral("2320.5"));
    QCOMPARE(w.strip()->text(), QStringLiteral("Within chip limits"));
}

void TestChipCheckStrip::aLongTextIsCutWithAnEllipsis()
{
    WindowDriver w;
    w.d.type("FoutText", QStringLiteral("2320,5 MHz, or thereabouts"));
    w.d.type("FrText", QStringLiteral("10,0"));
    const QString whole = w.strip()->text();
    QVERIFY2(whole.endsWith(QStringLiteral("(+1 more)")), qPrintable(whole));
    QVERIFY(w.strip()->fontMetrics().horizontalAdvance(whole) > w.strip()->width());
    const QString shown = w.strip()->shownText();
    QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
    QVERIFY(whole.startsWith(shown.chopped(1)));
    QVERIFY(w.strip()->fontMetrics().horizontalAdvance(shown) <= w.strip()->width());
    // The whole of it stays in the tool tip.
    QVERIFY(w.strip()->toolTip().contains(QStringLiteral("Ref In reads 10,0 as 10 MHz")));
}

QTEST_MAIN(TestChipCheckStrip)
#include "tst_chip_check_strip.moc"
