// vantrel-plan end to end: the worked register sets through --json, the
// listing as printed, the button presses it models and its exit status.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include "program_run.h"
#include "worked_listings.h"

namespace {

Run runPlan(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments); }

QJsonObject runJson(QStringList arguments)
{
    arguments << QStringLiteral("--json");
    const Run run = runPlan(arguments);
    return QJsonDocument::fromJson(run.out).object();
}

QStringList registers(const QJsonObject& plan)
{
    QStringList words;
    for (const auto& word : plan.value(QStringLiteral("registers")).toArray())
        words << word.toString();
    return words;
}

const QStringList kFirstExample{"--fout", "2320.5", "--mux", "lock", "--charge-pump", "7", "--no-mute"};

} // namespace

class TestVantrelPlan : public QObject {
    Q_OBJECT
private slots:
    void firstExampleListingWordForWord();
    void registerExamples_data();
    void registerExamples();
    void jsonCarriesThePlan();
    void referenceDivider_data();
    void referenceDivider();
    void modLimitAndRefusal();
    void buttonPresses_data();
    void buttonPresses();
    void chipLimitsAndStrict();
    void settingsFileAndTheOptionsAroundIt();
    void decodeGivesTheWordsBack_data();
    void decodeGivesTheWordsBack();
    void usageErrors_data();
    void usageErrors();
    void helpNamesEveryOption();
    void aTextWithMoreThanANumberIsNoted_data();
    void aTextWithMoreThanANumberIsNoted();
    void outputThatCannotBeWritten();
    void chipOptions_data();
    void chipOptions();
    void jsonShowsTheOptionsAndTheAdvice();
    void aReadBackKeepsTheBoardsSet();
    void aDecodeThatGivesNoPlan_data();
    void aDecodeThatGivesNoPlan();
    void jsonNumbersAsTheTextShowsThem_data();
    void jsonNumbersAsTheTextShowsThem();
    void adviceSaysNoNegativeZero();
};

void TestVantrelPlan::firstExampleListingWordForWord()
{
    const Run run = runPlan(kFirstExample);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray::fromStdString(worked::withLf(worked::kFirstResultsListing)));
    QCOMPARE(run.err, QByteArray());
}

