#include "scpi_server.h"

#include <QTcpSocket>

#include "scpi_instrument.h"

namespace vantrel {

ScpiServer::ScpiServer(ScpiInstrument& instrument, QObject* parent)
    : QObject(parent)
    , m_instrument(instrument)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScpiServer::onNewConnection);
    // Queued: the next command never starts from inside the port's or the
    // sender's own signal, where a reopened port or a new send would nest.
    connect(&m_instrument, &ScpiInstrument::changed, this, &ScpiServer::pump, Qt::QueuedConnection);
}

bool ScpiServer::listen(const QHostAddress& address, quint16 port, QString& error)
{
    if (m_server.listen(address, port))
        return true;
    error = m_server.errorString();
    return false;
}

void ScpiServer::stop()
{
    m_stopped = true;
    m_server.close();
    m_lines.clear();
    for (auto& [id, client] : m_clients) {
        client.socket->disconnect(this);
        client.socket->close();
        client.socket->deleteLater();
    }
    m_clients.clear();
}

void ScpiServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const quint64 id = m_nextClient++;
        // Answers go out as soon as they are written: a script waits for each.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // What is not read yet stays with the system, which holds the client back.
        socket->setReadBufferSize(kMaxLine);
        m_clients[id].socket = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readClient(id); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, id] { readClient(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { onDisconnected(id); });
    }
}

void ScpiServer::readClient(quint64 id)
{
    const auto found = m_clients.find(id);
    if (found == m_clients.end() || m_stopped)
        return;
    Client& client = found->second;
    QTcpSocket* socket = client.socket;
    while (client.queued < kMaxQueuedLines && socket->bytesToWrite() < kMaxUnsentAnswers && socket->bytesAvailable() > 0) {
        const QByteArray bytes = socket->read(kMaxLine);
        qsizetype start = 0;
        while (start < bytes.size()) {
            const qsizetype end = bytes.indexOf('\n', start);
            const QByteArray piece = bytes.mid(start, end < 0 ? -1 : end - start);
            start = end < 0 ? bytes.size() : end + 1;
            if (client.discarding) {
                if (end >= 0)
                    client.discarding = false;
                continue;
            }
            client.partial += piece;
            if (end < 0) {
                if (client.partial.size() > kMaxLine) {
                    // Refused now, not when its end comes: it may never come.
                    queueLine(id, client, {}, true);
                    client.partial.clear();
                    client.discarding = true;
                }
                continue;
            }
            QByteArray line = std::move(client.partial);
            client.partial.clear();
            if (line.endsWith('\r'))
                line.chop(1);
            const bool tooLong = line.size() > kMaxLine;
            queueLine(id, client, tooLong ? QByteArray() : std::move(line), tooLong);
        }
    }
    pump();
}

void ScpiServer::queueLine(quint64 id, Client& client, QByteArray text, bool tooLong)
{
    ++client.queued;
    m_lines.push_back({id, std::move(text), tooLong});
}

void ScpiServer::onDisconnected(quint64 id)
{
    const auto found = m_clients.find(id);
    if (found == m_clients.end())
        return;
    // Its lines that came whole still run, as a script that sent and left
    // expects; their answers have nowhere to go.
    found->second.socket->deleteLater();
    m_clients.erase(found);
}

void ScpiServer::pump()
{
    // The instrument's changed() may come while a command runs.
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_stopped) {
        if (!m_running) {
            if (m_lines.empty())
                break;
            Line line = std::move(m_lines.front());
            m_lines.pop_front();
            m_running = Running{line.client, {}, 0, {}};
            if (line.tooLong)
                m_running->parsed.error = scpi::Error{scpi::error::kInputBufferOverrun,
                                                       "a line is at most 65536 bytes; this one was refused"};
            else
                m_running->parsed = scpi::parseLine(std::string_view(line.text.constData(), static_cast<std::size_t>(line.text.size())));
        }
        if (m_instrument.holdsQueue())
            break;
        if (m_running->next < m_running->parsed.units.size()) {
            const scpi::ProgramUnit& unit = m_running->parsed.units[m_running->next];
            if (!m_instrument.ready(unit))
                break;
            ++m_running->next;
            if (std::optional<std::string> answer = m_instrument.execute(unit))
                m_running->answers.push_back(std::move(*answer));
            continue;
        }
        finishLine();
    }
    m_pumping = false;
}

void ScpiServer::finishLine()
{
    Running running = std::move(*m_running);
    m_running.reset();
    // The commands before the one that could not be read have run.
    if (running.parsed.error)
        m_instrument.pushError(*running.parsed.error);
    const auto found = m_clients.find(running.client);
    if (found == m_clients.end())
        return;
    Client& client = found->second;
    --client.queued;
    if (!running.answers.empty()) {
        QByteArray bytes;
        for (const std::string& answer : running.answers) {
            if (!bytes.isEmpty())
                bytes += ';';
            bytes += QByteArray::fromStdString(answer);
        }
        bytes += '\n';
        client.socket->write(bytes);
        client.socket->flush();
    }
    // Lines held back while this client had too many waiting.
    if (client.queued < kMaxQueuedLines && client.socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, [this, id = running.client] { readClient(id); }, Qt::QueuedConnection);
}

} // namespace vantrel
