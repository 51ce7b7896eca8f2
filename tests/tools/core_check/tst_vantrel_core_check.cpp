// vantrel-core-check as a program: the same bytes for the same options, one
// LF-ended line per case, cases that vantrel-plan agrees with when given the
// settings the line prints, and its usage errors.
#include <QtTest>

#include <QRegularExpression>

#include "program_run.h"

namespace {

Run runCheck(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_CORE_CHECK_EXE), arguments); }
Run runPlan(const QStringList& arguments) { return runProgram(QStringLiteral(VANTREL_PLAN_EXE), arguments); }

QList<QByteArray> linesOf(const QByteArray& out)
{
    QList<QByteArray> lines = out.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The printed options back into arguments: blanks split them, a value in
// double quotes is one argument with \" and \\ undone.
QStringList arguments(const QByteArray& options)
{
    QStringList list;
    QString current;
    bool inQuotes = false, any = false;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const char c = options[i];
        if (inQuotes && c == '\\' && i + 1 < options.size()) {
            current += QLatin1Char(options[++i]);
        } else if (c == '"') {
            inQuotes = !inQuotes;
            any = true;
        } else if (c == ' ' && !inQuotes) {
            if (any || !current.isEmpty())
                list << current;
            current.clear();
            any = false;
        } else {
            current += QLatin1Char(c);
        }
    }
    if (any || !current.isEmpty())
        list << current;
    return list;
}

// A line's fields, by what each starts with: "plan", "words", "decode" ...
QByteArray field(const QByteArray& line, const QByteArray& start)
{
    for (const QByteArray& f : line.split('|')) {
        if (f.trimmed().startsWith(start + ' '))
            return f.trimmed();
    }
    return {};
}

QStringList wordsAfter(const QString& marker, const QByteArray& field)
{
    static const QRegularExpression words(QStringLiteral("((?:[0-9A-F]{8} ?){6})"));
    const qsizetype at = field.indexOf(marker.toLatin1());
    const QRegularExpressionMatch match = words.match(QString::fromLatin1(field.mid(at + marker.size())));
    return at < 0 || !match.hasMatch() ? QStringList() : match.captured(1).trimmed().split(QLatin1Char(' '));
}

// A quoted text of the line back to its bytes.
QByteArray unquoted(const QByteArray& quoted)
{
    QByteArray text;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '\\') {
            c = quoted[++i];
            c = c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
        text += c;
    }
    return text;
}

QStringList jsonWords(const QByteArray& json)
{
    QStringList words;
    for (const auto& word : QJsonDocument::fromJson(json).object().value(QStringLiteral("registers")).toArray())
        words << word.toString();
    return words;
}

} // namespace

class TestVantrelCoreCheck : public QObject {
    Q_OBJECT
private slots:
    void sameOptionsSameBytes();
    void defaultRunFindsNoFault();
    void vantrelPlanAgrees_data();
    void vantrelPlanAgrees();
    void registerFileTakesEveryListing();
    void usage_data();
    void usage();
};

void TestVantrelCoreCheck::sameOptionsSameBytes()
{
    const Run first = runCheck({"--count", "120", "--seed", "9"});
    QCOMPARE(first.status, 0);
    QCOMPARE(runCheck({"--seed=9", "--count=120"}).out, first.out);
    QVERIFY(runCheck({"--count", "120", "--seed", "10"}).out != first.out);

    // One line per case, numbered, LF alone at the end and no other line
    // break inside: the listings' CR LF are written as \r\n.
    const QList<QByteArray> lines = linesOf(first.out);
    QCOMPARE(lines.size(), 120);
    QVERIFY(!first.out.contains('\r'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(QByteArray::number(i + 1) + " | "), lines[i].left(40).constData());

    // Each case draws from its own engine: fewer cases are the first lines of more.
    const Run fewer = runCheck({"--count", "30", "--seed", "9"});
    QCOMPARE(linesOf(fewer.out), lines.mid(0, 30));
}

void TestVantrelCoreCheck::defaultRunFindsNoFault()
{
    // Every pasted set reads back and every cut of the board's answer gives
    // the same events, over the 2000 cases the Windows comparison uses.
    const Run run = runCheck({});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.status, 0);
    QCOMPARE(linesOf(run.out).size(), 2000);
}

void TestVantrelCoreCheck::vantrelPlanAgrees_data()
{
    QTest::addColumn<QString>("seed");
    QTest::addRow("seed 1") << "1";
    QTest::addRow("seed 2") << "2";
    QTest::addRow("seed 77") << "77";
}

