// The live progress line of a batch, on standard error when it is a terminal.
#pragma once

#include <chrono>
#include <cstddef>

class ProgressLine {
public:
    ProgressLine();
    // Redraws the line (at most twice a second).
    void show(size_t finished, size_t total, size_t running);
    // Removes the line, so that other output starts on a clean line.
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastShown_{};
};
