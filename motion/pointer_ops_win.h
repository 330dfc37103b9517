// WinPointerOps: the pointer moves and clicks of a run, injected with mouse_event, paced by
// deadlines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "motion/absolute_coords.h"
#include "motion/pause_deadlines.h"
#include "motion/pointer_ops.h"
#include "win/owned_win.h"

namespace varrel {

// What absolute coordinates span: the primary screen, or the virtual desktop (every monitor).
struct ScreenArea {
    DesktopRect rect;
    bool virtualDesktop = false;
};

// Where the pointer can go: read at the start of every segment.
using ScreenAreaSource = std::function<ScreenArea()>;

// The primary screen while it is the only monitor (the events are then the plain absolute ones),
// otherwise the virtual desktop, so that a point on another monitor is reached.
ScreenArea SystemScreenArea();

// Every event carries an absolute position over the screen area; press and release carry the
// move as well, so that they act at their point even when the user moved the mouse in between.
// Each pause ends at a deadline (start of the run + the pauses so far), so the time spent sending
// events does not pile up; a pause ends early, reporting the end of the run, when stopEvent is set.
class WinPointerOps : public PointerOps {
  public:
    // stopEvent stays owned by the caller and must outlive this object.
    explicit WinPointerOps(HANDLE stopEvent, ScreenAreaSource area = SystemScreenArea);
    ~WinPointerOps() override;
    WinPointerOps(const WinPointerOps&) = delete;
    WinPointerOps& operator=(const WinPointerOps&) = delete;

    void BeginSegment() override;
    void MoveTo(double x, double y) override;
    void PressLeft(int32_t x, int32_t y) override;
    void ReleaseLeft(int32_t x, int32_t y) override;
    bool Sleep(int ms) override;
    bool Hold(int ms) override;

  private:
    void Send(DWORD flags, double x, double y);
    bool WaitUntil(int64_t deadline);
    int64_t Now() const;

    HANDLE stop_;
    ScreenAreaSource source_;
    ScreenArea area_;
    bool haveArea_ = false;  // read at each segment, or at the first event when none began
    UniqueHandle timer_;
    bool raisedResolution_ = false;
    int64_t frequency_;         // performance counter ticks per second
    PauseDeadlines deadlines_;  // started at the first segment or pause
};

}  // namespace varrel
