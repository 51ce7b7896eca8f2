// vantrel-plan's plan quality end to end: the "quality" object of --json,
// --quality's lines, --loop-bandwidth, and --advise, whose every suggestion,
// planned again with its options added, gives the error and figures it
// showed within every chip limit; the flags that undo others, and the
// usage errors of the new options.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "program_run.h"

namespace {

Run runPlan(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments); }

QJsonObject runJson(QStringList arguments)
{
    arguments << QStringLiteral("--json");
    return QJsonDocument::fromJson(runPlan(arguments).out).object();
}

} // namespace

class TestVantrelPlanQuality : public QObject {
    Q_OBJECT
private slots:
    void qualityObject_data();
    void qualityObject();
    void qualityLinesAfterTheListing();
    void everySuggestionReproduces_data();
    void everySuggestionReproduces();
    void adviceAsText();
    void laterFlagsWin_data();
    void laterFlagsWin();
    void usageErrors_data();
    void usageErrors();
};

void TestVantrelPlanQuality::qualityObject_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected"); // the quality object, compact, numbers rounded to 0.1 dB below
    QTest::addRow("the worked example, FRAC 0")
        << QStringList{"--ref", "25", "--fout", "4400", "--resolution", "100000"}
        << R"({"boundary_spur_in_loop":false,"boundary_spur_offset_khz":null,"flicker_10khz_dbc_hz":-103.1,)"
           R"("fractional_spur_interval_khz":null,"in_band_10khz_dbc_hz":-99,"in_band_floor_dbc_hz":-101.1,)"
           R"("loop_bandwidth_khz":50,"pfd_mhz":25,"pfd_spur_offset_mhz":25})";
    QTest::addRow("2320.5 MHz, a 600 kHz loop")
        << QStringList{"--fout", "2320.5", "--loop-bandwidth", "600"}
        << R"({"boundary_spur_in_loop":true,"boundary_spur_offset_khz":500,"flicker_10khz_dbc_hz":-108.7,)"
           R"("fractional_spur_interval_khz":1.25,"in_band_10khz_dbc_hz":-101.7,"in_band_floor_dbc_hz":-102.7,)"
           R"("loop_bandwidth_khz":600,"pfd_mhz":10,"pfd_spur_offset_mhz":10})";
    QTest::addRow("low spur mode, the loop bandwidth with a unit")
        << QStringList{"--fout", "2320.5", "--low-spur", "--loop-bandwidth", "0.1 MHz"}
        << R"({"boundary_spur_in_loop":false,"boundary_spur_offset_khz":500,"flicker_10khz_dbc_hz":-108.7,)"
           R"("fractional_spur_interval_khz":"dithered","in_band_10khz_dbc_hz":-101.7,"in_band_floor_dbc_hz":-102.7,)"
           R"("loop_bandwidth_khz":100,"pfd_mhz":10,"pfd_spur_offset_mhz":10})";
    QTest::addRow("a plan that stopped") << QStringList{"--fout", "2320.5", "--resolution", "1"} << "null";
}

void TestVantrelPlanQuality::qualityObject()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const QJsonValue quality = runJson(arguments).value(QStringLiteral("quality"));
    QJsonValue shown = quality;
    if (quality.isObject()) {
        // The noise to one decimal, as shown; the rest as computed.
        QJsonObject object = quality.toObject();
        for (const char* key : {"flicker_10khz_dbc_hz", "in_band_10khz_dbc_hz", "in_band_floor_dbc_hz"})
            object.insert(QLatin1String(key), std::round(object.value(QLatin1String(key)).toDouble() * 10) / 10);
        shown = object;
    }
    QCOMPARE(QString::fromUtf8(QJsonDocument(QJsonArray{shown}).toJson(QJsonDocument::Compact)).mid(1).chopped(1),
             expected);
}

