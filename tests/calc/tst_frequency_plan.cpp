// The plan's worked examples, its guards and its stopping rules.
#include <QtTest>

#include "frequency_plan.h"
#include "worked_examples.h"
#include "worked_listings.h"

using namespace vantrel;

Q_DECLARE_METATYPE(vantrel::Settings)

namespace {

Settings firstExample() { return worked::first(); }

PlanResult plan(const Settings& s, const PlanValues& previous = {}) { return computePlan(s, previous); }

} // namespace

class TestFrequencyPlan : public QObject {
    Q_OBJECT
private slots:
    void firstExampleValuesAndListing();
    void integerAndDividedPaths_data();
    void integerAndDividedPaths();
    void referenceDivider_data();
    void referenceDivider();
    void emptyReferenceDividerKeepsPfd();
    void labelWarningsAtTheirThresholds();
    void prescalerMessage();
    void noPfdStopsBeforeTheFraction();
    void modLimit();
    void fieldLimitsRefuse_data();
    void fieldLimitsRefuse();
    void bandSelectKeepsTheClockAt125kHz_data();
    void bandSelectKeepsTheClockAt125kHz();
    void fractEqualToModCarries();
    void emptyResolutionKeepsMod();
    void modZeroErrorIsTheIntegerError();
    void muxKeepsPreviousWithoutAButton();
    void tracking();
    void suggestIntegerNLineAndRedError();
};

void TestFrequencyPlan::firstExampleValuesAndListing()
{
    const PlanResult r = plan(firstExample());
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QCOMPARE(r.values.fcomp, 10.0);
    QCOMPARE(r.values.r, 1.0);
    QCOMPARE(r.values.vco, 2320.5);
    QCOMPARE(r.values.n, 232.0);
    QCOMPARE(r.values.denom, 4000.0);
    QCOMPARE(r.values.fract, 200.0);
    QCOMPARE(r.values.errorHz, 0.0);
    QCOMPARE(r.values.bandSelect, 80);
    QCOMPARE(r.pfdLabel, (StyledText{"Fcomp 10.0", kBlack, false}));
    QCOMPARE(r.vcoLabel, (StyledText{"VCO  2320.5MHz", kBlack, false}));
    QVERIFY(r.warnings.empty());
    QCOMPARE(*r.listingText, std::string(worked::kFirstResultsListing));
    QCOMPARE(r.listingColour, std::optional<Colour>(kBlack));
}

void TestFrequencyPlan::integerAndDividedPaths_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<double>("n");
    QTest::addColumn<double>("fract");
    QTest::addColumn<double>("denom");
    QTest::addColumn<double>("errorHz");

    Settings s = firstExample();
    s.intN = true;
    QTest::addRow("integer-N clears FRAC and MOD") << s << 232.0 << 0.0 << 0.0 << -500000.0;
    s = firstExample();
    s.feedback = true;
    QTest::addRow("divided feedback") << s << 232.0 << 200.0 << 4000.0 << 0.0;
    s.intN = true;
    // Mended: FRAC 200 beside MOD 0 was a word the chip cannot use; the
    // error is now that of INT alone.
    QTest::addRow("divided feedback clears FRAC in integer-N") << s << 232.0 << 0.0 << 0.0 << -500000.0;
    s.resolutionText = "1000"; // MOD 10000 before integer-N clears it
    s.foutText = "2325";       // fraction 0.5: FRAC 5000 was refused as too wide
    QTest::addRow("divided feedback in integer-N ignores a large MOD") << s << 232.0 << 0.0 << 0.0 << -5000000.0;
    s = firstExample();
    s.outDivCont = 1;
    QTest::addRow("divider 1 puts the VCO at 4641") << s << 464.0 << 200.0 << 2000.0 << 0.0;
    // Regression: 900 / (25 / 3) is 107.99999999999999 in floating point, and
    // integer-N floored it to INT 107 with an error of -8.33 MHz.
    s = firstExample();
    s.intN = true;
    s.frText = "25";
    s.rdividerText = "3";
    s.foutText = "900";
    const double hairOfError = (108 * (25.0 / 3) - 900) * 1000000; // 1e-7 Hz, where 107 gave -8.33 MHz
    QTest::addRow("integer-N, a quotient a hair below 108") << s << 108.0 << 0.0 << 0.0 << hairOfError;
    s.feedback = true;
    QTest::addRow("the same with divided feedback") << s << 108.0 << 0.0 << 0.0 << hairOfError;
    // A genuine step below a whole INT still floors, as integer-N always did.
    s.foutText = "899.9999";
    QTest::addRow("integer-N, 100 Hz below 108 floors")
        << s << 107.0 << 0.0 << 0.0 << (107 * (25.0 / 3) - 899.9999) * 1000000;
}

