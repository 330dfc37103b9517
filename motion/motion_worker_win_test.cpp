// Tests of MotionWorker: what is really injected, recorded by a low-level mouse hook.
#include "motion/motion_worker_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "tests/support/mouse_hook_recorder_win.h"
#include "tests/support/vector_point_list.h"
#include "ui/list_box_point_list_win.h"

namespace varrel {
namespace {

using testing::MouseEvent;
using testing::MouseHookRecorder;

constexpr DWORD PATIENCE_MS = 20000;  // only a hang runs into this

std::string Text(const MouseEvent& e) {
    const char* kind = e.kind == MouseEvent::Move       ? "M"
                       : e.kind == MouseEvent::LeftDown ? "D"
                       : e.kind == MouseEvent::LeftUp   ? "U"
                                                        : "?";
    return kind + std::to_string(e.pt.x) + "," + std::to_string(e.pt.y);
}

// The injected events as text, without the moves that button events carry.
std::vector<std::string> Seen(const MouseHookRecorder& hook) {
    std::vector<std::string> out;
    for (const MouseEvent& e : testing::WithoutMovesIntoButtons(hook.Injected()))
        out.push_back(Text(e));
    return out;
}

// Waits until the hook has seen at least n events (see Seen) or the patience runs out.
bool SeenAtLeast(const MouseHookRecorder& hook, std::size_t n) {
    const ULONGLONG until = GetTickCount64() + PATIENCE_MS;
    while (Seen(hook).size() < n) {
        if (GetTickCount64() > until) return false;
        Sleep(2);
    }
    return true;
}

// seen must be lap, over and over, for at least `laps` laps, cut anywhere after that.
void ExpectLaps(const std::vector<std::string>& seen, const std::vector<std::string>& lap,
                std::size_t laps) {
    ASSERT_GE(seen.size(), laps * lap.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], lap[i % lap.size()]) << "event " << i;
}

// The first button event of a fresh Wine session can stall for seconds, long enough for the
// system to pass it by the low-level hooks unrecorded. One press and release in a screen corner,
// before any test records, pays that cost up front.
class FirstButtonEventWarmUp : public ::testing::Environment {
  public:
    void SetUp() override {
        mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
};
const ::testing::Environment* const warmUp =
    ::testing::AddGlobalTestEnvironment(new FirstButtonEventWarmUp);

class MotionWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(hook.Installed());
        SetCursorPos(0, 0);
        hook.Clear();
    }
    void TearDown() override { run.Release(); }

    MouseHookRecorder hook;
    RunList run;
};

TEST_F(MotionWorkerTest, TwoEntriesWithAClickOnTheFirstGoBackAndForth) {
    VectorPointList list({"100,100,C", "103,100"});
    const std::vector<std::string> lap = {"D100,100", "U100,100", "M100,100", "M101,100",
                                          "M102,100", "M103,100", "M102,100", "M101,100"};
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run));
    EXPECT_FALSE(worker.Start(list, run));  // one run at a time
    ASSERT_TRUE(SeenAtLeast(hook, 2 * lap.size() + 1));
    worker.End();
    EXPECT_FALSE(worker.Running());
    ExpectLaps(Seen(hook), lap, 2);
    EXPECT_EQ(run.count, 2);
}

TEST_F(MotionWorkerTest, OneEntryWithAClickOnlyClicks) {
    VectorPointList list({"250,250,C"});
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run));
    ASSERT_TRUE(SeenAtLeast(hook, 6));
    worker.End();
    const std::vector<std::string> seen = Seen(hook);
    ExpectLaps(seen, {"D250,250", "U250,250"}, 3);
    // Ended wherever it was, the button is not left down.
    EXPECT_EQ(seen.back(), "U250,250");
}

TEST_F(MotionWorkerTest, StopBetweenAPressAndItsReleaseStillReleases) {
    VectorPointList list({"260,240,C"});
    for (int attempt = 0; attempt < 5; ++attempt) {
        hook.Clear();
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        // The worker spends most of its time holding the button: stop right after a press.
        const ULONGLONG until = GetTickCount64() + PATIENCE_MS;
        std::vector<std::string> seen;
        do {
            seen = Seen(hook);
            ASSERT_LT(GetTickCount64(), until);
        } while (seen.empty() || seen.back()[0] != 'D');
        worker.End();
        const std::size_t atEnd = hook.Count();
        seen = Seen(hook);
        ExpectLaps(seen, {"D260,240", "U260,240"}, 0);
        EXPECT_EQ(seen.back(), "U260,240");
        Sleep(60);
        EXPECT_EQ(hook.Count(), atEnd) << "an event came after End returned";
        run.Release();
    }
}

TEST_F(MotionWorkerTest, RunsWithNothingToSendSendNothing) {
    const std::vector<std::vector<std::string>> lists = {{}, {"200,200"}, {"5,5", "5,5,D"}, {"x"}};
    for (const auto& entries : lists) {
        hook.Clear();
        VectorPointList list(entries);
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        Sleep(300);
        worker.End();
        EXPECT_TRUE(hook.Injected().empty()) << entries.size() << " entries";
        run.Release();
    }
}

