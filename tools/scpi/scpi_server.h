// The TCP side: clients connect, send lines (LF, CR LF accepted), and the
// lines of all clients are executed one at a time in the order they
// arrived, each answer going to the client whose line asked. A line over
// kMaxLine bytes is refused with an error and the connection kept; a
// client that goes away loses only its answers.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scpi_parser.h"

class QTcpSocket;

namespace vantrel {

class ScpiInstrument;

class ScpiServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxLine = qsizetype{64} * 1024;
    // A client whose lines wait in such numbers is read no further until
    // they are done, so that a flood cannot fill the memory.
    static constexpr int kMaxQueuedLines = 256;
    static constexpr qint64 kMaxUnsentAnswers = qint64{1024} * 1024;

    explicit ScpiServer(ScpiInstrument& instrument, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port, QString& error);
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }
    // Takes no more connections or lines; the line under way is dropped
    // where it stands, after the command being executed.
    void stop();

private:
    struct Client {
        QTcpSocket* socket = nullptr;
        QByteArray partial;
        bool discarding = false; // the rest of a line that was too long
        int queued = 0;
    };
    struct Line {
        quint64 client = 0;
        QByteArray text;
        bool tooLong = false;
    };
    struct Running {
        quint64 client = 0;
        scpi::ParsedLine parsed;
        std::size_t next = 0;
        std::vector<std::string> answers;
    };

    void onNewConnection();
    void readClient(quint64 id);
    void queueLine(quint64 id, Client& client, QByteArray text, bool tooLong);
    void onDisconnected(quint64 id);
    void pump();
    void finishLine();

    ScpiInstrument& m_instrument;
    QTcpServer m_server;
    std::map<quint64, Client> m_clients;
    quint64 m_nextClient = 1;
    std::deque<Line> m_lines;
    std::optional<Running> m_running;
    bool m_pumping = false;
    bool m_stopped = false;
};

} // namespace vantrel