void TestFrequencyPlan::integerAndDividedPaths()
{
    QFETCH(Settings, settings);
    const PlanResult r = plan(settings);
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QTEST(r.values.n, "n");
    QTEST(r.values.fract, "fract");
    QTEST(r.values.denom, "denom");
    QTEST(r.values.errorHz, "errorHz");
}

void TestFrequencyPlan::referenceDivider_data()
{
    QTest::addColumn<QString>("rdivider");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("fcomp");
    QTest::addColumn<QString>("pfdLabel");
    QTest::addRow("2.5 rounds half up to 3") << "2.5" << 3.0 << 10.0 / 3 << "Fcomp 3.333333";
    QTest::addRow("2.4 rounds to 2") << "2.4" << 2.0 << 5.0 << "Fcomp 5.0";
    QTest::addRow("0.3 leaves R 0 and a PFD too high") << "0.3" << 0.0 << 10 / 0.3 << "Fcomp 33.333333 TOO HIGH";
}

void TestFrequencyPlan::referenceDivider()
{
    QFETCH(QString, rdivider);
    Settings s = firstExample();
    s.rdividerText = rdivider.toStdString();
    const PlanResult r = plan(s);
    QTEST(r.values.r, "r");
    QTEST(r.values.fcomp, "fcomp");
    QTEST(QString::fromStdString(r.pfdLabel.text), "pfdLabel");
}

void TestFrequencyPlan::emptyReferenceDividerKeepsPfd()
{
    Settings s = firstExample();
    s.rdividerText = "4";
    const PlanResult before = plan(s);
    QCOMPARE(before.values.fcomp, 2.5);
    s.rdividerText = "";
    s.frText = "12"; // R nearest to 12 / 2.5 = 4.8
    const PlanResult after = plan(s, before.values);
    QCOMPARE(after.values.r, 5.0);
    QCOMPARE(after.values.fcomp, 12.0 / 5);
}

void TestFrequencyPlan::labelWarningsAtTheirThresholds()
{
    Settings s = firstExample();
    s.resolutionText = "1000000"; // keep MOD small at every PFD
    s.frText = "32";
    QCOMPARE(plan(s).pfdLabel, (StyledText{"Fcomp 32.0", kBlack, false}));
    s.frText = "32.000001";
    const PlanResult high = plan(s);
    QCOMPARE(high.pfdLabel, (StyledText{"Fcomp 32.000001 TOO HIGH", kRed, false}));
    QVERIFY(high.has(PlanWarning::PfdTooHigh));

    s = firstExample();
    for (const char* edge : {"2200", "4400"}) {
        s.foutText = edge;
        QCOMPARE(plan(s).vcoLabel.colour, kBlack);
        QVERIFY(!plan(s).has(PlanWarning::VcoOutOfRange));
    }
    s.foutText = "4400.5";
    QCOMPARE(plan(s).vcoLabel, (StyledText{"VCO  4400.5MHz\r\nExternal VCO Only", kRed, true}));
    s.foutText = "2199.5";
    QVERIFY(plan(s).has(PlanWarning::VcoOutOfRange));
}

void TestFrequencyPlan::prescalerMessage()
{
    Settings s = firstExample();
    s.prescale8 = false;
    s.foutText = "3600";
    QVERIFY(!plan(s).has(PlanWarning::PrescalerRequired));
    s.foutText = "2320.5";
    s.outDivCont = 1;
    const PlanResult r = plan(s);
    QVERIFY(r.has(PlanWarning::PrescalerRequired));
    QCOMPARE(r.vcoLabel, (StyledText{"VCO  4641MHz\r\nExternal VCO Only", kRed, true}));
    QCOMPARE(warningText(PlanWarning::PrescalerRequired),
             std::string("Must use Prescale 8/9 for Freqeuncies above 3.6GHz on ADF4351"));
    s.prescale8 = true;
    QVERIFY(!plan(s).has(PlanWarning::PrescalerRequired));
}

