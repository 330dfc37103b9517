// MotionWorker: the thread that runs the path, started and ended from the user-interface thread.
#pragma once

#include <windows.h>

#include "motion/pointer_ops_win.h"
#include "motion/unique_handle_win.h"
#include "path/point_list.h"
#include "path/run_list.h"

namespace varrel {

// One run at a time:
//   worker.Start(list, run);  // the thread builds run from list, then walks the path forever
//   worker.End();             // asks it to stop and returns once it has ended
//   run.Release();            // the run list is the caller's again
// The thread reads list only while it builds the run list; with a ListBoxPointList each read is
// served by the list box's thread; End, called on that thread, keeps serving them while it waits,
// so the two cannot deadlock. When End returns no further pointer event comes; a press already sent
// has had its release. Destroying a MotionWorker ends a running worker.
class MotionWorker {
  public:
    // area: where the pointer can go, read at the start of every segment.
    explicit MotionWorker(ScreenAreaSource area = SystemScreenArea);
    ~MotionWorker();
    MotionWorker(const MotionWorker&) = delete;
    MotionWorker& operator=(const MotionWorker&) = delete;

    // Starts the thread. list and run must outlive the run; run is written by the worker alone
    // until End returns. Returns false (and starts nothing) while a worker is running, or when
    // the thread cannot be created.
    bool Start(const PointList& list, RunList& run);
    // Ends the running worker, cutting any pause short; does nothing when none is running.
    // Messages sent to the calling thread are served while it waits.
    void End();
    bool Running() const { return static_cast<bool>(thread_); }

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);

    ScreenAreaSource area_;
    UniqueHandle stop_;  // manual-reset: set once, seen by every pause that follows
    UniqueHandle thread_;
    const PointList* list_ = nullptr;
    RunList* run_ = nullptr;
};

}  // namespace varrel
