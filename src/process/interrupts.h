// The terminal's interrupt (Ctrl-C) and the request to end noted, instead
// of ending the program, while a batch runs. Their POSIX side (SIGINT and
// SIGTERM) is in interrupts_posix.cpp, their Windows side (the console's
// control events) in interrupts_windows.cpp.
#pragma once

#include <memory>

// While it lives, an interrupt or a request to end only notes itself; what
// they did before comes back when it ends.
class InterruptGuard {
public:
    InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    ~InterruptGuard();
    // The signal that arrived (SIGINT for an interrupt, SIGTERM for a
    // request to end), or 0.
    int signal() const;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