void TestVantrelPlan::chipLimitsAndStrict()
{
    const QStringList int73{"--ref", "30", "--fout", "2200", "--resolution", "100000"};
    Run run = runPlan(int73);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray("chip: INT 73 below 75 for prescaler 8/9: clear Prescalar 8/9 (VCO up to "
                                 "3600 MHz) or lower the PFD\n"));
    QCOMPARE(runPlan(int73 + QStringList{"--strict"}).status, 3);

    const QJsonArray limits = runJson(int73).value(QStringLiteral("chip_limits")).toArray();
    QCOMPARE(limits.size(), 1);
    const QJsonObject item = limits.at(0).toObject();
    QCOMPARE(item.value(QStringLiteral("limit")).toString(), QStringLiteral("INT"));
    QCOMPARE(item.value(QStringLiteral("value")).toDouble(), 73.0);
    QCOMPARE(item.value(QStringLiteral("bound")).toString(), QStringLiteral("at least 75 with prescaler 8/9"));
    QVERIFY(item.value(QStringLiteral("advice")).toString().startsWith(QStringLiteral("clear Prescalar 8/9")));

    // A plan within every limit passes --strict; a stopped one stays 1.
    run = runPlan(kFirstExample + QStringList{"--strict"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY(runJson(kFirstExample).value(QStringLiteral("chip_limits")).toArray().isEmpty());
    QCOMPARE(runPlan({"--ref", "", "--strict"}).status, 1);
}

void TestVantrelPlan::registerExamples_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("words");
    QTest::addRow("10 MHz reference, 2320.5 MHz")
        << kFirstExample << QStringList{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"};
    QTest::addRow("integer-N") << kFirstExample + QStringList{"--int-n"}
                               << QStringList{"00740000", "08008001", "18004F42", "00000003", "0085003C", "00580005"};
    QTest::addRow("25 MHz reference, 2400 MHz")
        << kFirstExample + QStringList{"--ref", "25", "--fout", "2400MHz", "--resolution", "100000"}
        << QStringList{"00300000", "080087D1", "18004E42", "00000003", "008C803C", "00580005"};
    QTest::addRow("every option inverted")
        << QStringList{"--doubler", "--rdiv", "2", "--divider", "2", "--fout", "1000.25", "--resolution", "10000",
                       "--divided-feedback", "--mux", "r", "--low-spur", "--negative-pd", "--disable", "--power", "0"}
        << QStringList{"003200C8", "08009F41", "6E009E22", "00000003", "00250424", "00580005"};
    QTest::addRow("divide-by-2, divider 64, prescaler 4/5")
        << QStringList{"--halve", "--divider", "6", "--fout", "50.0125", "--resolution", "100", "--prescaler45",
                       "--mux", "n", "--charge-pump", "0", "--power", "1", "--no-mute"}
        << QStringList{"014003E8", "00009869", "11004042", "00000003", "00E2802C", "00580005"};
}

void TestVantrelPlan::registerExamples()
{
    QFETCH(QStringList, arguments);
    const QJsonObject plan = runJson(arguments);
    QCOMPARE(plan.value(QStringLiteral("outcome")).toString(), QStringLiteral("complete"));
    QTEST(registers(plan), "words");
}

void TestVantrelPlan::jsonCarriesThePlan()
{
    const QJsonObject plan = runJson({"--halve", "--divider", "6", "--fout", "50.0125", "--resolution", "100",
                                      "--prescaler45", "--mux", "n", "--charge-pump", "0", "--power", "1"});
    QCOMPARE(plan.value("Fcomp").toDouble(), 5.0);
    QCOMPARE(plan.value("VCO").toDouble(), 3200.8);
    QCOMPARE(plan.value("N").toDouble(), 640.0);
    QCOMPARE(plan.value("Fract").toDouble(), 125.0);
    QCOMPARE(plan.value("Denom").toDouble(), 781.0);
    QCOMPARE(plan.value("BandSelect").toInt(), 40);
    QCOMPARE(plan.value("MuxVal").toInt(), 4);
    QCOMPARE(plan.value("OutDiv").toDouble(), 64.0);
    QVERIFY(qAbs(plan.value("ErrorHz").toDouble() - 4.0) < 0.01);
    QVERIFY(plan.value("listing_red").toBool());
    QVERIFY(plan.value("listing").toString().contains(QStringLiteral("Error =  4.0Hz\r\n")));
    QCOMPARE(plan.value("pfd_label").toString(), QStringLiteral("Fcomp 5.0"));
    QCOMPARE(plan.value("vco_label").toString(), QStringLiteral("VCO  3200.8MHz"));
    QCOMPARE(plan.value("warnings").toArray().size(), 0);

    const QJsonObject high = runJson({"--divider", "1", "--prescaler45"});
    QCOMPARE(high.value("vco_label").toString(), QStringLiteral("VCO  4641MHz\r\nExternal VCO Only"));
    const QJsonArray warnings = high.value("warnings").toArray();
    QCOMPARE(warnings.size(), 2);
    QCOMPARE(warnings.at(1).toString(),
             QStringLiteral("Must use Prescale 8/9 for Freqeuncies above 3.6GHz on ADF4351"));
}

void TestVantrelPlan::referenceDivider_data()
{
    QTest::addColumn<QString>("rdiv");
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("pfdLabel");
    QTest::addColumn<QString>("outcome");
    QTest::addRow("2.5") << "2.5" << 3.0 << "Fcomp 3.333333" << "complete";
    QTest::addRow("2.4") << "2.4" << 2.0 << "Fcomp 5.0" << "complete";
    QTest::addRow("0.3") << "0.3" << 0.0 << "Fcomp 33.333333 TOO HIGH" << "mod-limit";
}

void TestVantrelPlan::referenceDivider()
{
    QFETCH(QString, rdiv);
    const QJsonObject plan = runJson({"--rdiv", rdiv});
    QTEST(plan.value("R").toDouble(), "r");
    QTEST(plan.value("pfd_label").toString(), "pfdLabel");
    QTEST(plan.value("outcome").toString(), "outcome");
}

void TestVantrelPlan::modLimitAndRefusal()
{
    // 10 MHz / 4095.4 Hz rounds to MOD 4095; 10 MHz / 4096 Hz needs 13 bits.
    QCOMPARE(runJson({"--resolution", "2441.76"}).value("Denom").toDouble(), 4095.0);
    const Run limit = runPlan({"--resolution", "2441.40625"});
    QCOMPARE(limit.status, 1);
    QCOMPARE(limit.out, QByteArray("More than 12 bits needed for fractional registers\nChoose alternative values\n"));
    const QJsonObject modJson = runJson({"--resolution", "2441.40625"});
    QCOMPARE(modJson.value("outcome").toString(), QStringLiteral("mod-limit"));
    QCOMPARE(modJson.value("Denom").toDouble(), 4096.0);
    QVERIFY(modJson.value("registers").isNull()); // no words of this plan (it used to give six zeros)

    const QJsonObject refused = runJson({"--fout", "655360", "--int-n"});
    QCOMPARE(refused.value("outcome").toString(), QStringLiteral("refused"));
    QCOMPARE(refused.value("listing").toString(),
             QStringLiteral("INT 65536 outside 0 to 65535\r\nChoose alternative values"));
    QCOMPARE(runPlan({"--fout", "655360", "--int-n"}).status, 1);

    const QJsonObject noPfd = runJson({"--ref", ""});
    QCOMPARE(noPfd.value("outcome").toString(), QStringLiteral("no-pfd"));
    QCOMPARE(runPlan({"--ref", "0"}).status, 1);
}

void TestVantrelPlan::buttonPresses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<double>("outDiv");
    QTest::addColumn<double>("denom");
    QTest::addColumn<double>("resolution");
    QTest::addRow("best fraction for VCO 2320.5 and Fcomp 10") << QStringList{"--best-fraction"} << 1.0 << 20.0 << 500000.0;
    QTest::addRow("forced 12.5 ties to 12") << QStringList{"--force-d", "12.5"} << 1.0 << 12.0 << 10e6 / 12;
    QTest::addRow("forced 13.5 ties to 14") << QStringList{"--force-d", "13.5"} << 1.0 << 14.0 << 10e6 / 14;
    QTest::addRow("forced with divided feedback multiplies by the divider")
        << QStringList{"--force-d", "100", "--divider", "2", "--divided-feedback"} << 4.0 << 400.0 << 25000.0;
    QTest::addRow("forced 0 is ignored") << QStringList{"--force-d", "0"} << 1.0 << 4000.0 << 2500.0;
    QTest::addRow("auto divider for 35 MHz") << QStringList{"--fout", "35", "--auto-divider"} << 64.0 << 63.0 << 2500.0;
    QTest::addRow("auto divider for 1099.99 MHz") << QStringList{"--fout", "1099.99", "--auto-divider"} << 4.0
                                                  << 1000.0 << 2500.0;
    QTest::addRow("auto divider ignores 34.9 MHz") << QStringList{"--fout", "34.9", "--auto-divider"} << 1.0 << 4000.0
                                                   << 2500.0;
}

