// A FIFO for tests of code that must not wait on one. A reader that does
// wait is set free after a grace period (a writer opens and closes the FIFO,
// so the read ends empty), and the test fails on wasNeeded() instead of
// hanging.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class UnblockingFifo {
public:
    explicit UnblockingFifo(const QString& path)
        : m_path(path)
    {
        m_made = ::mkfifo(m_path.toLocal8Bit().constData(), 0600) == 0;
        if (m_made)
            m_rescuer = std::thread([this] { rescue(); });
    }
    ~UnblockingFifo()
    {
        m_done = true;
        if (m_rescuer.joinable())
            m_rescuer.join();
    }
    UnblockingFifo(const UnblockingFifo&) = delete;
    UnblockingFifo& operator=(const UnblockingFifo&) = delete;

    bool isMade() const { return m_made; }
    // True when a reader had to be set free: the code under test waited.
    bool wasNeeded() const { return m_needed; }

private:
    void rescue()
    {
        using namespace std::chrono_literals;
        const auto until = std::chrono::steady_clock::now() + 3s;
        while (!m_done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(20ms);
        // Without a reader the open fails at once (ENXIO): nothing was waiting.
        while (!m_done) {
            const int fd = ::open(m_path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                m_needed = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(20ms);
        }
    }

    QString m_path;
    bool m_made = false;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_needed{false};
    std::thread m_rescuer;
};
