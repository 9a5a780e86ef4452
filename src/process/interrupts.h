// SIGINT and SIGTERM noted, instead of ending the program, while a batch runs.
#pragma once

#include <csignal>

// While it lives, SIGINT and SIGTERM only note themselves; the actions they
// had before come back when it ends.
class InterruptGuard {
public:
    InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    ~InterruptGuard();
    // The signal that arrived, or 0.
    int signal() const;

private:
    struct sigaction oldInt_ {
    }, oldTerm_{};
};
