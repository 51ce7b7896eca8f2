#include "hop_file.h"

#include <QEventLoop>
#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <unistd.h>
#endif

#include "interrupt_watch.h"
#include "settings_file.h"

namespace vantrel {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
constexpr std::size_t kMiB = std::size_t{1024} * 1024;

// The text read so far, and whether it went past a bound.
class BoundedText {
public:
    void append(const char* bytes, std::size_t size)
    {
        m_text.append(bytes, size);
        m_lineEnds += static_cast<long long>(std::count(bytes, bytes + size, '\n'));
    }
    // Why the text is too long, or empty; the first bound passed is said.
    QString bound() const
    {
        const long long lines = m_lineEnds + (!m_text.empty() && m_text.back() != '\n' ? 1 : 0);
        if (lines > kMaxHopLines)
            return QStringLiteral("it holds more than %1 lines, more than a hop list of %2 frequencies and a header")
                .arg(kMaxHopLines)
                .arg(kMaxHopLines - 1);
        if (m_text.size() > kMaxHopBytes)
            return QStringLiteral("it holds more than %1 MiB, more than a hop list").arg(kMaxHopBytes / kMiB);
        return {};
    }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
    long long m_lineEnds = 0;
};

} // namespace

HopFileReading readHopFile(const QString& path, InterruptWatch& interrupts)
{
    HopFileReading reading;
    QFile file;
    if (path == QLatin1String("-")) {
        if (!file.open(0, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            reading.error = QStringLiteral("standard input cannot be read (%1)").arg(file.errorString());
            return reading;
        }
    } else if (const QString why = openRegularFile(file, path); !why.isEmpty()) {
        reading.error = why + (why.contains(QLatin1String("not a regular file"))
                                   ? QStringLiteral("; give - to read the list from standard input")
                                   : QString());
        return reading;
    }
    reading.signalNumber = InterruptWatch::firstSignal();
    if (reading.signalNumber != 0)
        return reading;

    BoundedText text;
    bool failed = false;
#ifdef Q_OS_UNIX
    // Read as it comes, from the event loop, so that a signal is heard
    // while standard input (a terminal, a pipe) has nothing to give.
    QEventLoop loop;
    QSocketNotifier notifier(file.handle(), QSocketNotifier::Read);
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &loop, [&](int signalNumber) {
        reading.signalNumber = signalNumber;
        loop.quit();
    });
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        std::array<char, kChunkBytes> chunk;
        const ssize_t count = ::read(file.handle(), chunk.data(), chunk.size());
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count <= 0) {
            failed = count < 0;
            loop.quit();
            return;
        }
        text.append(chunk.data(), static_cast<std::size_t>(count));
        if (!text.bound().isEmpty())
            loop.quit();
    });
    loop.exec();
#else
    Q_UNUSED(interrupts);
    std::array<char, kChunkBytes> chunk;
    qint64 count = 0;
    while (InterruptWatch::firstSignal() == 0 && text.bound().isEmpty()
           && (count = file.read(chunk.data(), static_cast<qint64>(chunk.size()))) > 0)
        text.append(chunk.data(), static_cast<std::size_t>(count));
    failed = count < 0;
    reading.signalNumber = InterruptWatch::firstSignal();
#endif
    if (reading.signalNumber != 0)
        return reading;
    if (failed) {
        reading.error = QStringLiteral("it cannot be read (%1)").arg(qt_error_string(errno));
        return reading;
    }
    if (const QString bound = text.bound(); !bound.isEmpty()) {
        reading.error = bound;
        return reading;
    }
    reading.text = text.take();
    return reading;
}

} // namespace vantrel
