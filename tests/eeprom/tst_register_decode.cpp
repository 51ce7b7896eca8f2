// Decoding a register set read back from the board: the worked example, each
// step that cannot be computed keeping its old value, the option bits, and
// the plan's own words decoding back to the plan.
#include <QtTest>

#include "frequency_plan.h"
#include "register_decode.h"
#include "worked_examples.h"

using namespace vantrel;

Q_DECLARE_METATYPE(vantrel::Settings)

namespace {

constexpr quint32 kWord0 = 0x00740640; // INT 232, FRAC 200
constexpr quint32 kWord1 = 0x0000FD01; // MOD 4000
constexpr quint32 kWord2 = 0x18004E42; // R 1, MUXOUT 6, charge pump 7
constexpr quint32 kWord4 = 0x0080001C; // fundamental feedback, divider 1, power 3

RegisterSet regIn(quint32 w0, quint32 w1, quint32 w2, quint32 w4)
{
    RegisterSet in{};
    in[0] = w0;
    in[1] = w1;
    in[2] = w2;
    in[4] = w4;
    // Words the decode must not read.
    in[3] = 0xFFFFFFFF;
    in[5] = 0xFFFFFFFF;
    return in;
}

// What an earlier plan left behind; a failed step must keep these.
PlanValues previousPlan()
{
    PlanValues p;
    p.fr = 7;
    p.fcomp = 3;
    p.resolution = 123;
    p.vco = 3000;
    p.fout = 1500;
    p.errorHz = 42;
    p.bandSelect = 24;
    return p;
}

} // namespace

class TestRegisterDecode : public QObject {
    Q_OBJECT
private slots:
    void planValues_data();
    void planValues();
    void optionBits_data();
    void optionBits();
    void plansDecodeBackToThemselves_data();
    void plansDecodeBackToThemselves();
};

void TestRegisterDecode::planValues_data()
{
    QTest::addColumn<quint32>("w0");
    QTest::addColumn<quint32>("w1");
    QTest::addColumn<quint32>("w2");
    QTest::addColumn<quint32>("w4");
    QTest::addColumn<QString>("frText");
    QTest::addColumn<QList<double>>("values"); // N, Fract, Denom, R, OutDiv, Fr, Fcomp, Resolution, VCO, Fout
    QTest::addColumn<int>("outDivCont");       // -1: the scroll bar keeps its position
    QTest::addColumn<QStringList>("texts");    // Rdivider, Fvco, Label6, ResolutionText, FoutText

    QTest::addRow("worked example") << kWord0 << kWord1 << kWord2 << kWord4 << "10"
        << QList<double>{232, 200, 4000, 1, 1, 10, 10, 2500, 2320.5, 2320.5} << 0
        << QStringList{" 1", "VCO  2320.5MHz", "Fcomp 10", " 2500", " 2320.5"};
    QTest::addRow("bit 31 set: words arrive negative") << (kWord0 | 0x80000000u) << (kWord1 | 0x80000000u)
        << (kWord2 | 0x80000000u) << (kWord4 | 0x80000000u) << "10"
        << QList<double>{232, 200, 4000, 1, 1, 10, 10, 2500, 2320.5, 2320.5} << 0
        << QStringList{" 1", "VCO  2320.5MHz", "Fcomp 10", " 2500", " 2320.5"};
    QTest::addRow("doubler makes Fr 20") << kWord0 << kWord1 << (kWord2 | 0x02000000u) << kWord4 << "10"
        << QList<double>{232, 200, 4000, 1, 1, 20, 20, 5000, 4641, 4641} << 0
        << QStringList{" 1", "VCO  4641MHz", "Fcomp 20", " 5000", " 4641"};
    QTest::addRow("divider 4 divides output and step") << kWord0 << kWord1 << kWord2 << (kWord4 | (2u << 20)) << "10"
        << QList<double>{232, 200, 4000, 1, 4, 10, 10, 625, 2320.5, 580.125} << 2
        << QStringList{" 1", "VCO  2320.5MHz", "Fcomp 10", " 625", " 580.125"};
    // A set stored with divided feedback: the fraction gives the output, and the
    // VCO runs four times faster. Taken literally, the decode would move the
    // output to 250.0625 MHz and the next recalculation would keep it there.
    QTest::addRow("divided feedback: fraction gives the output") << 0x003200C8u << 0x08009F41u << 0x6E009E22u
        << 0x00250424u << "10" << QList<double>{100, 25, 1000, 2, 4, 20, 10, 10000, 4001, 1000.25} << 2
        << QStringList{" 2", "VCO  4001MHz", "Fcomp 10", " 10000", " 1000.25"};
    QTest::addRow("divider code 7: 128, beyond the scroll bar") << kWord0 << kWord1 << kWord2
        << (kWord4 | (7u << 20)) << "10"
        << QList<double>{232, 200, 4000, 1, 128, 10, 10, 19.53125, 2320.5, 18.12890625} << -1
        << QStringList{" 1", "VCO  2320.5MHz", "Fcomp 10", " 19.53125", " 18.12890625"};
    QTest::addRow("integer mode with MOD 0 decodes, FRAC ignored") << kWord0 << 0x00008001u << (kWord2 | 0x100u)
        << kWord4 << "10" << QList<double>{232, 200, 0, 1, 1, 10, 10, 10000000, 2320, 2320} << 0
        << QStringList{" 1", "VCO  2320MHz", "Fcomp 10", " 10000000", " 2320"};
    QTest::addRow("R field 0 keeps the old Fcomp") << kWord0 << kWord1 << (kWord2 & ~0x00FFC000u) << kWord4 << "10"
        << QList<double>{232, 200, 4000, 0, 1, 10, 3, 750, 232.05 * 3, 232.05 * 3} << 0
        << QStringList{" 0", "VCO  696.15MHz", "Fcomp 3", " 750", " 696.15"};
    QTest::addRow("MOD 0 in fractional mode keeps Resolution and VCO") << kWord0 << 0x00008001u << kWord2 << kWord4
        << "10" << QList<double>{232, 200, 0, 1, 1, 10, 10, 123, 3000, 3000} << 0
        << QStringList{" 1", "VCO  3000MHz", "Fcomp 10", " 123", " 3000"};
    QTest::addRow("reference beyond a double keeps the old Fr") << kWord0 << kWord1 << kWord2 << kWord4 << "1e999"
        << QList<double>{232, 200, 4000, 1, 1, 7, 7, 1750, 232.05 * 7, 232.05 * 7} << 0
        << QStringList{" 1", "VCO  1624.35MHz", "Fcomp 7", " 1750", " 1624.35"};
    QTest::addRow("no reference typed") << kWord0 << kWord1 << kWord2 << kWord4 << "abc"
        << QList<double>{232, 200, 4000, 1, 1, 0, 0, 0, 0, 0} << 0
        << QStringList{" 1", "VCO  0MHz", "Fcomp 0", " 0", " 0"};
}

