// Worker benchmark: pace, jitter, stop latency and CPU of a run, beside a naive Sleep-paced loop.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/clock_win.h"
#include "bench/interval_stats.h"
#include "motion/absolute_coords.h"
#include "motion/motion_worker_win.h"
#include "motion/pointer_ops_win.h"
#include "motion/segment_walk.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using testing::MouseEvent;
using testing::MouseHookRecorder;

constexpr std::size_t STEPS_PER_LAP = 400;  // a 100 x 100 square
constexpr int LAPS = 2;
constexpr double IDEAL_LAP_S = STEPS_PER_LAP * STEP_DELAY_MS / 1000.0;
const std::vector<std::string> SQUARE = {"100,100", "200,100", "200,200", "100,200"};

using bench::Counter;
using bench::Seconds;

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}

struct Figures {
    double laps[LAPS] = {};
    double p50 = 0, p99 = 0, max = 0;  // step interval, ms
    double stopMs = 0;
    double cpuPerSecond = 0;
    bool complete = false;
};

// Times of the injected moves the hook saw.
std::vector<int64_t> MoveTimes(const MouseHookRecorder& hook) {
    std::vector<int64_t> out;
    for (const MouseEvent& e : hook.Injected())
        if (e.kind == MouseEvent::Move) out.push_back(e.time);
    return out;
}

// Runs start(), waits for two laps and the first step of a third, then end(); the stop latency
// is the time end() takes.
Figures Measure(MouseHookRecorder& hook, const std::function<void()>& start,
                const std::function<void()>& end) {
    SetCursorPos(0, 0);
    Sleep(100);
    hook.Clear();
    const double cpu0 = ProcessCpuSeconds();
    const int64_t t0 = Counter();
    start();
    const std::size_t wanted = LAPS * STEPS_PER_LAP + 1;
    const ULONGLONG until = GetTickCount64() + 60000;
    while (MoveTimes(hook).size() < wanted && GetTickCount64() < until) Sleep(50);
    const int64_t asked = Counter();
    end();
    const int64_t ended = Counter();
    const double cpu1 = ProcessCpuSeconds();

    Figures f;
    const std::vector<int64_t> t = MoveTimes(hook);
    f.stopMs = Seconds(ended - asked) * 1000;
    f.cpuPerSecond = (cpu1 - cpu0) / Seconds(ended - t0);
    if (t.size() < wanted) return f;
    f.complete = true;
    for (int lap = 0; lap < LAPS; ++lap)
        f.laps[lap] = Seconds(t[(lap + 1) * STEPS_PER_LAP] - t[lap * STEPS_PER_LAP]);
    std::vector<double> steps;
    for (std::size_t i = 0; i + 1 < wanted; ++i) steps.push_back(Seconds(t[i + 1] - t[i]) * 1000);
    const bench::IntervalStats s = bench::Percentiles(steps);
    f.p50 = s.p50;
    f.p99 = s.p99;
    f.max = s.max;
    return f;
}

// CPU seconds per second of a run of a few seconds, with no hook in the process.
double CpuWithoutHook(const std::function<void()>& start, const std::function<void()>& end) {
    const double cpu0 = ProcessCpuSeconds();
    const int64_t t0 = Counter();
    start();
    Sleep(8000);
    end();
    return (ProcessCpuSeconds() - cpu0) / Seconds(Counter() - t0);
}

// The naive way: mouse_event, then a plain Sleep, and the thread killed to stop it.
class NaiveOps : public PointerOps {
  public:
    void MoveTo(double x, double y) override { Send(MOUSEEVENTF_MOVE, x, y); }
    void PressLeft(int32_t x, int32_t y) override { Send(MOUSEEVENTF_LEFTDOWN, x, y); }
    void ReleaseLeft(int32_t x, int32_t y) override { Send(MOUSEEVENTF_LEFTUP, x, y); }
    bool Sleep(int ms) override {
        ::Sleep(static_cast<DWORD>(ms));
        return true;
    }