void TestFrequencyPlan::noPfdStopsBeforeTheFraction()
{
    const PlanResult good = plan(firstExample());
    Settings s = firstExample();
    s.frText = "";
    s.foutText = "1000";
    s.resolutionText = "100";
    const PlanResult r = plan(s, good.values);
    QCOMPARE(r.outcome, PlanOutcome::NoPfd);
    QVERIFY(!r.listingText);
    QVERIFY(!r.listingColour);
    // Updated up to the resolution ...
    QCOMPARE(r.values.fr, 0.0);
    QCOMPARE(r.values.fout, 1000.0);
    QCOMPARE(r.values.resolution, 100.0);
    QCOMPARE(r.pfdLabel.text, std::string("Fcomp 0.0"));
    // ... and no further.
    QCOMPARE(r.values.n, good.values.n);
    QCOMPARE(r.values.denom, good.values.denom);
    QCOMPARE(r.values.registers, good.values.registers);
}

void TestFrequencyPlan::modLimit()
{
    Settings s = firstExample();
    s.resolutionText = std::to_string(10e6 / 4095.4); // MOD rounds to 4095
    const PlanResult accepted = plan(s);
    QCOMPARE(accepted.outcome, PlanOutcome::Complete);
    QCOMPARE(accepted.values.denom, 4095.0);

    s.mux = MuxButton::MuxN;
    s.resolutionText = std::to_string(10e6 / 4096);
    const PlanResult r = plan(s, accepted.values);
    QCOMPARE(r.outcome, PlanOutcome::ModLimit);
    QCOMPARE(r.values.denom, 4096.0);
    QCOMPARE(*r.listingText,
             std::string("More than 12 bits needed for fractional registers\r\nChoose alternative values"));
    QVERIFY(!r.listingColour);
    QCOMPARE(r.values.registers, accepted.values.registers);
    QCOMPARE(r.values.muxVal, accepted.values.muxVal);
    QCOMPARE(r.values.bandSelect, accepted.values.bandSelect);
}

void TestFrequencyPlan::fieldLimitsRefuse_data()
{
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QString>("message");
    Settings s = firstExample();
    s.foutText = "655360";
    s.intN = true;
    QTest::addRow("INT one past 16 bits") << s << "INT 65536 outside 0 to 65535";
    s.foutText = "-2320.5";
    QTest::addRow("negative INT") << s << "INT -233 outside 0 to 65535";
    s = firstExample();
    s.intN = true;
    s.frText = "10240";
    s.rdividerText = "1024";
    QTest::addRow("R wider than 10 bits") << s << "R 1024 outside 1 to 1023";
    s.rdividerText = "0.3";
    s.frText = "10";
    QTest::addRow("R 0 from a reference divider of 0.3") << s << "R 0 outside 1 to 1023";
    s.frText = "1e400";
    s.rdividerText = "1";
    QTest::addRow("overflowing reference") << s << "R NaN outside 1 to 1023";
}

void TestFrequencyPlan::fieldLimitsRefuse()
{
    QFETCH(Settings, settings);
    QFETCH(QString, message);
    const PlanResult good = plan(firstExample());
    const PlanResult r = plan(settings, good.values);
    QCOMPARE(r.outcome, PlanOutcome::Refused);
    QCOMPARE(QString::fromStdString(*r.listingText), message + QStringLiteral("\r\nChoose alternative values"));
    QVERIFY(!r.listingColour);
    QCOMPARE(r.values.registers, good.values.registers);
}

void TestFrequencyPlan::bandSelectKeepsTheClockAt125kHz_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("bandSelect");
    QTest::addRow("10 MHz: 80 gives 125 kHz exactly") << "10" << 80;
    // Rounded to nearest these gave 102 (125.5 kHz) and 115 (125.2 kHz).
    QTest::addRow("12.8 MHz takes the next one up") << "12.8" << 103;
    QTest::addRow("14.4 MHz takes the next one up") << "14.4" << 116;
    QTest::addRow("a tie to even that lands above 125 kHz") << "10.0625" << 81; // 80.5 ties to 80
    QTest::addRow("a tie to even that stays below") << "10.1875" << 82;         // 81.5 ties to 82
    QTest::addRow("limited to the 8-bit field") << "31.9375" << 255;
    QTest::addRow("below 62.5 kHz the divider is 1, never 0") << "0.05" << 1;
}

void TestFrequencyPlan::bandSelectKeepsTheClockAt125kHz()
{
    QFETCH(QString, reference);
    Settings s = firstExample();
    s.frText = reference.toStdString();
    s.resolutionText = "1000000";
    QTEST(plan(s).values.bandSelect, "bandSelect");
}