void TestRegisterDecode::planValues()
{
    QFETCH(quint32, w0);
    QFETCH(quint32, w1);
    QFETCH(quint32, w2);
    QFETCH(quint32, w4);
    QFETCH(QString, frText);
    QFETCH(QList<double>, values);
    QFETCH(int, outDivCont);
    QFETCH(QStringList, texts);

    const PlanValues previous = previousPlan();
    const DecodedRegisterSet d = decodeRegisterSet(regIn(w0, w1, w2, w4), frText.toStdString(), previous);
    const PlanValues& p = d.plan;
    const QList<double> decoded{p.n, p.fract, p.denom, p.r, p.outDiv, p.fr, p.fcomp, p.resolution, p.vco, p.fout};
    QCOMPARE(decoded, values);
    QCOMPARE(d.outDivCont.value_or(-1), outDivCont);
    const QStringList decodedTexts{QString::fromStdString(d.rdividerText), QString::fromStdString(d.fvcoCaption),
                                   QString::fromStdString(d.label6Caption), QString::fromStdString(d.resolutionText),
                                   QString::fromStdString(d.foutText)};
    QCOMPARE(decodedTexts, texts);
    // What the decode does not touch stays as the earlier plan left it.
    QCOMPARE(p.errorHz, previous.errorHz);
    QCOMPARE(p.bandSelect, previous.bandSelect);
}

void TestRegisterDecode::optionBits_data()
{
    QTest::addColumn<quint32>("w1");
    QTest::addColumn<quint32>("w2");
    QTest::addColumn<quint32>("w4");
    // RefDbl, Refdiv2, Prescale8, Feedback, LowSpur, IntN, PDpol ticked
    QTest::addColumn<QList<bool>>("boxes");
    QTest::addColumn<int>("muxVal");
    QTest::addColumn<int>("button"); // -1: none selected by the decode
    QTest::addColumn<int>("chrgPump");
    QTest::addColumn<int>("pwr");

    const int none = -1;
    const auto button = [](MuxButton b) { return static_cast<int>(b); };
    QTest::addRow("worked example: every box clear") << kWord1 << kWord2 << kWord4
        << QList<bool>{false, false, false, false, false, false, false} << 6 << button(MuxButton::MuxL) << 7 << 3;
    QTest::addRow("every box ticked") << (kWord1 | 0x08000000u) << ((kWord2 | 0x63000100u) & ~0x40u)
        << (kWord4 & ~0x00800000u) << QList<bool>{true, true, true, true, true, true, true} << 6
        << button(MuxButton::MuxL) << 7 << 3;
    QTest::addRow("low spur from bit 30 alone") << kWord1 << (kWord2 | 0x40000000u) << kWord4
        << QList<bool>{false, false, false, false, true, false, false} << 6 << button(MuxButton::MuxL) << 7 << 3;
    QTest::addRow("low spur from bit 29 alone") << kWord1 << (kWord2 | 0x20000000u) << kWord4
        << QList<bool>{false, false, false, false, true, false, false} << 6 << button(MuxButton::MuxL) << 7 << 3;
    const struct {
        int code;
        int button;
    } muxCodes[] = {{0, button(MuxButton::MuxNone)}, {1, none}, {2, none}, {3, button(MuxButton::MuxR)},
                    {4, button(MuxButton::MuxN)},    {5, none}, {6, button(MuxButton::MuxL)}, {7, none}};
    for (const auto& mux : muxCodes) {
        QTest::addRow("MUXOUT code %d", mux.code)
            << kWord1 << ((kWord2 & ~0x1C000000u) | (quint32(mux.code) << 26)) << kWord4
            << QList<bool>{false, false, false, false, false, false, false} << mux.code << mux.button << 7 << 3;
    }
}

