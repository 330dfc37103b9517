// MouseHookRecorder: a hook thread that appends each injected mouse event to a locked list.
#include "tests/support/mouse_hook_recorder_win.h"

#include <algorithm>

namespace varrel::testing {

// The hook procedure gets no context: it finds its recorder through its own thread.
static thread_local MouseHookRecorder* hookOwner = nullptr;

bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !pred(); ::Sleep(5))
        if (GetTickCount64() >= deadline) return pred();
    return true;
}

Texts EventTexts(const std::vector<MouseEvent>& events, POINT skip, int64_t since) {
    Texts out;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MouseEvent &e = events[i], &next = events[i + 1 < events.size() ? i + 1 : i];
        const auto at = [&e](POINT p) { return e.pt.x == p.x && e.pt.y == p.y; };
        if (e.time > since && !at(skip) && !(e.kind == 'M' && next.kind != 'M' && at(next.pt)))
            out.push_back(e.kind + std::to_string(e.pt.x) + "," + std::to_string(e.pt.y));
    }
    return out;
}

::testing::AssertionResult IsLaps(const Texts& seen, const Texts& lap, std::size_t laps) {
    for (std::size_t i = 0; i < seen.size(); ++i)
        if (seen[i] != lap[i % lap.size()])
            return ::testing::AssertionFailure() << "event " << i << " is " << seen[i];
    if (seen.size() < laps * lap.size())
        return ::testing::AssertionFailure() << seen.size() << " events, not " << laps << " laps";
    return ::testing::AssertionSuccess();
}

void Mouse(std::initializer_list<std::pair<DWORD, POINT>> events) {
    std::vector<INPUT> inputs;
    const LONGLONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Rounded up, so that the system's truncating conversion lands on this very pixel.
    for (const auto& [button, at] : events)
        inputs.push_back({INPUT_MOUSE,
                          {{static_cast<LONG>((at.x * 65536LL + width - 1) / width),
                            static_cast<LONG>((at.y * 65536LL + height - 1) / height), 0,
                            button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0}}});
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs(keys.size() * 2, INPUT{INPUT_KEYBOARD, {}});
    for (std::size_t i = 0, last = inputs.size() - 1; i < keys.size(); ++i) {
        inputs[i].ki.wVk = inputs[last - i].ki.wVk = keys[i];
        inputs[last - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

std::vector<MouseEvent> MouseHookRecorder::InjectedBeforeMarker() const {
    constexpr POINT MARKER = {7, 3};  // on no path that a test walks
    const int64_t sent = Now();
    Mouse({{0, MARKER}});
    std::vector<MouseEvent> events;
    auto marker = events.end();
    WaitFor([&] {
        events = Injected();
        marker = std::find_if(events.begin(), events.end(), [&](const MouseEvent& e) {
            return e.time > sent && e.pt.x == MARKER.x && e.pt.y == MARKER.y;
        });
        return marker != events.end();
    });
    events.erase(marker, events.end());
    return events;
}

MouseHookRecorder::MouseHookRecorder() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before `ready`
        threadId_ = GetCurrentThreadId();
        // The time stamp is taken here: a late hook thread would make the input look late.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        hookOwner = this;
        hook_ = SetWindowsHookExW(WH_MOUSE_LL, HookProc, GetModuleHandleW(nullptr), 0);
        SetEvent(ready);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        if (hook_) UnhookWindowsHookEx(hook_);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

MouseHookRecorder::~MouseHookRecorder() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

LRESULT CALLBACK MouseHookRecorder::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto& info = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && hookOwner && (info.flags & LLMHF_INJECTED)) {
        const char kind = wParam - WM_MOUSEMOVE < 3 ? "MDU"[wParam - WM_MOUSEMOVE] : '?';
        std::lock_guard<std::mutex> lock(hookOwner->mutex_);
        hookOwner->events_.push_back({kind, info.pt, Now()});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace varrel::testing