void TestVantrelPlan::buttonPresses()
{
    QFETCH(QStringList, arguments);
    const QJsonObject plan = runJson(arguments);
    QCOMPARE(plan.value("outcome").toString(), QStringLiteral("complete"));
    QTEST(plan.value("OutDiv").toDouble(), "outDiv");
    QTEST(plan.value("Denom").toDouble(), "denom");
    QTEST(plan.value("Resolution").toDouble(), "resolution");
}

// A file the window saved stands for its controls: options after it
// override it, options for the same controls before it are overridden.
void TestVantrelPlan::settingsFileAndTheOptionsAroundIt()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("bench.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": "vantrel-settings", "version": 1, "mux": "MuxL",
        "checks": {"Enable": true, "Feedback": false, "IntN": false, "LowSpur": false, "MTLD": false,
                   "PDpol": false, "Prescale8": true, "RefDbl": false, "Refdiv2": false, "TrackDivider": true},
        "scrolls": {"ChrgPump": 7, "OutDivCont": 0, "Pwr": 3},
        "texts": {"CPNo": "1", "ForceD": "", "FoutText": "2320.5", "FrText": "10", "Rdivider": "1",
                  "ResolutionText": "2500"}})");
    file.close();
    const QString path = file.fileName();
    const QStringList first{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"};
    // Tracking ticked in the file acts from the run after opening, as in the window.
    QCOMPARE(registers(runJson({"--settings", path})), first);
    QCOMPARE(registers(runJson({"--fout", "2400", "--charge-pump", "0", "--settings", path})), first);
    QCOMPARE(registers(runJson({"--settings", path, "--fout", "2400"})).at(0), QStringLiteral("00780000"));
    const Run bad = runPlan({"--settings", dir.filePath("missing.json")});
    QCOMPARE(bad.status, 2);
    QVERIFY(bad.err.contains("missing.json"));

    // The file's text is read as the window's box reads it, and said so when that may surprise.
    QFile unit(dir.filePath("unit.json"));
    QVERIFY(unit.open(QIODevice::WriteOnly));
    unit.write(QByteArray(R"({"format": "vantrel-settings", "version": 1, "mux": "MuxL",
        "checks": {"Enable": true, "Feedback": false, "IntN": false, "LowSpur": false, "MTLD": false,
                   "PDpol": false, "Prescale8": true, "RefDbl": false, "Refdiv2": false, "TrackDivider": false},
        "scrolls": {"ChrgPump": 7, "OutDivCont": 0, "Pwr": 3},
        "texts": {"CPNo": "", "ForceD": "", "FoutText": "2.4G", "FrText": "10", "Rdivider": "1",
                  "ResolutionText": "2500"}})"));
    unit.close();
    const Run noted = runPlan({"--settings", unit.fileName(), "--no-mute"});
    QCOMPARE(noted.status, 0);
    QVERIFY2(noted.err.contains("vantrel-plan: --settings " + unit.fileName().toUtf8()
                                + ": FoutText \"2.4G\" is read as 2.4 MHz, as the panel would; write 2400"),
             noted.err.constData());
}

