// Ctrl-C (SIGINT) and SIGTERM as a Qt signal on the event loop, so that a
// sweep can end after the line in flight and its pause instead of dying
// with a line half sent. On Windows, Ctrl-C and Ctrl-Break, through the
// console's control handler (console_ctrl.h).
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
class QWinEventNotifier;

namespace vantrel {

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject* parent = nullptr);
    ~InterruptWatch() override;

signals:
    // Once per signal received.
    void interrupted();

private:
    void onReadable();

#ifdef Q_OS_UNIX
    std::unique_ptr<QSocketNotifier> m_notifier;
#else
    std::unique_ptr<QWinEventNotifier> m_notifier;
#endif
};

} // namespace vantrel
