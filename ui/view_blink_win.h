// ViewBlink: the disc that View blinks at a screen position, drawn from a timer of its window.
#pragma once

#include <windows.h>

#include "path/point_entry.h"

namespace varrel {

constexpr int VIEW_BLINK_DRAWS = 6;  // each draw inverts the last: the disc shows three times
constexpr UINT VIEW_BLINK_PAUSE_MS = 200;
constexpr int VIEW_DISC_RADIUS = 5;
constexpr UINT_PTR VIEW_BLINK_TIMER = 1;  // the timer's id in its window

// The blink draws in XOR mode, one draw per tick of a timer, so the window goes on answering
// meanwhile. Ended early, it draws once more where the disc shows, so the screen is left as it
// was; whoever is about to change what lies under the disc (hide or close the window, repaint a
// control) ends it first.
class ViewBlink {
  public:
    ViewBlink() = default;
    ~ViewBlink() { End(); }
    ViewBlink(const ViewBlink&) = delete;
    ViewBlink& operator=(const ViewBlink&) = delete;

    // Ends a blink that goes on, then shows the disc at `at`; window receives the timer's
    // WM_TIMER (VIEW_BLINK_TIMER) and passes it to OnTimer.
    void Start(HWND window, ScreenPoint at);
    void OnTimer();
    // Nothing when no blink goes on.
    void End();

  private:
    void Draw();

    HWND window_ = nullptr;  // while a blink goes on
    ScreenPoint at_{};
    int draws_ = 0;
    bool shown_ = false;  // an odd number of draws has reached the screen
};

}  // namespace varrel
