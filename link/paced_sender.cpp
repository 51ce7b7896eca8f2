#include "paced_sender.h"

namespace vantrel {

PacedSender::PacedSender(WriteFunction write, QObject* parent)
    : QObject(parent)
    , m_write(std::move(write))
{
    connect(&m_gapTimer, &MinimumTimer::timeout, this, &PacedSender::onGapTimeout);
}

bool PacedSender::start(std::vector<std::string> lines)
{
    if (m_busy || lines.empty())
        return false;
    m_lines = std::move(lines);
    m_next = 0;
    m_writtenCount = 0;
    m_busy = true;
    writeNext();
    return true;
}

void PacedSender::abort()
{
    if (!m_busy)
        return;
    m_gapTimer.stop();
    m_busy = false;
    m_lines.clear();
    emit aborted();
}

void PacedSender::writeNext()
{
    const int index = static_cast<int>(m_next);
    // A copy: a port that fails during the write ends the command from
    // inside it, which clears the lines.
    const std::string line = m_lines[m_next++];
    // The pause counts from the hand-over, not from when the write returned.
    m_gapTimer.start(kLineGap);
    const bool written = m_write(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    if (!m_busy)
        return; // aborted meanwhile
    if (!written) {
        m_gapTimer.stop();
        m_busy = false;
        m_lines.clear();
        emit writeFailed(index);
        return;
    }
    m_lastWritten = line;
    ++m_writtenCount;
}

void PacedSender::onGapTimeout()
{
    if (m_next < m_lines.size()) {
        writeNext();
        return;
    }
    m_busy = false;
    m_lines.clear();
    emit finished();
}

} // namespace vantrel