  private:
    static void Send(DWORD flags, double x, double y) {
        const DesktopRect screen{0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN)};
        const AbsolutePoint a = ToAbsolute(x, y, screen);
        mouse_event(flags | MOUSEEVENTF_ABSOLUTE, static_cast<DWORD>(a.x), static_cast<DWORD>(a.y),
                    0, 0);
    }
};

DWORD WINAPI NaiveLoop(LPVOID param) {
    const RunList& run = *static_cast<const RunList*>(param);
    NaiveOps ops;
    for (int32_t i = 0;; i = (i + 1) % run.count) {
        const auto at = static_cast<std::size_t>(i);
        WalkSegment(run.points[at], run.points[(at + 1) % run.points.size()], run.actions[at], ops);
    }
}

std::string Format(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.resize(text.size() - 1);
    return text;
}

void Row(const std::string& name, const char* target, const char* format, double worker,
         double naive) {
    std::printf("| %s | %s | %s | %s | %s |\n", name.c_str(), target,
                Format(format, worker).c_str(), Format(format, naive).c_str(),
                Format("%.2f", naive > 0 ? worker / naive : 0.0).c_str());
}

// The two runs to compare, each started and ended its own way.
struct Contender {
    std::function<void()> start;
    std::function<void()> end;
};

int Main() {
    VectorPointList square(SQUARE);
    RunList run;
    MotionWorker worker;
    HANDLE naive = nullptr;
    const Contender ours{[&] { worker.Start(square, run); },
                         [&] {
                             worker.End();
                             run.Release();
                         }};
    const Contender baseline{[&] {
                                 BuildRunList(square, run);
                                 naive = CreateThread(nullptr, 0, NaiveLoop, &run, 0, nullptr);
                             },
                             [&] {
                                 // The baseline's way; the worker is asked instead.
                                 TerminateThread(naive, 0);
                                 WaitForSingleObject(naive, INFINITE);
                                 CloseHandle(naive);
                                 run.Release();
                             }};

    Figures w, n;
    {
        MouseHookRecorder hook;
        if (!hook.Installed()) {
            std::printf("the low-level mouse hook could not be installed\n");
            return 1;
        }
        w = Measure(hook, ours.start, ours.end);
        n = Measure(hook, baseline.start, baseline.end);
    }
    const double wCpu = CpuWithoutHook(ours.start, ours.end);
    const double nCpu = CpuWithoutHook(baseline.start, baseline.end);

    UniqueHandle probe(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const bool highResolution = WinPointerOps(probe.Get()).HighResolutionTimer();
    std::printf(
        "Square of 100 x 100 pixels, %zu steps a lap of %d ms, %d laps; the worker's pauses "
        "use %s.\n\n",
        STEPS_PER_LAP, STEP_DELAY_MS, LAPS,
        highResolution ? "a high-resolution waitable timer" : "a 1 ms timer resolution");
    if (!w.complete || !n.complete) {
        std::printf("a run did not complete two laps within a minute\n");
        return 1;
    }
    std::printf("| figure | target | worker | naive baseline | worker / baseline |\n");
    std::printf("|---|---|---|---|---|\n");
    for (int lap = 0; lap < LAPS; ++lap)
        Row("lap " + std::to_string(lap + 1) + " / ideal 8.0 s", "1.000 ± 0.005", "%.4f",
            w.laps[lap] / IDEAL_LAP_S, n.laps[lap] / IDEAL_LAP_S);
    Row("step interval p50 (ms)", "20", "%.2f", w.p50, n.p50);
    Row("step interval p99 (ms)", "≤ 22", "%.2f", w.p99, n.p99);
    Row("step interval max (ms)", "", "%.2f", w.max, n.max);
    Row("stop latency (ms)", "< 50", "%.2f", w.stopMs, n.stopMs);
    Row("CPU s per s of run, hook recording", "", "%.4f", w.cpuPerSecond, n.cpuPerSecond);
    Row("CPU s per s of run, no hook (8 s)", "< 0.01", "%.4f", wCpu, nCpu);
    return 0;
}

}  // namespace
}  // namespace varrel

int main() { return varrel::Main(); }
