#include "interrupt_watch.h"

#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace vantrel {
namespace {

std::atomic<int> g_firstSignal{0};

#ifdef Q_OS_UNIX
// SIGQUIT (Ctrl-\) among them: its default action would end the program
// with half a set on the wire, or half a set in the board's EEPROM.
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The handler may only do what is safe in a signal: note the first, and
// write the number to a pipe whose other end the event loop watches.
int g_pipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    int none = 0;
    g_firstSignal.compare_exchange_strong(none, signalNumber);
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
#endif

#ifdef Q_OS_WIN
// Windows calls the console handler on a thread of its own; the signal is
// queued to the watch's thread. A closing console ends the process when the
// handler returns, so for that the handler waits for the watch to go,
// within the few seconds Windows allows.
constexpr int kSigHup = 1;
QPointer<InterruptWatch> g_watch;
HANDLE g_done = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    const int signalNumber = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : kSigHup;
    int none = 0;
    g_firstSignal.compare_exchange_strong(none, signalNumber);
    if (InterruptWatch* watch = g_watch.data())
        QMetaObject::invokeMethod(watch, [watch, signalNumber] { emit watch->interrupted(signalNumber); },
                                  Qt::QueuedConnection);
    if (signalNumber == kSigHup && g_done)
        WaitForSingleObject(g_done, 4000);
    return TRUE;
}
#endif

} // namespace

InterruptWatch::InterruptWatch(QObject* parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    // A reader that went away (vantrel-ctl … | head) is then a write error
    // the program handles, not a death in the middle of a step.
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe(g_pipe) == 0) {
        ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);
        ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatch::onReadable);
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signalNumber : kWatched)
            sigaction(signalNumber, &action, nullptr);
    }
#endif
#ifdef Q_OS_WIN
    g_watch = this;
    g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#endif
}

InterruptWatch::~InterruptWatch()
{
#ifdef Q_OS_UNIX
    for (const int signalNumber : kWatched)
        std::signal(signalNumber, SIG_DFL);
    m_notifier.reset();
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_watch = nullptr;
    if (g_done)
        SetEvent(g_done);
#endif
}

int InterruptWatch::firstSignal() { return g_firstSignal.load(); }

QString InterruptWatch::signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
#ifdef SIGHUP
    case SIGHUP: return QStringLiteral("SIGHUP");
#else
    case 1: return QStringLiteral("SIGHUP");
#endif
#ifdef SIGQUIT
    case SIGQUIT: return QStringLiteral("SIGQUIT");
#endif
    }
    return QStringLiteral("signal %1").arg(signalNumber);
}

int InterruptWatch::exitStatus(int signalNumber) { return 128 + signalNumber; }

void InterruptWatch::onReadable()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    ssize_t count;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            emit interrupted(static_cast<unsigned char>(bytes[i]));
    }
#endif
}

} // namespace vantrel
