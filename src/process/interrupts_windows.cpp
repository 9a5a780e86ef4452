// The console's control events noted while a batch runs: Ctrl-C as SIGINT;
// Ctrl-Break, the console closed, the user logging off or the system shutting
// down as SIGTERM, a request to end.
#include "process/interrupts.h"

#include <atomic>
#include <csignal>

#include <windows.h>

namespace {

std::atomic<int> interruptSignal{0};

BOOL WINAPI onControl(DWORD event) {
    interruptSignal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    // Noted: the batch stops its workers and ends in its own time.
    return TRUE;
}

}  // namespace

// Nothing to keep: the handler is taken off again.
struct InterruptGuard::Saved {};

InterruptGuard::InterruptGuard() : saved_(std::make_unique<Saved>()) {
    interruptSignal = 0;
    SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptGuard::~InterruptGuard() { SetConsoleCtrlHandler(onControl, FALSE); }

int InterruptGuard::signal() const { return interruptSignal; }