// The decode of a set read back from the board undoes the packing: given the
// reference a set was made with (which the words do not hold), it gives the
// same six words again.
void TestVantrelPlan::decodeGivesTheWordsBack_data() { registerExamples_data(); }

void TestVantrelPlan::decodeGivesTheWordsBack()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, words);
    const QJsonObject plan = runJson(arguments + QStringList{"--decode", "0x" + words.join(",0X")});
    QCOMPARE(plan.value(QStringLiteral("outcome")).toString(), QStringLiteral("complete"));
    QCOMPARE(registers(plan), words);
    QCOMPARE(plan.value(QStringLiteral("words")).toArray().size(), 6);
    // Tracking the decoded VCO ends cleared, as in the window.
    QCOMPARE(plan.value(QStringLiteral("settings")).toObject().value(QStringLiteral("TrackDivider")).toBool(), false);
    // What Copy Register Set writes, and words between blanks, were refused.
    for (const QString& form : {"0x" + words.join("\r\n0x") + "\r\n", words.join(' ')})
        QCOMPARE(registers(runJson(arguments + QStringList{"--decode", form})), words);
}

void TestVantrelPlan::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::addRow("divider out of range is not clamped") << QStringList{"--divider", "9"} << "--divider 9";
    QTest::addRow("divider not a number") << QStringList{"--divider", "two"} << "--divider two";
    QTest::addRow("charge pump out of range") << QStringList{"--charge-pump", "16"} << "--charge-pump 16";
    QTest::addRow("power negative") << QStringList{"--power", "-1"} << "--power -1";
    QTest::addRow("unknown mux") << QStringList{"--mux", "lockdet"} << "--mux lockdet";
    QTest::addRow("unknown option") << QStringList{"--frequency", "5"} << "frequency";
    QTest::addRow("both divider options") << QStringList{"--divider", "1", "--auto-divider"} << "--auto-divider";
    QTest::addRow("best fraction in integer-N") << QStringList{"--int-n", "--best-fraction"} << "--best-fraction";
    QTest::addRow("stray argument") << QStringList{"2320.5"} << "2320.5";
    // Echoed raw, and whole, before.
    QTest::addRow("an unknown option with a control byte") << QStringList{"--fo\x1bo"} << "unknown option \"fo\\x1Bo\"";
    QTest::addRow("a long stray argument, cut") << QStringList{QString(200, 'x')}
                                                << "unexpected argument: " + QString(80, 'x') + "...\n";
    const QString words = QStringLiteral("00740640,0800FD01,18004E42,00000003,0085003C,00580005");
    QTest::addRow("five words to decode") << QStringList{"--decode", words.section(',', 0, 4)} << "six words";
    QTest::addRow("a word that is not hexadecimal")
        << QStringList{"--decode", QString(words).replace("18004E42", "18004G42")} << "word 2 \"18004G42\"";
    QTest::addRow("a word out of its place")
        << QStringList{"--decode", "0x0800FD01,0x00740640,18004E42,3,0085003C,00580005"} << "word 0 \"0x0800FD01\"";
    QTest::addRow("ABP 4 ns") << QStringList{"--abp", "4"} << "--abp 4: expected 6 or 3";
    QTest::addRow("AUX neither on nor off") << QStringList{"--aux", "yes"} << "--aux yes: expected on or off";
    QTest::addRow("AUX power 4") << QStringList{"--aux-power", "4"}
                                 << "--aux-power 4: expected a whole number from 0 to 3";
    QTest::addRow("phase 4096") << QStringList{"--phase", "4096"}
                                << "--phase 4096: expected a whole number from 0 to 4095";
    // Codes only a read-back brings are not offered.
    QTest::addRow("LD pin 10") << QStringList{"--ld-pin", "low-10"} << "--ld-pin low-10: expected low, digital or high";
    QTest::addRow("clock divider mode 11")
        << QStringList{"--clock-divider-mode", "reserved"} << "expected off, fast-lock or resync";
    QTest::addRow("a MUXOUT code a button offers") << QStringList{"--mux-code", "6"} << "--mux-code 6: expected 1";
    QTest::addRow("a MUXOUT code and a button") << QStringList{"--mux", "lock", "--mux-code", "5"}
                                                << "--mux and --mux-code exclude each other";
}

