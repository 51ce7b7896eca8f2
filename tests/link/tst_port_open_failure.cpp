// Why a port did not open, and what to do about it: the words for each kind
// of failure, and the kinds found out by opening what is no serial port or
// a port another program holds.
#include <QtTest>

#include <QCoreApplication>
#include <QLockFile>
#include <QTemporaryDir>

#include "port_open_failure.h"
#include "serial_link.h"

#ifdef Q_OS_UNIX
#include "board_harness.h"
#endif

using vantrel::PortOpenFailure;

Q_DECLARE_METATYPE(PortOpenFailure)

class TestPortOpenFailure : public QObject {
    Q_OBJECT
private slots:
    void message_data();
    void message();
    void openingWhatIsNoSerialPort_data();
    void openingWhatIsNoSerialPort();
    void aPortAnotherProgramHolds();
};

void TestPortOpenFailure::message_data()
{
    QTest::addColumn<PortOpenFailure>("failure");
    QTest::addColumn<QString>("message");
    using Kind = PortOpenFailure::Kind;
    QTest::addRow("permission, the usual group")
        << PortOpenFailure{Kind::NoPermission, {}, QStringLiteral("dialout"), {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: permission denied. Give your user access to the group dialout "
           "(sudo usermod -aG dialout $USER), then log out and in again";
    QTest::addRow("permission, another distribution's group")
        << PortOpenFailure{Kind::NoPermission, {}, QStringLiteral("uucp"), {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: permission denied. Give your user access to the group uucp "
           "(sudo usermod -aG uucp $USER), then log out and in again";
    QTest::addRow("permission, group unknown")
        << PortOpenFailure{Kind::NoPermission, {}, {}, {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: permission denied. Give your user access to the group dialout "
           "(sudo usermod -aG dialout $USER), then log out and in again";
    // A device only root may open used to advise joining dialout, which would not help.
    QTest::addRow("permission, no group may open it")
        << PortOpenFailure{Kind::NoGroupAccess, QStringLiteral("root:root with mode 0600"), {}, {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: permission denied: it belongs to root:root with mode 0600, and no group a "
           "user should join can open it. An administrator can give it a group with read and write access, such "
           "as dialout (a udev rule)";
    QTest::addRow("a lock with its program")
        << PortOpenFailure{Kind::LockedByProgram, {}, {}, QStringLiteral("/run/lock/LCK..ttyUSB0"), 4242,
                           QStringLiteral("minicom")}
        << "Cannot open /dev/ttyUSB0: another program has it (the lock file "
           + QDir::toNativeSeparators(QStringLiteral("/run/lock/LCK..ttyUSB0"))
           + " is held by minicom, PID 4242); close that program first";
    QTest::addRow("a lock that names no program")
        << PortOpenFailure{Kind::LockedByProgram, {}, {}, QStringLiteral("/run/lock/LCK..ttyUSB0"), 4242, {}}
        << "Cannot open /dev/ttyUSB0: another program has it (the lock file "
           + QDir::toNativeSeparators(QStringLiteral("/run/lock/LCK..ttyUSB0")) + " is held by PID 4242); close "
                                                                                   "that program first";
    QTest::addRow("a regular file")
        << PortOpenFailure{Kind::NotASerialPort, QStringLiteral("a regular file"), {}, {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: it is not a serial port (a regular file)";
    QTest::addRow("anything else, in the system's words")
        << PortOpenFailure{Kind::Other, QStringLiteral("No such file or directory"), {}, {}, 0, {}}
        << "Cannot open /dev/ttyUSB0: No such file or directory";
}

void TestPortOpenFailure::message()
{
    QFETCH(PortOpenFailure, failure);
    QFETCH(QString, message);
    QCOMPARE(vantrel::portOpenMessage(QStringLiteral("/dev/ttyUSB0"), failure), message);
}

void TestPortOpenFailure::openingWhatIsNoSerialPort_data()
{
    QTest::addColumn<QString>("device"); // in the temporary folder when relative
    QTest::addColumn<QString>("why");
    QTest::addRow("a regular file") << "settings.json" << "it is not a serial port (a regular file)";
    QTest::addRow("a folder") << "" << "it is not a serial port (a folder)";
#ifdef Q_OS_UNIX
    QTest::addRow("/dev/null") << "/dev/null" << "it is not a serial port (a device without terminal settings)";
#endif
}

void TestPortOpenFailure::openingWhatIsNoSerialPort()
{
    QFETCH(QString, device);
    QFETCH(QString, why);
    QTemporaryDir dir;
    if (device.isEmpty()) {
        device = dir.path();
    } else if (!device.startsWith(QLatin1Char('/'))) {
        device = dir.filePath(device);
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    vantrel::SerialLink link;
    const vantrel::OpenOutcome outcome = link.open(device);
    QVERIFY(!outcome.opened);
    QCOMPARE(outcome.message, QStringLiteral("Cannot open %1: %2").arg(device, why));
}

// The port's lock file names the program that holds it, here this test.
void TestPortOpenFailure::aPortAnotherProgramHolds()
{
#ifdef Q_OS_UNIX
    TestPty pty;
    if (!pty.isOpen())
        QSKIP("this system offers no pseudo-terminals");
    vantrel::SerialLink holder;
    QVERIFY(holder.open(pty.path()).opened);
    vantrel::SerialLink second;
    const vantrel::OpenOutcome outcome = second.open(pty.path());
    QVERIFY(!outcome.opened);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Cannot open %1: another program has it \\(the lock file (\\S+) is held by "
                                          "(\\S+), PID (\\d+)\\); close that program first$")
                               .arg(QRegularExpression::escape(pty.path())))
            .match(outcome.message);
    QVERIFY2(match.hasMatch(), qPrintable(outcome.message));
    QVERIFY(match.captured(1).endsWith(QStringLiteral("/LCK..") + pty.path().mid(5).replace('/', '_')));
    QCOMPARE(match.captured(2), QCoreApplication::applicationName());
    QCOMPARE(match.captured(3).toLongLong(), QCoreApplication::applicationPid());
#else
    QSKIP("lock files are a Unix custom");
#endif
}

QTEST_GUILESS_MAIN(TestPortOpenFailure)
#include "tst_port_open_failure.moc"
