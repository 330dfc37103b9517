// The worker's routine: snapshot the point list, then walk the closed path until asked to stop.
#pragma once

#include <vector>

#include "motion/pointer_ops.h"
#include "path/point_list.h"
#include "path/run_list.h"

namespace varrel {

// How the routine learns that its run is to end, besides a pause that reports it.
class StopRequest {
  public:
    virtual ~StopRequest() = default;
    // True once the stop has been asked for; looked at between two entries of the build.
    virtual bool Requested() const = 0;
    // Blocks, without using the processor, until the stop is asked for.
    virtual void Wait() = 0;
};

// What the routine asks of the system about the points, and tells about them.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // Whether the point lies on a monitor.
    virtual bool OnScreen(ScreenPoint) const { return true; }
    // Once the run list is built: the indices of the entries on no monitor (none: not called).
    virtual void OffScreen(const std::vector<int>& indices) { (void)indices; }
    // Before each click, at entry `index`'s point.
    virtual void BeforeClick(int index, ScreenPoint at) {
        (void)index;
        (void)at;
    }
};

enum class RunOutcome {
    Ended,        // a pause reported the end of the run, or the stop was asked for
    BuildFailed,  // the point list could not be read (or memory ran out): nothing was sent
};

// Builds run from list (cut short when the stop is asked for), then walks segment i → i + 1 for
// i = 0 … count - 1 and over again, the last one back to the first, with count read again after
// every segment. An entry on no monitor gets no click: a click at the screen's edge would land on
// something nobody chose. Returns once a pause reports the end of the run, or, for a run whose
// laps would send nothing and pause nothing (an empty list, only equal points without a click),
// once the stop has been asked for. A build that fails leaves the run list empty and sends nothing.
RunOutcome RunMotion(const PointList& list, RunList& run, PointerOps& ops, StopRequest& stop,
                     RunObserver& observer);

// True when a lap of run sends no pointer event and makes no pause.
bool LapIsIdle(const RunList& run);

}  // namespace varrel
