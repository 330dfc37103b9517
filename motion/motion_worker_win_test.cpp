// Tests of MotionWorker: what is really injected (recorded by a low-level mouse hook), how a run
// ends, the processor it takes, and a stop while it reads a big list served by this thread.
#include "motion/motion_worker_win.h"

#include <gtest/gtest.h>

#include "tests/support/mouse_hook_recorder_win.h"
#include "tests/support/vector_point_list.h"
#include "ui/list_box_point_list_win.h"

namespace varrel {
namespace {

using testing::EventTexts;
using testing::IsLaps;
using testing::Texts;

// Processor time of this process (all its threads), in seconds.
double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

class MotionWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(hook.Installed());
        SetCursorPos(0, 0);
        hook.Clear();
    }
    // After End, nothing more comes (a few step times are given for a late event to show).
    void ExpectNothingMore() {
        const std::size_t seen = hook.Injected().size();
        Sleep(100);
        EXPECT_EQ(hook.Injected().size(), seen) << "an event came after End returned";
    }
    testing::MouseHookRecorder hook;
    RunList run;
};

TEST_F(MotionWorkerTest, ExactLapsUntilEndThenNothingAndTheWorkerStartsAgain) {
    VectorPointList list({"100,100,C", "103,100"});
    const Texts lap = {"D100,100", "U100,100", "M100,100", "M101,100",
                       "M102,100", "M103,100", "M102,100", "M101,100"};
    {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        EXPECT_FALSE(worker.Start(list, run));  // one run at a time
        ASSERT_TRUE(hook.WaitForTexts(2 * lap.size() + 1));
        worker.End();
        EXPECT_FALSE(worker.Running());
        ExpectNothingMore();
        EXPECT_TRUE(IsLaps(EventTexts(hook.Injected()), lap, 2));
        run.Release();
        hook.Clear();
        ASSERT_TRUE(worker.Start(list, run));
        ASSERT_TRUE(hook.WaitForTexts(3));
    }  // destroyed while it runs: that ends it too
    ExpectNothingMore();
    EXPECT_TRUE(IsLaps(EventTexts(hook.Injected()), lap, 0));
}

TEST_F(MotionWorkerTest, EndBetweenAPressAndItsReleaseStillReleases) {
    VectorPointList list({"260,240,C"});
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run));
    // The worker spends most of its time holding the button: end it right after a press.
    ASSERT_TRUE(testing::WaitFor([&] {
        const Texts seen = EventTexts(hook.Injected());
        return seen.size() > 2 && seen.back()[0] == 'D';
    }));
    worker.End();
    ExpectNothingMore();
    const Texts seen = EventTexts(hook.Injected());
    EXPECT_TRUE(IsLaps(seen, {"D260,240", "U260,240"}, 1));
    EXPECT_EQ(seen.back(), "U260,240");
}

// A busy wait anywhere would take a whole core; a run takes a few percent at most.
TEST_F(MotionWorkerTest, IdleAndRunningRunsLeaveTheProcessorAlone) {
    const Texts lists[] = {{}, {"200,200"}, {"5,5", "5,5,D"}, {"100,300", "400,300"}};
    for (const Texts& entries : lists) {
        SCOPED_TRACE(entries.size() == 2 ? entries[1] : std::to_string(entries.size()));
        hook.Clear();
        VectorPointList list(entries);
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        const double before = ProcessCpuSeconds();
        Sleep(2000);
        const double used = ProcessCpuSeconds() - before;
        worker.End();
        EXPECT_LT(used, 0.2) << "seconds of processor in 2 s";
        EXPECT_EQ(hook.Injected().empty(), entries != lists[3]);
        run.Release();
    }
}

// A hidden list box of this thread, whose owner serves the worker's entry reads.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_READ_ENTRY) return ListBoxPointList::ServeEntryRead(lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MotionWorkerTest, EndWhileTheWorkerReadsTenThousandEntriesFromThisThread) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = L"VarrelWorkerTestOwner";
    RegisterClassW(&wc);
    HWND owner =
        CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    HWND box =
        CreateWindowW(L"LISTBOX", L"", WS_CHILD, 0, 0, 9, 9, owner, nullptr, nullptr, nullptr);
    ListBoxPointList list(box, owner);
    for (int i = 0; i < 10000; ++i) list.Append(FormatPosition(100 + i % 300, 100 + i / 300));
    // Ended while this thread serves nothing (the worker waits in its first read), then while it
    // serves the reads as they come: what was built is always a true prefix, and nothing is sent.
    for (int serveMs : {0, 0, 1, 30}) {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        const ULONGLONG until = GetTickCount64() + serveMs;
        MSG msg;
        while (GetTickCount64() < until)
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        worker.End();
        EXPECT_FALSE(worker.Running());
        ASSERT_LE(run.count, serveMs ? 10000 : 1);
        for (int i = 0; i < run.count; ++i)
            ASSERT_EQ(run.points[static_cast<std::size_t>(i)],
                      (ScreenPoint{100 + i % 300, 100 + i / 300}));
        run.Release();
    }
    EXPECT_TRUE(hook.Injected().empty());
    DestroyWindow(owner);
    UnregisterClassW(wc.lpszClassName, nullptr);
}

}  // namespace
}  // namespace varrel