void TestVantrelPlan::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    verifyUsageError(runPlan(arguments), named);
}

void TestVantrelPlan::helpNamesEveryOption()
{
    const Run run = runPlan({"--help"});
    QCOMPARE(run.status, 0);
    for (const char* option : {"--fout", "--ref", "--rdiv", "--resolution", "--divider", "--auto-divider", "--doubler",
                               "--halve", "--divided-feedback", "--prescaler45", "--int-n", "--low-spur",
                               "--negative-pd", "--disable", "--no-mute", "--mux", "--charge-pump", "--power",
                               "--force-d", "--best-fraction", "--json", "--rf-off", "--aux", "--aux-power",
                               "--aux-select", "--abp", "--charge-cancel", "--csr", "--ldp", "--double-buffer",
                               "--phase", "--phase-adjust", "--band-select-mode", "--clock-divider-mode",
                               "--clock-divider", "--ld-pin", "--mux-code", "--counter-reset", "--three-state",
                               "--vco-off", "--follow-datasheet"})
        QVERIFY2(run.out.contains(option), option);
}

// The box's leading-number rule stays (empty is 0, the rest ignored), but a
// text that holds more than a number and its own unit is said on stderr.
void TestVantrelPlan::aTextWithMoreThanANumberIsNoted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("note");    // empty: nothing said
    QTest::addColumn<QString>("readAs"); // what the box makes of the text
    QTest::addRow("another unit") << QStringList{"--fout", "2.4G"}
                                  << "--fout \"2.4G\" is read as 2.4 MHz, as the panel would; write 2400 or use "
                                     "vantrel-ctl's units"
                                  << "2.4";
    QTest::addRow("a letter in the number") << QStringList{"--fout", "24OO"}
                                            << "--fout \"24OO\" is read as 24 MHz, as the panel would" << "24";
    QTest::addRow("the resolution in kHz") << QStringList{"--resolution", "100k"}
                                           << "--resolution \"100k\" is read as 100 Hz, as the panel would; write "
                                              "100000"
                                           << "100";
    QTest::addRow("its own unit") << QStringList{"--fout", "2320.5MHz"} << QString() << "2320.5";
    QTest::addRow("empty, read as 0") << QStringList{"--ref", ""} << QString() << "0";
}

