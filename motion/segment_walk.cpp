// Segment walk: the line through start and end, stepped along its major axis.
#include "motion/segment_walk.h"

#include <cstdlib>

namespace varrel {

bool WalkSegment(ScreenPoint start, ScreenPoint end, char action, PointerOps& ops) {
    const double xs = start.x, ys = start.y, xe = end.x, ye = end.y;
    const double dy = ys - ye;
    const double dx = xs - xe;

    if (action == static_cast<char>(EntryAction::Click)) {
        ops.PressLeft(start.x, start.y);
        const bool going = ops.Hold(CLICK_HOLD_MS);
        // The button never stays down, not even when the run ends during the hold.
        ops.ReleaseLeft(start.x, start.y);
        if (!going) return false;
    }

    // The point on the line through start and end is taken from the integer offset along the
    // major axis: (u - start) * d is exact, so a point of the line that falls on a pixel is hit
    // exactly rather than a rounding error short of it (which truncation would turn into the
    // neighbouring pixel). Step values and end tests are exact integers; 64 bits keep u + s in
    // range at the extremes.
    if (std::abs(dy) > std::abs(dx)) {
        const int64_t s = dy < 0 ? 1 : -1;
        for (int64_t u = start.y; u != end.y; u += s) {
            const double y = static_cast<double>(u);
            ops.MoveTo(xs + (y - ys) * dx / dy, y);
            if (!ops.Sleep(STEP_DELAY_MS)) return false;
        }
    } else {
        const int64_t s = dx < 0 ? 1 : -1;
        for (int64_t u = start.x; u != end.x; u += s) {
            const double x = static_cast<double>(u);
            ops.MoveTo(x, ys + (x - xs) * dy / dx);
            if (!ops.Sleep(STEP_DELAY_MS)) return false;
        }
    }
    return true;
}

}  // namespace varrel