void TestFrequencyPlan::fractEqualToModCarries()
{
    Settings s = firstExample();
    s.foutText = "2329.99999"; // ratio 232.999999: FRAC rounds up to MOD
    const PlanResult r = plan(s);
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    // Mended: FRAC = MOD does not fit the chip's 0..MOD-1; carried into INT.
    QCOMPARE(r.values.n, 233.0);
    QCOMPARE(r.values.fract, 0.0);
    QCOMPARE(r.values.denom, 4000.0);
    QCOMPARE(r.values.errorHz, (233 * 10 - 2329.99999) * 1000000);
    QVERIFY(QString::fromStdString(*r.listingText).contains(QStringLiteral("N  233\r\nF  0\r\n")));
}

void TestFrequencyPlan::emptyResolutionKeepsMod()
{
    const PlanResult first = plan(firstExample());
    Settings s = firstExample();
    s.resolutionText = "";
    s.foutText = "2320.75";
    const PlanResult r = plan(s, first.values);
    QCOMPARE(r.values.denom, 4000.0);
    QCOMPARE(r.values.fract, 300.0);
    QCOMPARE(r.values.resolution, 0.0);
}

// A resolution coarser than twice the integer step makes MOD 0; the error
// then reads that of INT alone, not a stale value from an earlier plan.
void TestFrequencyPlan::modZeroErrorIsTheIntegerError()
{
    PlanValues stale;
    stale.errorHz = 123.0;
    Settings s = firstExample();
    s.resolutionText = "30000000";
    const PlanResult r = plan(s, stale);
    QCOMPARE(r.values.denom, 0.0);
    QCOMPARE(r.values.fract, 0.0);
    QCOMPARE(r.values.errorHz, -500000.0);

    s.feedback = true;
    QCOMPARE(plan(s, stale).values.errorHz, -500000.0);
}

void TestFrequencyPlan::muxKeepsPreviousWithoutAButton()
{
    Settings s = firstExample();
    const PlanResult lock = plan(s);
    QCOMPARE(lock.values.muxVal, 6);
    s.mux = MuxButton::NoneSelected;
    QCOMPARE(plan(s, lock.values).values.muxVal, 6);
    QCOMPARE(plan(s).values.muxVal, 0);
    s.mux = MuxButton::MuxNone;
    QCOMPARE(plan(s, lock.values).values.muxVal, 0);
    s.mux = MuxButton::MuxR;
    QCOMPARE(plan(s).values.muxVal, 3);
}

void TestFrequencyPlan::tracking()
{
    Settings s = firstExample();
    s.outDivCont = 1;
    const PlanResult at4641 = plan(s);
    QCOMPARE(at4641.values.vco, 4641.0);
    QVERIFY(!at4641.trackedFoutText);

    s.trackDivider = true;
    s.outDivCont = 2;
    s.foutText = "999"; // not read while tracking
    const PlanResult r = plan(s, at4641.values);
    QCOMPARE(r.values.fout, 1160.25);
    QCOMPARE(r.values.vco, 4641.0);
    QCOMPARE(r.trackedFoutText, std::optional<std::string>(" 1160.25"));
}

void TestFrequencyPlan::suggestIntegerNLineAndRedError()
{
    Settings s = firstExample();
    s.foutText = "2320";
    const std::string whole = *plan(s).listingText;
    QVERIFY(whole.find("Error =  0.0Hz\r\nFract = 0, Suggest use IntegerN Mode\r\n\r\nReg 0") != std::string::npos);
    s.intN = true;
    QVERIFY(plan(s).listingText->find("Suggest") == std::string::npos);

    // Errors of exactly 1 Hz stay black; just above turns red, either sign.
    PlanValues values;
    for (const double error : {1.0, -1.0, 1.01, -1.01}) {
        values.errorHz = error;
        QCOMPARE(resultsListing(values, false).colour, std::fabs(error) > 1 ? kRed : kBlack);
    }
    const Settings fifth = worked::registerExamples().back().settings;
    const PlanResult r = plan(fifth);
    QCOMPARE(r.outcome, PlanOutcome::Complete);
    QVERIFY(r.listingText->find("Error =  4.0Hz\r\n") != std::string::npos);
    QCOMPARE(r.listingColour, std::optional<Colour>(kRed));
}

QTEST_APPLESS_MAIN(TestFrequencyPlan)
#include "tst_frequency_plan.moc"
