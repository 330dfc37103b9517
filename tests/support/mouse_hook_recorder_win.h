// MouseHookRecorder: records the injected mouse events the whole system sees, with a low-level
// hook.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace varrel::testing {

struct MouseEvent {
    char kind;     // 'M' move, 'D' left press, 'U' left release, '?' anything else
    POINT pt;      // screen pixels, as the system placed the pointer
    int64_t time;  // QueryPerformanceCounter when the hook saw it
};

int64_t Now();  // QueryPerformanceCounter

// Polls pred until it holds or timeoutMs has passed (only a hang runs into the default);
// returns its last value.
bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs = 60000);

// "M100,100", "D…", "U…" for each event, without the move that a button event carrying
// MOUSEEVENTF_MOVE adds just before itself, and (optionally) without the events at `skip`.
std::vector<std::string> EventTexts(const std::vector<MouseEvent>& events,
                                    POINT skip = {-99999, -99999});
// The events stamped after `since`.
std::vector<MouseEvent> After(const std::vector<MouseEvent>& events, int64_t since);
// The moves from (x0, y) towards x1 along the row, x1 itself excluded.
std::vector<std::string> MovesAlong(int x0, int x1, int y);
// seen is lap over and over, for at least `laps` whole laps, cut anywhere after that.
::testing::AssertionResult IsLaps(const std::vector<std::string>& seen,
                                  const std::vector<std::string>& lap, std::size_t laps);

// A thread of its own installs a WH_MOUSE_LL hook and pumps messages for it, so events are
// recorded whatever the creating thread does. Only injected events (any process's) are kept.
class MouseHookRecorder {
  public:
    MouseHookRecorder();
    ~MouseHookRecorder();
    MouseHookRecorder(const MouseHookRecorder&) = delete;
    MouseHookRecorder& operator=(const MouseHookRecorder&) = delete;

    bool Installed() const { return hook_ != nullptr; }
    std::vector<MouseEvent> Injected() const;
    void Clear();
    // Waits, with a generous deadline, until EventTexts of what was recorded has n entries.
    bool WaitForTexts(std::size_t n) const;

  private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    void Pump(HANDLE ready);

    mutable std::mutex mutex_;
    std::vector<MouseEvent> events_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HHOOK hook_ = nullptr;
};

}  // namespace varrel::testing
