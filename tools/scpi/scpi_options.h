// vantrel-scpi's command line: the board's port (or the virtual board), the
// address to listen on, and the plan options it shares with vantrel-ctl,
// which give the state that *RST returns to.
#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

#include "plan_options.h"

namespace vantrel {

struct ScpiRequest {
    PlanRequest plan;      // the controls and presses every plan starts from
    QString port;          // --port, as typed (or the settings file's)
    bool virtualBoard = false;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 tcpPort = 5025; // 0: one the system chooses
};

struct ParsedScpiCommandLine {
    std::optional<ScpiRequest> request; // absent: help or version, or a usage error
    QString message;
    bool usageError = false;
};

ParsedScpiCommandLine parseScpiCommandLine(const QStringList& arguments);

// "127.0.0.1:5025", "[::1]:5025", "localhost:5025" or ":5025" (loopback);
// false when it is none of these.
bool readListenAddress(const QString& text, QHostAddress& address, quint16& port);

} // namespace vantrel
