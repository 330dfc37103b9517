// WinPointerOps: mouse_event with absolute coordinates, and pauses that wait on deadlines.
#include "motion/pointer_ops_win.h"

#include <mmsystem.h>

#include <utility>

#include "win/system_dll_win.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace varrel {

namespace {

constexpr int64_t HUNDRED_NS_PER_SECOND = 10000000;

// winmm is no known DLL: bound at run time from System32, never imported (an import would be
// looked for beside the exe first).
using TimePeriodCall = MMRESULT(WINAPI*)(UINT);
TimePeriodCall TimePeriod(const char* name) {
    return SystemFunction<TimePeriodCall>(L"winmm.dll", name);
}

int64_t CounterFrequency() {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1000;
}

}  // namespace

ScreenArea SystemScreenArea() {
    const DesktopRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const DesktopRect desk{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const bool same = desk.left == primary.left && desk.top == primary.top &&
                      desk.width == primary.width && desk.height == primary.height;
    if (same || desk.width <= 0 || desk.height <= 0) return {primary, false};
    return {desk, true};
}

WinPointerOps::WinPointerOps(HANDLE stopEvent, ScreenAreaSource area)
    : stop_(stopEvent),
      source_(std::move(area)),
      frequency_(CounterFrequency()),
      deadlines_(frequency_) {
    // A default timer tick is ~15.6 ms: far too coarse for 20 ms steps. Systems without
    // high-resolution timers get a 1 ms tick for the length of the run instead.
    timer_.Reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS));
    if (timer_) return;
    const TimePeriodCall begin = TimePeriod("timeBeginPeriod");
    raisedResolution_ = begin && begin(1) == TIMERR_NOERROR;
}

WinPointerOps::~WinPointerOps() {
    if (!raisedResolution_) return;
    if (const TimePeriodCall end = TimePeriod("timeEndPeriod")) end(1);
}

int64_t WinPointerOps::Now() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void WinPointerOps::BeginSegment() {
    area_ = source_ ? source_() : SystemScreenArea();
    haveArea_ = true;
    if (!deadlines_.Started()) deadlines_.Start(Now());
}

void WinPointerOps::Send(DWORD flags, double x, double y) {
    if (!haveArea_) {
        area_ = source_ ? source_() : SystemScreenArea();
        haveArea_ = true;
    }
    const AbsolutePoint a = ToAbsolute(x, y, area_.rect);
    flags |= MOUSEEVENTF_ABSOLUTE;
    if (area_.virtualDesktop) flags |= MOUSEEVENTF_VIRTUALDESK;
    mouse_event(flags, static_cast<DWORD>(a.x), static_cast<DWORD>(a.y), 0, 0);
}

void WinPointerOps::MoveTo(double x, double y) { Send(MOUSEEVENTF_MOVE, x, y); }

void WinPointerOps::PressLeft(int32_t x, int32_t y) {
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, x, y);
}

void WinPointerOps::ReleaseLeft(int32_t x, int32_t y) {
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, x, y);
}

bool WinPointerOps::Sleep(int ms) { return WaitUntil(deadlines_.Next(ms, Now())); }

bool WinPointerOps::Hold(int ms) { return WaitUntil(deadlines_.Hold(ms, Now())); }

bool WinPointerOps::WaitUntil(int64_t deadline) {
    for (;;) {
        const int64_t remaining = deadline - Now();
        if (remaining <= 0) return WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0;
        if (timer_) {
            LARGE_INTEGER due;  // relative, in 100 ns units
            due.QuadPart = -(remaining * HUNDRED_NS_PER_SECOND / frequency_ + 1);
            if (SetWaitableTimer(timer_.Get(), &due, 0, nullptr, nullptr, FALSE)) {
                HANDLE handles[2] = {stop_, timer_.Get()};
                const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
                if (woke == WAIT_OBJECT_0) return false;
                // The counter decides whether the deadline has come, not the timer.
                if (woke == WAIT_OBJECT_0 + 1) continue;
            }
        }
        const auto ms = static_cast<DWORD>((remaining * 1000 + frequency_ - 1) / frequency_);
        if (WaitForSingleObject(stop_, ms) == WAIT_OBJECT_0) return false;
    }
}

}  // namespace varrel