void TestRegisterDecode::optionBits()
{
    QFETCH(quint32, w1);
    QFETCH(quint32, w2);
    QFETCH(quint32, w4);
    QFETCH(QList<bool>, boxes);
    QFETCH(int, muxVal);
    QFETCH(int, button);
    QFETCH(int, chrgPump);
    QFETCH(int, pwr);

    const DecodedRegisterSet d = decodeRegisterSet(regIn(kWord0, w1, w2, w4), "10", previousPlan());
    QCOMPARE((QList<bool>{d.refDbl, d.refDiv2, d.prescale8, d.feedback, d.lowSpur, d.intN, d.pdPol}), boxes);
    QCOMPARE(d.plan.muxVal, muxVal);
    QCOMPARE(d.muxButton ? static_cast<int>(*d.muxButton) : -1, button);
    QCOMPARE(d.chrgPump, chrgPump);
    QCOMPARE(d.pwr, pwr);
}

void TestRegisterDecode::plansDecodeBackToThemselves_data()
{
    QTest::addColumn<Settings>("settings");
    for (const worked::Example& example : worked::registerExamples())
        QTest::addRow("%s", example.name) << example.settings;
}

void TestRegisterDecode::plansDecodeBackToThemselves()
{
    // A set the board was sent and reads back must give the same plan and
    // settings, and the output the plan actually synthesizes.
    QFETCH(Settings, settings);
    const PlanResult plan = computePlan(settings, {});
    QCOMPARE(plan.outcome, PlanOutcome::Complete);
    const RegisterSet& w = plan.values.registers;
    const DecodedRegisterSet d = decodeRegisterSet(regIn(w[0], w[1], w[2], w[4]), settings.frText, PlanValues{});

    QCOMPARE(d.refDbl, settings.refDbl);
    QCOMPARE(d.refDiv2, settings.refDiv2);
    QCOMPARE(d.prescale8, settings.prescale8);
    QCOMPARE(d.feedback, settings.feedback);
    QCOMPARE(d.lowSpur, settings.lowSpur);
    QCOMPARE(d.intN, settings.intN);
    QCOMPARE(d.pdPol, settings.pdPol);
    QCOMPARE(d.muxButton, std::optional<MuxButton>(settings.mux));
    QCOMPARE(d.chrgPump, settings.chrgPump);
    QCOMPARE(d.pwr, settings.pwr);
    QCOMPARE(d.outDivCont, std::optional<int>(settings.outDivCont));

    const PlanValues& p = d.plan;
    QCOMPARE(p.n, plan.values.n);
    QCOMPARE(p.fract, settings.intN ? 0.0 : plan.values.fract);
    QCOMPARE(p.denom, plan.values.denom);
    QCOMPARE(p.r, plan.values.r);
    QCOMPARE(p.outDiv, plan.values.outDiv);
    QCOMPARE(p.fr, plan.values.fr);
    QCOMPARE(p.fcomp, plan.values.fcomp);
    QCOMPARE(p.muxVal, plan.values.muxVal);
    // The decoded output misses the wanted one by exactly the plan's error.
    QVERIFY2(std::abs((p.fout - plan.values.fout) * 1000000 - plan.values.errorHz) < 1e-3,
             qPrintable(QStringLiteral("decoded %1 MHz, planned %2 MHz with an error of %3 Hz")
                            .arg(p.fout, 0, 'g', 15).arg(plan.values.fout, 0, 'g', 15).arg(plan.values.errorHz)));
    // Recalculating around the decoded VCO, as the window does, keeps the registers.
    Settings decoded = settings;
    decoded.trackDivider = true;
    decoded.foutText = "ignored while tracking";
    const PlanResult again = computePlan(decoded, p);
    QCOMPARE(again.outcome, PlanOutcome::Complete);
    QCOMPARE(again.values.registers, plan.values.registers);
}

QTEST_APPLESS_MAIN(TestRegisterDecode)
#include "tst_register_decode.moc"
