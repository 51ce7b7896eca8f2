#include "serial_link.h"

#include "port_open_failure.h"

namespace vantrel {

namespace {

QString fromLatin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SerialLink::SerialLink(QObject* parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onErrorOccurred);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialLink::bytesWritten);
}

OpenOutcome SerialLink::open(const QString& device)
{
    if (m_port.isOpen())
        close();
    m_device = device;
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite))
        return {false, portOpenMessage(device, diagnosePortOpen(device, m_port.error(), m_port.errorString()))};
    m_port.clearError();
    m_watching = true;
    emit openChanged(true);
    return {true, {}};
}

void SerialLink::close()
{
    m_watching = false;
    if (!m_port.isOpen())
        return;
    m_port.close();
    emit openChanged(false);
}

bool SerialLink::isOpen() const { return m_port.isOpen(); }

bool SerialLink::write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        return false;
    emit writing(bytes);
    if (m_port.write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the driver now rather than on the next turn of the
    // event loop, so the pause after a line counts from when it really left.
    m_port.flush();
    return true;
}

qint64 SerialLink::bytesToWrite() const { return m_port.isOpen() ? m_port.bytesToWrite() : 0; }

QString SerialLink::takePendingText() { return fromLatin1(m_parser.takePendingText()); }

void SerialLink::onReadyRead()
{
    const QByteArray bytes = m_port.readAll();
    const std::vector<ReplyEvent> events =
        m_parser.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (const ReplyEvent& event : events) {
        switch (event.kind) {
        case ReplyEvent::Kind::UserData:
            emit userData(fromLatin1(event.text));
            break;
        case ReplyEvent::Kind::RegisterWord:
            emit registerWord(event.index, event.value, fromLatin1(event.text));
            break;
        // An answer that is no set goes the same way, so that whoever waits
        // for the set hears of it at once and refuses it as no whole set.
        case ReplyEvent::Kind::Decode:
        case ReplyEvent::Kind::NoSet:
            emit decodeRequested(event.set);
            break;
        }
    }
}

void SerialLink::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_watching)
        return;
    // A hung-up port keeps signalling errors until it is closed; close at the first.
    // Its error text is often a stale one left by an earlier system call
    // (a hung-up pty reads as end of file and shows "Inappropriate ioctl for
    // device"), so the kind of failure is named instead.
    QString why;
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        why = QStringLiteral("the device is no longer available");
        break;
    case QSerialPort::WriteError:
        why = QStringLiteral("writing to it failed");
        break;
    default:
        why = m_port.errorString();
        break;
    }
    const QString reason = QStringLiteral("Lost the port %1: %2").arg(m_device, why);
    close();
    emit portLost(reason);
}

} // namespace vantrel
