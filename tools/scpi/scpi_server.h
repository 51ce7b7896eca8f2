// The TCP side: clients connect and send lines (LF, CR LF accepted). Each
// client's lines run in the order it sent them, and the clients take turns
// in the order their lines arrived; a client whose command waits (*OPC?,
// *WAI, a set while the board takes another) holds only itself. Each answer
// goes to the client whose line asked. A line over kMaxLine bytes is refused
// with an error and the connection kept. A client that shuts its sending
// side still gets its answers; one whose connection fails drops its queue.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scpi_connection.h"
#include "scpi_parser.h"

namespace vantrel {

class ScpiInstrument;

class ScpiServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxLine = qsizetype{64} * 1024;
    // A client with this many lines waiting is read no further until they
    // are done, and no client is read while all clients' waiting input
    // together reaches kMaxQueuedBytes: a flood waits in the system, whose
    // flow control holds the senders back, not in memory.
    static constexpr std::size_t kMaxQueuedLines = 256;
    static constexpr qsizetype kMaxQueuedBytes = qsizetype{4} * 1024 * 1024;
    // A client with this much of its answers unsent runs no further line
    // until it reads them; one line's answers stop at kMaxLineAnswers (a
    // line of LIST:FREQ? queries would make gigabytes).
    static constexpr qint64 kMaxUnsentAnswers = qint64{1024} * 1024;
    static constexpr std::size_t kMaxLineAnswers = std::size_t{4} * 1024 * 1024;

    explicit ScpiServer(ScpiInstrument& instrument, QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port, QString& error);
    QHostAddress address() const { return m_listener.serverAddress(); }
    quint16 port() const { return m_listener.serverPort(); }
    // Takes no more connections or lines; the line under way is dropped
    // where it stands, after the command being executed.
    void stop();

private:
    struct Line {
        quint64 order = 0; // arrival, over all clients
        QByteArray text;
        bool tooLong = false;
    };
    struct Running {
        quint64 order = 0;
        scpi::ParsedLine parsed;
        std::size_t next = 0;
        std::vector<std::string> answers;
        std::size_t answerBytes = 0;
        quint64 job = 0;                        // the wire job the last command started
        std::optional<std::size_t> answerSlot; // its answer, when the job ends
        std::optional<quint64> loopMark;        // *OPC? in a loop: the step it waits past
    };
    struct Client {
        ScpiConnection* connection = nullptr;
        QByteArray partial;
        bool discarding = false; // the rest of a line that was too long
        std::deque<Line> lines;
        std::optional<Running> running;
    };

    void onAccepted(qintptr descriptor);
    bool takeLines(Client& client);
    void queueLine(Client& client, QByteArray text, bool tooLong);
    bool advance(Client& client);
    void finishLine(Client& client);
    void drop(quint64 id);
    void pump();

    ScpiInstrument& m_instrument;
    ScpiListener m_listener;
    std::map<quint64, Client> m_clients;
    quint64 m_nextClient = 1;
    quint64 m_nextOrder = 1;
    qsizetype m_queuedBytes = 0; // lines waiting and partial lines, all clients
    bool m_pumping = false;
    bool m_stopped = false;
};

} // namespace vantrel
