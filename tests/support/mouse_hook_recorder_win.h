// MouseHookRecorder: the injected mouse events the whole system sees, helpers to read them, and
// real input.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace varrel::testing {

using Texts = std::vector<std::string>;

struct MouseEvent {
    char kind;     // 'M' move, 'D' left press, 'U' left release, '?' anything else
    POINT pt;      // screen pixels, as the system placed the pointer
    int64_t time;  // QueryPerformanceCounter when the hook saw it
};

inline int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}
inline int64_t PerSecond() {  // the rate of Now()
    LARGE_INTEGER rate;
    QueryPerformanceFrequency(&rate);
    return rate.QuadPart;
}
// Polls pred until it holds or timeoutMs has passed (only a hang meets the default).
bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs = 60000);
// Real input, each event at its own absolute position (flags 0: a move), wherever the pointer is.
void Mouse(std::initializer_list<std::pair<DWORD, POINT>> events);
void PressKeys(const std::vector<WORD>& keys);  // real keys, pressed in order, released in reverse
HWND FocusOf(HWND window);  // the keyboard focus of the window's thread, in any process

// "M100,100", "D…", "U…" for each event stamped after `since`, without the move that a button
// event carrying MOUSEEVENTF_MOVE adds just before itself, and without the events at `skip`.
Texts EventTexts(const std::vector<MouseEvent>& events, POINT skip = {-1, -1}, int64_t since = 0);
// seen is lap over and over, for at least `laps` whole laps, cut anywhere after that.
::testing::AssertionResult IsLaps(const Texts& seen, const Texts& lap, std::size_t laps);

// Keeps the injected events of any process; its own thread hooks and pumps, whatever this one does.
class MouseHookRecorder {
  public:
    MouseHookRecorder();
    ~MouseHookRecorder();

    bool Installed() const { return hook_ != nullptr; }
    std::vector<MouseEvent> Injected() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.clear();
    }
    bool WaitForTexts(std::size_t n) const {
        return WaitFor([&] { return EventTexts(Injected()).size() >= n; });
    }
    // The events injected before the call, complete without a pause: a move to a marker pixel is
    // injected and awaited, and whatever was sent before it is recorded before it.
    std::vector<MouseEvent> InjectedBeforeMarker() const;

  private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);

    mutable std::mutex mutex_;
    std::vector<MouseEvent> events_;
    HHOOK hook_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

}  // namespace varrel::testing
