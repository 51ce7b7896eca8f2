// The chip check: a plan on each side of each datasheet bound names exactly
// the limits it breaks, and the datasheet's worked examples name none.
#include <QtTest>

#include "auto_divider.h"
#include "chip_check.h"
#include "plan_session.h"
#include "worked_examples.h"

using namespace vantrel;

Q_DECLARE_METATYPE(vantrel::Settings)
Q_DECLARE_METATYPE(vantrel::ChipLimit)

namespace {

// The controls as typed; the rest is the first worked example's.
Settings typed(const char* ref, const char* fout, const char* resolution, const char* rdiv = "1")
{
    Settings s = worked::first();
    s.frText = ref;
    s.foutText = fout;
    s.resolutionText = resolution;
    s.rdividerText = rdiv;
    return s;
}

QStringList names(const ChipLimitBreaks& breaks)
{
    static const char* const kNames[] = {"RefIn", "RefInDoubled", "IntMin", "IntMax", "Mod", "Frac",
                                         "RCounter", "Pfd", "BandSelectClock", "Vco", "Prescaler45", "Output",
                                         "LowSpurMod", "PhaseValue", "CycleSlipReduction", "ChargeCancellation",
                                         "Antibacklash", "MuxNDivider", "MuxReserved"};
    QStringList list;
    for (const ChipLimitBreak& item : breaks)
        list << QString::fromLatin1(kNames[int(item.limit)]);
    return list;
}

// The broken limits after the panel's runs of `settings` and `presses`.
ChipLimitBreaks breaksAfter(const Settings& settings, const Presses& presses = {})
{
    PlanSession session(settings);
    session.press(presses);
    return checkChipLimits(session.settings(), session.result());
}

const ChipLimitBreak* find(const ChipLimitBreaks& breaks, ChipLimit limit)
{
    for (const ChipLimitBreak& item : breaks) {
        if (item.limit == limit)
            return &item;
    }
    return nullptr;
}

// The single changes an advice text names: "lower the PFD: a larger Ref
// Divider, or tick Ref Divide/2" names two.
QStringList curesIn(QString advice)
{
    for (const char* lead : {"lower the PFD: ", "raise the PFD: "}) {
        if (advice.startsWith(QLatin1String(lead)))
            advice.remove(0, int(qstrlen(lead)));
    }
    return advice.split(QRegularExpression(QStringLiteral(", or |, | or ")));
}

// Whether making the change `cure` names to `settings` mends `limit`; for
// "choose another O/P divider", whether some other divider does.
bool cures(const QString& cure, Settings s, ChipLimit limit)
{
    Presses presses;
    if (cure == QLatin1String("choose another O/P divider")) {
        for (int k = 0; k <= 6; ++k) {
            Settings moved = s;
            moved.outDivCont = k;
            if (k != s.outDivCont && !find(breaksAfter(moved), limit))
                return true;
        }
        return false;
    }
    if (cure.startsWith(QLatin1String("clear Prescalar 8/9")))
        s.prescale8 = false;
    else if (cure == QLatin1String("lower the PFD") || cure == QLatin1String("a larger Ref Divider")
             || cure == QLatin1String("raise the Ref Divider"))
        s.rdividerText = "1023";
    else if (cure == QLatin1String("a smaller Ref Divider"))
        s.rdividerText = "1";
    else if (cure == QLatin1String("tick Ref Divide/2") || cure == QLatin1String("clear Ref Divide/2"))
        s.refDiv2 = !s.refDiv2;
    else if (cure == QLatin1String("tick Ref Doubler") || cure == QLatin1String("clear Ref Doubler"))
        s.refDbl = !s.refDbl;
    else if (cure == QLatin1String("press Auto Set >>"))
        presses.autoSet = true;
    else if (cure.startsWith(QLatin1String("enter a Wanted F out of 35 to 4400 MHz"))) {
        s.foutText = "1000";
        presses.autoSet = true;
    } else
        qFatal("no change known for \"%s\"", qPrintable(cure));
    return !find(breaksAfter(s, presses), limit);
}

} // namespace

class TestChipCheck : public QObject {
    Q_OBJECT
private slots:
    void eachSideOfEachBound_data();
    void eachSideOfEachBound();
    void anItemSaysWhatAndWhatToDo();
    void theAdviceCures_data();
    void theAdviceCures();
    void fracOutsideItsRange();
    void stoppedPlansAreCheckedOnWhatTheyComputed();
    void optionBounds_data();
    void optionBounds();
    void optionItemsSayWhatAndWhatToDo();
    void integerNAdvice_data();
    void integerNAdvice();
    void everyTextOfEachVariant_data();
    void everyTextOfEachVariant();
    void boxesReadAsLessThanTheirText_data();
    void boxesReadAsLessThanTheirText();
    void autoSetSaysWhyItCannotAct();
};