// The settings a line prints, given to vantrel-plan, give the line's outcome
// and words; with --decode of those words, the words of the line's decode.
void TestVantrelCoreCheck::vantrelPlanAgrees()
{
    QFETCH(QString, seed);
    const Run run = runCheck({"--count", "12", "--seed", seed});
    QCOMPARE(run.status, 0);
    for (const QByteArray& line : linesOf(run.out)) {
        const QStringList options = arguments(line.split('|').value(1).trimmed());
        const QStringList words = wordsAfter(QStringLiteral("words "), field(line, "words"));
        const QStringList decoded = wordsAfter(QStringLiteral(" words "), field(line, "decode"));
        QCOMPARE(words.size(), 6);
        QCOMPARE(decoded.size(), 6);

        const Run plan = runPlan(options + QStringList{"--json"});
        const QJsonObject object = QJsonDocument::fromJson(plan.out).object();
        const QString outcome = object.value(QStringLiteral("outcome")).toString();
        QVERIFY2(field(line, "plan").startsWith("plan " + outcome.toLatin1()), line.left(200).constData());
        // A plan that stopped gives no words of its own: what the core keeps are an earlier run's.
        if (outcome == QLatin1String("complete"))
            QCOMPARE(jsonWords(plan.out), words);
        else
            QVERIFY(object.value(QStringLiteral("registers")).isNull());

        // A plan that never completed leaves the six words 0, which
        // vantrel-plan refuses to decode: they are no register set.
        if (words.count(QStringLiteral("00000000")) == 6)
            continue;
        const Run back = runPlan(options + QStringList{"--decode", words.join(QLatin1Char(',')), "--json"});
        // Words that give no plan of their own (MOD 0 in fractional mode, from
        // a step coarser than the PFD) are refused, with the reason.
        if (back.status == 1 && back.out.isEmpty()) {
            QVERIFY2(back.err.contains("--decode: the words give no plan: "), back.err.constData());
            continue;
        }
        QCOMPARE(jsonWords(back.out), decoded);
    }
}

// The blocks of the register file hold the listings of the lines, byte for
// byte, numbered from 0: "PIC EE Data" pressed once per case.
void TestVantrelCoreCheck::registerFileTakesEveryListing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("4351SynthReg.txt"));
    const Run run = runCheck({"--count", "4", "--seed", "3", "--register-file", path});
    QCOMPARE(run.status, 0);
    QByteArray expected;
    int block = 0;
    for (const QByteArray& line : linesOf(run.out)) {
        const QByteArray ee = field(line, "ee");
        expected += "   ;Register set " + QByteArray::number(block++) + "\r\n" + unquoted(ee.mid(3)) + "\r\n";
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);

    // A folder cannot be appended to: said, and the run ends there.
    const Run folder = runCheck({"--count", "4", "--register-file", dir.path()});
    QCOMPARE(folder.status, 1);
    QCOMPARE(linesOf(folder.out).size(), 1);
    QVERIFY2(folder.err.contains("it is a folder"), folder.err.constData());
}

void TestVantrelCoreCheck::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("error");
    QTest::addRow("count of 0 prints nothing") << QStringList{"--count", "0"} << 0 << 0 << QByteArray();
    QTest::addRow("count after =") << QStringList{"--count=3"} << 0 << 3 << QByteArray();
    QTest::addRow("largest seed") << QStringList{"--seed", "18446744073709551615", "--count", "2"} << 0 << 2
                                  << QByteArray();
    QTest::addRow("count not a number") << QStringList{"--count", "x"} << 2 << 0 << QByteArray("--count x");
    QTest::addRow("negative count") << QStringList{"--count", "-1"} << 2 << 0 << QByteArray("--count -1");
    QTest::addRow("count with a point") << QStringList{"--count", "2.5"} << 2 << 0 << QByteArray("--count 2.5");
    QTest::addRow("seed beyond 64 bits") << QStringList{"--seed", "18446744073709551616"} << 2 << 0
                                         << QByteArray("--seed 18446744073709551616");
    QTest::addRow("empty value after =") << QStringList{"--seed="} << 2 << 0 << QByteArray("--seed ");
    QTest::addRow("value missing") << QStringList{"--count"} << 2 << 0 << QByteArray("--count needs a value");
    QTest::addRow("register file without a name") << QStringList{"--register-file="} << 2 << 0
                                                  << QByteArray("--register-file needs a file name");
    QTest::addRow("unknown option") << QStringList{"--counts", "3"} << 2 << 0 << QByteArray("\"--counts\"");
}

void TestVantrelCoreCheck::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, lines);
    QFETCH(QByteArray, error);
    const Run run = runCheck(arguments);
    QCOMPARE(run.status, status);
    QCOMPARE(linesOf(run.out).size(), lines);
    if (error.isEmpty()) {
        QCOMPARE(run.err, QByteArray());
    } else {
        QVERIFY2(run.err.startsWith("vantrel-core-check: ") && run.err.contains(error), run.err.constData());
    }
}

QTEST_GUILESS_MAIN(TestVantrelCoreCheck)
#include "tst_vantrel_core_check.moc"
