#include "port_selection.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

#include "number_reader.h"
#include "rounding.h"

namespace vantrel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Where a number starts: the text then reads as one (as far as it goes).
bool startsNumber(std::string_view text)
{
    return !text.empty() && ((text.front() >= '0' && text.front() <= '9') || text.front() == '+'
                             || text.front() == '-' || text.front() == '.');
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// What to type instead of a name that is neither a number nor a path.
QString nameError(const QString& name, PortNaming naming, const QList<ListedPort>& ports)
{
    const QString lead = QStringLiteral("Cannot open port %1: ").arg(name);
    if (naming == PortNaming::ComNumbers) {
        const QRegularExpressionMatch com =
            QRegularExpression(QStringLiteral("^COM(\\d+)$"), QRegularExpression::CaseInsensitiveOption).match(name);
        if (com.hasMatch())
            return lead + QStringLiteral("type the port's number, %1 for COM%1").arg(com.captured(1));
        return lead + QStringLiteral("type the port's number, such as 3 for COM3");
    }
    const QString numbers = QStringLiteral("a number picks a port the system lists (1 for the first; the "
                                           "box's tool tip lists them)");
    for (qsizetype i = 0; i < ports.size(); ++i) {
        if (ports[i].portName == name) {
            return lead + QStringLiteral("type its number, %1, or its path, %2")
                              .arg(i + 1)
                              .arg(ports[i].systemLocation);
        }
    }
    // A device's own name, typed without its folder.
    if (QRegularExpression(QStringLiteral("^(tty|cu\\.|rfcomm)\\S*$")).match(name).hasMatch())
        return lead + QStringLiteral("type the device's path, /dev/%1; %2").arg(name, numbers);
    return lead + QStringLiteral("type a port number or a device path such as /dev/ttyUSB0; %1").arg(numbers);
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
    if (!text.empty() && !startsNumber(text)) {
        request.kind = PortRequest::Kind::Name;
        request.text = std::string(text);
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
    case PortRequest::Kind::Name:
        target.chosen = true;
        target.error = nameError(QString::fromStdString(request.text), naming, ports);
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
    const bool listed = request.kind == PortRequest::Kind::Number || request.kind == PortRequest::Kind::Name;
    if (!listed || kPlatformNaming == PortNaming::ComNumbers)
        return resolvePort(request, kPlatformNaming, {});
    return resolvePort(request, kPlatformNaming, listedPorts());
}

} // namespace vantrel