void TestChipCheck::eachSideOfEachBound_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QStringList>("broken");

    QTest::addRow("the first worked example") << worked::first() << QStringList{};
    // The datasheet's own examples: 2112.6 MHz with divider 2 gives INT 422,
    // FRAC 13, MOD 25; 1500.5 MHz from 25 MHz in 500 kHz steps INT 120, FRAC 1, MOD 25.
    Settings s = typed("10", "2112.6", "200000");
    s.outDivCont = 1;
    QTest::addRow("datasheet: 2112.6 MHz") << s << QStringList{};
    s = typed("25", "1500.5", "500000");
    s.outDivCont = 1;
    QTest::addRow("datasheet: 1500.5 MHz") << s << QStringList{};
    QTest::addRow("12.8 MHz reference") << typed("12.8", "2320.5", "100000") << QStringList{};

    QTest::addRow("REFIN 10") << typed("10", "2320.5", "100000") << QStringList{};
    QTest::addRow("REFIN 9.99") << typed("9.99", "2320.5", "100000") << QStringList{"RefIn"};
    QTest::addRow("REFIN 250") << typed("250", "2320.5", "100000", "10") << QStringList{};
    QTest::addRow("REFIN 250.1") << typed("250.1", "2320.5", "100000", "10") << QStringList{"RefIn"};
    s = typed("30", "2320.5", "100000", "2");
    s.refDbl = true;
    QTest::addRow("REFIN 30 doubled") << s << QStringList{};
    s.frText = "30.5";
    QTest::addRow("REFIN 30.5 doubled") << s << QStringList{"RefInDoubled"};

    QTest::addRow("INT 75 with 8/9") << typed("30", "2250", "100000") << QStringList{};
    QTest::addRow("INT 74 with 8/9") << typed("30", "2240", "100000") << QStringList{"IntMin"};
    // No VCO and PFD inside their limits reach INT 23; the PFD breaks too.
    s = typed("100", "2300", "1000000");
    s.prescale8 = false;
    QTest::addRow("INT 23 with 4/5") << s << QStringList{"Pfd", "BandSelectClock"};
    s.foutText = "2299";
    QTest::addRow("INT 22 with 4/5") << s << QStringList{"IntMin", "Pfd", "BandSelectClock"};

    QTest::addRow("MOD 2") << typed("10", "2320.5", "5000000") << QStringList{};
    QTest::addRow("MOD 1 in fractional mode") << typed("10", "2320.5", "10000000") << QStringList{"Mod"};
    s = typed("10", "2320", "10000000");
    s.intN = true;
    QTest::addRow("MOD 0 in integer-N") << s << QStringList{};
    QTest::addRow("MOD 4095") << typed("10", "2320.5", "2442.002442") << QStringList{};
    QTest::addRow("MOD 4096") << typed("10", "2320.5", "2441.40625") << QStringList{"Mod"};

    QTest::addRow("PFD 31.875") << typed("31.875", "2400", "100000") << QStringList{};
    QTest::addRow("PFD 32: band-select clock 125.5 kHz") << typed("32", "2400", "100000")
                                                          << QStringList{"BandSelectClock"};
    QTest::addRow("PFD 32.1") << typed("32.1", "2500", "100000") << QStringList{"Pfd", "BandSelectClock"};

    QTest::addRow("VCO 2200") << typed("10", "2200", "100000") << QStringList{};
    QTest::addRow("VCO 2199.9") << typed("10", "2199.9", "100000") << QStringList{"Vco"};
    QTest::addRow("VCO 4400") << typed("10", "4400", "100000") << QStringList{};
    QTest::addRow("VCO 4400.1") << typed("10", "4400.1", "100000") << QStringList{"Vco", "Output"};
    s = typed("10", "3600", "100000");
    s.prescale8 = false;
    QTest::addRow("VCO 3600 with 4/5") << s << QStringList{};
    s.foutText = "3600.1";
    QTest::addRow("VCO 3600.1 with 4/5") << s << QStringList{"Prescaler45"};
    s = typed("10", "35", "100");
    s.outDivCont = 6;
    QTest::addRow("output 35") << s << QStringList{};
    s.foutText = "34.9";
    QTest::addRow("output 34.9") << s << QStringList{"Output"};
}

void TestChipCheck::eachSideOfEachBound()
{
    QFETCH(Settings, settings);
    QFETCH(QStringList, broken);
    const PlanResult result = computePlan(settings, {});
    QCOMPARE(names(checkChipLimits(settings, result)), broken);
}

void TestChipCheck::anItemSaysWhatAndWhatToDo()
{
    const Settings s = typed("30", "2200", "100000"); // INT 73
    const ChipLimitBreaks breaks = checkChipLimits(s, computePlan(s, {}));
    QCOMPARE(breaks.size(), std::size_t(1));
    QCOMPARE(breaks[0].name(), std::string_view("INT"));
    QCOMPARE(breaks[0].value, 73.0);
    QCOMPARE(breaks[0].boundText(), std::string("at least 75 with prescaler 8/9"));
    QCOMPARE(breaks[0].text(),
             std::string("INT 73 below 75 for prescaler 8/9: clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD"));

    // Above 3600 MHz the prescaler must stay 8/9: the advice does not offer clearing it.
    const Settings high = typed("50", "3700", "100000");
    const ChipLimitBreaks highBreaks = checkChipLimits(high, computePlan(high, {}));
    QVERIFY(!highBreaks.empty());
    QCOMPARE(highBreaks[0].summary(), std::string("INT 74 below 75 for prescaler 8/9"));
    QVERIFY(highBreaks[0].advice().find("Prescalar") == std::string::npos);
}

