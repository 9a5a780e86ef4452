// The live progress line of a batch.
#include "engine/progress.h"

#include <cstdio>

#include "platform/system.h"
#include "text/messages.h"

ProgressLine::ProgressLine() : enabled_(errorsOnTerminal()) {}

void ProgressLine::show(size_t finished, size_t total, size_t running) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - lastShown_ < std::chrono::milliseconds(500)) return;
    lastShown_ = now;
    const long elapsed = static_cast<long>(std::chrono::duration<double>(now - started_).count());
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02ld:%02ld:%02ld", elapsed / 3600, elapsed / 60 % 60, elapsed % 60);
    std::fprintf(stderr, msg::progressLine, finished, total, running, clock);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    std::fputs(msg::progressClear, stderr);
    std::fflush(stderr);
    shown_ = false;
}
