#include "minimum_timer.h"

namespace vantrel {

MinimumTimer::MinimumTimer(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MinimumTimer::onTimeout);
}

void MinimumTimer::start(std::chrono::nanoseconds interval)
{
    m_interval = interval;
    m_since.start();
    m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(interval));
}

void MinimumTimer::stop() { m_timer.stop(); }

void MinimumTimer::onTimeout()
{
    const std::chrono::nanoseconds elapsed{m_since.nsecsElapsed()};
    if (elapsed < m_interval) {
        m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(m_interval - elapsed));
        return;
    }
    emit timeout();
}

} // namespace vantrel