void TestChipCheck::theAdviceCures_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<ChipLimit>("limit");
    QTest::addColumn<QString>("advice");

    QTest::addRow("INT 73 with 8/9") << typed("30", "2200", "100000") << ChipLimit::IntMin
                                     << "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD";
    // 4/5 needs INT 23: clearing 8/9 cannot mend INT 7 or 3, nor can halving the PFD.
    Settings s = typed("250", "2200", "100000", "1");
    s.refDiv2 = true; // PFD 125: INT 17
    QTest::addRow("INT 17 with 8/9, Ref Divide/2 ticked") << s << ChipLimit::IntMin
                                                          << "lower the PFD: a larger Ref Divider";
    s = typed("250", "2200", "100000", "1"); // PFD 250: INT 8
    QTest::addRow("INT 8 with 8/9") << s << ChipLimit::IntMin << "lower the PFD: a larger Ref Divider";
    s.prescale8 = false;
    QTest::addRow("INT 8 with 4/5") << s << ChipLimit::IntMin << "lower the PFD: a larger Ref Divider";
    s.frText = "180"; // INT 12: halving the PFD gives 24
    QTest::addRow("INT 12 with 4/5")
        << s << ChipLimit::IntMin << "lower the PFD: a larger Ref Divider, or tick Ref Divide/2";
    s = typed("30", "2300", "100000");
    s.refDbl = true; // PFD 60: INT 38
    QTest::addRow("INT 38 with 8/9 and the doubler, VCO 2300")
        << s << ChipLimit::IntMin
        << "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD";
    s.prescale8 = false;
    s.foutText = "1200";
    s.outDivCont = 0; // VCO 1200 below range, INT 20
    QTest::addRow("INT 20 with 4/5 and the doubler")
        << s << ChipLimit::IntMin << "lower the PFD: clear Ref Doubler, a larger Ref Divider, or tick Ref Divide/2";

    QTest::addRow("INT above 65535") << typed("10", "2400", "100", "300") << ChipLimit::IntMax
                                     << "raise the PFD: a smaller Ref Divider, or tick Ref Doubler";

    s = typed("100", "2400", "100000");
    QTest::addRow("PFD 100") << s << ChipLimit::Pfd << "raise the Ref Divider";
    s = typed("50", "2400", "100000");
    QTest::addRow("PFD 50") << s << ChipLimit::Pfd << "raise the Ref Divider, or tick Ref Divide/2";
    s.refDiv2 = true;
    s.refDbl = true;
    s.frText = "33"; // 33 x 2 / 2
    QTest::addRow("PFD 33, Ref Divide/2 ticked") << s << ChipLimit::Pfd
                                                 << "raise the Ref Divider, or clear Ref Doubler";
    s.refDiv2 = false;
    s.frText = "20"; // 20 x 2 = 40
    QTest::addRow("PFD 40, doubled") << s << ChipLimit::Pfd
                                     << "raise the Ref Divider, tick Ref Divide/2, or clear Ref Doubler";

    QTest::addRow("VCO below range") << typed("10", "1000", "100000") << ChipLimit::Vco
                                     << "press Auto Set >>, or choose another O/P divider";
    s = typed("10", "34.5", "100000");
    s.outDivCont = 5; // 1104 MHz; divider 64 puts it at 2208, but Auto Set >> refuses 34.5
    QTest::addRow("VCO below range, output 34.5") << s << ChipLimit::Vco << "choose another O/P divider";
    s = typed("10", "20", "100000");
    QTest::addRow("VCO below range, output 20")
        << s << ChipLimit::Vco << "enter a Wanted F out of 35 to 4400 MHz and press Auto Set >>";
}

void TestChipCheck::theAdviceCures()
{
    QFETCH(Settings, settings);
    QFETCH(ChipLimit, limit);
    QFETCH(QString, advice);
    const ChipLimitBreaks breaks = breaksAfter(settings);
    const ChipLimitBreak* item = find(breaks, limit);
    QVERIFY(item);
    QCOMPARE(QString::fromStdString(item->advice()), advice);
    for (const QString& cure : curesIn(advice))
        QVERIFY2(cures(cure, settings, limit), qPrintable(cure));
}

// No plan of the panel leaves FRAC at MOD or above any more; a plan that did
// must still be named.
void TestChipCheck::fracOutsideItsRange()
{
    const Settings s = worked::first();
    PlanResult result = computePlan(s, {});
    result.values.fract = result.values.denom;
    const ChipLimitBreaks breaks = checkChipLimits(s, result);
    QCOMPARE(names(breaks), QStringList{"Frac"});
    QCOMPARE(breaks[0].text(), std::string("FRAC 4000 outside 0 to 3999 (MOD 4000): change the resolution or the "
                                           "output frequency"));
    QCOMPARE(breaks[0].boundText(), std::string("0 to MOD - 1"));
}

