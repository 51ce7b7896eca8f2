// Appending blocks to the register listing file: numbering, the bytes that
// reach the file, and every failure leaving the file as it was.
#include <QtTest>

#include <filesystem>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "register_file.h"
#include "worked_listings.h"

using namespace vantrel;

namespace {

// Any listing will do: the file step copies it unchanged.
const QByteArray kListing = QByteArray::fromStdString(std::string(worked::kFirstEeListing));

// Bytes a file held before an append that must leave them alone; no line end
// at the end, so a stray write or a truncation shows.
const QByteArray kOldContent = "   ;Register set 9\r\nhand-written \xB5 notes";

QByteArray block(const QByteArray& number) { return "   ;Register set " + number + "\r\n" + kListing + "\r\n"; }

std::filesystem::path pathOf(const QString& name) { return std::filesystem::path(name.toStdU16String()); }

BlockAppend append(const QString& name, const QByteArray& blockNo)
{
    return appendRegisterBlock(pathOf(name), blockNo.toStdString(), kListing.toStdString());
}

QByteArray contentOf(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool write(const QString& name, const QByteArray& content)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestRegisterFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void twoPressesNumberTheBlocks();
    void existingFileKeepsItsBytes();
    void blockNumberText_data();
    void blockNumberText();
    void refusedBlockNumbers_data();
    void refusedBlockNumbers();
    void unopenableFiles_data();
    void unopenableFiles();
    void fullDiskIsReported();
    void shortWriteIsCutBack();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
};

void TestRegisterFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
}

void TestRegisterFile::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    m_dir.reset();
}

void TestRegisterFile::twoPressesNumberTheBlocks()
{
    // A name without a folder lands in the current directory.
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const BlockAppend first = append(QStringLiteral("4351SynthReg.txt"), "0");
    QVERIFY2(first.ok(), first.failure.c_str());
    QCOMPARE(*first.nextBlockNo, std::string("1"));
    const BlockAppend second = append(QStringLiteral("4351SynthReg.txt"), QByteArray::fromStdString(*first.nextBlockNo));
    QVERIFY2(second.ok(), second.failure.c_str());
    QCOMPARE(*second.nextBlockNo, std::string("2"));
    QCOMPARE(contentOf(m_dir->filePath(QStringLiteral("4351SynthReg.txt"))), block("0") + block("1"));
}

void TestRegisterFile::existingFileKeepsItsBytes()
{
    const QString name = m_dir->filePath(QStringLiteral("reg.txt"));
    QVERIFY(write(name, kOldContent));
    const BlockAppend result = append(name, "5");
    QVERIFY2(result.ok(), result.failure.c_str());
    QCOMPARE(contentOf(name), kOldContent + block("5"));
}

void TestRegisterFile::blockNumberText_data()
{
    QTest::addColumn<QByteArray>("blockNo");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("next");
    QTest::addRow("not a number numbers 0") << QByteArray("abc") << QByteArray("0") << QByteArray("1");
    QTest::addRow("tie rounds down to even") << QByteArray("2.5") << QByteArray("2") << QByteArray("3");
    QTest::addRow("tie rounds up to even") << QByteArray("3.5") << QByteArray("4") << QByteArray("5");
    QTest::addRow("negative keeps its sign") << QByteArray("-1") << QByteArray("-1") << QByteArray("0");
    QTest::addRow("lowest number") << QByteArray("-32768") << QByteArray("-32768") << QByteArray("-32767");
    QTest::addRow("last number that has a next") << QByteArray("32766") << QByteArray("32766") << QByteArray("32767");
}

void TestRegisterFile::blockNumberText()
{
    QFETCH(QByteArray, blockNo);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, next);
    const QString name = m_dir->filePath(QStringLiteral("reg.txt"));
    const BlockAppend result = append(name, blockNo);
    QVERIFY2(result.ok(), result.failure.c_str());
    QCOMPARE(QByteArray::fromStdString(*result.nextBlockNo), next);
    QCOMPARE(contentOf(name), block(written));
}

void TestRegisterFile::refusedBlockNumbers_data()
{
    QTest::addColumn<QByteArray>("blockNo");
    QTest::addColumn<QString>("reason");
    QTest::addRow("above the 16-bit range") << QByteArray("40000")
        << QStringLiteral("Block number \"40000\" is outside -32768 to 32767");
    QTest::addRow("beyond a double") << QByteArray("1e999")
        << QStringLiteral("Block number \"1e999\" is outside -32768 to 32767");
    // Refused before writing: otherwise block 32767 would be in the file while
    // the box still said 32767, and the next press would write it twice.
    QTest::addRow("the last number has no next") << QByteArray("32767")
        << QStringLiteral("Block number 32767 is the last one: no block number can follow it, so nothing was written");
    QTest::addRow("rounds to the last number") << QByteArray("32767.4")
        << QStringLiteral("Block number 32767 is the last one: no block number can follow it, so nothing was written");
}

