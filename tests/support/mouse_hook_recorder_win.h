// MouseHookRecorder: records every mouse event the system sees, with a low-level mouse hook.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace varrel::testing {

struct MouseEvent {
    enum Kind { Move, LeftDown, LeftUp, Other } kind;
    UINT message;   // WM_MOUSEMOVE, WM_LBUTTONDOWN, …
    POINT pt;       // screen pixels, as the system placed the pointer
    bool injected;  // LLMHF_INJECTED: sent by a program (any process), not by a device
    int64_t time;   // QueryPerformanceCounter when the hook saw it
};

// Drops each move that is directly followed by a button event at the same point: the move that a
// button event carrying MOUSEEVENTF_MOVE produces (the system reports it only when the pointer was
// elsewhere).
std::vector<MouseEvent> WithoutMovesIntoButtons(const std::vector<MouseEvent>& events);

// A thread of its own installs a WH_MOUSE_LL hook and pumps messages for it, so the events are
// recorded while the creating thread does anything, even blocks. The hook is system-wide: it sees
// the input that other processes inject too. Construct it before the input to record starts;
// destroying it removes the hook and joins the thread.
class MouseHookRecorder {
  public:
    MouseHookRecorder();
    ~MouseHookRecorder();
    MouseHookRecorder(const MouseHookRecorder&) = delete;
    MouseHookRecorder& operator=(const MouseHookRecorder&) = delete;

    // False when the hook could not be installed (nothing will be recorded).
    bool Installed() const { return hook_ != nullptr; }

    // A copy of the events so far, oldest first.
    std::vector<MouseEvent> Snapshot() const;
    // Only the injected ones.
    std::vector<MouseEvent> Injected() const;
    std::size_t Count() const;
    void Clear();

    // Waits until at least n events with the flag injected have been recorded, or timeoutMs has
    // passed; returns whether they have.
    bool WaitForInjected(std::size_t n, DWORD timeoutMs) const;

  private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    void Pump(HANDLE ready);
    void Record(WPARAM message, const MSLLHOOKSTRUCT& info);

    mutable std::mutex mutex_;
    std::vector<MouseEvent> events_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HHOOK hook_ = nullptr;
};

}  // namespace varrel::testing