void TestChipCheck::stoppedPlansAreCheckedOnWhatTheyComputed()
{
    // No comparison frequency: INT, MOD and the band-select clock are stale, not checked.
    const Settings empty = typed("", "2320.5", "2500");
    const PlanResult noPfd = computePlan(empty, {});
    QCOMPARE(noPfd.outcome, PlanOutcome::NoPfd);
    QCOMPARE(names(checkChipLimits(empty, noPfd)), QStringList{"RefIn"});

    Settings wide = worked::first();
    wide.foutText = "655360";
    wide.intN = true;
    const PlanResult refused = computePlan(wide, {});
    QCOMPARE(refused.outcome, PlanOutcome::Refused);
    QCOMPARE(names(checkChipLimits(wide, refused)), (QStringList{"IntMax", "Vco", "Output"}));
}

// The bounds the chip options bring, and the PFD and band-select clock
// bounds that move with the mode. Each row names exactly what it breaks.
void TestChipCheck::optionBounds_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QStringList>("broken");

    // Integer-N: PFD 45 MHz, 90 MHz without the band selection. The clock
    // mode high keeps the band-select clock (PFD / 254) inside its 500 kHz.
    Settings s = typed("45", "4050", "100000");
    s.intN = true;
    s.chip.bandSelectClockMode = BandSelectClockMode::High;
    QTest::addRow("integer-N PFD 45") << s << QStringList{};
    s.frText = "45.1";
    s.foutText = "4059";
    QTest::addRow("integer-N PFD 45.1") << s << QStringList{"Pfd"};
    s.intN = false;
    s.frText = "45";
    s.foutText = "4050";
    QTest::addRow("fractional PFD 45") << s << QStringList{"Pfd"};
    s = typed("90", "3510", "100000");
    s.intN = true;
    s.prescale8 = false; // INT 39: prescaler 4/5 reaches it
    s.chip.bandSelectClockMode = BandSelectClockMode::High;
    s.chip.phaseAdjust = true;
    QTest::addRow("integer-N PFD 90 with phase adjust") << s << QStringList{};
    s.frText = "90.5";
    s.foutText = "3529.5";
    QTest::addRow("integer-N PFD 90.5 with phase adjust") << s << QStringList{"Pfd"};
    s.frText = "90";
    s.foutText = "3510";
    s.chip.phaseAdjust = false;
    QTest::addRow("integer-N PFD 90 without phase adjust") << s << QStringList{"Pfd"};

    // Band-select clock mode high: 500 kHz with the divider at 254; a PFD
    // that far up breaks its own bound too.
    s.frText = "127";
    s.foutText = "3556";
    s.chip.phaseAdjust = true;
    QTest::addRow("clock high, 127 MHz / 254 = 500 kHz") << s << QStringList{"Pfd"};
    s.frText = "127.5";
    s.foutText = "3570";
    QTest::addRow("clock high, 127.5 MHz / 254 above 500 kHz") << s << QStringList{"Pfd", "BandSelectClock"};
    s = typed("40", "3200", "100000");
    QTest::addRow("clock low, 40 MHz / 255 above 125 kHz") << s << QStringList{"Pfd", "BandSelectClock"};

    // Low spur mode: MOD at least 50.
    s = typed("10", "2320.5", "200000"); // MOD 50
    s.lowSpur = true;
    QTest::addRow("low spur, MOD 50") << s << QStringList{};
    s.resolutionText = "204081.64"; // MOD 49
    QTest::addRow("low spur, MOD 49") << s << QStringList{"LowSpurMod"};
    s.lowSpur = false;
    QTest::addRow("low noise, MOD 49") << s << QStringList{};

    // The phase value below MOD (4000 here), in fractional mode only.
    s = worked::first();
    s.chip.phaseValue = 3999;
    QTest::addRow("phase value 3999, MOD 4000") << s << QStringList{};
    s.chip.phaseValue = 4000;
    QTest::addRow("phase value 4000, MOD 4000") << s << QStringList{"PhaseValue"};
    s.intN = true;
    s.foutText = "2320";
    QTest::addRow("phase value 4000 in integer-N") << s << QStringList{};

    // Cycle slip reduction needs Ref Divide/2.
    s = worked::first();
    s.chip.cycleSlipReduction = true;
    QTest::addRow("CSR without Ref Divide/2") << s << QStringList{"CycleSlipReduction"};
    s.refDiv2 = true;
    QTest::addRow("CSR with Ref Divide/2") << s << QStringList{};

    // Charge cancellation and ABP 3 ns belong to integer-N.
    s = worked::first();
    s.chip.chargeCancellation = true;
    QTest::addRow("charge cancellation, fractional") << s << QStringList{"ChargeCancellation"};
    s.chip.chargeCancellation = false;
    s.chip.abp = Antibacklash::Ns3;
    QTest::addRow("ABP 3 ns, fractional") << s << QStringList{"Antibacklash"};
    s.chip.chargeCancellation = true;
    s.intN = true;
    s.foutText = "2320";
    QTest::addRow("both, integer-N") << s << QStringList{};

    // MUXOUT: the N divider output while the band selection runs, and code 7.
    s = worked::first();
    s.mux = MuxButton::MuxN;
    QTest::addRow("MUXOUT N divider, phase adjust off") << s << QStringList{"MuxNDivider"};
    s.chip.phaseAdjust = true;
    QTest::addRow("MUXOUT N divider, phase adjust on") << s << QStringList{};
    s = worked::first();
    s.chip.muxCode = MuxOut::Reserved;
    QTest::addRow("MUXOUT code 7") << s << QStringList{"MuxReserved"};
    s.chip.muxCode = MuxOut::AnalogLockDetect;
    QTest::addRow("MUXOUT code 5") << s << QStringList{};
}