void TestRegisterFile::refusedBlockNumbers()
{
    QFETCH(QByteArray, blockNo);
    QFETCH(QString, reason);
    const QString name = m_dir->filePath(QStringLiteral("reg.txt"));
    QVERIFY(write(name, kOldContent));
    const BlockAppend result = append(name, blockNo);
    QVERIFY(!result.ok());
    QCOMPARE(QString::fromStdString(result.failure), reason);
    QCOMPARE(contentOf(name), kOldContent);
}

void TestRegisterFile::unopenableFiles_data()
{
    QTest::addColumn<QString>("name"); // relative to the temporary folder
    QTest::addColumn<QString>("reasonEnd");
    QTest::addRow("missing folder") << QStringLiteral("no such folder/reg.txt")
                                    << QStringLiteral(" for appending: No such file or directory");
    QTest::addRow("a folder of that name") << QStringLiteral("reg.txt")
                                           << QStringLiteral(" for appending: it is a folder");
    QTest::addRow("no permission") << QStringLiteral("locked/reg.txt")
                                   << QStringLiteral(" for appending: Permission denied");
    QTest::addRow("no name") << QString() << QStringLiteral("No register file name given");
#ifdef Q_OS_UNIX
    // Without a reader the open used to wait for one, freezing the window;
    // with one, the block went into the pipe and was lost.
    QTest::addRow("a FIFO without a reader") << QStringLiteral("reg.txt")
                                             << QStringLiteral(" for appending: it is a pipe, not a regular file");
    QTest::addRow("a FIFO with a reader") << QStringLiteral("reg.txt")
                                          << QStringLiteral(" for appending: it is a pipe, not a regular file");
#endif
}

void TestRegisterFile::unopenableFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, reasonEnd);
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    QString path = name.isEmpty() ? QString() : m_dir->filePath(name);
    QDir dir(m_dir->path());
    if (tag == QLatin1String("a folder of that name")) {
        QVERIFY(dir.mkdir(name));
    } else if (tag == QLatin1String("no permission")) {
#ifdef Q_OS_UNIX
        // Root writes through any permission bits.
        if (::geteuid() == 0)
            QSKIP("running as root: permission bits do not stop root");
#endif
        QVERIFY(dir.mkdir(QStringLiteral("locked")));
        QVERIFY(write(path, kOldContent));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    }
#ifdef Q_OS_UNIX
    int reader = -1;
    if (tag.startsWith(QLatin1String("a FIFO"))) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (tag.endsWith(QLatin1String("with a reader")))
            QVERIFY((reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK)) >= 0);
    }
    const auto closeReader = qScopeGuard([reader] {
        if (reader >= 0)
            ::close(reader);
    });
#endif
    const QStringList before = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    const QByteArray bytesBefore = path.isEmpty() || tag.startsWith(QLatin1String("a FIFO")) ? QByteArray() : contentOf(path);

    const BlockAppend result = append(path, "0");
    QVERIFY(!result.ok());
    const QString failure = QString::fromStdString(result.failure);
    if (!name.isEmpty())
        QCOMPARE(failure, QStringLiteral("Cannot open ") + path + reasonEnd);
    else
        QCOMPARE(failure, reasonEnd);
    QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
#ifdef Q_OS_UNIX
    if (reader >= 0) {
        char byte = 0;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0)); // nothing went into the pipe
        return;
    }
    if (tag.startsWith(QLatin1String("a FIFO")))
        return;
#endif
    if (!path.isEmpty())
        QCOMPARE(contentOf(path), bytesBefore);
}

void TestRegisterFile::fullDiskIsReported()
{
    // A full disk's device must not pass for a written block; like any
    // device, it is refused before anything is written to it.
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this system");
    const BlockAppend result = append(QStringLiteral("/dev/full"), "0");
    QVERIFY(!result.ok());
    QCOMPARE(QString::fromStdString(result.failure),
             QStringLiteral("Cannot open /dev/full for appending: it is a device, not a regular file"));
}

void TestRegisterFile::shortWriteIsCutBack()
{
#ifdef Q_OS_LINUX
    // A file-size limit a few bytes past the old end lets only part of the
    // block through, as a disk filling up mid-block would: the part must go.
    const QString name = m_dir->filePath(QStringLiteral("reg.txt"));
    QVERIFY(write(name, kOldContent));
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    if (old.rlim_max != RLIM_INFINITY && old.rlim_max < rlim_t(kOldContent.size() + 20))
        QSKIP("the file-size limit cannot be set here");
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(kOldContent.size() + 20);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const BlockAppend result = append(name, "0");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!result.ok());
    QCOMPARE(QString::fromStdString(result.failure), QStringLiteral("Cannot write to ") + name
                                                        + QStringLiteral(": File too large"));
    QCOMPARE(contentOf(name), kOldContent);
#else
    QSKIP("needs a per-process file-size limit");
#endif
}

QTEST_APPLESS_MAIN(TestRegisterFile)
#include "tst_register_file.moc"
