#include "paced_sender.h"

#include "serial_link.h"

namespace vantrel {

PacedSender::PacedSender(WriteFunction write, QObject* parent)
    : QObject(parent)
    , m_write(std::move(write))
{
    connect(&m_gapTimer, &MinimumTimer::timeout, this, &PacedSender::onGapTimeout);
}

PacedSender::PacedSender(SerialLink& link, QObject* parent)
    : PacedSender([&link](const QByteArray& bytes) { return link.write(bytes); }, parent)
{
    m_unwritten = [&link] { return link.bytesToWrite(); };
    connect(&link, &SerialLink::bytesWritten, this, &PacedSender::onBytesWritten);
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
    m_awaitingWrittenOut = false;
    m_lines.clear();
    emit aborted();
}

void PacedSender::writeNext()
{
    const int index = static_cast<int>(m_next);
    // A copy: a port that fails during the write ends the command from
    // inside it, which clears the lines.
    const std::string line = m_lines[m_next++];
    const bool written = m_write(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    if (!m_busy)
        return; // aborted meanwhile
    if (!written) {
        m_busy = false;
        m_lines.clear();
        emit writeFailed(index);
        return;
    }
    m_lastWritten = line;
    ++m_writtenCount;
    // The pause counts from when the line has left the port's buffer: a
    // count from the hand-over would lose the time the write took.
    m_awaitingWrittenOut = m_unwritten && m_unwritten() > 0;
    if (!m_awaitingWrittenOut)
        m_gapTimer.start(kLineGap);
}

void PacedSender::onBytesWritten()
{
    if (!m_busy || !m_awaitingWrittenOut || m_unwritten() > 0)
        return;
    m_awaitingWrittenOut = false;
    m_gapTimer.start(kLineGap);
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