void TestChipCheck::optionBounds()
{
    QFETCH(Settings, settings);
    QFETCH(QStringList, broken);
    const PlanResult result = computePlan(settings, {});
    QCOMPARE(result.outcome, PlanOutcome::Complete);
    QCOMPARE(names(checkChipLimits(settings, result)), broken);
}

void TestChipCheck::optionItemsSayWhatAndWhatToDo()
{
    Settings s = typed("45.1", "4059", "100000");
    s.intN = true;
    s.chip.bandSelectClockMode = BandSelectClockMode::High;
    ChipLimitBreaks breaks = checkChipLimits(s, computePlan(s, {}));
    QCOMPARE(breaks.size(), std::size_t(1));
    QCOMPARE(breaks[0].summary(), std::string("PFD 45.1 MHz above 45 MHz in integer-N"));
    QCOMPARE(breaks[0].boundText(), std::string("at most 45 MHz in integer-N"));

    s = worked::first();
    s.chip.phaseValue = 4000;
    s.chip.cycleSlipReduction = true;
    breaks = checkChipLimits(s, computePlan(s, {}));
    QCOMPARE(breaks.size(), std::size_t(2));
    QCOMPARE(breaks[0].text(), std::string("Phase value 4000 not below MOD 4000: set a phase value below MOD in "
                                           "Chip \u25B8 Options\u2026 (1 is usual)"));
    QCOMPARE(breaks[1].summary(), std::string("Cycle slip reduction without Ref Divide/2"));
    QCOMPARE(breaks[1].value, 1.0);

    // In clock mode high the advice names the high mode's divider and clock.
    s = typed("127.5", "3570", "100000");
    s.intN = true;
    s.prescale8 = false;
    s.chip.phaseAdjust = true;
    s.chip.bandSelectClockMode = BandSelectClockMode::High;
    breaks = checkChipLimits(s, computePlan(s, {}));
    QCOMPARE(breaks.back().text(), std::string("Band-select clock 501.968504 kHz above 500 kHz: lower the PFD to "
                                               "127 MHz or less: the divider stops at 254"));
}

void TestChipCheck::integerNAdvice_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<bool>("advised");
    Settings s = worked::first();
    QTest::addRow("fractional, defaults") << s << false;
    s.intN = true;
    s.foutText = "2320";
    QTest::addRow("integer-N, defaults") << s << true;
    followDatasheetForMode(s.chip, true);
    QTest::addRow("integer-N as the datasheet recommends") << s << false;
    s.chip.abp = Antibacklash::Ns6;
    QTest::addRow("integer-N, ABP 6 ns") << s << true;
    s.chip.abp = Antibacklash::Ns3;
    s.chip.ldp = LockDetectPrecision::Ns10;
    QTest::addRow("integer-N, LDP 10 ns") << s << true;
    s.chip.ldp = LockDetectPrecision::Ns6;
    s.chip.chargeCancellation = false;
    QTest::addRow("integer-N, charge cancellation off") << s << true;
}

// Advice is no limit: it stays out of the limits, which --strict counts.
void TestChipCheck::integerNAdvice()
{
    QFETCH(Settings, settings);
    QFETCH(bool, advised);
    const PlanResult result = computePlan(settings, {});
    const ChipCheck check = checkChip(settings, result);
    QCOMPARE(check.advice.size(), std::size_t(advised ? 1 : 0));
    if (advised)
        QCOMPARE(check.advice[0], std::string("the datasheet recommends LDP 6 ns, antibacklash 3 ns and charge "
                                              "cancellation in integer-N (Chip \u25B8 Follow the Datasheet for "
                                              "the Mode)"));
    QCOMPARE(check.breaks.size(), checkChipLimits(settings, result).size());
}

