// MotionWorker: a thread around RunMotion, with a stop event in place of killing it; the pointer
// watched through GetCursorPos, the points against the monitors.
#include "motion/motion_worker_win.h"

#include <algorithm>
#include <set>
#include <utility>

#include "motion/motion_worker.h"
#include "motion/pointer_watch.h"
#include "win/guard_win.h"

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

std::optional<ScreenPoint> CursorNow() {
    POINT p{};
    if (!GetCursorPos(&p)) return std::nullopt;
    return ScreenPoint{p.x, p.y};
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT box, LPARAM monitors) {
    return Guarded(FALSE, [&] {
        reinterpret_cast<std::vector<MonitorRect>*>(monitors)->push_back(
            {box->left, box->top, box->right, box->bottom});
        return TRUE;
    });
}

std::vector<MonitorRect> SystemMonitors() {
    std::vector<MonitorRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The integrity level of a process: its token's mandatory label, the label's last sub-authority.
std::optional<DWORD> IntegrityOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    const UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (!sid || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) return std::nullopt;
    return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u);
}

}  // namespace

bool SystemInputReaches(POINT at) {
    HWND window = WindowFromPoint(at);
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process)) return true;
    if (process == GetCurrentProcessId()) return true;
    const UniqueHandle other(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!other) return true;  // nothing known: nothing to say
    const std::optional<DWORD> own = IntegrityOf(GetCurrentProcess());
    const std::optional<DWORD> target = IntegrityOf(other.Get());
    return !own || !target || InputReachesLevel(*own, *target);
}

// The run's questions to the system and its news to the owner: each point that input cannot
// reach is told once a run. The monitors are read once, as the run starts: asked point by point
// (MonitorFromPoint), 100,000 entries took Wine seconds before the first step.
class WorkerObserver : public RunObserver {
  public:
    explicit WorkerObserver(MotionWorker& worker) : worker_(worker), monitors_(SystemMonitors()) {}
    bool OnScreen(ScreenPoint p) const override {
        // None known: no point is taken for one on no screen.
        return monitors_.empty() ||
               std::any_of(monitors_.begin(), monitors_.end(), [p](const MonitorRect& m) {
                   return p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom;
               });
    }
    void OffScreen(const std::vector<int>& indices) override {
        const ScreenPoint at = worker_.run_->points[static_cast<std::size_t>(indices.front())];
        worker_.Tell({RunNotice::Kind::OffScreen, indices.front(), at,
                      static_cast<int>(indices.size()) - 1});
    }
    void BeforeClick(int index, ScreenPoint at) override {
        if (told_.count(index) || !worker_.settings_.reaches) return;
        if (worker_.settings_.reaches(POINT{at.x, at.y})) return;
        told_.insert(index);
        worker_.Tell({RunNotice::Kind::CannotReach, index, at, 0});
    }

  private:
    MotionWorker& worker_;
    const std::vector<MonitorRect> monitors_;
    std::set<int> told_;
};

MotionWorker::MotionWorker(ScreenAreaSource area) : area_(std::move(area)) {}

MotionWorker::~MotionWorker() { End(); }

bool MotionWorker::Start(const PointList& list, RunList& run, RunSettings settings) {
    if (thread_) return false;
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop) return false;
    stop_ = std::move(stop);
    list_ = &list;
    run_ = &run;
    settings_ = std::move(settings);
    ++serial_;
    {
        std::lock_guard<std::mutex> lock(newsLock_);
        news_.clear();
    }
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

void MotionWorker::Tell(const RunNotice& notice) {
    {
        std::lock_guard<std::mutex> lock(newsLock_);
        news_.push_back(notice);
    }
    if (settings_.notify) PostMessageW(settings_.notify, settings_.message, serial_, 0);
}

std::vector<RunNotice> MotionWorker::TakeNews() {
    std::lock_guard<std::mutex> lock(newsLock_);
    return std::exchange(news_, {});
}

DWORD WINAPI MotionWorker::ThreadMain(LPVOID param) {
    auto* self = static_cast<MotionWorker*>(param);
    // Nothing may escape a thread: a run that cannot go on simply ends.
    return Guarded<DWORD>(0, [self]() -> DWORD {
        WinPointerOps ops(self->stop_.Get(), self->area_);
        const ScreenAreaSource area = self->area_ ? self->area_ : SystemScreenArea;
        WatchedPointerOps watched(
            ops, CursorNow,
            [&area] {
                return Screens{area().rect, SystemMonitors()};
            },
            self->settings_.watchPointer);
        EventStop stop(self->stop_.Get());
        WorkerObserver observer(*self);
        const RunOutcome outcome = RunMotion(*self->list_, *self->run_, watched, stop, observer);
        if (watched.Taken()) self->Tell({RunNotice::Kind::Taken, -1, {}, 0});
        if (outcome == RunOutcome::BuildFailed)
            self->Tell({RunNotice::Kind::BuildFailed, -1, {}, 0});
        return 0;
    });
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
