// The chip check: a plan on each side of each datasheet bound names exactly
// the limits it breaks, and the datasheet's worked examples name none.
#include <QtTest>

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

QStringList names(const std::vector<ChipLimitBreak>& breaks)
{
    static const char* const kNames[] = {"RefIn", "RefInDoubled", "IntMin", "IntMax", "Mod", "Frac",
                                         "RCounter", "Pfd", "BandSelectClock", "Vco", "Prescaler45", "Output"};
    QStringList list;
    for (const ChipLimitBreak& item : breaks)
        list << QString::fromLatin1(kNames[int(item.limit)]);
    return list;
}

// The broken limits after the panel's runs of `settings` and `presses`.
std::vector<ChipLimitBreak> breaksAfter(const Settings& settings, const Presses& presses = {})
{
    PlanSession session(settings);
    session.press(presses);
    return checkChipLimits(session.settings(), session.result());
}

const ChipLimitBreak* find(const std::vector<ChipLimitBreak>& breaks, ChipLimit limit)
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
    const std::vector<ChipLimitBreak> breaks = checkChipLimits(s, computePlan(s, {}));
    QCOMPARE(breaks.size(), std::size_t(1));
    QCOMPARE(breaks[0].name, std::string("INT"));
    QCOMPARE(breaks[0].value, 73.0);
    QCOMPARE(breaks[0].bound, std::string("at least 75 with prescaler 8/9"));
    QCOMPARE(breaks[0].text(),
             std::string("INT 73 below 75 for prescaler 8/9: clear Prescalar 8/9 (VCO up to 3600 MHz) or lower the PFD"));

    // Above 3600 MHz the prescaler must stay 8/9: the advice does not offer clearing it.
    const Settings high = typed("50", "3700", "100000");
    const std::vector<ChipLimitBreak> highBreaks = checkChipLimits(high, computePlan(high, {}));
    QVERIFY(!highBreaks.empty());
    QCOMPARE(highBreaks[0].summary, std::string("INT 74 below 75 for prescaler 8/9"));
    QVERIFY(highBreaks[0].advice.find("Prescalar") == std::string::npos);
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
    const std::vector<ChipLimitBreak> breaks = breaksAfter(settings);
    const ChipLimitBreak* item = find(breaks, limit);
    QVERIFY(item);
    QCOMPARE(QString::fromStdString(item->advice), advice);
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
    QCOMPARE(names(checkChipLimits(s, result)), QStringList{"Frac"});
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

QTEST_APPLESS_MAIN(TestChipCheck)
#include "tst_chip_check.moc"