// Every text of a break, for each limit and each variant of its texts (the
// bound below or above, the prescaler, the PFD's mode, the band-select
// clock's mode, the cures that apply, one to three of them), exactly as the
// strip, the tools' "chip:" lines and their JSON have always shown them. The
// texts are made from what the check keeps, apart from deciding it: a row
// fails when a variant is worded from the wrong numbers or cures.
void TestChipCheck::everyTextOfEachVariant_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<ChipLimit>("limit");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("advice");

    const auto row = [](const char* name, const Settings& s, ChipLimit limit, double value, const char* limitName,
                        const char* unit, const char* bound, const char* summary, const char* advice) {
        QTest::newRow(name) << s << limit << value << QString::fromUtf8(limitName) << QString::fromUtf8(unit)
                            << QString::fromUtf8(bound) << QString::fromUtf8(summary) << QString::fromUtf8(advice);
    };
    const auto with = [](auto change) {
        Settings s = worked::first();
        change(s);
        return s;
    };

    row("REFIN below", with([](Settings& s) { s.frText = ""; }), ChipLimit::RefIn, 0, "REFIN", "MHz",
        "10 to 250 MHz", "REFIN 0 MHz below 10 MHz", "enter a reference of 10 to 250 MHz in Ref In");
    row("REFIN above", with([](Settings& s) { s.frText = "300"; }), ChipLimit::RefIn, 300, "REFIN", "MHz",
        "10 to 250 MHz", "REFIN 300 MHz above 250 MHz", "enter a reference of 10 to 250 MHz in Ref In");
    row("REFIN doubled", with([](Settings& s) { s.frText = "60"; s.refDbl = true; }), ChipLimit::RefInDoubled, 60,
        "REFIN", "MHz", "at most 30 MHz with the doubler on", "REFIN 60 MHz above 30 MHz with the doubler on",
        "clear Ref Doubler, or use a reference of 30 MHz or less");

    row("INT, 8/9 to clear, and a lowering", with([](Settings& s) { s.frText = "50"; }), ChipLimit::IntMin, 46,
        "INT", "", "at least 75 with prescaler 8/9", "INT 46 below 75 for prescaler 8/9",
        "clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD");
    row("INT, 8/9 to clear alone",
        with([](Settings& s) { s.frText = "300"; s.foutText = "20"; s.rdividerText = "1023"; s.refDbl = true; }),
        ChipLimit::IntMin, 34, "INT", "", "at least 75 with prescaler 8/9", "INT 34 below 75 for prescaler 8/9",
        "clear Prescalar 8/9 (VCO up to 3600 MHz)");
    row("INT, 4/5, one lowering", with([](Settings& s) { s.frText = "250"; s.prescale8 = false; }),
        ChipLimit::IntMin, 9, "INT", "", "at least 23 with prescaler 4/5", "INT 9 below 23 for prescaler 4/5",
        "lower the PFD: a larger Ref Divider");
    row("INT, 4/5, two lowerings", with([](Settings& s) { s.frText = "180"; s.refDbl = true; s.refDiv2 = true;
                                                          s.prescale8 = false; }),
        ChipLimit::IntMin, 12, "INT", "", "at least 23 with prescaler 4/5", "INT 12 below 23 for prescaler 4/5",
        "lower the PFD: clear Ref Doubler, or a larger Ref Divider");
    row("INT, 8/9, three lowerings", with([](Settings& s) { s.frText = "33"; s.refDbl = true; s.outDivCont = 1; }),
        ChipLimit::IntMin, 70, "INT", "", "at least 75 with prescaler 8/9", "INT 70 below 75 for prescaler 8/9",
        "lower the PFD: clear Ref Doubler, a larger Ref Divider, or tick Ref Divide/2");
    row("INT 0, no lowering", with([](Settings& s) { s.trackDivider = true; }), ChipLimit::IntMin, 0, "INT", "",
        "at least 75 with prescaler 8/9", "INT 0 below 75 for prescaler 8/9", "lower the reference in Ref In");

    row("INT above, one raising", with([](Settings& s) { s.foutText = "655360"; }), ChipLimit::IntMax, 65536, "INT",
        "", "at most 65535", "INT 65536 above 65535", "raise the PFD: tick Ref Doubler");
    row("INT above, two raisings", with([](Settings& s) { s.frText = "5"; s.foutText = "3700"; s.refDiv2 = true;
                                                          s.outDivCont = 6; }),
        ChipLimit::IntMax, 94720, "INT", "", "at most 65535", "INT 94720 above 65535",
        "raise the PFD: clear Ref Divide/2, or tick Ref Doubler");
    row("INT above, three raisings", with([](Settings& s) { s.rdividerText = "10"; s.refDiv2 = true;
                                                            s.outDivCont = 4; }),
        ChipLimit::IntMax, 74256, "INT", "", "at most 65535", "INT 74256 above 65535",
        "raise the PFD: a smaller Ref Divider, clear Ref Divide/2, or tick Ref Doubler");
    row("INT above, no raising", with([](Settings& s) { s.frText = "5"; s.foutText = "655360"; }), ChipLimit::IntMax,
        131072, "INT", "", "at most 65535", "INT 131072 above 65535", "raise the reference in Ref In");

    row("MOD below, FRAC 0", with([](Settings& s) { s.resolutionText = "10000000"; }), ChipLimit::Mod, 1, "MOD", "",
        "2 to 4095 in fractional mode", "MOD 1 below 2 in fractional mode",
        "tick Integer N (FRAC is 0), or make the resolution finer");
    row("MOD above", with([](Settings& s) { s.refDbl = true; }), ChipLimit::Mod, 8000, "MOD", "",
        "2 to 4095 in fractional mode", "MOD 8000 above 4095",
        "make the resolution coarser (more Hz), or press Calc. Best F/D");
    row("R", with([](Settings& s) { s.rdividerText = "2000"; }), ChipLimit::RCounter, 2000, "R", "", "1 to 1023",
        "R 2000 outside 1 to 1023", "enter a Ref Divider of 1 to 1023");

    row("PFD fractional, one lowering", with([](Settings& s) { s.frText = "90"; }), ChipLimit::Pfd, 90, "PFD", "MHz",
        "at most 32 MHz", "PFD 90 MHz above 32 MHz", "raise the Ref Divider");
    row("PFD integer-N, two lowerings", with([](Settings& s) { s.frText = "60"; s.refDbl = true; s.refDiv2 = true;
                                                               s.intN = true; }),
        ChipLimit::Pfd, 60, "PFD", "MHz", "at most 45 MHz in integer-N", "PFD 60 MHz above 45 MHz in integer-N",
        "raise the Ref Divider, or clear Ref Doubler");
    row("PFD with phase adjust, three lowerings", with([](Settings& s) { s.frText = "60"; s.refDbl = true;
                                                                        s.intN = true; s.chip.phaseAdjust = true; }),
        ChipLimit::Pfd, 120, "PFD", "MHz", "at most 90 MHz in integer-N with phase adjust",
        "PFD 120 MHz above 90 MHz in integer-N with phase adjust",
        "raise the Ref Divider, tick Ref Divide/2, or clear Ref Doubler");

    row("band-select clock low", with([](Settings& s) { s.frText = "33"; s.intN = true; }),
        ChipLimit::BandSelectClock, 33000.0 / 255, "Band-select clock", "kHz", "at most 125 kHz",
        "Band-select clock 129.411765 kHz above 125 kHz",
        "lower the PFD to 31.875 MHz or less: the divider stops at 255");
    row("band-select clock high", with([](Settings& s) { s.frText = "300"; s.intN = true;
                                                         s.chip.bandSelectClockMode = BandSelectClockMode::High; }),
        ChipLimit::BandSelectClock, 300000.0 / 254, "Band-select clock", "kHz", "at most 500 kHz",
        "Band-select clock 1181.102362 kHz above 500 kHz",
        "lower the PFD to 127 MHz or less: the divider stops at 254");

    row("VCO below, one cure", with([](Settings& s) { s.foutText = "34.9"; }), ChipLimit::Vco, 34.9, "VCO", "MHz",
        "2200 to 4400 MHz", "VCO 34.9 MHz below 2200 MHz", "choose another O/P divider");
    row("VCO above, two cures", with([](Settings& s) { s.outDivCont = 3; }), ChipLimit::Vco, 18564, "VCO", "MHz",
        "2200 to 4400 MHz", "VCO 18564 MHz above 4400 MHz", "press Auto Set >>, or choose another O/P divider");
    row("VCO above, no cure", with([](Settings& s) { s.foutText = "5000"; }), ChipLimit::Vco, 5000, "VCO", "MHz",
        "2200 to 4400 MHz", "VCO 5000 MHz above 4400 MHz",
        "enter a Wanted F out of 35 to 4400 MHz and press Auto Set >>");
    row("VCO with prescaler 4/5", with([](Settings& s) { s.prescale8 = false; s.outDivCont = 5; }),
        ChipLimit::Prescaler45, 74256, "VCO", "MHz", "at most 3600 MHz with prescaler 4/5",
        "VCO 74256 MHz above 3600 MHz with prescaler 4/5", "tick Prescalar 8/9");
    row("output below", with([](Settings& s) { s.foutText = "20"; }), ChipLimit::Output, 20, "Output", "MHz",
        "35 to 4400 MHz", "Output 20 MHz below 35 MHz", "the chip's output runs from 35 to 4400 MHz");
    row("output above", with([](Settings& s) { s.foutText = "5000"; }), ChipLimit::Output, 5000, "Output", "MHz",
        "35 to 4400 MHz", "Output 5000 MHz above 4400 MHz", "the chip's output runs from 35 to 4400 MHz");

    row("MOD in low spur mode", with([](Settings& s) { s.rdividerText = "300"; s.lowSpur = true; }),
        ChipLimit::LowSpurMod, 13, "MOD", "", "at least 50 in low spur mode", "MOD 13 below 50 in low spur mode",
        "make the resolution finer (fewer Hz), or clear Low Spur mode");
    row("phase value", with([](Settings& s) { s.chip.phaseValue = 4000; }), ChipLimit::PhaseValue, 4000,
        "Phase value", "", "below MOD", "Phase value 4000 not below MOD 4000",
        "set a phase value below MOD in Chip \u25B8 Options\u2026 (1 is usual)");
    row("cycle slip reduction", with([](Settings& s) { s.chip.cycleSlipReduction = true; }),
        ChipLimit::CycleSlipReduction, 1, "Cycle slip reduction", "", "needs the 50 % duty cycle of Ref Divide/2",
        "Cycle slip reduction without Ref Divide/2",
        "tick Ref Divide/2, or turn cycle slip reduction off in Chip \u25B8 Options\u2026");
    row("charge cancellation", with([](Settings& s) { s.chip.chargeCancellation = true; }),
        ChipLimit::ChargeCancellation, 1, "Charge cancellation", "", "off in fractional mode",
        "Charge cancellation on in fractional mode",
        "turn charge cancellation off in Chip \u25B8 Options\u2026, or tick Integer N");
    row("antibacklash", with([](Settings& s) { s.chip.abp = Antibacklash::Ns3; }), ChipLimit::Antibacklash, 3,
        "Antibacklash", "", "6 ns in fractional mode", "Antibacklash 3 ns in fractional mode",
        "set antibacklash 6 ns in Chip \u25B8 Options\u2026, or tick Integer N");
    row("MUXOUT N divider", with([](Settings& s) { s.mux = MuxButton::MuxN; }), ChipLimit::MuxNDivider, 4, "MUXOUT",
        "", "not the N divider while the band selection runs", "MUXOUT N divider output stops the VCO band selection",
        "choose another MUXOUT, or turn phase adjust on in Chip \u25B8 Options\u2026 for a fixed frequency");
    row("MUXOUT reserved", with([](Settings& s) { s.chip.muxCode = MuxOut::Reserved; }), ChipLimit::MuxReserved, 7,
        "MUXOUT", "", "codes 0 to 6", "MUXOUT code 7 (reserved)",
        "choose a MUXOUT button, or a code in Chip \u25B8 Options\u2026");
}

