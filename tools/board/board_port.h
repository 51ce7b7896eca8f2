// The virtual board's end of the wire: the master side of a fresh
// pseudo-terminal, or a serial device set to 9600 baud 8N1, raw. Unix only.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

namespace vantrel {

class BoardPort : public QObject {
    Q_OBJECT
public:
    explicit BoardPort(QObject* parent = nullptr);
    ~BoardPort() override;

    // On failure errorString() says why.
    bool openPseudoTerminal();
    bool openDevice(const QString& path);

    // The path the control panel must open.
    QString peerPath() const { return m_peerPath; }
    QString errorString() const { return m_error; }

    bool write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);
    // The far end is gone for good (device unplugged).
    void closed(const QString& reason);

private:
    bool fail(const QString& what);
    void watch();
    void onReadable();
    void closeAll();

    int m_fd = -1;
    // The board keeps the slave side open itself: a pty master whose slave
    // has no opener reads as an error, and the panel may open and close it at will.
    int m_slaveFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_peerPath;
    QString m_error;
};

} // namespace vantrel
