// The loop filter on the command line: vantrel-plan's "loop" object and its
// keys, a design whose printed parts, given back with --loop-filter, give
// what the design said, the noise curve, the "Loop:" block, vantrel-ctl's
// steps with "loop", and the usage errors of the new options.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "program_run.h"

namespace {

const QStringList kPlan{"--ref", "25", "--fout", "2400.1", "--resolution", "100000"};
const QString kFilter = QStringLiteral("C1=4.3n,C2=51n,C3=300p,R2=160,R3=2k");

Run runPlan(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments); }

QJsonObject runJson(const QStringList& arguments)
{
    const Run run = runPlan(arguments + QStringList{"--json"});
    if (run.status != 0)
        qWarning("%s", run.err.constData());
    return QJsonDocument::fromJson(run.out).object();
}

// The parts of a design's "exact" or "e24" as --loop-filter takes them: plain numbers in F and ohm.
QString partsOption(const QJsonObject& parts)
{
    QStringList given;
    for (const char* name : {"C1", "C2", "C3", "R2", "R3"}) {
        const QString key = QString::fromLatin1(name).toLower() + (name[0] == 'C' ? "_f" : "_ohm");
        given << QStringLiteral("%1=%2").arg(QLatin1String(name), QString::number(parts.value(key).toDouble(), 'g', 17));
    }
    return given.join(QLatin1Char(','));
}

} // namespace

class TestVantrelPlanLoop : public QObject {
    Q_OBJECT
private slots:
    void loopObjectHasItsKeys();
    void aDesignGivenBackGivesWhatItSaid_data();
    void aDesignGivenBackGivesWhatItSaid();
    void noiseCurve();
    void textBlocks();
    void ctlStepsCarryTheLoop();
    void usageErrors_data();
    void usageErrors();
};

void TestVantrelPlanLoop::loopObjectHasItsKeys()
{
    const QJsonObject plan = runJson(kPlan + QStringList{"--loop-filter", kFilter});
    const QJsonObject loop = plan.value("loop").toObject();
    QCOMPARE(loop.keys(), (QStringList{"crossover_khz", "gain_margin_db", "icp_ma", "jitter_fs", "n_eff", "noise_dbc_hz",
                                       "phase_margin_deg", "rms_phase_error_deg"}));
    QCOMPARE(loop.value("noise_dbc_hz").toObject().keys(), (QStringList{"1000", "10000", "100000", "1000000"}));
    QCOMPARE(loop.value("icp_ma").toDouble(), 5.0);
    QCOMPARE(loop.value("n_eff").toDouble(), 96.004);
    // The plan quality's loop bandwidth is the same crossover.
    const double bandwidth = plan.value("quality").toObject().value("loop_bandwidth_khz").toDouble();
    QCOMPARE(loop.value("crossover_khz").toDouble(), std::round(bandwidth * 1000) / 1000);
    // Without a filter there is no loop to give; a plan that stopped has none.
    QVERIFY(!runJson(kPlan).contains("loop"));
    const Run stopped = runPlan({"--ref", "25", "--fout", "2400.001", "--resolution", "1", "--loop-filter", kFilter,
                                 "--json"});
    QCOMPARE(stopped.status, 1);
    QVERIFY(QJsonDocument::fromJson(stopped.out).object().value("loop").isNull());
}

void TestVantrelPlanLoop::aDesignGivenBackGivesWhatItSaid_data()
{
    QTest::addColumn<QStringList>("design");
    QTest::addColumn<bool>("thirdOrder");
    QTest::addRow("third order, 50 kHz") << QStringList{"--design-loop-filter", "50"} << true;
    QTest::addRow("second order, 20 kHz, 50 degrees, a unit")
        << QStringList{"--design-loop-filter", "20k", "--t31", "0", "--phase-margin", "50"} << false;
}

void TestVantrelPlanLoop::aDesignGivenBackGivesWhatItSaid()
{
    QFETCH(QStringList, design);
    QFETCH(bool, thirdOrder);
    const QJsonObject designed = runJson(kPlan + design);
    const QJsonObject e24 = designed.value("e24").toObject();
    QCOMPARE(e24.keys(), (QStringList{"c1_f", "c2_f", "c3_f", "crossover_khz", "phase_margin_deg", "r2_ohm", "r3_ohm"}));
    QCOMPARE(designed.value("exact").toObject().keys(), (QStringList{"c1_f", "c2_f", "c3_f", "r2_ohm", "r3_ohm"}));
    QCOMPARE(e24.value("r3_ohm").toDouble() > 0, thirdOrder);

    const QJsonObject withE24 = runJson(kPlan + QStringList{"--loop-filter", partsOption(e24)});
    QCOMPARE(withE24.value("loop").toObject().value("crossover_khz"), e24.value("crossover_khz"));
    QCOMPARE(withE24.value("loop").toObject().value("phase_margin_deg"), e24.value("phase_margin_deg"));
    // The exact parts, to their four digits, give the target back closely.
    const QJsonObject withExact = runJson(kPlan + QStringList{"--loop-filter", partsOption(designed.value("exact").toObject())});
    const double target = design[1].startsWith("20") ? 20 : 50;
    QVERIFY(std::fabs(withExact.value("loop").toObject().value("crossover_khz").toDouble() / target - 1) < 0.002);
}