void TestVantrelPlan::aTextWithMoreThanANumberIsNoted()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, note);
    QFETCH(QString, readAs);
    const Run run = runPlan(arguments);
    QCOMPARE(run.err.contains("is read as"), !note.isEmpty());
    QVERIFY2(run.err.contains(note.toUtf8()), run.err.constData());
    const QJsonObject asTyped = runJson(arguments);
    const QJsonObject asRead = runJson({arguments.first(), readAs});
    QCOMPARE(asTyped.value("outcome"), asRead.value("outcome"));
    QCOMPARE(asTyped.value("listing"), asRead.value("listing"));
}

void TestVantrelPlan::outputThatCannotBeWritten()
{
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(VANTREL_PLAN_EXE), {"--json"});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(process.readAllStandardError().contains("cannot write to standard output"));
    const Run version = runPlan({"--version"});
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith("vantrel-plan "));
}

// Each chip option on the first worked example: the words as the datasheet
// places its bits.
void TestVantrelPlan::chipOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("words");
    const QStringList first{"00740640", "0800FD01", "18004E42", "00000003", "0085003C", "00580005"};
    const auto changed = [&first](std::initializer_list<std::pair<int, const char*>> words) {
        QStringList list = first;
        for (const auto& [reg, word] : words)
            list[reg] = QString::fromLatin1(word);
        return list;
    };
    QTest::addRow("--rf-off") << kFirstExample + QStringList{"--rf-off"} << changed({{4, "0085001C"}});
    QTest::addRow("AUX +2 dBm fundamental")
        << kFirstExample + QStringList{"--aux", "on", "--aux-power", "2", "--aux-select", "fundamental"}
        << changed({{4, "008503BC"}});
    QTest::addRow("--abp 3") << kFirstExample + QStringList{"--abp", "3"} << changed({{3, "00400003"}});
    QTest::addRow("--charge-cancel") << kFirstExample + QStringList{"--charge-cancel"} << changed({{3, "00200003"}});
    QTest::addRow("--csr") << kFirstExample + QStringList{"--csr"} << changed({{3, "00040003"}});
    QTest::addRow("--ldp 6") << kFirstExample + QStringList{"--ldp", "6"} << changed({{2, "18004EC2"}});
    QTest::addRow("--double-buffer") << kFirstExample + QStringList{"--double-buffer"} << changed({{2, "18006E42"}});
    QTest::addRow("--phase 4095") << kFirstExample + QStringList{"--phase", "4095"} << changed({{1, "0FFFFD01"}});
    QTest::addRow("--phase-adjust") << kFirstExample + QStringList{"--phase-adjust"} << changed({{1, "1800FD01"}});
    QTest::addRow("--band-select-mode high")
        << kFirstExample + QStringList{"--band-select-mode", "high"} << changed({{3, "00800003"}});
    QTest::addRow("resync, clock divider 150")
        << kFirstExample + QStringList{"--clock-divider-mode", "resync", "--clock-divider", "150"}
        << changed({{3, "000104B3"}});
    QTest::addRow("--ld-pin low") << kFirstExample + QStringList{"--ld-pin", "low"} << changed({{5, "00180005"}});
    QTest::addRow("--counter-reset, --three-state, --vco-off")
        << kFirstExample + QStringList{"--counter-reset", "--three-state", "--vco-off"}
        << changed({{2, "18004E5A"}, {4, "0085083C"}});
    QTest::addRow("--mux-code 5") << QStringList{"--charge-pump", "7", "--no-mute", "--mux-code", "5"}
                                  << changed({{2, "14004E42"}});
    QTest::addRow("--follow-datasheet --int-n")
        << kFirstExample + QStringList{"--int-n", "--follow-datasheet"}
        << changed({{0, "00740000"}, {1, "08008001"}, {2, "18004FC2"}, {3, "00600003"}});
    QTest::addRow("an option given overrides --follow-datasheet")
        << kFirstExample + QStringList{"--int-n", "--follow-datasheet", "--abp", "6"}
        << changed({{0, "00740000"}, {1, "08008001"}, {2, "18004FC2"}, {3, "00200003"}});
}