void TestChipCheck::everyTextOfEachVariant()
{
    QFETCH(Settings, settings);
    QFETCH(ChipLimit, limit);
    QFETCH(double, value);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(QString, bound);
    QFETCH(QString, summary);
    QFETCH(QString, advice);
    const ChipLimitBreaks breaks = checkChipLimits(settings, computePlan(settings, {}));
    const ChipLimitBreak* item = find(breaks, limit);
    QVERIFY(item);
    QCOMPARE(item->value, value);
    QCOMPARE(QString::fromUtf8(item->name()), name);
    QCOMPARE(QString::fromUtf8(item->unit()), unit);
    QCOMPARE(QString::fromStdString(item->boundText()), bound);
    QCOMPARE(QString::fromStdString(item->summary()), summary);
    QCOMPARE(QString::fromStdString(item->advice()), advice);
    QCOMPARE(QString::fromStdString(item->text()), summary + QStringLiteral(": ") + advice);
}

void TestChipCheck::boxesReadAsLessThanTheirText_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QStringList>("notes");
    const QStringList none;
    QTest::addRow("numbers alone") << typed("10", "2320.5", "2500") << none;
    QTest::addRow("blanks, a sign, the box's own unit")
        << typed(" +10 ", " 2320.5", "2500 Hz", "1") << none;
    QTest::addRow("empty boxes read as 0 and say nothing") << typed("", "", "", "") << none;
    QTest::addRow("a decimal comma") << typed("10", "2320,5", "2500")
                                     << QStringList{"Wanted F out reads 2320,5 as 2320 MHz"};
    QTest::addRow("grouping and another unit, in each box")
        << typed("10 000", "2.4G", "2,500", "4k")
        << QStringList{"Wanted F out reads 2.4G as 2.4 MHz", "Ref In reads 10 000 as 10000 MHz",
                       "Ref Divider reads 4k as 4", "Output Frequency resolution reads 2,500 as 2 Hz"};
    QTest::addRow("no number at all") << typed("10", "abc", "2500") << QStringList{"Wanted F out reads abc as 0 MHz"};
    // A pasted page must not make a page-long strip.
    QTest::addRow("a long text is cut")
        << typed("10", "2320,5 and then a great deal more text than any strip could show", "2500")
        << QStringList{"Wanted F out reads 2320,5 and then a great deal more text t... as 2320 MHz"};
}

// The panel keeps reading such texts as it always did; the check says so.
void TestChipCheck::boxesReadAsLessThanTheirText()
{
    QFETCH(Settings, settings);
    QFETCH(QStringList, notes);
    QStringList got;
    for (const std::string& note : checkChip(settings, computePlan(settings, {})).panelNotes)
        got << QString::fromStdString(note);
    QCOMPARE(got, notes);
}

void TestChipCheck::autoSetSaysWhyItCannotAct()
{
    for (const double fout : {35.0, 4400.0})
        QVERIFY(!autoSetRefusal(fout));
    QCOMPARE(autoSetRefusal(4400.1).value_or(""),
             std::string("Auto Set >> needs an output of 35 to 4400 MHz (Wanted F out reads 4400.1 MHz); the O/P "
                         "divider stays as it was"));
    QVERIFY(autoSetRefusal(34.9));
}

QTEST_APPLESS_MAIN(TestChipCheck)
#include "tst_chip_check.moc"