void TestVantrelPlanQuality::qualityLinesAfterTheListing()
{
    const Run run = runPlan({"--ref", "25", "--fout", "4400", "--resolution", "100000", "--quality"});
    QCOMPARE(run.status, 0);
    const QString out = QString::fromUtf8(run.out);
    const QString listingEnd = QStringLiteral("Reg 5   0x 00580005\n\n");
    QVERIFY2(out.contains(listingEnd), run.out.constData());
    const QString figures = out.section(listingEnd, 1);
    QVERIFY(figures.startsWith(QStringLiteral("Plan quality. Estimates ")));
    QVERIFY(figures.contains(QStringLiteral("\nIn-band floor: -101.1 dBc/Hz\n1/f noise at 10 kHz: -103.1 dBc/Hz\n"
                                            "In-band noise at 10 kHz: -99.0 dBc/Hz\n")));
    QVERIFY(figures.endsWith(QStringLiteral("Loop bandwidth: 50 kHz (assumed)\n")));
}

void TestVantrelPlanQuality::everySuggestionReproduces_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("cleanest");
    QTest::addRow("the worked plan, the cleanest") << QStringList{"--fout", "2320.5"} << true;
    QTest::addRow("a boundary spur inside the loop")
        << QStringList{"--rdiv", "2", "--fout", "2325.0025", "--resolution", "2500"} << false;
    QTest::addRow("INT 73 at 30 MHz") << QStringList{"--ref", "30", "--fout", "2200", "--resolution", "100000"}
                                      << false;
    QTest::addRow("doubler and halver on, 4/5, divided feedback")
        << QStringList{"--ref", "20", "--doubler", "--halve", "--prescaler45", "--divided-feedback", "--fout",
                       "1210.0125", "--divider", "1", "--resolution", "2500"}
        << false;
    QTest::addRow("integer-N following the datasheet")
        << QStringList{"--ref", "80", "--rdiv", "4", "--fout", "2400", "--resolution", "100000", "--int-n",
                       "--follow-datasheet"}
        << false;
    QTest::addRow("MOD above 4095, auto divider")
        << QStringList{"--fout", "580.12501", "--auto-divider", "--resolution", "10"} << false;
    QTest::addRow("a wide loop") << QStringList{"--fout", "2320.5", "--loop-bandwidth", "900"} << false;
}

void TestVantrelPlanQuality::everySuggestionReproduces()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, cleanest);
    const QJsonObject advised = runJson(arguments + QStringList{"--advise"});
    QCOMPARE(advised.value(QStringLiteral("current_plan_cleanest")).toBool(), cleanest);
    const QJsonArray suggestions = advised.value(QStringLiteral("suggestions")).toArray();
    QVERIFY(!suggestions.isEmpty());
    QVERIFY(suggestions.size() <= 5);
    for (const auto& value : suggestions) {
        const QJsonObject suggestion = value.toObject();
        QStringList options;
        for (const auto& option : suggestion.value(QStringLiteral("options")).toArray())
            options << option.toString();
        QVERIFY(!suggestion.value(QStringLiteral("changes")).toArray().isEmpty());
        const QJsonObject again = runJson(arguments + options);
        const QByteArray name = options.join(' ').toUtf8();
        QCOMPARE(again.value(QStringLiteral("outcome")).toString(), QStringLiteral("complete"));
        QVERIFY2(again.value(QStringLiteral("chip_limits")).toArray().isEmpty(), name.constData());
        QCOMPARE(again.value(QStringLiteral("ErrorHz")).toDouble(), suggestion.value(QStringLiteral("error_hz")).toDouble());
        QCOMPARE(again.value(QStringLiteral("quality")).toObject(), suggestion.value(QStringLiteral("quality")).toObject());
    }
}

void TestVantrelPlanQuality::adviceAsText()
{
    Run run = runPlan({"--rdiv", "2", "--fout", "2325.0025", "--resolution", "2500", "--advise", "2"});
    QCOMPARE(run.status, 0);
    QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains(QStringLiteral(
                 "\nPlan advice. Current plan: error 0.0Hz; in-band -99.1 dBc/Hz at 10 kHz; boundary spur at 2.5 kHz, "
                 "inside the loop; fractional spurs every 1.25 kHz\n2 cleaner plans found:\n1. R 2 \u2192 1: error "
                 "0.0Hz; in-band -101.7 dBc/Hz at 10 kHz; boundary spur at 4997.5 kHz, outside the loop; fractional "
                 "spurs every 1.25 kHz; options --rdiv 1\n2. ")),
             run.out.constData());

    run = runPlan({"--fout", "2320.5", "--advise", "1"});
    QVERIFY2(run.out.contains("\nthe current plan is the cleanest found; the next best:\n1. "), run.out.constData());

    // Calc. Best F/D chose the step for R 1; the suggestions keep it, said.
    run = runPlan({"--fout", "2320.123", "--best-fraction", "--advise", "1", "--json"});
    QVERIFY2(run.err.contains("the suggestions' options begin with the step"), run.err.constData());
    const QJsonObject plan = QJsonDocument::fromJson(run.out).object();
    const QJsonArray options =
        plan.value(QStringLiteral("suggestions")).toArray().first().toObject().value(QStringLiteral("options")).toArray();
    QCOMPARE(options.at(0).toString(), QStringLiteral("--resolution"));
    QCOMPARE(options.at(1).toString().toDouble(), plan.value(QStringLiteral("Resolution")).toDouble());
}

