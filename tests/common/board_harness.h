// The two far ends a link test talks to: a pseudo-terminal played by the
// test itself, and the vantrel-board program started as a child process.
#pragma once

#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

// The sender keeps 100 ms between hand-overs (its own test proves it); the
// board sees the gaps after its own scheduling delays, which on a loaded
// machine shorten one gap by what they lengthened the one before. An
// unpaced sender would show gaps of about a millisecond.
constexpr double kMinSeenGapMs = 75.0;

// The far end of a pseudo-terminal, played by the test.
class TestPty {
public:
    TestPty()
    {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0 || ptsname(m_fd) == nullptr) {
            close();
            return;
        }
        m_path = QString::fromLocal8Bit(ptsname(m_fd));
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        // A program the test starts must not hold this end open too: closing
        // it is how a test makes the port go away.
        ::fcntl(m_fd, F_SETFD, ::fcntl(m_fd, F_GETFD) | FD_CLOEXEC);
    }
    ~TestPty() { close(); }
    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return m_path; }

    // Everything the link has written so far; safe to call repeatedly (QTRY
    // evaluates its expression more than once).
    const QByteArray& wire()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_wire.append(buffer, static_cast<qsizetype>(n));
        return m_wire;
    }
    bool write(const QByteArray& bytes) { return ::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size(); }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QString m_path;
    QByteArray m_wire;
};

// vantrel-board as a child process.
class Board {
public:
    bool start(const QStringList& arguments)
    {
        m_process.start(QStringLiteral(VANTREL_BOARD_EXE), arguments);
        if (!m_process.waitForStarted(5000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return false;
        }
        const QByteArray first = m_process.readLine().trimmed();
        if (!first.startsWith("Board ready on "))
            return false;
        m_path = QString::fromLocal8Bit(first.mid(15));
        return true;
    }
    ~Board()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString path() const { return m_path; }
    QProcess& process() { return m_process; }

    // Everything the board printed so far, the "chip:" and "options:" lines among it.
    const QByteArray& output()
    {
        m_log += m_process.readAllStandardOutput();
        return m_log;
    }

    // The "--log" lines so far: {gap in ms or -1, line}.
    QList<QPair<double, QString>> logLines()
    {
        m_log += m_process.readAllStandardOutput();
        QList<QPair<double, QString>> lines;
        for (const QByteArray& raw : m_log.split('\n')) {
            // "1.2345 s gap 100.2 ms: R00580005"
            const qsizetype gapAt = raw.indexOf(" gap ");
            const qsizetype colon = raw.indexOf(" ms: ");
            if (gapAt < 0 || colon < 0)
                continue;
            const QByteArray gap = raw.mid(gapAt + 5, colon - gapAt - 5);
            lines.append({gap == "-" ? -1.0 : gap.toDouble(), QString::fromLatin1(raw.mid(colon + 5))});
        }
        return lines;
    }

private:
    QProcess m_process;
    QString m_path;
    QByteArray m_log;
};

// The lines of Board::logLines() without their gaps.
inline QStringList lineTexts(const QList<QPair<double, QString>>& log)
{
    QStringList lines;
    for (const auto& entry : log)
        lines << entry.second;
    return lines;
}

inline double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