void TestVantrelPlan::chipOptions()
{
    QFETCH(QStringList, arguments);
    const QJsonObject plan = runJson(arguments);
    QCOMPARE(plan.value(QStringLiteral("outcome")).toString(), QStringLiteral("complete"));
    QTEST(registers(plan), "words");
}

void TestVantrelPlan::jsonShowsTheOptionsAndTheAdvice()
{
    const QStringList intN = kFirstExample + QStringList{"--int-n", "--rf-off", "--aux-select", "fundamental"};
    const QJsonObject plan = runJson(intN);
    const QJsonObject options = plan.value(QStringLiteral("chip_options")).toObject();
    QCOMPARE(options.value(QStringLiteral("RfOutputEnable")).toBool(true), false);
    QCOMPARE(options.value(QStringLiteral("AuxSelect")).toString(), QStringLiteral("fundamental"));
    QCOMPARE(options.value(QStringLiteral("Antibacklash")).toString(), QStringLiteral("6"));
    QCOMPARE(options.value(QStringLiteral("PhaseValue")).toInt(), 1);
    QVERIFY(options.value(QStringLiteral("MuxCode")).isNull());
    QCOMPARE(options.size(), 19); // the eighteen fields and the MUXOUT code
    const QString advice = QStringLiteral("the datasheet recommends LDP 6 ns, antibacklash 3 ns and charge "
                                          "cancellation in integer-N (Chip ▸ Follow the Datasheet for the Mode)");
    QCOMPARE(plan.value(QStringLiteral("chip_advice")).toArray(), QJsonArray{advice});
    QVERIFY(plan.value(QStringLiteral("chip_limits")).toArray().isEmpty());

    // Advice is said, and --strict does not count it; a limit the options bring it does.
    const Run run = runPlan(intN + QStringList{"--strict"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, "advice: " + advice.toUtf8() + "\n");
    QCOMPARE(runPlan(kFirstExample + QStringList{"--charge-cancel", "--strict"}).status, 3);
}

// A set read back comes back whole: a board's AUX output, Reg3, LD pin and
// mute, which the decode used to replace. A set from elsewhere whose words
// the plan packs otherwise says which.
void TestVantrelPlan::aReadBackKeepsTheBoardsSet()
{
    const QStringList board{"00740640", "0800FD01", "18004E42", "00E00003", "008503FC", "00D80005"};
    Run run = runPlan({"--decode", board.join(',')});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.endsWith("Reg 3   0x 00E00003\nReg 4   0x 008503FC\nReg 5   0x 00D80005\n"),
             run.out.constData());
    QVERIFY2(!run.err.contains("differ"), run.err.constData());
    const QJsonObject plan = runJson({"--decode", board.join(',')});
    QCOMPARE(registers(plan), board);
    QVERIFY(plan.value(QStringLiteral("read_back_differences")).toArray().isEmpty());
    QCOMPARE(plan.value(QStringLiteral("chip_options")).toObject().value(QStringLiteral("LockDetectPin")).toString(),
             QStringLiteral("high"));

    const QString elsewhere = QStringLiteral("00740640,0800FD01,18004E42,00000003,0086403C,00580005");
    run = runPlan({"--decode", elsewhere});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("vantrel-plan: The plan's words differ from the set read back: Reg4 read 0086403C, "
                              "plan 0085003C\n"),
             run.err.constData());
    const QJsonArray differences =
        runJson({"--decode", elsewhere}).value(QStringLiteral("read_back_differences")).toArray();
    QCOMPARE(differences.size(), 1);
    const QJsonObject item = differences.at(0).toObject();
    QCOMPARE(item.value(QStringLiteral("register")).toInt(), 4);
    QCOMPARE(item.value(QStringLiteral("read")).toString(), QStringLiteral("0086403C"));
    QCOMPARE(item.value(QStringLiteral("planned")).toString(), QStringLiteral("0085003C"));
}

