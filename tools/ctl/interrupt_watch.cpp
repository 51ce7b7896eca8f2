#include "interrupt_watch.h"

#include <QSocketNotifier>

#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#else
#include <QWinEventNotifier>

#include "console_ctrl.h"
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
    // Windows runs the console's handler on a thread of its own; the event
    // it signals brings the key back to the loop.
    if (void* event = console_ctrl::install()) {
        m_notifier = std::make_unique<QWinEventNotifier>(event);
        connect(m_notifier.get(), &QWinEventNotifier::activated, this, &InterruptWatch::onReadable);
    }
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
#else
    m_notifier.reset();
    console_ctrl::uninstall();
#endif
}

void InterruptWatch::onReadable()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        emit interrupted();
#else
    for (int pending = console_ctrl::take(); pending > 0; --pending)
        emit interrupted();
#endif
}

} // namespace vantrel
