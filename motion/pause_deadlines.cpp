// PauseDeadlines: the run's start plus the pauses so far, moved on after a long hold-up.
#include "motion/pause_deadlines.h"

#include <algorithm>

namespace varrel {

void PauseDeadlines::Start(int64_t now) {
    start_ = now;
    pausedMs_ = 0;
    started_ = true;
}

int64_t PauseDeadlines::Next(int ms, int64_t now) {
    if (!started_) Start(now);
    pausedMs_ += ms;
    // Milliseconds are summed and converted once, so no rounding error piles up.
    const int64_t deadline = start_ + Ticks(pausedMs_);
    const int64_t pause = Ticks(ms);
    if (now - deadline <= pause) return deadline;
    start_ += now + pause - deadline;
    return now + pause;
}

int64_t PauseDeadlines::Hold(int ms, int64_t now) {
    if (!started_) Start(now);
    pausedMs_ += ms;
    const int64_t deadline = std::max(start_ + Ticks(pausedMs_), now + Ticks(ms));
    start_ = deadline - Ticks(pausedMs_);
    return deadline;
}

}  // namespace varrel
