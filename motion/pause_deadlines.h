// PauseDeadlines: when each pause of a run ends, so that the pace does not drift.
#pragma once

#include <cstdint>

namespace varrel {

// Times are ticks of a monotonic counter. Each pause ends at the start of the run plus the sum of
// the pauses so far, so the time spent between pauses does not add up over a lap. A run that
// falls more than one pause behind (the machine was suspended, say) takes up the pace again from
// there instead of catching up with a burst of steps.
class PauseDeadlines {
  public:
    explicit PauseDeadlines(int64_t ticksPerSecond) : ticksPerSecond_(ticksPerSecond) {}

    // The run starts at now; a first Next starts it too.
    void Start(int64_t now);
    bool Started() const { return started_; }

    // The deadline of a pause of ms milliseconds that begins at now.
    int64_t Next(int ms, int64_t now);
    // The deadline of a hold of ms milliseconds that begins at now: never sooner than now + ms,
    // however late the run is, so a button is held its full time; the pauses after it keep their
    // pace from its end, so the extra time becomes part of the lap.
    int64_t Hold(int ms, int64_t now);

  private:
    int64_t Ticks(int64_t ms) const { return ms * ticksPerSecond_ / 1000; }

    int64_t ticksPerSecond_;
    bool started_ = false;
    int64_t start_ = 0;
    int64_t pausedMs_ = 0;
};

}  // namespace varrel
