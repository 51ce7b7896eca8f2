// Why a serial port did not open, found out from the system after the
// port said no, and told with what the user can do about it: join the
// device's group, close the program that holds its lock, type another
// device. Finding out asks the system; the words are a pure function.
#pragma once

#include <QSerialPort>
#include <QString>

namespace vantrel {

struct PortOpenFailure {
    enum class Kind {
        NotASerialPort,  // a regular file, a folder, /dev/null: `detail` says which
        NoPermission,    // the user may not open the device: `group` owns it
        // Nor would joining a group help (root:root, mode 0600): `detail` says
        // "root:root with mode 0600".
        NoGroupAccess,
        LockedByProgram, // another program holds the port's lock file
        Other,           // `detail` is the system's own text
    };
    Kind kind = Kind::Other;
    QString detail;
    QString group;    // "dialout"
    QString lockFile; // "/run/lock/LCK..ttyUSB0"
    qint64 pid = 0;   // of the program holding the lock; 0 when the file does not say
    QString program;  // its name, when the lock file says it
};

// "Cannot open /dev/ttyUSB0: ..." with the remedy for the failure.
QString portOpenMessage(const QString& device, const PortOpenFailure& failure);

// What became of opening `device` (a name or a path), from the port's own
// error and text and what the system says of the device and its lock.
PortOpenFailure diagnosePortOpen(const QString& device, QSerialPort::SerialPortError error,
                                 const QString& errorText);

} // namespace vantrel
