// SIGINT (Ctrl-C), SIGTERM, SIGHUP and SIGQUIT (Ctrl-\, "quit") as a Qt
// signal on the event loop, so that a command can finish the set or step
// under way instead of dying with half of it on the wire. Once installed,
// these signals no longer end the process on their own; standard output
// that is closed becomes a write error instead of a SIGPIPE.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace vantrel {

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject* parent = nullptr);
    ~InterruptWatch() override;

    // The first signal received, or 0: a signal may arrive before the event
    // loop runs, and nothing should be sent after it.
    static int firstSignal();
    // "SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT".
    static QString signalName(int signalNumber);
    // 128 + the signal's number, as a shell reports a process it ended:
    // 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP, 131 for SIGQUIT.
    static int exitStatus(int signalNumber);

signals:
    // Once per signal received.
    void interrupted(int signalNumber);

private:
    void onReadable();

#ifdef Q_OS_UNIX
    std::unique_ptr<QSocketNotifier> m_notifier;
#endif
};

} // namespace vantrel
