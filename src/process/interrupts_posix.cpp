// SIGINT and SIGTERM noted while a batch runs.
#include "process/interrupts.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interruptSignal = 0;
void onInterrupt(int signal) { interruptSignal = signal; }

}  // namespace

// The actions the two signals had before the guard.
struct InterruptGuard::Saved {
    struct sigaction interrupt {
    }, terminate{};
};

InterruptGuard::InterruptGuard() : saved_(std::make_unique<Saved>()) {
    interruptSignal = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;  // no SA_RESTART: a waiting poll returns at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_->interrupt);
    sigaction(SIGTERM, &action, &saved_->terminate);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &saved_->interrupt, nullptr);
    sigaction(SIGTERM, &saved_->terminate, nullptr);
}

int InterruptGuard::signal() const { return interruptSignal; }
