// Soak run of varrel.exe: Start/Stop cycles and list edits for some minutes, watching for growth.
// psapi.h needs the types of windows.h before it.
// clang-format off
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "win/owned_win.h"

namespace varrel::e2e {
namespace {

using testing::MouseEvent;
using testing::MouseHookRecorder;
using testing::WaitFor;

constexpr RECT SQUARE_BOX = {600, 400, 640, 440};
constexpr char CONFIG[] = "[Main]\r\nPoint=600,400 640,400,C 640,440 600,440\r\nHide=0\r\n";
constexpr DWORD AFTER_STOP_WATCH_MS = 300;
// Allowed drift between the first and the last sample: a few handles and pages come and go.
constexpr long HANDLE_SLACK = 5;
constexpr double MEMORY_SLACK_MB = 1.0;
constexpr char IDLE_CAPTION[] = "&Start";

struct Sample {
    long threads = -1;
    long handles = -1;
    long gdi = -1;
    long user = -1;
    long windows = 0;
    double privateMb = -1;
    double workingSetMb = -1;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<std::pair<DWORD, long>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->first) ++count->second;
    return TRUE;
}

BOOL CALLBACK CountTopAndChildren(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<std::pair<DWORD, long>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->first) {
        ++count->second;
        EnumChildWindows(window, CountWindow, param);
    }
    return TRUE;
}

long ThreadsOf(DWORD processId) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return -1;
    long threads = 0;
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot.Get(), &thread); more;
         more = Thread32Next(snapshot.Get(), &thread))
        if (thread.th32OwnerProcessID == processId) ++threads;
    return threads;
}

Sample Measure(DWORD processId) {
    Sample s;
    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    s.threads = ThreadsOf(processId);
    if (process) {
        DWORD handles = 0;
        if (GetProcessHandleCount(process.Get(), &handles)) s.handles = static_cast<long>(handles);
        s.gdi = static_cast<long>(GetGuiResources(process.Get(), GR_GDIOBJECTS));
        s.user = static_cast<long>(GetGuiResources(process.Get(), GR_USEROBJECTS));
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) {
            s.privateMb = counters.PagefileUsage / 1048576.0;
            s.workingSetMb = counters.WorkingSetSize / 1048576.0;
        }
    }
    std::pair<DWORD, long> windows{processId, 0};
    EnumWindows(CountTopAndChildren, reinterpret_cast<LPARAM>(&windows));
    s.windows = windows.second;
    return s;
}

bool ShowsStopped(const VarrelProcess& app) { return app.StartCaption() == IDLE_CAPTION; }

bool OnSquare(const MouseEvent& e) {
    return e.pt.x >= SQUARE_BOX.left && e.pt.x <= SQUARE_BOX.right && e.pt.y >= SQUARE_BOX.top &&
           e.pt.y <= SQUARE_BOX.bottom;
}

void Print(const char* label, const Sample& s) {
    std::printf(
        "%-6s threads %ld, handles %ld, GDI %ld, USER %ld, windows %ld, private %.2f MB, "
        "working set %.2f MB\n",
        label, s.threads, s.handles, s.gdi, s.user, s.windows, s.privateMb, s.workingSetMb);
}

