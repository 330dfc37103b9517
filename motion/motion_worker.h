// The worker's routine: snapshot the point list, then walk the closed path until asked to stop.
#pragma once

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

// Builds run from list (cut short when the stop is asked for), then walks segment i → i + 1 for
// i = 0 … count - 1 and over again, the last one back to the first, with count read again after
// every segment. Returns once a pause reports the end of the run, or, for a run whose laps would
// send nothing and pause nothing (an empty list, a failed build, only equal points without a
// click), once the stop has been asked for. When memory runs out during the build the run list is
// left empty and the run sends nothing.
void RunMotion(const PointList& list, RunList& run, PointerOps& ops, StopRequest& stop);

// True when a lap of run sends no pointer event and makes no pause.
bool LapIsIdle(const RunList& run);

}  // namespace varrel
