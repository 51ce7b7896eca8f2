// Hands lines to the port one at a time with a pause of kLineGap after each,
// so the board's controller has time to take each line in. The pause is a
// timer: the event loop keeps running, replies and clicks are handled meanwhile.
// It counts from when the port has written the line out, not from the
// hand-over: a slow write, or a port that keeps part of a line for later,
// must not eat into the board's 100 ms.
#pragma once

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "minimum_timer.h"

namespace vantrel {

class SerialLink;

class PacedSender : public QObject {
    Q_OBJECT
public:
    // The board needs at least this long from one line's being written out
    // to the next one's hand-over.
    static constexpr std::chrono::milliseconds kLineGap{100};

    // Returns false when the bytes could not be handed to the port. A line
    // is written out when the function returns.
    using WriteFunction = std::function<bool(const QByteArray&)>;

    explicit PacedSender(WriteFunction write, QObject* parent = nullptr);
    // Writes to the link; a line is written out once the link holds none of
    // its bytes any more (its bytesWritten).
    explicit PacedSender(SerialLink& link, QObject* parent = nullptr);

    // Writes the first line at once; false (and nothing written) while busy
    // or when there is nothing to send.
    bool start(std::vector<std::string> lines);
    // Stops at once without another write; emits aborted() when it was busy.
    void abort();
    bool isBusy() const { return m_busy; }
    // The last line handed over whole, CR LF included; kept after the end.
    const std::string& lastWritten() const { return m_lastWritten; }
    // How many lines of the last start() were handed over whole; kept after the end.
    std::size_t writtenCount() const { return m_writtenCount; }

signals:
    // The pause after the last line has passed.
    void finished();
    void aborted();
    // A write was refused; the sender has stopped.
    void writeFailed(int index);

private:
    void writeNext();
    void onGapTimeout();
    void onBytesWritten();

    WriteFunction m_write;
    std::function<qint64()> m_unwritten; // bytes the port still holds; none without a link
    bool m_awaitingWrittenOut = false;
    MinimumTimer m_gapTimer;
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    bool m_busy = false;
    std::string m_lastWritten;
    std::size_t m_writtenCount = 0;
};

} // namespace vantrel
