// The worker's routine: the run list, then the closed path, lap after lap.
#include "motion/motion_worker.h"

#include <new>

#include "motion/segment_walk.h"

namespace varrel {

namespace {

ScreenPoint NextPoint(const RunList& run, int32_t i) {
    return run.points[static_cast<std::size_t>(i + 1 < run.count ? i + 1 : 0)];
}

}  // namespace

bool LapIsIdle(const RunList& run) {
    for (int32_t i = 0; i < run.count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!SegmentIsIdle(run.points[at], NextPoint(run, i), run.actions[at])) return false;
    }
    return true;
}

void RunMotion(const PointList& list, RunList& run, PointerOps& ops, StopRequest& stop) {
    try {
        // A failed build leaves the run list empty, and the run idle.
        BuildRunList(list, run, [&stop] { return stop.Requested(); });
    } catch (const std::bad_alloc&) {
        run.Release();
    }
    if (stop.Requested()) return;

    // Such a lap would go round without ever pausing: wait for the end instead of spinning.
    if (LapIsIdle(run)) {
        stop.Wait();
        return;
    }
    for (int32_t i = 0;; i = (i + 1 < run.count ? i + 1 : 0)) {
        const auto at = static_cast<std::size_t>(i);
        ops.BeginSegment();
        if (!WalkSegment(run.points[at], NextPoint(run, i), run.actions[at], ops)) return;
    }
}

}  // namespace varrel
