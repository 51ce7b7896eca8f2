#include "scpi_server.h"

#include <algorithm>

#include "scpi_instrument.h"

namespace vantrel {

ScpiServer::ScpiServer(ScpiInstrument& instrument, QObject* parent)
    : QObject(parent)
    , m_instrument(instrument)
{
    connect(&m_listener, &ScpiListener::accepted, this, &ScpiServer::onAccepted);
    // Queued: the next command never starts from inside the port's or the
    // sender's own signal, where a reopened port or a new send would nest.
    connect(&m_instrument, &ScpiInstrument::changed, this, &ScpiServer::pump, Qt::QueuedConnection);
}

bool ScpiServer::listen(const QHostAddress& address, quint16 port, QString& error)
{
    if (m_listener.listen(address, port))
        return true;
    error = m_listener.errorString();
    return false;
}

void ScpiServer::stop()
{
    m_stopped = true;
    m_listener.close();
    for (auto& [id, client] : m_clients) {
        client.connection->disconnect(this);
        client.connection->deleteLater();
    }
    m_clients.clear();
    m_queuedBytes = 0;
}

void ScpiServer::onAccepted(qintptr descriptor)
{
    auto* connection = new ScpiConnection(descriptor, this);
    if (m_stopped) {
        connection->deleteLater();
        return;
    }
    const quint64 id = m_nextClient++;
    m_clients[id].connection = connection;
    connect(connection, &ScpiConnection::readyRead, this, &ScpiServer::pump);
    connect(connection, &ScpiConnection::bytesWritten, this, &ScpiServer::pump);
    connect(connection, &ScpiConnection::closed, this, [this, id] { drop(id); });
}

void ScpiServer::queueLine(Client& client, QByteArray text, bool tooLong)
{
    if (text.endsWith('\r'))
        text.chop(1);
    tooLong = tooLong || text.size() > kMaxLine;
    if (tooLong)
        text.clear();
    m_queuedBytes += text.size();
    client.lines.push_back({m_nextOrder++, std::move(text), tooLong});
}

// Whole lines from what the connection brought in, while this client and
// all together are under their bounds; counted line by line, so that one
// read full of short lines cannot pass the bound.
bool ScpiServer::takeLines(Client& client)
{
    ScpiConnection& connection = *client.connection;
    const QByteArray& input = connection.input();
    bool took = false;
    qsizetype start = 0;
    // A client with nothing waiting may always bring one line: the others'
    // flood must not silence it.
    const auto room = [this, &client] {
        return (client.lines.empty() && !client.running) || m_queuedBytes < kMaxQueuedBytes;
    };
    while (start < input.size() && client.lines.size() < kMaxQueuedLines && room()
           && connection.bytesToWrite() < kMaxUnsentAnswers) {
        const qsizetype end = input.indexOf('\n', start);
        const qsizetype pieceEnd = end < 0 ? input.size() : end;
        if (!client.discarding) {
            const qsizetype piece = pieceEnd - start;
            client.partial.append(input.constData() + start, piece);
            m_queuedBytes += piece;
        }
        start = end < 0 ? input.size() : end + 1;
        if (end < 0) {
            if (client.partial.size() > kMaxLine) {
                // Refused now, not when its end comes: it may never come.
                m_queuedBytes -= client.partial.size();
                client.partial.clear();
                queueLine(client, {}, true);
                client.discarding = true;
                took = true;
            }
            break;
        }
        if (client.discarding) {
            client.discarding = false;
            continue;
        }
        m_queuedBytes -= client.partial.size();
        queueLine(client, std::exchange(client.partial, {}), false);
        took = true;
    }
    connection.consume(start);
    // The last line of a client that shut its side may lack its line end.
    if (connection.inputEnded() && connection.input().isEmpty() && !client.partial.isEmpty() && !client.discarding) {
        m_queuedBytes -= client.partial.size();
        queueLine(client, std::exchange(client.partial, {}), false);
        took = true;
    }
    return took;
}

// Runs the client's next commands until one must wait or its line is done:
// one line a turn, so that clients take turns. True when anything ran.
bool ScpiServer::advance(Client& client)
{
    bool ran = false;
    if (!client.running) {
        // A client that reads no answers waits: they would pile up here.
        if (client.lines.empty() || client.connection->bytesToWrite() >= kMaxUnsentAnswers)
            return false;
        Line line = std::move(client.lines.front());
        client.lines.pop_front();
        m_queuedBytes -= line.text.size();
        client.running = Running{line.order, {}, 0, {}, 0, 0, std::nullopt, std::nullopt};
        if (line.tooLong)
            client.running->parsed.error = scpi::Error{scpi::error::kInputBufferOverrun,
                                                        "a line is at most 65536 bytes; this one was refused"};
        else
            client.running->parsed = scpi::parseLine(
                std::string_view(line.text.constData(), static_cast<std::size_t>(line.text.size())));
        ran = true;
    }
    Running& running = *client.running;
    while (!m_stopped) {
        if (running.job != 0) {
            // A command that went to the board ends before the next runs,
            // so that what the client asks next is what the board holds.
            if (!m_instrument.jobEnded(running.job))
                return ran;
            if (running.answerSlot)
                running.answers[*running.answerSlot] = m_instrument.jobAnswer(running.job);
            running.job = 0;
            running.answerSlot.reset();
        }
        if (running.next == running.parsed.units.size()) {
            finishLine(client);
            return true;
        }
        const scpi::ProgramUnit& unit = running.parsed.units[running.next];
        if (!m_instrument.ready(unit, running.loopMark))
            return ran;
        ++running.next;
        running.loopMark.reset();
        ScpiInstrument::Outcome outcome = m_instrument.execute(unit);
        if (outcome.answer) {
            running.answerBytes += outcome.answer->size();
            if (running.answerBytes > kMaxLineAnswers) {
                // The line ends here, as at a command that cannot be read.
                m_instrument.pushError({scpi::error::kOutOfMemory,
                                        "the answers to one line are at most 4 MiB: ask for less in each line"});
                running.parsed.error.reset();
                running.next = running.parsed.units.size();
                continue;
            }
            running.answers.push_back(std::move(*outcome.answer));
        }
        running.job = outcome.job;
        if (outcome.job != 0 && outcome.answerAtEnd) {
            running.answerSlot = running.answers.size();
            running.answers.emplace_back();
        }
        ran = true;
    }
    return ran;
}

void ScpiServer::finishLine(Client& client)
{
    Running running = std::move(*client.running);
    client.running.reset();
    // The commands before the one that could not be read have run.
    if (running.parsed.error)
        m_instrument.pushError(*running.parsed.error);
    if (running.answers.empty())
        return;
    QByteArray bytes;
    for (const std::string& answer : running.answers) {
        if (!bytes.isEmpty())
            bytes += ';';
        bytes += QByteArray::fromStdString(answer);
    }
    bytes += '\n';
    client.connection->write(bytes);
}

void ScpiServer::drop(quint64 id)
{
    const auto found = m_clients.find(id);
    if (found == m_clients.end())
        return;
    // Gone: what it had queued goes with it. A command of its that is on
    // the wire still ends whole.
    Client& client = found->second;
    for (const Line& line : client.lines)
        m_queuedBytes -= line.text.size();
    m_queuedBytes -= client.discarding ? 0 : client.partial.size();
    client.connection->disconnect(this);
    client.connection->deleteLater();
    m_clients.erase(found);
}

void ScpiServer::pump()
{
    // The instrument's changed() may come while a command runs.
    if (m_pumping || m_stopped)
        return;
    m_pumping = true;
    bool progress = true;
    while (progress && !m_stopped) {
        progress = false;
        for (auto& [id, client] : m_clients)
            progress = takeLines(client) || progress;
        // The oldest line first.
        std::vector<std::pair<quint64, quint64>> turns;
        for (const auto& [id, client] : m_clients) {
            if (client.running)
                turns.emplace_back(client.running->order, id);
            else if (!client.lines.empty())
                turns.emplace_back(client.lines.front().order, id);
        }
        std::sort(turns.begin(), turns.end());
        for (const auto& [order, id] : turns) {
            const auto found = m_clients.find(id);
            // A client gone drops what it had queued; its end says so in
            // the event loop, perhaps only after this turn.
            if (found != m_clients.end() && !m_stopped && !found->second.connection->gone())
                progress = advance(found->second) || progress;
        }
    }
    // A client that shut its side is closed once it has nothing left to answer.
    for (auto& [id, client] : m_clients) {
        if (client.connection->inputEnded() && client.connection->input().isEmpty() && client.lines.empty()
            && !client.running && (client.partial.isEmpty() || client.discarding))
            client.connection->closeWhenWritten();
    }
    m_pumping = false;
}

} // namespace vantrel
