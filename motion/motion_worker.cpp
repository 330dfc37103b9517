// The worker's routine: the run list, then the closed path, lap after lap.
#include "motion/motion_worker.h"

#include <new>

#include "motion/segment_walk.h"

namespace varrel {

namespace {

ScreenPoint NextPoint(const RunList& run, int32_t i) {
    return run.points[static_cast<std::size_t>(i + 1 < run.count ? i + 1 : 0)];
}

constexpr char CLICK = static_cast<char>(EntryAction::Click);

// The entries on no monitor lose their click; their indices go to the observer.
void DropClicksOffScreen(RunList& run, RunObserver& observer) {
    std::vector<int> off;
    for (int32_t i = 0; i < run.count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (observer.OnScreen(run.points[at])) continue;
        off.push_back(i);
        if (run.actions[at] == CLICK) run.actions[at] = static_cast<char>(EntryAction::None);
    }
    if (!off.empty()) observer.OffScreen(off);
}

}  // namespace

bool LapIsIdle(const RunList& run) {
    for (int32_t i = 0; i < run.count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!SegmentIsIdle(run.points[at], NextPoint(run, i), run.actions[at])) return false;
    }
    return true;
}

RunOutcome RunMotion(const PointList& list, RunList& run, PointerOps& ops, StopRequest& stop,
                     RunObserver& observer) {
    bool built = false;
    try {
        built = BuildRunList(list, run, [&stop] { return stop.Requested(); }) == 0;
        if (built && !stop.Requested()) DropClicksOffScreen(run, observer);
    } catch (const std::bad_alloc&) {
        built = false;
    }
    if (!built) run.Release();
    if (stop.Requested()) return RunOutcome::Ended;
    if (!built) return RunOutcome::BuildFailed;

    // Such a lap would go round without ever pausing: wait for the end instead of spinning.
    if (LapIsIdle(run)) {
        stop.Wait();
        return RunOutcome::Ended;
    }
    for (int32_t i = 0;; i = (i + 1 < run.count ? i + 1 : 0)) {
        const auto at = static_cast<std::size_t>(i);
        ops.BeginSegment();
        if (run.actions[at] == CLICK) observer.BeforeClick(i, run.points[at]);
        if (!WalkSegment(run.points[at], NextPoint(run, i), run.actions[at], ops))
            return RunOutcome::Ended;
    }
}

}  // namespace varrel
