// vantrel-plan --scan end to end: every line is what vantrel-plan says of
// that one output with the same options, in CSV and in JSON lines, over
// ranges that cross a divider boundary, a chip limit and plans that stop;
// and the ranges it refuses.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "number_format.h"
#include "program_run.h"

namespace {

const QString kColumns = QStringLiteral("fout_mhz,outcome,error_hz,pfd_mhz,int,frac,mod,boundary_spur_offset_khz,"
                                        "boundary_spur_in_loop,in_band_10khz_dbc_hz,crossover_khz,chip_limits");

Run runPlan(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments); }

// A CSV line's cells; the limits, the last cell, may be quoted.
QStringList cells(const QString& line)
{
    QStringList parts = line.section(',', 0, 10).split(',');
    QString limits = line.section(',', 11);
    if (limits.startsWith('"'))
        limits = limits.mid(1, limits.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    parts << limits;
    return parts;
}

// A cell of numbers as the JSON of one plan gives it: empty for null.
QString cellOf(const QJsonValue& value)
{
    if (value.isNull() || value.isUndefined())
        return QString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isString())
        return value.toString();
    return QString::number(value.toDouble(), 'g', 17);
}

// The same number written differently ("10" and "1e+01") is the same cell.
QString normalised(const QString& cell)
{
    bool number = false;
    const double value = cell.toDouble(&number);
    return number ? QString::number(value, 'g', 17) : cell;
}

// A CSV cell, which holds the number as computed, as JSON gives it: rounded
// as the texts show it (the places of each column; the output to 15
// significant digits).
QString shownCell(const QString& cell, int column)
{
    static const int kPlaces[] = {-1, 0, 2, 6, 0, 0, 0, 3, 0, 1, 3, 0};
    bool number = false;
    const double value = cell.toDouble(&number);
    if (!number)
        return cell;
    if (kPlaces[column] < 0)
        return normalised(QString::number(value, 'g', 15));
    return normalised(QString::number(vantrel::shownValue(value, kPlaces[column]), 'g', 17));
}

} // namespace

class TestVantrelPlanScan : public QObject {
    Q_OBJECT
private slots:
    void everyLineIsThePlanOfItsOutput_data();
    void everyLineIsThePlanOfItsOutput();
    void refused_data();
    void refused();
};

void TestVantrelPlanScan::everyLineIsThePlanOfItsOutput_data()
{
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("crossing"); // outcomes or limits the range must show, "|" between them
    // Auto Set gives divider 2 below 2200 MHz and 1 from there, where a
    // 2 kHz step needs MOD 5000: the plans stop.
    QTest::addRow("into MOD above 4095 at the divider boundary")
        << QStringList{"2197", "2203", "1"} << QStringList{"--auto-divider", "--resolution", "2000"}
        << "complete|mod-limit|MOD 5000 above 4095";
    // A 30 MHz PFD puts INT at 73 and 74 from 2200 MHz on: below the 75 of
    // prescaler 8/9, until 2250 MHz.
    QTest::addRow("through INT below 75 at the divider boundary")
        << QStringList{"2190", "2260", "5"} << QStringList{"--ref", "30", "--resolution", "100000", "--auto-divider"}
        << "complete|INT 73 below 75 for prescaler 8/9|INT 74 below 75";
    // Downwards, with units, on a fixed divider that leaves the VCO's range
    // below 2200 MHz; boundary spurs 200 kHz off, inside a 300 kHz loop,
    // and 400 kHz off, outside it.
    QTest::addRow("downwards in kHz out of the VCO's range")
        << QStringList{"2.2004G", "2199600k", "-200 kHz"}
        << QStringList{"--loop-bandwidth", "300", "--resolution", "100000"}
        << "VCO 2199.6 MHz below 2200|,200,true,|,400,false,";
    // With the board's filter each point has its crossover, and the spurs
    // are inside or outside the loop by it.
    QTest::addRow("with a loop filter") << QStringList{"2400.05", "2400.2", "0.05"}
                                        << QStringList{"--ref", "25", "--resolution", "50000", "--loop-filter",
                                                       "C1=4.3n,C2=51n,C3=300p,R2=160,R3=2k"}
                                        << ",50,true,|,100,false,|,50.095,";
}

