#include "port_selection.h"

#include <QSerialPortInfo>

#include <algorithm>

#include "number_reader.h"
#include "rounding.h"

namespace vantrel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

} // namespace

PortRequest readPortRequest(std::string_view cpNoText, PortNaming naming)
{
    PortRequest request;
    request.text = std::string(cpNoText);
    const std::string_view text = trimmed(cpNoText);
    if (naming == PortNaming::ListedPorts && !text.empty() && text.front() == '/') {
        request.kind = PortRequest::Kind::Path;
        request.path = std::string(text);
        return request;
    }
    const double value = readLeadingNumber(cpNoText);
    if (value == 0)
        return request;
    request.kind = PortRequest::Kind::Number;
    request.number = roundToInt16(value);
    return request;
}

PortTarget resolvePort(const PortRequest& request, PortNaming naming, const QList<ListedPort>& ports)
{
    PortTarget target;
    switch (request.kind) {
    case PortRequest::Kind::Nothing:
        return target;
    case PortRequest::Kind::Path:
        target.chosen = true;
        target.device = QString::fromStdString(request.path);
        return target;
    case PortRequest::Kind::Number:
        break;
    }
    target.chosen = true;
    const QString typed = QString::fromStdString(request.text).trimmed();
    if (!request.number || *request.number < 1) {
        target.error = QStringLiteral("Cannot open port %1: not a port number").arg(typed);
        return target;
    }
    const int number = *request.number;
    if (naming == PortNaming::ComNumbers) {
        target.device = QStringLiteral("COM%1").arg(number);
        return target;
    }
    if (number > ports.size()) {
        target.error = ports.isEmpty()
            ? QStringLiteral("Cannot open port %1: the system lists no serial port").arg(number)
            : QStringLiteral("Cannot open port %1: the system lists %2 serial port(s)").arg(number).arg(ports.size());
        return target;
    }
    target.device = ports[number - 1].systemLocation;
    return target;
}

QList<ListedPort> listedPorts()
{
    QList<ListedPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        ports.append({info.portName(), info.systemLocation()});
    std::sort(ports.begin(), ports.end(),
              [](const ListedPort& a, const ListedPort& b) { return a.portName < b.portName; });
    return ports;
}

QString portListToolTip(const QList<ListedPort>& ports)
{
    QStringList lines;
    for (qsizetype i = 0; i < ports.size(); ++i)
        lines.append(QStringLiteral("%1: %2").arg(i + 1).arg(ports[i].portName));
    return lines.join(QLatin1Char('\n'));
}

PortTarget choosePort(const QString& cpNoText)
{
    const PortRequest request = readPortRequest(cpNoText.toStdString(), kPlatformNaming);
    if (request.kind != PortRequest::Kind::Number || kPlatformNaming == PortNaming::ComNumbers)
        return resolvePort(request, kPlatformNaming, {});
    return resolvePort(request, kPlatformNaming, listedPorts());
}

} // namespace vantrel
