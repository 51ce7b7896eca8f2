#include "port_open_failure.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace vantrel {

namespace {

#ifdef Q_OS_UNIX

// The device file a port name stands for, as the port opens it.
QString systemLocation(const QString& device)
{
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
}

// The folders in which the serial port looks for and makes its lock files,
// in the port's own order, and the lock file's name in them:
// "/dev/ttyUSB0" is locked by "LCK..ttyUSB0", "/dev/pts/3" by "LCK..pts_3".
QStringList lockFileCandidates(const QString& location)
{
    QString name = location.startsWith(QLatin1String("/dev/")) ? location.mid(5) : location;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QStringList folders{QStringLiteral("/var/lock"),         QStringLiteral("/etc/locks"),
                        QStringLiteral("/var/spool/locks"),  QStringLiteral("/var/spool/uucp"),
                        QStringLiteral("/tmp"),              QStringLiteral("/var/tmp"),
                        QStringLiteral("/var/lock/lockdev"), QStringLiteral("/run/lock")};
    folders << QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QStringList files;
    for (const QString& folder : std::as_const(folders))
        files << folder + QStringLiteral("/LCK..") + name;
    return files;
}

// The lock file of `location` that a program holds, with what it says of
// that program; false when there is none.
bool findHeldLock(const QString& location, PortOpenFailure& failure)
{
    for (const QString& path : lockFileCandidates(location)) {
        if (!QFileInfo::exists(path))
            continue;
        QLockFile lock(path);
        qint64 pid = 0;
        QString host;
        QString program;
        lock.getLockInfo(&pid, &host, &program);
        failure.kind = PortOpenFailure::Kind::LockedByProgram;
        failure.lockFile = path;
        failure.pid = pid;
        failure.program = program;
        return true;
    }
    return false;
}

QString ownerName(uid_t uid)
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::number(uid);
    return QString::fromLocal8Bit(found->pw_name);
}

QString groupName(gid_t gid)
{
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->gr_name);
}

#endif

} // namespace

QString portOpenMessage(const QString& device, const PortOpenFailure& failure)
{
    const QString lead = QStringLiteral("Cannot open %1: ").arg(device);
    switch (failure.kind) {
    case PortOpenFailure::Kind::NotASerialPort:
        return lead + QStringLiteral("it is not a serial port (%1)").arg(failure.detail);
    case PortOpenFailure::Kind::NoPermission:
        return lead
            + QStringLiteral("permission denied. Give your user access to the group %1 "
                             "(sudo usermod -aG %1 $USER), then log out and in again")
                  .arg(failure.group.isEmpty() ? QStringLiteral("dialout") : failure.group);
    case PortOpenFailure::Kind::NoGroupAccess:
        return lead
            + QStringLiteral("permission denied: it belongs to %1, and no group a user should join can open it. "
                             "An administrator can give it a group with read and write access, such as dialout "
                             "(a udev rule)")
                  .arg(failure.detail);
    case PortOpenFailure::Kind::LockedByProgram: {
        QString holder;
        if (failure.pid > 0 && !failure.program.isEmpty())
            holder = QStringLiteral(" by %1, PID %2").arg(failure.program).arg(failure.pid);
        else if (failure.pid > 0)
            holder = QStringLiteral(" by PID %1").arg(failure.pid);
        return lead
            + QStringLiteral("another program has it (the lock file %1 is held%2); close that program first")
                  .arg(QDir::toNativeSeparators(failure.lockFile), holder);
    }
    case PortOpenFailure::Kind::Other:
        break;
    }
    return lead + failure.detail;
}

PortOpenFailure diagnosePortOpen(const QString& device, QSerialPort::SerialPortError error, const QString& errorText)
{
    PortOpenFailure failure;
    failure.detail = errorText;
#ifdef Q_OS_UNIX
    const QString location = systemLocation(device);
    struct stat status {};
    const bool exists = ::stat(QFile::encodeName(location).constData(), &status) == 0;
    if (exists && !S_ISCHR(status.st_mode)) {
        failure.kind = PortOpenFailure::Kind::NotASerialPort;
        failure.detail = S_ISDIR(status.st_mode) ? QStringLiteral("a folder")
            : S_ISREG(status.st_mode)            ? QStringLiteral("a regular file")
                                                 : QStringLiteral("not a device");
        return failure;
    }
    // A character device that takes no terminal settings (/dev/null, /dev/zero).
    if (exists && error == QSerialPort::UnsupportedOperationError) {
        failure.kind = PortOpenFailure::Kind::NotASerialPort;
        failure.detail = QStringLiteral("a device without terminal settings");
        return failure;
    }
    if (error == QSerialPort::PermissionError) {
        // The port reports a lock held by someone else as a permission error too.
        if (findHeldLock(location, failure))
            return failure;
        if (exists && ::access(QFile::encodeName(location).constData(), R_OK | W_OK) != 0) {
            failure.kind = PortOpenFailure::Kind::NoPermission;
            failure.group = groupName(status.st_gid);
            // Joining root's group, or a group the mode gives no access, is no remedy.
            const bool groupMayOpen = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
            if (failure.group == QLatin1String("root") || !groupMayOpen) {
                failure.kind = PortOpenFailure::Kind::NoGroupAccess;
                const QString group = failure.group.isEmpty() ? QString::number(status.st_gid) : failure.group;
                failure.detail = QStringLiteral("%1:%2 with mode %3")
                                     .arg(ownerName(status.st_uid), group)
                                     .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
                failure.group.clear();
            }
            return failure;
        }
        // Opened for exclusive use by a program that takes no lock file.
        failure.detail = errorText + QStringLiteral("; another program may have it open");
    }
#else
    Q_UNUSED(device);
    // Windows says "Access is denied." of a port another program has open.
    if (error == QSerialPort::PermissionError)
        failure.detail = errorText + QStringLiteral(" Another program may have it open.");
#endif
    return failure;
}

} // namespace vantrel