// Words that give no plan printed the plan of the other options (the default
// one for 0,1,2,3,4,5) and ended 0; a plan that stops was compared with
// the words of that other plan.
void TestVantrelPlan::aDecodeThatGivesNoPlan_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("message");
    QTest::addRow("Reg0 to Reg5 as 0 to 5") << "0,1,2,3,4,5"
                                            << "--decode: the words give no plan: R counter 0; MOD 0 in fractional mode";
    QTest::addRow("divider code 7 and MUXOUT 5: the plan stops")
        << "00740640,0000FD01,14004E42,00000003,00F5003C,00580005"
        << "The set read back gives no complete plan: More than 12 bits needed for fractional registers";
}

void TestVantrelPlan::aDecodeThatGivesNoPlan()
{
    QFETCH(QString, words);
    QFETCH(QString, message);
    const Run run = runPlan({"--fout", "1234.5", "--decode", words});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("vantrel-plan: " + message.toUtf8() + "\n") && !run.err.contains("differ"),
             run.err.constData());
    QVERIFY2(!run.out.contains("1234.5") && !run.out.contains("N  123"), run.out.constData());
}

// Every JSON number rounded as its text shows it; these carried binary
// noise (-2.2737367544323206e-07, 4025.0000000000005) or an earlier plan's words.
void TestVantrelPlan::jsonNumbersAsTheTextShowsThem_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("found");
    const QStringList exact{"--ref", "25", "--resolution", "12500", "--auto-divider"};
    QTest::addRow("an exact plan's error") << exact + QStringList{"--fout", "1100.025"} << "\"ErrorHz\": 0,";
    QTest::addRow("a scan point's error") << exact + QStringList{"--scan", "1100.025", "1100.025", "1"}
                                          << "\"error_hz\":0,";
    const QStringList spur{"--ref", "25", "--resolution", "25000", "--fout", "2404.025"};
    QTest::addRow("a boundary spur's offset") << spur << "\"boundary_spur_offset_khz\": 4025,";
    QTest::addRow("the suggestions' figures") << spur + QStringList{"--advise", "3"} << "\"suggestions\"";
    QTest::addRow("a stopped plan's registers") << QStringList{"--fout", "2320.5", "--resolution", "1"}
                                                << "\"registers\": null";
}

void TestVantrelPlan::jsonNumbersAsTheTextShowsThem()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, found);
    const Run run = runPlan(arguments + QStringList{"--json"});
    QVERIFY2(run.out.contains(found.toUtf8()), run.out.constData());
    // No number anywhere with more places than a text shows (six, the PFD's), nor an exponent.
    QStringList noisy;
    std::function<void(const QJsonValue&)> walk = [&](const QJsonValue& value) {
        if (value.isDouble()) {
            const QString text = QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
            if (text.section('.', 1).size() > 6)
                noisy << text;
        }
        const QJsonArray items = value.isObject() ? QJsonArray::fromVariantList(value.toObject().toVariantMap().values())
                                                  : value.toArray();
        for (const auto& item : items)
            walk(item);
    };
    // One indented object, or one object a line for --scan.
    const QList<QByteArray> objects = run.out.startsWith("{\n") ? QList<QByteArray>{run.out} : run.out.trimmed().split('\n');
    for (const QByteArray& object : objects)
        walk(QJsonDocument::fromJson(object).object());
    QVERIFY2(noisy.isEmpty(), qPrintable(noisy.join(' ')));
}

// An exact plan's error of -2.27e-07 Hz read "error -0.0Hz" in the advice.
void TestVantrelPlan::adviceSaysNoNegativeZero()
{
    const Run run = runPlan({"--fout", "1000.0025", "--auto-divider", "--advise", "3"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains("Current plan: error 0.0Hz;") && !run.out.contains("error -0.0Hz"), run.out.constData());
}

QTEST_GUILESS_MAIN(TestVantrelPlan)
#include "tst_vantrel_plan.moc"
