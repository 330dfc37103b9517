// The walk of the pointer along one segment of the path: one pixel per step along the longer axis.
#pragma once

#include "motion/pointer_ops.h"
#include "path/point_entry.h"

namespace varrel {

constexpr int STEP_DELAY_MS = 20;  // pause after every pointer move
constexpr int CLICK_HOLD_MS = 10;  // pause between press and release of a click

// Clicks at start when action is 'C', then moves one pixel at a time toward end, end excluded.
// Returns false when a pause reported that the run is ending (a pending press is released first).
bool WalkSegment(ScreenPoint start, ScreenPoint end, char action, PointerOps& ops);

// True when walking start → end with this action sends nothing and pauses nothing.
inline bool SegmentIsIdle(ScreenPoint start, ScreenPoint end, char action) {
    return start == end && action != static_cast<char>(EntryAction::Click);
}

}  // namespace varrel
