// MotionWorker: the thread that runs the path, started and ended from the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <vector>

#include "motion/pointer_ops_win.h"
#include "path/point_list.h"
#include "path/run_list.h"
#include "win/owned_win.h"

namespace varrel {

// What a run has to tell its owner while it goes, or as it ends by itself.
struct RunNotice {
    enum class Kind {
        OffScreen,  // entry `index` (and `more` others after it) lies on no monitor: no click there
        CannotReach,  // the window under entry `index` takes no input from this program
        Taken,        // someone else moved the pointer: the run has ended
        BuildFailed,  // the point list could not be read: the run has ended before its first event
    };
    Kind kind;
    int index = -1;
    ScreenPoint at;
    int more = 0;
};

// Whether this program's input reaches the window at a point (not one of a process with a higher
// integrity level, which Windows keeps injected input from).
using ReachTest = std::function<bool(POINT)>;
bool SystemInputReaches(POINT at);
// The decision alone: input reaches a process whose integrity level is no higher than ours.
inline bool InputReachesLevel(DWORD own, DWORD target) { return target <= own; }

struct RunSettings {
    bool watchPointer = false;  // the run ends once someone else moves the pointer
    HWND notify = nullptr;      // posted `message` (wParam: the run's serial) when news comes
    UINT message = 0;
    ReachTest reaches = SystemInputReaches;
};

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
    bool Start(const PointList& list, RunList& run, RunSettings settings = {});
    // Ends the running worker, cutting any pause short; does nothing when none is running.
    // Messages sent to the calling thread are served while it waits.
    void End();
    bool Running() const { return static_cast<bool>(thread_); }
    // The serial of the run going on or last ended: news posted for an older one is stale.
    WPARAM Serial() const { return serial_; }
    // What the run has told since the last call, oldest first.
    std::vector<RunNotice> TakeNews();

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Tell(const RunNotice& notice);
    friend class WorkerObserver;

    ScreenAreaSource area_;
    UniqueHandle stop_;  // manual-reset: set once, seen by every pause that follows
    UniqueHandle thread_;
    const PointList* list_ = nullptr;
    RunList* run_ = nullptr;
    RunSettings settings_;
    WPARAM serial_ = 0;
    std::mutex newsLock_;  // the worker adds news, the owner's thread takes it
    std::vector<RunNotice> news_;
};

}  // namespace varrel
