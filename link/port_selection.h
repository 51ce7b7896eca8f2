// From the text of the COM box to the port to open. Reading the text and
// matching it against the listed ports are pure; only listedPorts() asks
// the system.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Windows names ports by number ("COM3"); elsewhere the number picks one of
// the ports the system lists, and a device path can be typed directly.
enum class PortNaming { ComNumbers, ListedPorts };

#ifdef Q_OS_WIN
inline constexpr PortNaming kPlatformNaming = PortNaming::ComNumbers;
#else
inline constexpr PortNaming kPlatformNaming = PortNaming::ListedPorts;
#endif

struct PortRequest {
    enum class Kind {
        Nothing, // empty, or a number reading as 0: the button does nothing
        Number,
        Path,
        Name, // text that is neither ("abc", "ttyS0", "COM3"): said to be no port
    };
    Kind kind = Kind::Nothing;
    // The leading number rounded half to even; empty when it does not fit 16 bits.
    std::optional<std::int16_t> number;
    std::string path;
    std::string text; // the text as typed, for messages (a Name's without blanks around)

    friend bool operator==(const PortRequest&, const PortRequest&) = default;
};

PortRequest readPortRequest(std::string_view cpNoText, PortNaming naming);

struct ListedPort {
    QString portName;       // "ttyUSB0"
    QString systemLocation; // "/dev/ttyUSB0"
};

// What a request comes to: a device to open, or why there is none.
struct PortTarget {
    bool chosen = false; // false: nothing to do (the request read as 0)
    QString device;      // name or path to hand to the port
    QString error;       // set when the request names no port

    bool canOpen() const { return chosen && error.isEmpty(); }
};

// `ports` must be sorted by portName (listedPorts() returns them so).
PortTarget resolvePort(const PortRequest& request, PortNaming naming, const QList<ListedPort>& ports);

// The serial ports the system lists, sorted by portName. Pseudo-terminals
// and symlinks are not among them.
QList<ListedPort> listedPorts();

// "1: ttyUSB0", one per line; for the COM box's tool tip.
QString portListToolTip(const QList<ListedPort>& ports);

// readPortRequest + resolvePort against the system's ports.
PortTarget choosePort(const QString& cpNoText);

} // namespace vantrel
