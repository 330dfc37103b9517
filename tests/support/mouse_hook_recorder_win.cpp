// MouseHookRecorder: a hook thread that appends each low-level mouse event to a locked list.
#include "tests/support/mouse_hook_recorder_win.h"

#include <algorithm>

namespace varrel::testing {

namespace {
// The hook procedure gets no context: it finds its recorder through its own thread.
thread_local MouseHookRecorder* hookOwner = nullptr;

int64_t Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}
}  // namespace

std::vector<MouseEvent> WithoutMovesIntoButtons(const std::vector<MouseEvent>& events) {
    std::vector<MouseEvent> out;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MouseEvent& e = events[i];
        if (e.kind == MouseEvent::Move && i + 1 < events.size()) {
            const MouseEvent& next = events[i + 1];
            const bool button =
                next.kind == MouseEvent::LeftDown || next.kind == MouseEvent::LeftUp;
            if (button && next.pt.x == e.pt.x && next.pt.y == e.pt.y) continue;
        }
        out.push_back(e);
    }
    return out;
}

MouseHookRecorder::MouseHookRecorder() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Pump(ready); });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

MouseHookRecorder::~MouseHookRecorder() {
    // The thread has its message queue from the start (PeekMessage before `ready`), so the quit
    // message cannot be lost.
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void MouseHookRecorder::Pump(HANDLE ready) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    // The time stamp is taken here, so a late hook thread would make the input look late.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    hookOwner = this;
    hook_ = SetWindowsHookExW(WH_MOUSE_LL, HookProc, GetModuleHandleW(nullptr), 0);
    SetEvent(ready);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (hook_) UnhookWindowsHookEx(hook_);
    hookOwner = nullptr;
}

LRESULT CALLBACK MouseHookRecorder::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && hookOwner)
        hookOwner->Record(wParam, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MouseHookRecorder::Record(WPARAM message, const MSLLHOOKSTRUCT& info) {
    MouseEvent e{MouseEvent::Other, static_cast<UINT>(message), info.pt,
                 (info.flags & LLMHF_INJECTED) != 0, Counter()};
    if (message == WM_MOUSEMOVE) e.kind = MouseEvent::Move;
    if (message == WM_LBUTTONDOWN) e.kind = MouseEvent::LeftDown;
    if (message == WM_LBUTTONUP) e.kind = MouseEvent::LeftUp;
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(e);
}

std::vector<MouseEvent> MouseHookRecorder::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<MouseEvent> MouseHookRecorder::Injected() const {
    std::vector<MouseEvent> out = Snapshot();
    out.erase(
        std::remove_if(out.begin(), out.end(), [](const MouseEvent& e) { return !e.injected; }),
        out.end());
    return out;
}

std::size_t MouseHookRecorder::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.size();
}

void MouseHookRecorder::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

bool MouseHookRecorder::WaitForInjected(std::size_t n, DWORD timeoutMs) const {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    for (;;) {
        if (Injected().size() >= n) return true;
        if (GetTickCount64() >= until) return false;
        ::Sleep(5);
    }
}

}  // namespace varrel::testing
