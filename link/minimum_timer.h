// A single-shot timer for intervals that are minimums (the pause after a
// line, the wait for a read-back): it never fires before the interval has
// passed. Qt's timers may fire a little early, by up to 5 % for a coarse one.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace vantrel {

class MinimumTimer : public QObject {
    Q_OBJECT
public:
    explicit MinimumTimer(QObject* parent = nullptr);

    // Counts from now; a running interval is started afresh.
    void start(std::chrono::nanoseconds interval);
    void stop();
    bool isActive() const { return m_timer.isActive(); }

signals:
    // At least the interval after start().
    void timeout();

private:
    void onTimeout();

    QTimer m_timer;
    QElapsedTimer m_since;
    std::chrono::nanoseconds m_interval{0};
};

} // namespace vantrel