void TestVantrelPlanQuality::laterFlagsWin_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<double>("fr");
    QTest::addColumn<double>("mod"); // 0 in integer-N
    QTest::addColumn<bool>("prescaler89");
    // 2320.5 MHz in 5 kHz steps: MOD 2000 at 10 MHz, 4000 at 20 MHz.
    QTest::addRow("--doubler then --no-doubler") << QStringList{"--doubler", "--no-doubler"} << 10.0 << 2000.0 << true;
    QTest::addRow("--no-doubler then --doubler") << QStringList{"--no-doubler", "--doubler"} << 20.0 << 4000.0 << true;
    QTest::addRow("--halve then --no-halve") << QStringList{"--halve", "--no-halve"} << 10.0 << 2000.0 << true;
    QTest::addRow("--int-n then --no-int-n") << QStringList{"--int-n", "--no-int-n"} << 10.0 << 2000.0 << true;
    QTest::addRow("--no-int-n then --int-n") << QStringList{"--no-int-n", "--int-n"} << 10.0 << 0.0 << true;
    QTest::addRow("--prescaler45 then --prescaler89")
        << QStringList{"--prescaler45", "--prescaler89"} << 10.0 << 2000.0 << true;
    QTest::addRow("--prescaler89 then --prescaler45")
        << QStringList{"--prescaler89", "--prescaler45"} << 10.0 << 2000.0 << false;
}

void TestVantrelPlanQuality::laterFlagsWin()
{
    QFETCH(QStringList, arguments);
    QFETCH(double, fr);
    QFETCH(double, mod);
    QFETCH(bool, prescaler89);
    const QJsonObject plan = runJson(arguments + QStringList{"--fout", "2320.5", "--resolution", "5000"});
    QCOMPARE(plan.value(QStringLiteral("Fr")).toDouble(), fr);
    QCOMPARE(plan.value(QStringLiteral("Denom")).toDouble(), mod);
    // Reg1 bit 27: the prescaler.
    const uint reg1 = plan.value(QStringLiteral("registers")).toArray().at(1).toString().toUInt(nullptr, 16);
    QCOMPARE((reg1 & 0x08000000u) != 0, prescaler89);
}

void TestVantrelPlanQuality::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::addRow("a loop bandwidth of 0") << QStringList{"--loop-bandwidth", "0"} << "--loop-bandwidth \"0\"";
    QTest::addRow("a loop bandwidth above 10 MHz") << QStringList{"--loop-bandwidth", "10.1M"} << "0.01 to 10000 kHz";
    QTest::addRow("a loop bandwidth that is no number") << QStringList{"--loop-bandwidth", "wide"} << "wide";
    QTest::addRow("no suggestions") << QStringList{"--advise", "0"} << "--advise 0";
    QTest::addRow("more suggestions than are shown") << QStringList{"--advise", "51"} << "--advise 51";
    QTest::addRow("advice on a decoded set")
        << QStringList{"--advise", "--decode", "00740640,0800FD01,18004E42,00000003,0085003C,00580005"}
        << "--advise and --decode exclude each other";
    QTest::addRow("advice with the EE listing") << QStringList{"--ee", "--advise"} << "--advise and the PIC EE";
}

void TestVantrelPlanQuality::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    verifyUsageError(runPlan(arguments), named);
}

QTEST_GUILESS_MAIN(TestVantrelPlanQuality)
#include "tst_vantrel_plan_quality.moc"