void TestVantrelPlanLoop::noiseCurve()
{
    const Run run = runPlan(kPlan + QStringList{"--loop-filter", kFilter, "--noise-curve"});
    QCOMPARE(run.status, 0);
    QStringList lines = QString::fromUtf8(run.out).split('\n');
    QCOMPARE(lines.takeFirst(), QStringLiteral("offset_hz,pll_dbc_hz,vco_dbc_hz,total_dbc_hz"));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), 101);
    QVERIFY(lines.first().startsWith("100,"));
    QVERIFY(lines.last().startsWith("10000000,"));
    for (const QString& line : lines) {
        const QStringList cells = line.split(',');
        QCOMPARE(cells.size(), 4);
        const double sum = 10 * std::log10(std::pow(10, cells[1].toDouble() / 10) + std::pow(10, cells[2].toDouble() / 10));
        QVERIFY2(std::fabs(sum - cells[3].toDouble()) <= 0.011, qPrintable(line));
    }
}

void TestVantrelPlanLoop::textBlocks()
{
    const Run quality = runPlan(kPlan + QStringList{"--loop-filter", kFilter, "--quality", "--design-loop-filter", "50"});
    QCOMPARE(quality.status, 0);
    const QString text = QString::fromUtf8(quality.out);
    const QJsonObject loop = runJson(kPlan + QStringList{"--loop-filter", kFilter}).value("loop").toObject();
    QVERIFY2(text.contains(QStringLiteral("\nLoop:\nCharge-pump current: 5.0 mA\n")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Crossover: %1 kHz\n").arg(loop.value("crossover_khz").toDouble(), 0, 'f', 3)));
    QVERIFY(text.contains(QStringLiteral("Loop bandwidth: %1 kHz (from the loop filter)")
                              .arg(loop.value("crossover_khz").toDouble(), 0, 'f', 3)));
    QVERIFY(text.contains(QStringLiteral("RMS phase error: ")) && text.contains(QStringLiteral("(1 kHz to 10 MHz)")));
    // With a target, the charge-pump advice; the code the panel has is nearest here.
    QVERIFY(text.contains(QStringLiteral("Charge pump: Charge pump 15 gives 50.1 kHz here, nearest the designed 50 kHz")));
    // The design's lines are --loop-filter's own form: they can be given back as they stand.
    const QString exact = text.section(QStringLiteral("Exact: "), 1).section('\n', 0, 0);
    QCOMPARE(runPlan(kPlan + QStringList{"--loop-filter", exact}).status, 0);
}

void TestVantrelPlanLoop::ctlStepsCarryTheLoop()
{
    const Run run = runProgram(QStringLiteral(VANTREL_CTL_EXE),
                               QStringList{"sweep", "2400", "2402", "1", "--dry-run", "--json", "--ref", "25",
                                           "--resolution", "100000", "--loop-filter", kFilter});
    QCOMPARE(run.status, 0);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    for (const QByteArray& line : lines) {
        const QJsonObject step = QJsonDocument::fromJson(line).object();
        const QString mhz = QString::number(step.value("asked_mhz").toDouble());
        const QJsonObject alone = runJson({"--ref", "25", "--resolution", "100000", "--fout", mhz, "--loop-filter", kFilter});
        QCOMPARE(step.value("loop").toObject(), alone.value("loop").toObject());
    }
    const Run without = runProgram(QStringLiteral(VANTREL_CTL_EXE),
                                   QStringList{"sweep", "2400", "2401", "1", "--dry-run", "--json"});
    QVERIFY(!QJsonDocument::fromJson(without.out.split('\n').first()).object().contains("loop"));
}

void TestVantrelPlanLoop::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::addRow("a part of 0") << QStringList{"--loop-filter", "C1=0,C2=22n,R2=1k"} << "C1 is 0";
    QTest::addRow("C3 without R3") << QStringList{"--loop-filter", "C1=1n,C2=22n,C3=470p,R2=1k"}
                                   << "R3 is 0 while C3 is set";
    QTest::addRow("NaN") << QStringList{"--loop-filter", "C1=nan,C2=22n,R2=1k"} << "C1 is not a finite number";
    QTest::addRow("Kv of 0") << QStringList{"--kvco", "0"} << "--kvco \"0\": Kv is not above 0 MHz/V";
    QTest::addRow("RSET as a word") << QStringList{"--rset", "five"} << "--rset \"five\": is not a number";
    QTest::addRow("a range upside down") << QStringList{"--jitter-range", "10M,1k"}
                                         << "does not start below its stop";
    QTest::addRow("a curve without a filter") << QStringList{"--noise-curve"} << "--noise-curve needs --loop-filter";
    QTest::addRow("gamma without a design") << QStringList{"--gamma", "1.1"} << "--gamma needs --design-loop-filter";
    QTest::addRow("a margin of 95 degrees") << QStringList{"--design-loop-filter", "50", "--phase-margin", "95"}
                                            << "the phase margin is not between 0 and 90 degrees";
    QTest::addRow("a crossover of 0") << QStringList{"--design-loop-filter", "0"}
                                      << "the crossover frequency is not above 0";
    QTest::addRow("a curve of a scan") << QStringList{"--loop-filter", "C1=1n,C2=22n,R2=1k", "--noise-curve", "--scan",
                                                      "2400", "2401", "1"}
                                       << "--scan and --noise-curve exclude each other";
}

void TestVantrelPlanLoop::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    verifyUsageError(runPlan(arguments), named);
}

QTEST_GUILESS_MAIN(TestVantrelPlanLoop)
#include "tst_vantrel_plan_loop.moc"