TEST_F(MotionWorkerTest, StopDuringAPauseEndsTheMoves) {
    VectorPointList list({"100,300", "400,300"});
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run));
    ASSERT_TRUE(SeenAtLeast(hook, 5));
    worker.End();
    const std::vector<std::string> seen = Seen(hook);
    const std::size_t atEnd = hook.Count();
    Sleep(100);
    EXPECT_EQ(hook.Count(), atEnd) << "an event came after End returned";
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], "M" + std::to_string(100 + i) + ",300");
    // Ending a worker that has ended, and a second run with the same worker, both work.
    worker.End();
    run.Release();
    hook.Clear();
    ASSERT_TRUE(worker.Start(list, run));
    ASSERT_TRUE(SeenAtLeast(hook, 1));
    worker.End();
    EXPECT_EQ(Seen(hook).front(), "M100,300");
}

TEST_F(MotionWorkerTest, TheScreenAreaIsReadAgainForEverySegment) {
    // Every other segment the source reports a screen of half the size: the same pixel then
    // means a position twice as far, as the system maps it onto the real screen.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::atomic<int> reads{0};
    MotionWorker worker([&reads, width, height] {
        const bool half = reads++ % 2 == 1;
        return ScreenArea{{0, 0, half ? width / 2 : width, half ? height / 2 : height}, false};
    });
    VectorPointList list({"100,100", "104,100"});
    ASSERT_TRUE(worker.Start(list, run));
    ASSERT_TRUE(SeenAtLeast(hook, 17));
    worker.End();

    auto onScreen = [](int p, int size, int full) {
        return static_cast<int>(static_cast<int64_t>(ToAbsoluteAxis(p, 0, size)) * full / 65536);
    };
    std::vector<std::string> lap;
    for (int x = 100; x < 104; ++x) lap.push_back("M" + std::to_string(x) + ",100");
    for (int x = 104; x > 100; --x)
        lap.push_back("M" + std::to_string(onScreen(x, width / 2, width)) + "," +
                      std::to_string(onScreen(100, height / 2, height)));
    ASSERT_NE(lap[4], "M104,100");
    ExpectLaps(Seen(hook), lap, 2);
}

// A hidden window with a list box, on the test's thread, serving the worker's entry reads.
class ListWindow {
  public:
    ListWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VarrelWorkerTestOwner";
        RegisterClassW(&wc);
        owner = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                              nullptr, wc.hInstance, nullptr);
        listBox = CreateWindowW(L"LISTBOX", L"", WS_CHILD, 0, 0, 100, 100, owner, nullptr,
                                wc.hInstance, nullptr);
    }
    ~ListWindow() {
        DestroyWindow(owner);
        UnregisterClassW(L"VarrelWorkerTestOwner", GetModuleHandleW(nullptr));
    }
    HWND owner = nullptr;
    HWND listBox = nullptr;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_READ_ENTRY) return ListBoxPointList::ServeEntryRead(lParam);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

TEST_F(MotionWorkerTest, StopRightAfterStartWithTenThousandEntriesServedByThisThread) {
    ListWindow window;
    ASSERT_NE(window.listBox, nullptr);
    ListBoxPointList list(window.listBox, window.owner);
    for (int i = 0; i < 10000; ++i)
        list.Append(std::to_string(100 + i % 300) + "," + std::to_string(100 + i / 300));
    ASSERT_EQ(list.Count(), 10000);

    for (DWORD delay : {0, 1, 50}) {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        // This thread serves no message meanwhile: the worker is stuck in its first read.
        Sleep(delay);
        worker.End();
        EXPECT_FALSE(worker.Running());
        // At most the one read in flight was taken after the stop.
        EXPECT_LE(run.count, 1) << "after " << delay << " ms";
        if (run.count == 1) {
            EXPECT_EQ(run.points[0], (ScreenPoint{100, 100}));
        }
        run.Release();
    }
    EXPECT_TRUE(hook.Injected().empty());

    // Ended while this thread serves the reads as they come: what was built is a true prefix.
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run));
    const ULONGLONG until = GetTickCount64() + 30;
    MSG msg;
    while (GetTickCount64() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(0);
    }
    worker.End();
    ASSERT_GE(run.count, 0);
    ASSERT_LE(run.count, 10000);
    for (int i = 0; i < run.count; ++i)
        ASSERT_EQ(run.points[static_cast<std::size_t>(i)],
                  (ScreenPoint{100 + i % 300, 100 + i / 300}));
}

TEST_F(MotionWorkerTest, DestroyingARunningWorkerEndsIt) {
    VectorPointList list({"150,150", "150,160"});
    {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        ASSERT_TRUE(SeenAtLeast(hook, 2));
    }
    const std::size_t atEnd = hook.Count();
    Sleep(100);
    EXPECT_EQ(hook.Count(), atEnd);
}

}  // namespace
}  // namespace varrel
