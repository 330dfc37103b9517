// MouseHookRecorder: a hook thread that appends each injected mouse event to a locked list.
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel::testing {

namespace {
// The hook procedure gets no context: it finds its recorder through its own thread.
thread_local MouseHookRecorder* hookOwner = nullptr;
}  // namespace

int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!pred()) {
        if (GetTickCount64() >= deadline) return pred();
        ::Sleep(5);
    }
    return true;
}

std::vector<std::string> EventTexts(const std::vector<MouseEvent>& events, POINT skip) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MouseEvent& e = events[i];
        if (e.pt.x == skip.x && e.pt.y == skip.y) continue;
        const bool intoButton = i + 1 < events.size() && e.kind == 'M' &&
                                events[i + 1].kind != 'M' && events[i + 1].pt.x == e.pt.x &&
                                events[i + 1].pt.y == e.pt.y;
        if (!intoButton)
            out.push_back(e.kind + std::to_string(e.pt.x) + "," + std::to_string(e.pt.y));
    }
    return out;
}

std::vector<MouseEvent> After(const std::vector<MouseEvent>& events, int64_t since) {
    std::vector<MouseEvent> out;
    for (const MouseEvent& e : events)
        if (e.time > since) out.push_back(e);
    return out;
}

std::vector<std::string> MovesAlong(int x0, int x1, int y) {
    std::vector<std::string> out;
    for (int x = x0; x != x1; x += x1 > x0 ? 1 : -1)
        out.push_back("M" + std::to_string(x) + "," + std::to_string(y));
    return out;
}

::testing::AssertionResult IsLaps(const std::vector<std::string>& seen,
                                  const std::vector<std::string>& lap, std::size_t laps) {
    if (seen.size() < laps * lap.size())
        return ::testing::AssertionFailure()
               << seen.size() << " events, fewer than " << laps << " laps of " << lap.size();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != lap[i % lap.size()])
            return ::testing::AssertionFailure()
                   << "event " << i << " is " << seen[i] << ", expected " << lap[i % lap.size()];
    }
    return ::testing::AssertionSuccess();
}

MouseHookRecorder::MouseHookRecorder() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Pump(ready); });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

MouseHookRecorder::~MouseHookRecorder() {
    // The thread made its message queue before `ready`, so the quit message cannot be lost.
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void MouseHookRecorder::Pump(HANDLE ready) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    // The time stamp is taken here: a late hook thread would make the input look late.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    hookOwner = this;
    hook_ = SetWindowsHookExW(WH_MOUSE_LL, HookProc, GetModuleHandleW(nullptr), 0);
    SetEvent(ready);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (hook_) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK MouseHookRecorder::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && hookOwner && (info.flags & LLMHF_INJECTED)) {
        const char kind = wParam == WM_MOUSEMOVE     ? 'M'
                          : wParam == WM_LBUTTONDOWN ? 'D'
                          : wParam == WM_LBUTTONUP   ? 'U'
                                                     : '?';
        std::lock_guard<std::mutex> lock(hookOwner->mutex_);
        hookOwner->events_.push_back({kind, info.pt, Now()});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<MouseEvent> MouseHookRecorder::Injected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

void MouseHookRecorder::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

bool MouseHookRecorder::WaitForTexts(std::size_t n) const {
    return WaitFor([&] { return EventTexts(Injected()).size() >= n; });
}

}  // namespace varrel::testing
