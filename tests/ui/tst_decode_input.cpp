// Loading a register set read back from the board into the window.
#include <QtTest>

#include "hex_codec.h"
#include "panel_driver.h"

namespace {

vantrel::RegisterSet regIn(std::uint32_t reg0, std::uint32_t reg1, std::uint32_t reg2, std::uint32_t reg4)
{
    return {reg0, reg1, reg2, 3, reg4, 0x00580005};
}

} // namespace

class TestDecodeInput : public QObject {
    Q_OBJECT
private slots:
    void workedExampleLoadsTheControls();
    void oneRecalculationOnly();
    void dividerBeyondTheScrollBarKeepsItsPosition();
};

void TestDecodeInput::workedExampleLoadsTheControls()
{
    PanelDriver d;
    d.arrow("OutDivCont", true);
    d.click("TrackDivider");
    d.click("Prescale8"); // the set clears it again
    d.sink.messages.clear();
    d.panel.decodeInput(regIn(0x00740640, 0x0000FD01, 0x18004E42, 0x0080001C));

    QVERIFY(d.get<QRadioButton>("MuxL")->isChecked());
    QCOMPARE(d.bar("ChrgPump")->settingValue(), 7);
    QCOMPARE(d.bar("Pwr")->settingValue(), 3);
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 0);
    QCOMPARE(d.edit("Rdivider")->text(), QStringLiteral(" 1"));
    QCOMPARE(d.edit("ResolutionText")->text(), QStringLiteral(" 2500"));
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    for (const char* name : {"RefDbl", "Refdiv2", "Prescale8", "Feedback", "LowSpur", "IntN", "PDpol", "TrackDivider"})
        QVERIFY2(!d.check(name)->isChecked(), name);
    QCOMPARE(d.panel.initFlag(), 0);
    QVERIFY(d.listing().startsWith(QStringLiteral("Fcomp  10.00MHz\nR  1\nN  232\nF  200\nD  4000     \n")));
    QCOMPARE(QString::fromStdString(vantrel::hexFormat(d.panel.plan().registers[2])), QStringLiteral("18004E42"));
    QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  2320.5MHz"));
    QCOMPARE(d.label("Label6")->text(), QStringLiteral("Fcomp 10.0"));
}

// Every control the decode writes raises its handler; none may recalculate
// from half-written settings. A plan that asks for the prescaler shows its
// message on every recalculation, so the messages count them.
void TestDecodeInput::oneRecalculationOnly()
{
    PanelDriver d;
    d.type("FoutText", QStringLiteral("2320.5"));
    d.sink.messages.clear();
    // VCO 4641 at divider 2, prescaler 4/5: INT 464, FRAC 200, MOD 2000.
    d.panel.decodeInput(regIn(0x00E80640, 0x00003E81, 0x18004E42, 0x0091003C));
    QCOMPARE(d.sink.messages.size(), 1);
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 1);
    QCOMPARE(d.edit("FoutText")->text(), QStringLiteral(" 2320.5"));
    QCOMPARE(d.label("Fvco")->text(), QStringLiteral("VCO  4641MHz\nExternal VCO Only"));
}

void TestDecodeInput::dividerBeyondTheScrollBarKeepsItsPosition()
{
    PanelDriver d;
    d.arrows("OutDivCont", true, 2);
    d.panel.decodeInput(regIn(0x00740640, 0x0000FD01, 0x18004E42, 0x00F0001C)); // divider code 7
    QCOMPARE(d.bar("OutDivCont")->settingValue(), 2);
    QCOMPARE(d.panel.plan().outDiv, 4.0); // the plan takes its divider from the scroll bar
}

QTEST_MAIN(TestDecodeInput)
#include "tst_decode_input.moc"
