// SIGINT and SIGTERM noted while a batch runs.
#include "process/interrupts.h"

namespace {

volatile std::sig_atomic_t interruptSignal = 0;
void onInterrupt(int signal) { interruptSignal = signal; }

}  // namespace

InterruptGuard::InterruptGuard() {
    interruptSignal = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;  // no SA_RESTART: a waiting poll returns at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

int InterruptGuard::signal() const { return interruptSignal; }
