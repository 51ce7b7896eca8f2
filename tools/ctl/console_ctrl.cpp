#include "console_ctrl.h"

#ifdef _WIN32

#include <windows.h>

#include <atomic>

namespace vantrel::console_ctrl {
namespace {

std::atomic<int> g_presses{0};
std::atomic<HANDLE> g_event{nullptr};

// Ctrl-C and Ctrl-Break end a sweep after the line in flight, so they are
// taken here. Closing the console window, logging off and shutting down are
// left to the default handler, which ends the program.
BOOL WINAPI onControl(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    g_presses.fetch_add(1);
    if (HANDLE event = g_event.load())
        SetEvent(event);
    return TRUE;
}

} // namespace

void* install()
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr)
        return nullptr;
    g_event.store(event);
    if (!SetConsoleCtrlHandler(onControl, TRUE)) {
        g_event.store(nullptr);
        CloseHandle(event);
        return nullptr;
    }
    return event;
}

void uninstall()
{
    SetConsoleCtrlHandler(onControl, FALSE);
    if (HANDLE event = g_event.exchange(nullptr))
        CloseHandle(event);
}

int take() { return g_presses.exchange(0); }

} // namespace vantrel::console_ctrl

#endif