void TestVantrelPlanScan::everyLineIsThePlanOfItsOutput()
{
    QFETCH(QStringList, range);
    QFETCH(QStringList, options);
    QFETCH(QString, crossing);
    const Run csv = runPlan(QStringList{"--scan"} + range + options);
    QCOMPARE(csv.status, 0);
    QCOMPARE(csv.err, QByteArray());
    QStringList lines = QString::fromUtf8(csv.out).split('\n');
    QCOMPARE(lines.takeFirst(), kColumns);
    QCOMPARE(lines.takeLast(), QString()); // the last line ends too
    const Run json = runPlan(QStringList{"--scan"} + range + options + QStringList{"--json"});
    QCOMPARE(json.status, 0);
    const QList<QByteArray> objects = json.out.trimmed().split('\n');
    QCOMPARE(objects.size(), lines.size());
    for (const QString& shown : crossing.split('|'))
        QVERIFY2(csv.out.contains(shown.toUtf8()), qPrintable(shown));

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList cell = cells(lines[i]);
        QCOMPARE(cell.size(), 12);
        // The point's own output as vantrel-plan would be given it.
        const Run single = runPlan(options + QStringList{"--fout", cell[0], "--json"});
        const QJsonObject plan = QJsonDocument::fromJson(single.out).object();
        QVERIFY2(!plan.isEmpty(), single.err.constData());
        const bool complete = plan.value("outcome").toString() == QLatin1String("complete");
        const QJsonValue quality = plan.value("quality");
        QStringList limits;
        for (const auto& limit : plan.value("chip_limits").toArray())
            limits << limit.toObject().value("summary").toString();
        const QStringList expected{
            // The output the plan took from the box (a stopped plan's is no plan's).
            complete ? cellOf(plan.value("Fout")) : cell[0],
            plan.value("outcome").toString(),
            complete ? cellOf(plan.value("ErrorHz")) : QString(),
            complete ? cellOf(plan.value("Fcomp")) : QString(),
            complete ? cellOf(plan.value("N")) : QString(),
            complete ? cellOf(plan.value("Fract")) : QString(),
            complete ? cellOf(plan.value("Denom")) : QString(),
            cellOf(quality.toObject().value("boundary_spur_offset_khz")),
            quality.isNull() ? QString() : cellOf(quality.toObject().value("boundary_spur_in_loop")),
            quality.isNull() ? QString() : cellOf(quality.toObject().value("in_band_10khz_dbc_hz")),
            cellOf(plan.value("loop").toObject().value("crossover_khz")),
            limits.join(QStringLiteral("; ")),
        };
        for (int c = 0; c < 12; ++c)
            QVERIFY2(shownCell(cell[c], c) == normalised(expected[c]),
                     qPrintable(QStringLiteral("%1, column %2: scan \"%3\", single plan \"%4\"")
                                    .arg(cell[0], kColumns.section(',', c, c), cell[c], expected[c])));
        // The JSON line holds the same, under the same keys.
        const QJsonObject line = QJsonDocument::fromJson(objects[i]).object();
        const QStringList keys = kColumns.split(',');
        QCOMPARE(QStringList(line.keys()).size(), keys.size());
        for (int c = 0; c < 11; ++c)
            QCOMPARE(normalised(cellOf(line.value(keys[c]))), shownCell(cell[c], c));
        QStringList jsonLimits;
        for (const auto& limit : line.value("chip_limits").toArray())
            jsonLimits << limit.toString();
        QCOMPARE(jsonLimits, limits);
    }
}

void TestVantrelPlanScan::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::addRow("two values") << QStringList{"--scan", "1", "2"} << "--scan takes START STOP STEP";
    QTest::addRow("a STOP that is no frequency") << QStringList{"--scan", "100", "2OO", "1"} << "STOP \"2OO\"";
    QTest::addRow("too many points, with the count")
        << QStringList{"--scan", "35", "4400", "1k"} << "the scan would have 4365001 points, more than 100000";
    QTest::addRow("a step away from the stop") << QStringList{"--scan", "100", "200", "-1"} << "leads away from STOP";
    QTest::addRow("with --fout") << QStringList{"--scan", "1", "2", "1", "--fout", "5"}
                                 << "--scan and --fout exclude each other";
    QTest::addRow("with --strict") << QStringList{"--strict", "--scan", "1", "2", "1"}
                                   << "--scan and --strict exclude each other";
}

void TestVantrelPlanScan::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    verifyUsageError(runPlan(arguments), named);
}

QTEST_GUILESS_MAIN(TestVantrelPlanScan)
#include "tst_vantrel_plan_scan.moc"
