// "PIC EE Data" and the register listing file, through the window: the EE
// Data window, block numbering, and failures that lose nothing.
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QTemporaryDir>

#include "eedata_window.h"
#include "panel_driver.h"
#include "worked_listings.h"

namespace {

const QString kListing = QString::fromStdString(worked::withLf(worked::kFirstEeListing));

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray block(int number)
{
    return "   ;Register set " + QByteArray::number(number) + "\r\n"
           + QByteArray::fromStdString(std::string(worked::kFirstEeListing)) + "\r\n";
}

} // namespace

class TestEEData : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void listingInItsWindow();
    void blocksAreNumberedAndAppended();
    void clearedBoxWritesNothing();
    void failuresAreReportedAndLoseNothing_data();
    void failuresAreReportedAndLoseNothing();
    void aPlanThatStoppedListsNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
};

void TestEEData::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir->path()); // a name without a folder is in the current directory
}

void TestEEData::cleanup() { QDir::setCurrent(m_oldCurrent); }

void TestEEData::listingInItsWindow()
{
    PanelDriver d;
    d.firstExampleOptions();
    d.click("PicEEdata");
    EEdataWindow* window = d.panel.eeDataWindow();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("EE Data"));
    QCOMPARE(window->size(), QSize(312, 329));
    QCOMPARE(window->text()->objectName(), QStringLiteral("EEtext"));
    QCOMPARE(window->text()->geometry(), QRect(8, 8, 297, 281));
    QCOMPARE(window->text()->toPlainText(), kListing);
    // Every line whole in the box, the first one (the longest) included.
    const QFontMetrics metrics(window->text()->font());
    const int room = window->text()->viewport()->width() - 2 * int(window->text()->document()->documentMargin());
    for (const QString& line : kListing.split(QLatin1Char('\n')))
        QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
    // In a face too wide for the box the window grows to the line.
    const QString wide = QStringLiteral(";  Fout = 2320.123456789012MHz      Ref = 10.000000000000MHz  ") + kListing;
    window->setListing(wide);
    QVERIFY(window->width() > 312);
    QVERIFY(metrics.horizontalAdvance(wide.section(QLatin1Char('\n'), 0, 0))
            <= window->text()->viewport()->width() - 2 * int(window->text()->document()->documentMargin()));
    window->setListing(kListing);
    QCOMPARE(window->size(), QSize(312, 329));

    d.arrow("Pwr", false); // any recalculation hides it
    QVERIFY(!window->isVisible());

    d.type("FrText", QStringLiteral("10.000")); // the reference exactly as typed
    d.click("PicEEdata");
    QVERIFY(window->text()->toPlainText().contains(QStringLiteral("Ref = 10.000MHz\n")));
}

void TestEEData::blocksAreNumberedAndAppended()
{
    const QString path = m_dir->filePath(QStringLiteral("4351SynthReg.txt"));
    {
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("; kept\r\n");
    }
    PanelDriver d;
    d.firstExampleOptions();
    d.click("GenRegFile");
    d.click("PicEEdata");
    d.click("PicEEdata");
    QCOMPARE(d.edit("BlockNo")->text(), QStringLiteral("2"));
    QCOMPARE(fileBytes(path), "; kept\r\n" + block(0) + block(1));

    d.type("BlockNo", QStringLiteral("abc"));
    d.click("PicEEdata");
    QCOMPARE(d.edit("BlockNo")->text(), QStringLiteral("1"));
    QVERIFY(fileBytes(path).endsWith(block(0)));
    QVERIFY(d.sink.messages.isEmpty());
    // The bare name's whole path is said once, in the reply box, and kept
    // in the name's tool tip.
    const QString whole = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString text1 = d.get<QPlainTextEdit>("Text1")->toPlainText();
    QCOMPARE(text1, QStringLiteral("Block 0 appended to the register listing file %1\n").arg(whole));
    QCOMPARE(d.edit("RegFileName")->toolTip(), whole);
}

void TestEEData::clearedBoxWritesNothing()
{
    PanelDriver d;
    d.click("GenRegFile");
    d.click("GenRegFile");
    d.click("PicEEdata");
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("4351SynthReg.txt"))));
    QCOMPARE(d.edit("BlockNo")->text(), QStringLiteral("0"));
}

void TestEEData::failuresAreReportedAndLoseNothing_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("blockNo");
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing folder") << "no/such/folder/reg.txt" << "0" << QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::addRow("a folder of that name") << "afolder" << "0" << "it is a folder";
    QTest::addRow("block number beyond 16 bits") << "4351SynthReg.txt" << "40000" << "outside -32768 to 32767";
    QTest::addRow("last block number") << "4351SynthReg.txt" << "32767" << "no block number can follow";
    // A device takes the block and keeps nothing; a FIFO froze the window
    // until a reader came.
    QTest::addRow("a device") << "/dev/full" << "0" << "it is a device, not a regular file";
#ifdef Q_OS_UNIX
    QTest::addRow("a FIFO") << "afifo" << "0" << "it is a pipe, not a regular file";
#endif
}

void TestEEData::failuresAreReportedAndLoseNothing()
{
    QFETCH(QString, fileName);
    QFETCH(QString, blockNo);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("afolder")));
    const QString path = m_dir->filePath(QStringLiteral("4351SynthReg.txt"));
    {
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("; kept\r\n");
    }
    if (fileName.startsWith(QLatin1String("/dev/")) && !QFile::exists(fileName))
        QSKIP("this system has no /dev/full");
#ifdef Q_OS_UNIX
    if (fileName == QLatin1String("afifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(fileName)).constData(), 0600), 0);
#endif

    PanelDriver d;
    d.click("GenRegFile");
    d.type("RegFileName", fileName);
    d.type("BlockNo", blockNo);
    d.click("PicEEdata");
    QCOMPARE(d.sink.messages.size(), 1);
    QVERIFY2(d.sink.messages.first().contains(reason), qPrintable(d.sink.messages.first()));
    QCOMPARE(d.edit("BlockNo")->text(), blockNo);
    QCOMPARE(fileBytes(path), QByteArray("; kept\r\n"));
    QVERIFY(d.panel.eeDataWindow()->isVisible());
    QVERIFY(d.panel.eeDataWindow()->text()->toPlainText().startsWith(QStringLiteral(";  R = 1")));
}

// The words of the last complete plan used to be listed, and appended to
// the firmware's source, as if they were the stopped plan's.
void TestEEData::aPlanThatStoppedListsNothing()
{
    PanelDriver d;
    d.firstExampleOptions();
    d.click("GenRegFile");
    d.click("PicEEdata");
    QCOMPARE(fileBytes(QStringLiteral("4351SynthReg.txt")), block(0));
    d.type("ResolutionText", QStringLiteral("2441.40625"));
    QVERIFY(d.listing().startsWith(QStringLiteral("More than 12 bits")));
    d.click("PicEEdata");
    QCOMPARE(d.sink.messages.size(), 1);
    QVERIFY2(d.sink.messages.first().startsWith(QStringLiteral("PIC EE Data made no listing: the settings give no "
                                                               "complete plan")),
             qPrintable(d.sink.messages.first()));
    QCOMPARE(fileBytes(QStringLiteral("4351SynthReg.txt")), block(0));
}

QTEST_MAIN(TestEEData)
#include "tst_ee_data.moc"