int Main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::strtod(argv[1], nullptr) : 1.0;
    MouseHookRecorder hook;
    if (!hook.Installed()) {
        std::printf("the low-level mouse hook could not be installed\n");
        return 1;
    }
    VarrelProcess app(std::string{CONFIG});
    if (!app.Start()) {
        std::printf("varrel.exe did not start\n");
        return 1;
    }
    // Clear of the path, whose click entry would otherwise land on the window.
    app.MoveTo({20, 20});
    DWORD processId = 0;
    GetWindowThreadProcessId(app.Main(), &processId);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(minutes * 60000);
    std::minstd_rand random(7);  // the same mix of pauses every soak
    int cycles = 0, edits = 0, saves = 0, eventsAfterStop = 0, failures = 0;
    std::size_t eventsSeen = 0;
    Sample first, last, peak;
    while (GetTickCount64() < end && app.Running()) {
        // One run: Start, a while of walking, Stop, each by the command the button sends (a click
        // can miss on a loaded display, and what is soaked is the program, not the input); then
        // nothing may follow.
        hook.Clear();
        app.PressStart();
        if (!WaitFor([&] { return !ShowsStopped(app); })) ++failures;
        Sleep(static_cast<DWORD>(100 + random() % 900));
        app.PressStart();
        if (!WaitFor([&] { return ShowsStopped(app); })) ++failures;
        const int64_t stopped = testing::Now();
        // The release of a click at a corner may still be on its way out: let the program settle.
        app.Settle();
        Sleep(AFTER_STOP_WATCH_MS);
        for (const MouseEvent& e : hook.Injected()) {
            if (!OnSquare(e)) continue;
            ++eventsSeen;
            if (e.time > stopped) ++eventsAfterStop;
        }
        ++cycles;

        // An edit: add an entry, select it, remove it; the list ends as it was.
        if (app.Add("620,420") && WaitFor([&] { return app.Entries().size() == 5; })) {
            if (!app.Select(4) || !Command(app.Motion(), IDC_REMOVE) ||
                !WaitFor([&] { return app.Entries().size() == 4; }))
                ++failures;
            ++edits;
        } else {
            ++failures;
        }
        // Every fifth cycle a save: to About and back.
        if (cycles % 5 == 0) {
            Command(app.Main(), IDC_TAB_ABOUT);
            if (!WaitFor([&] { return !IsWindowVisible(app.Motion()); })) ++failures;
            Command(app.Main(), IDC_TAB_MOTION);
            if (!WaitFor([&] { return IsWindowVisible(app.Motion()); })) ++failures;
            ++saves;
        }
        app.Settle();
        const Sample now = Measure(processId);
        if (cycles == 1) first = peak = now;
        last = now;
        peak.handles = std::max(peak.handles, now.handles);
        peak.gdi = std::max(peak.gdi, now.gdi);
        peak.user = std::max(peak.user, now.user);
        peak.windows = std::max(peak.windows, now.windows);
        peak.privateMb = std::max(peak.privateMb, now.privateMb);
        peak.workingSetMb = std::max(peak.workingSetMb, now.workingSetMb);
        if (cycles % 20 == 0) {
            std::printf("cycle %d: ", cycles);
            Print("", now);
            std::fflush(stdout);  // NOLINT(cert-err33-c): only a progress line is at stake
        }
    }
    const bool running = app.Running();
    PostCommand(app.Main(), IDC_TAB_CLOSE);
    const bool ended = app.WaitForExit(10000) == 0u;
    const bool fileKept = app.Config() == std::string{CONFIG};

    std::printf(
        "\nSoak of %.1f min: %d Start/Stop cycles (%zu injected events on the path), %d "
        "add/remove edits, %d saves, %d gestures that did not take effect.\n",
        minutes, cycles, eventsSeen, edits, saves, failures);
    Print("first", first);
    Print("last", last);
    Print("peak", peak);
    const bool flat =
        last.threads == first.threads && last.handles - first.handles <= HANDLE_SLACK &&
        last.gdi - first.gdi <= HANDLE_SLACK && last.user - first.user <= HANDLE_SLACK &&
        last.windows == first.windows && last.privateMb - first.privateMb <= MEMORY_SLACK_MB;
    std::printf("events after a stop: %d\n", eventsAfterStop);
    std::printf(
        "(Wine reads another process's handle, GDI and USER counts as 0: the thread and "
        "window counts and the memory are the figures that mean something here.)\n");
    std::printf("counts and memory flat (within %ld objects, %.1f MB): %s\n", HANDLE_SLACK,
                MEMORY_SLACK_MB, flat ? "yes" : "NO");
    std::printf(
        "running to the end, then Close ended it with code 0: %s; settings file as it "
        "was: %s\n",
        running && ended ? "yes" : "NO", fileKept ? "yes" : "NO");
    const bool ok = flat && eventsAfterStop == 0 && failures == 0 && running && ended && fileKept;
    std::printf("%s\n", ok ? "SOAK PASSED" : "SOAK FAILED");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace varrel::e2e

int main(int argc, char** argv) { return varrel::e2e::Main(argc, argv); }
