// End-to-end benchmark: the real varrel.exe driven through its window, beside a naive baseline.
// psapi.h needs the types of windows.h before it.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/clock_win.h"
#include "bench/interval_stats.h"
#include "resources/resource.h"
#include "tests/e2e/driver_win.h"
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel::e2e {
namespace {

using testing::MouseEvent;
using testing::MouseHookRecorder;

constexpr std::size_t STEPS_PER_LAP = 400;  // a 100 x 100 square, one pixel a step
constexpr int LAPS = 2;
constexpr double IDEAL_LAP_S = 8.0;
constexpr RECT SQUARE_BOX = {600, 400, 700, 500};  // both programs walk this square
constexpr char SQUARE_POINTS[] = "600,400 700,400 700,500 600,500";
constexpr DWORD IDLE_MEASURE_MS = 5000;
constexpr DWORD AFTER_STOP_WATCH_MS = 1000;
constexpr double CLOCK_TICKS_PER_S = 100;  // Linux USER_HZ, the unit of /proc/N/stat times
constexpr int BASELINE_START = 1;
constexpr int BASELINE_STOP = 2;

using bench::Counter;
using bench::Seconds;

bool OnSquare(const MouseEvent& e) {
    return e.injected && e.kind == MouseEvent::Move && e.pt.x >= SQUARE_BOX.left &&
           e.pt.x <= SQUARE_BOX.right && e.pt.y >= SQUARE_BOX.top && e.pt.y <= SQUARE_BOX.bottom;
}

// The Unix process that runs the Windows program whose command line holds marker: the kernel's
// own account of its CPU time checks what Wine's GetProcessTimes reports.
std::optional<std::string> UnixProcessOf(const std::string& marker) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> match;
    do {
        const std::string name = found.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::optional<std::string> commandLine =
            ReadWholeFile("Z:\\proc\\" + name + "\\cmdline");
        if (commandLine && commandLine->find(marker) != std::string::npos) match = name;
    } while (!match && FindNextFileA(search, &found));
    FindClose(search);
    return match;
}

// User plus system CPU seconds of a Unix process so far.
std::optional<double> CpuSeconds(const std::optional<std::string>& unixPid) {
    if (!unixPid) return std::nullopt;
    const std::optional<std::string> stat = ReadWholeFile("Z:\\proc\\" + *unixPid + "\\stat");
    if (!stat) return std::nullopt;
    const std::size_t close = stat->rfind(')');  // the name may hold spaces
    if (close == std::string::npos) return std::nullopt;
    std::vector<std::string> fields;
    std::size_t pos = close + 2;
    while (pos < stat->size()) {
        const std::size_t end = std::min(stat->find(' ', pos), stat->size());
        fields.push_back(stat->substr(pos, end - pos));
        pos = end + 1;
    }
    // After the name: state is field 3 of stat(5), utime 14 and stime 15.
    if (fields.size() < 13) return std::nullopt;
    return (std::stod(fields[11]) + std::stod(fields[12])) / CLOCK_TICKS_PER_S;
}

struct Memory {
    double workingSetMb = 0;
    double privateMb = 0;
};

std::optional<Memory> MemoryOf(DWORD processId) {
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) {
        return std::nullopt;
    }
    return Memory{counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

// User plus kernel CPU seconds of another process so far, -1 when it cannot be read.
double ProcessTimesSeconds(DWORD processId) {
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return -1;
    auto s = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}

double FileMegabytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1048576.0;
}

// CPU share of a core over a wait of ms, as GetProcessTimes tells it (-1 when it cannot).
double CpuShareOver(DWORD processId, DWORD ms) {
    const double before = ProcessTimesSeconds(processId);
    const int64_t t0 = Counter();
    Sleep(ms);
    const double after = ProcessTimesSeconds(processId);
    if (before < 0 || after < 0) return -1;
    return (after - before) / Seconds(Counter() - t0);
}

struct Figures {
    bool complete = false;
    double windowShownMs = 0;
    double laps[LAPS] = {};
    double p50 = 0, p99 = 0, max = 0;
    double stopMs = 0;         // Stop click to the last event on the square
    double stopShownMs = 0;    // Stop click to the program showing it has stopped
    int eventsAfterStop = 0;   // events on the square after the program showed it stopped
    double cpuRunning = -1;    // share of a core over the two laps
    double cpuIdleEmpty = -1;  // idle, empty list (baseline: before Start)
    double cpuIdleOneEntry = -1;
    double procRunning = -1;  // the same from /proc/N/stat, as a check
    std::optional<Memory> memory;
    double exeMb = 0;
};

// One program under measurement: how to click its Start and Stop and tell that it stopped.
struct Contender {
    std::function<void()> clickStart;
    std::function<void()> clickStop;
    std::function<bool()> showsStopped;
    DWORD processId;
    std::optional<std::string> unixPid;
};

// Two laps and the first step of a third, then Stop; pace, jitter, stop and CPU from the hook.
void MeasureRun(MouseHookRecorder& hook, const Contender& c, Figures& f) {
    hook.Clear();
    const std::optional<double> cpu0 = CpuSeconds(c.unixPid);
    const double times0 = ProcessTimesSeconds(c.processId);
    const int64_t t0 = Counter();
    c.clickStart();
    auto onSquare = [&hook] {
        std::vector<int64_t> t;
        for (const MouseEvent& e : hook.Snapshot())
            if (OnSquare(e)) t.push_back(e.time);
        return t;
    };
    const std::size_t wanted = LAPS * STEPS_PER_LAP + 1;
    WaitFor([&] { return onSquare().size() >= wanted; }, 60000);
    const std::optional<double> cpu1 = CpuSeconds(c.unixPid);
    const double times1 = ProcessTimesSeconds(c.processId);
    const int64_t t1 = Counter();
    f.memory = MemoryOf(c.processId);

    const int64_t stopClick = Counter();
    c.clickStop();
    const bool stopped = WaitFor(c.showsStopped, 5000);
    const int64_t stopShown = Counter();
    Sleep(AFTER_STOP_WATCH_MS);

    const std::vector<int64_t> t = onSquare();
    if (cpu0 && cpu1) f.procRunning = (*cpu1 - *cpu0) / Seconds(t1 - t0);
    if (times0 >= 0 && times1 >= 0) f.cpuRunning = (times1 - times0) / Seconds(t1 - t0);
    f.stopShownMs = Seconds(stopShown - stopClick) * 1000;
    f.eventsAfterStop = static_cast<int>(
        std::count_if(t.begin(), t.end(), [&](int64_t at) { return at > stopShown; }));
    f.stopMs = t.empty() ? 0 : std::max(0.0, Seconds(t.back() - stopClick) * 1000);
    if (t.size() < wanted || !stopped) return;
    f.complete = true;
    for (int lap = 0; lap < LAPS; ++lap)
        f.laps[lap] = Seconds(t[(lap + 1) * STEPS_PER_LAP] - t[lap * STEPS_PER_LAP]);
    std::vector<double> steps;
    for (std::size_t i = 0; i + 1 < wanted; ++i) steps.push_back(Seconds(t[i + 1] - t[i]) * 1000);
    const bench::IntervalStats s = bench::Percentiles(steps);
    f.p50 = s.p50;
    f.p99 = s.p99;
    f.max = s.max;
}

std::string ConfigWith(const std::string& point) {
    return "[Main]\r\nPoint=" + point + "\r\nHide=0\r\n";
}

// The last folder and file name of a Windows path: what the Unix command line shows of it.
std::string Tail(const std::string& path) {
    const std::size_t last = path.rfind('\\');
    const std::size_t before = last == std::string::npos ? 0 : path.rfind('\\', last - 1);
    return before == std::string::npos ? path : path.substr(before + 1);
}

// What the Unix command line of a VarrelProcess shows: its scratch folder and exe name.
std::string ExeMarker(const VarrelProcess& app) {
    std::string marker = Tail(app.ConfigPath());
    return marker.substr(0, marker.rfind('\\') + 1) + "varrel.exe";
}

bool VarrelShowsStopped(const VarrelProcess& app) {
    return TextOf(app.MotionControl(IDC_START)) == "&Start";
}

Figures MeasureVarrel(MouseHookRecorder& hook) {
    Figures f;
    f.exeMb = FileMegabytes(VarrelExePath());
    {
        // Idle with an empty list.
        VarrelProcess app(ConfigWith(""));
        if (!app.Start()) return f;
        Sleep(500);
        f.cpuIdleEmpty = CpuShareOver(app.ProcessId(), IDLE_MEASURE_MS);
    }
    {
        // Running on one entry without action: nothing to send, nothing to wait for.
        VarrelProcess app(ConfigWith("600,400"));
        if (!app.Start()) return f;
        app.ClickStart();
        // Measured only once it runs: a click that missed would measure a program at rest.
        if (WaitFor([&] { return !VarrelShowsStopped(app); })) {
            Sleep(500);
            f.cpuIdleOneEntry = CpuShareOver(app.ProcessId(), IDLE_MEASURE_MS);
            app.ClickStart();
            WaitFor([&] { return VarrelShowsStopped(app); });
        }
    }
    VarrelProcess app(ConfigWith(SQUARE_POINTS));
    const int64_t started = Counter();
    if (!app.Start()) return f;
    f.windowShownMs = Seconds(Counter() - started) * 1000;
    app.Settle();
    app.MoveMainWindowTo({20, 20});  // clear of the square
    app.Settle();
    // Pinned clicks: the pointer the program moves cannot shift where the Stop click lands.
    const Contender varrel{[&] { PinnedClickAt(CentreOf(app.MotionControl(IDC_START))); },
                           [&] {
                               app.Settle();
                               PinnedClickAt(CentreOf(app.MotionControl(IDC_START)));
                           },
                           [&] { return VarrelShowsStopped(app); }, app.ProcessId(),
                           UnixProcessOf(ExeMarker(app))};
    MeasureRun(hook, varrel, f);
    return f;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchBaseline(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

Figures MeasureBaseline(MouseHookRecorder& hook) {
    Figures f;
    const std::string source = BASELINE_EXE_PATH;
    f.exeMb = FileMegabytes(source);
    ScratchDir dir;
    const std::string exe = dir.File("baseline.exe");
    CopyFileA(source.c_str(), exe.c_str(), FALSE);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    const int64_t started = Counter();
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.Path().c_str(), &startup, &info)) {
        return f;
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    WindowSearch search{info.dwProcessId, nullptr};
    WaitFor(
        [&] {
            EnumWindows(MatchBaseline, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        START_TIMEOUT_MS);
    if (search.found) {
        f.windowShownMs = Seconds(Counter() - started) * 1000;
        Sync(search.found);
        const std::optional<std::string> unixPid = UnixProcessOf(Tail(exe));
        Sleep(500);
        f.cpuIdleEmpty = CpuShareOver(info.dwProcessId, IDLE_MEASURE_MS);
        HWND window = search.found;
        const Contender baseline{
            [&] { PinnedClickAt(CentreOf(GetDlgItem(window, BASELINE_START))); },
            [&] { PinnedClickAt(CentreOf(GetDlgItem(window, BASELINE_STOP))); },
            // Stop returns once the walk has ended; the window then answers.
            [&] { return Sync(window, 100); }, info.dwProcessId, unixPid};
        MeasureRun(hook, baseline, f);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
    }
    return f;
}

// Start of varrel.exe with a list of 100,000 entries to load.
double HundredThousandStartMs() {
    std::string point;
    for (int i = 0; i < 100000; ++i)
        point += std::to_string(i % 1000) + "," + std::to_string(i / 100) + " ";
    VarrelProcess app(ConfigWith(point));
    const int64_t started = Counter();
    if (!app.Start(120000)) return -1;
    return Seconds(Counter() - started) * 1000;
}

std::string Format(const char* format, double value) {
    if (value < 0) return "n/a";
    const int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, value);
    text.resize(text.size() - 1);
    return text;
}

void Row(const std::string& name, const char* target, const char* format, double ours,
         double baseline, const std::string& verdict) {
    std::printf("| %s | %s | %s | %s | %s | %s |\n", name.c_str(), target,
                Format(format, ours).c_str(), Format(format, baseline).c_str(),
                baseline > 0 && ours >= 0 ? Format("%.2f", ours / baseline).c_str() : "n/a",
                verdict.c_str());
}

const char* Met(bool met) { return met ? "met" : "**missed**"; }

int Main() {
    Figures v, b;
    {
        MouseHookRecorder hook;
        if (!hook.Installed()) {
            std::printf("the low-level mouse hook could not be installed\n");
            return 1;
        }
        v = MeasureVarrel(hook);
        b = MeasureBaseline(hook);
    }
    const double bigStartMs = HundredThousandStartMs();
    if (!v.complete || !b.complete) {
        std::printf("a run did not complete two laps and a stop (varrel %d, baseline %d)\n",
                    v.complete, b.complete);
        return 1;
    }
    std::printf(
        "| figure | target | varrel.exe | naive baseline | varrel / baseline | verdict |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (int lap = 0; lap < LAPS; ++lap) {
        const double ours = v.laps[lap] / IDEAL_LAP_S;
        const double naive = b.laps[lap] / IDEAL_LAP_S;
        Row("lap " + std::to_string(lap + 1) + " / ideal 8.0 s", "1.000 ± 0.005", "%.4f", ours,
            naive, Met(std::fabs(ours - 1) <= 0.005));
        const double ourError = std::fabs(ours - 1);
        const double naiveError = std::fabs(naive - 1);
        Row("lap " + std::to_string(lap + 1) + " error from ideal (%)", "≤ baseline / 5", "%.3f",
            ourError * 100, naiveError * 100, Met(ourError * 5 <= naiveError));
    }
    Row("step interval p50 (ms)", "20", "%.2f", v.p50, b.p50, "");
    Row("step interval p99 (ms)", "≤ 22", "%.2f", v.p99, b.p99, Met(v.p99 <= 22));
    Row("step interval max (ms)", "", "%.2f", v.max, b.max, "");
    Row("stop latency: Stop click to last event (ms)", "< 50", "%.2f", v.stopMs, b.stopMs,
        Met(v.stopMs < 50));
    Row("Stop click to stopped shown (ms)", "", "%.2f", v.stopShownMs, b.stopShownMs, "");
    Row("events after the stop", "0", "%.0f", v.eventsAfterStop, b.eventsAfterStop,
        Met(v.eventsAfterStop == 0));
    Row("CPU share of a core, running (%)", "< 1", "%.2f", v.cpuRunning * 100, b.cpuRunning * 100,
        Met(v.cpuRunning >= 0 && v.cpuRunning < 0.01));
    Row("the same from /proc/N/stat (%)", "", "%.2f", v.procRunning * 100, b.procRunning * 100, "");
    Row("CPU share of a core, idle, empty list (%)", "0", "%.2f", v.cpuIdleEmpty * 100,
        b.cpuIdleEmpty * 100, Met(v.cpuIdleEmpty == 0));
    Row("CPU share of a core, running one entry without action (%)", "0", "%.2f",
        v.cpuIdleOneEntry * 100, -1, Met(v.cpuIdleOneEntry == 0));
    Row("working set, running (MB)", "< 8", "%.2f", v.memory ? v.memory->workingSetMb : -1,
        b.memory ? b.memory->workingSetMb : -1, Met(v.memory && v.memory->workingSetMb < 8));
    Row("private bytes, running (MB)", "", "%.2f", v.memory ? v.memory->privateMb : -1,
        b.memory ? b.memory->privateMb : -1, "");
    Row("process start to window shown (ms)", "< 1000", "%.0f", v.windowShownMs, b.windowShownMs,
        Met(v.windowShownMs < 1000));
    Row("exe size (MB)", "", "%.2f", v.exeMb, b.exeMb, "");
    Row("start with 100,000 entries to window shown (ms)", "", "%.0f", bigStartMs, -1, "");
    std::printf(
        "\nCPU shares are GetProcessTimes (user + kernel) of the program's process over the span; "
        "the /proc row is its Unix process's own account (10 ms ticks). Neither counts the work "
        "Wine's server does for the program. The baseline's idle figure is its window before "
        "Start.\n");
    return 0;
}

}  // namespace
}  // namespace varrel::e2e

int main() { return varrel::e2e::Main(); }
