// StatusBoard: what the Motion page's status line shows, newest first; and the guard that keeps
// a press of Start meant for Stop from starting a run again.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace varrel {

// What the line can tell. Each kind holds one message at most; a message posted again replaces
// its kind's and becomes the newest.
enum class Notice {
    AddRefused,   // until Position changes
    NoStopKey,    // until a Start takes Shift+Esc
    OffScreen,    // until the next Start
    CannotReach,  // until the next Start
    Stopped,      // why a run stopped by itself; until the next Start
    Count
};

class StatusBoard {
  public:
    void Post(Notice kind, std::string text);
    void Withdraw(Notice kind);
    // The newest message still posted; "" when none is.
    const std::string& Shown() const;

  private:
    struct Message {
        std::string text;
        uint64_t order = 0;  // 0: none
    };
    std::array<Message, static_cast<std::size_t>(Notice::Count)> messages_{};
    uint64_t posted_ = 0;
};

// After a stop the user did not ask for, the user's hand may be on its way to Stop: a Start that
// comes within this time of such a stop starts nothing.
constexpr int64_t START_GUARD_MS = 2000;

class StartGuard {
  public:
    // A run stopped at nowMs; byUser: by Stop or Shift+Esc, which the guard does not follow.
    void Stopped(bool byUser, int64_t nowMs);
    // Whether a Start at nowMs may start a run.
    bool Allows(int64_t nowMs) const;

  private:
    bool armed_ = false;
    int64_t stoppedAt_ = 0;
};

}  // namespace varrel
