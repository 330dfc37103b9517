// MotionWorker: a thread around RunMotion, with a stop event in place of killing it.
#include "motion/motion_worker_win.h"

#include <utility>

#include "motion/motion_worker.h"

namespace varrel {

namespace {

class EventStop : public StopRequest {
  public:
    explicit EventStop(HANDLE event) : event_(event) {}
    bool Requested() const override { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }
    void Wait() override { WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};

// Serves the messages other threads have sent to this one; they are dispatched inside PeekMessage.
void ServeSentMessages() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

MotionWorker::MotionWorker(ScreenAreaSource area) : area_(std::move(area)) {}

MotionWorker::~MotionWorker() { End(); }

bool MotionWorker::Start(const PointList& list, RunList& run) {
    if (thread_) return false;
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop) return false;
    stop_ = std::move(stop);
    list_ = &list;
    run_ = &run;
    thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    if (!thread_) {
        stop_.Reset();
        return false;
    }
    // It sleeps nearly all the time, but when a step is due it should not queue behind busy
    // threads of normal priority: that would show as uneven steps.
    SetThreadPriority(thread_.Get(), THREAD_PRIORITY_ABOVE_NORMAL);
    return true;
}

DWORD WINAPI MotionWorker::ThreadMain(LPVOID param) {
    auto* self = static_cast<MotionWorker*>(param);
    try {
        WinPointerOps ops(self->stop_.Get(), self->area_);
        EventStop stop(self->stop_.Get());
        RunMotion(*self->list_, *self->run_, ops, stop);
    } catch (...) {
        // Nothing may escape a thread: a run that cannot go on simply ends.
    }
    return 0;
}

void MotionWorker::End() {
    if (!thread_) return;
    SetEvent(stop_.Get());
    // The worker may be waiting for this thread to answer a SendMessage (an entry read): keep
    // answering until it has ended, or both would wait for each other forever.
    HANDLE thread = thread_.Get();
    for (;;) {
        ServeSentMessages();
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 + 1) continue;
        if (woke == WAIT_FAILED) WaitForSingleObject(thread, INFINITE);
        break;
    }
    thread_.Reset();
    stop_.Reset();
    list_ = nullptr;
    run_ = nullptr;
}

}  // namespace varrel
