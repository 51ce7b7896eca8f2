#include "interrupt_watch.h"

#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel {
namespace {

#ifdef Q_OS_UNIX
// The handler may only do what is safe in a signal: write a byte to a pipe
// whose other end the event loop watches.
int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
#else
std::atomic<int> g_signals{0};

void onSignal(int signal)
{
    g_signals.fetch_add(1);
    std::signal(signal, onSignal);
}
#endif

} // namespace

InterruptWatch::InterruptWatch(QObject* parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::pipe(g_pipe) == 0) {
        ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);
        ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatch::onReadable);
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }
#else
    // Windows runs a console handler on a thread of its own; a short poll
    // of the count it leaves is the simple safe way back to the loop.
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, &InterruptWatch::onReadable);
    m_poll->start(200);
#endif
}

InterruptWatch::~InterruptWatch()
{
#ifdef Q_OS_UNIX
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    m_notifier.reset();
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

void InterruptWatch::onReadable()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        emit interrupted();
#else
    for (int pending = g_signals.exchange(0); pending > 0; --pending)
        emit interrupted();
#endif
}

} // namespace vantrel
