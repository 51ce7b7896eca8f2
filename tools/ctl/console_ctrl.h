// Windows only: Ctrl-C and Ctrl-Break in the console, for the event loop.
// A console program on Windows gets no SIGINT that a pipe could carry;
// Windows runs the console control handler (SetConsoleCtrlHandler) on a
// thread of its own. The handler counts the key and signals an event
// object, which the loop waits on (QWinEventNotifier in InterruptWatch), so
// nothing polls. Qt-free, so that the windows-core build compiles it.
#pragma once

#ifdef _WIN32

namespace vantrel::console_ctrl {

// Installs the handler; returns the event (a HANDLE, reset by the wait that
// sees it), or nullptr when either could not be made.
void* install();

// Removes the handler and closes the event.
void uninstall();

// The Ctrl-C and Ctrl-Break presses since the last call.
int take();

} // namespace vantrel::console_ctrl

#endif
