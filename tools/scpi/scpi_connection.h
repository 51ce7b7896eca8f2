// One client's connection, read and written through its socket descriptor
// rather than a QTcpSocket, which drops the whole connection, answers not
// yet written included, as soon as the client shuts its sending side. Here
// a client that half-closes still gets the answers to what it sent before.
// What a client sends is taken in at most kChunk at a time, and only while
// what was taken has been consumed: the rest waits in the system, whose
// flow control holds the client back, instead of in this program's memory.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

class QSocketNotifier;

namespace vantrel {

class ScpiConnection : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kChunk = qsizetype{64} * 1024;

    explicit ScpiConnection(qintptr descriptor, QObject* parent = nullptr);
    ~ScpiConnection() override;

    // What arrived and was not consumed yet.
    const QByteArray& input() const { return m_input; }
    void consume(qsizetype bytes);
    // The client shut its sending side (or closed): nothing more will come.
    bool inputEnded() const { return m_inputEnded; }
    // The connection is shut, or the client, having ended its input, refused
    // an answer (its end reset): it closed altogether, not only its side.
    bool gone();

    // Queues the bytes and writes what the system takes now.
    void write(const QByteArray& bytes);
    qint64 bytesToWrite() const { return m_output.size() - m_outputSent; }
    // Ends the connection once every byte written is out.
    void closeWhenWritten();

signals:
    // Input arrived, or the client's side ended.
    void readyRead();
    // Output that had to wait went out.
    void bytesWritten();
    // The connection is gone (reset, failed, or closed after its output);
    // comes from the event loop, never from inside a call.
    void closed();

private:
    void onReadable();
    void onWritable();
    void flushOutput();
    void updateReading();
    void shut();

    qintptr m_descriptor = -1;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_input;
    QByteArray m_output;
    qsizetype m_outputSent = 0;
    bool m_inputEnded = false;
    bool m_closeWhenWritten = false;
};

// A QTcpServer that hands over each connection's descriptor as it comes.
class ScpiListener : public QTcpServer {
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;

signals:
    void accepted(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override { emit accepted(descriptor); }
};

} // namespace vantrel
