// PointerWatch: whether someone else has taken the pointer during a run, from where the run last
// put it and where it is now; and the PointerOps that stops the run when that happens.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "motion/absolute_coords.h"
#include "motion/pointer_ops.h"
#include "path/point_entry.h"

namespace varrel {

// How far the pointer may lie from where the run put it (on either axis) before the run counts it
// as taken. The run's own steps are one pixel, and a report of the step before that comes late
// is one pixel off; a hand resting on a mouse nudges it a pixel or two. A deliberate move covers
// more than 3 pixels between two steps (20 ms) from about 200 pixels a second on.
constexpr int32_t POINTER_TAKEN_TOLERANCE_PX = 3;

// A monitor's area in pixels of the virtual desktop; right and bottom are outside it.
struct MonitorRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What the pointer can be on: the desktop that absolute moves span and the monitors in it.
struct Screens {
    DesktopRect desktop;
    std::vector<MonitorRect> monitors;  // none known: the whole desktop counts as one
};

// Where the system may have put the pointer for a move to (x, y): the pixel, each coordinate
// truncated toward zero and clamped into the desktop; and where that lies on no monitor (a gap
// between monitors of different sizes), the nearest pixel of a monitor as well, as a system that
// keeps the pointer on its monitors puts it.
std::vector<ScreenPoint> PlacedPositions(double x, double y, const Screens& screens);

// True when `read` lies more than the tolerance away, on either axis, from every place in
// `placed`; never when nothing was placed yet.
bool PointerTaken(const std::vector<ScreenPoint>& placed, ScreenPoint read,
                  int32_t tolerance = POINTER_TAKEN_TOLERANCE_PX);

// Where the pointer is now; nothing when the system cannot tell (a locked session, say).
using PointerReader = std::function<std::optional<ScreenPoint>()>;
using ScreensSource = std::function<Screens()>;

// Passes every call on to `inner` but first looks, before each move, press and release of the
// run (from its first event on), whether the pointer still lies where the run put it. Once it
// does not, nothing more goes out but the release of a button the run holds, sent where the
// pointer now is, and every pause reports the end of the run.
class WatchedPointerOps : public PointerOps {
  public:
    // watching false: passes everything on and never looks. screens is read at each segment.
    WatchedPointerOps(PointerOps& inner, PointerReader read, ScreensSource screens, bool watching);

    // Whether the run ended because the pointer was taken.
    bool Taken() const { return taken_; }

    void BeginSegment() override;
    void MoveTo(double x, double y) override;
    void PressLeft(int32_t x, int32_t y) override;
    void ReleaseLeft(int32_t x, int32_t y) override;
    bool Sleep(int ms) override;
    bool Hold(int ms) override;

  private:
    // Looks at the pointer; true once it has been taken.
    bool Look();
    void Placed(double x, double y) { placed_ = PlacedPositions(x, y, screens_); }

    PointerOps& inner_;
    PointerReader read_;
    ScreensSource screensSource_;
    bool watching_;
    Screens screens_;
    std::vector<ScreenPoint> placed_;
    std::optional<ScreenPoint> lastRead_;
    bool pressed_ = false;
    bool taken_ = false;
};

}  // namespace varrel
