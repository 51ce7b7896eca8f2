// vantrel-plan's --ee and --append run as a user would: the built executable
// through QProcess, its output, exit status and the file it appends to.
#include <QtTest>

#include <cerrno>
#include <cstring>

#include "worked_listings.h"

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runPlan(const QStringList& arguments, const QString& workingDirectory = QString())
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(VANTREL_PLAN_EXE), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The first worked register set: 10 MHz reference, 2320.5 MHz, 2500 Hz.
const QStringList kWorkedSettings{"--mux", "lock", "--charge-pump", "7", "--no-mute"};

const QByteArray kWorkedListing = QByteArray::fromStdString(worked::withLf(worked::kFirstEeListing));

QByteArray block(const QByteArray& number)
{
    return "   ;Register set " + number + "\r\n" + QByteArray::fromStdString(std::string(worked::kFirstEeListing)) + "\r\n";
}

QByteArray contentOf(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestVantrelPlanEe : public QObject {
    Q_OBJECT
private slots:
    void eeListing_data();
    void eeListing();
    void appendsNumberedBlocks();
    void appendFailures_data();
    void appendFailures();
    void aPlanThatStoppedAppendsNothing();
    void usageErrors_data();
    void usageErrors();
};

void TestVantrelPlanEe::eeListing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected"); // the whole listing, or its first two lines
    QTest::addRow("worked register set") << kWorkedSettings << kWorkedListing;
    QTest::addRow("reference as typed") << (kWorkedSettings + QStringList{"--ref", "10.000"})
        << QByteArray(";  R = 1    N = 232    D =  4000   F = 0200    Odiv = 1\n"
                      ";  Fout = 2320.5MHz      Ref = 10.000MHz\n");
}

void TestVantrelPlanEe::eeListing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const Run run = runPlan(arguments + QStringList{"--ee"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(expected));
    QCOMPARE(run.out.count('\n'), 8);
    QVERIFY(run.out.endsWith('\n'));
    QVERIFY(!run.out.contains('\r'));
}

void TestVantrelPlanEe::appendsNumberedBlocks()
{
    // Two presses from "0" in the default file of the current directory, the
    // second taking the number the first one returned.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList append = kWorkedSettings + QStringList{"--append", "4351SynthReg.txt"};
    const Run first = runPlan(append, dir.path());
    QCOMPARE(first.err, QByteArray());
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(first.out, QByteArray("1\n"));
    const Run second = runPlan(append + QStringList{"--block", QString::fromLatin1(first.out.trimmed())}, dir.path());
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(second.out, QByteArray("2\n"));
    QCOMPARE(contentOf(dir.filePath(QStringLiteral("4351SynthReg.txt"))), block("0") + block("1"));

    // With --ee too, the listing comes first and then the next number.
    const Run both = runPlan(append + QStringList{"--ee", "--block", "abc"}, dir.path());
    QCOMPARE(both.exitCode, 0);
    QCOMPARE(both.out, kWorkedListing + "1\n");
    QCOMPARE(contentOf(dir.filePath(QStringLiteral("4351SynthReg.txt"))), block("0") + block("1") + block("0"));
}

void TestVantrelPlanEe::appendFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("blockNo");
    QTest::addColumn<QString>("reason"); // %1: the file's path
    QTest::addRow("missing folder") << QStringLiteral("missing/reg.txt") << QStringLiteral("0")
                                    << QStringLiteral("Cannot open %1 for appending: ") + QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::addRow("last block number") << QStringLiteral("reg.txt") << QStringLiteral("32767")
        << QStringLiteral("Block number 32767 is the last one: no block number can follow it, so nothing was written");
}

void TestVantrelPlanEe::appendFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, blockNo);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    const QByteArray old = "   ;Register set 7\r\nkept";
    {
        QFile file(dir.filePath(QStringLiteral("reg.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    const Run run = runPlan(kWorkedSettings + QStringList{"--append", path, "--block", blockNo});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("vantrel-plan: ") + reason.arg(path) + QLatin1Char('\n'));
    QCOMPARE(contentOf(dir.filePath(QStringLiteral("reg.txt"))), old);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestVantrelPlanEe::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    QTest::addRow("block without a file") << QStringList{"--block", "3"}
                                          << QByteArray("vantrel-plan: --block needs --append\n");
    QTest::addRow("listing as JSON") << QStringList{"--ee", "--json"}
        << QByteArray("vantrel-plan: --ee and --append cannot be used with --json\n");
}

void TestVantrelPlanEe::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    const Run run = runPlan(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.startsWith(error));
    QCOMPARE(run.out, QByteArray());
}

// The last complete plan's words stay in place when a plan stops; they used
// to be appended to the firmware's source as if they were this plan's.
void TestVantrelPlanEe::aPlanThatStoppedAppendsNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Run run = runPlan(kWorkedSettings + QStringList{"--resolution", "2441.40625", "--ee", "--append", "reg.txt"},
                            dir.path());
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("vantrel-plan: nothing listed or written: no plan: More than 12 bits"), run.err.constData());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("reg.txt"))));
}

QTEST_GUILESS_MAIN(TestVantrelPlanEe)
#include "tst_vantrel_plan_ee.moc"
