// Tests of MotionWorker: what is really injected (recorded by a low-level mouse hook), how a run
// ends, the processor it takes, and a stop while it reads a big list served by this thread.
#include "motion/motion_worker_win.h"

#include <gtest/gtest.h>

#include "tests/support/mouse_hook_recorder_win.h"
#include "tests/support/vector_point_list.h"
#include "ui/list_box_point_list_win.h"

namespace varrel {
namespace {

using namespace testing;

class MotionWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(hook.Installed()); }
    // The events once End has returned, when nothing more comes in a few step times.
    Texts TextsAfterEnd() {
        const std::size_t seen = hook.Injected().size();
        Sleep(100);
        EXPECT_EQ(hook.Injected().size(), seen) << "an event came after End returned";
        return EventTexts(hook.Injected());
    }
    const BOOL placed = SetCursorPos(0, 0);  // before the hook starts recording
    MouseHookRecorder hook;
    RunList run;
};

TEST_F(MotionWorkerTest, ExactLapsUntilEndThenNothingAndAStartAgainEndedInAClickStillReleases) {
    VectorPointList list({"100,100,C", "102,100"}), click({"260,240,C"});
    const Texts lap = {"D100,100", "U100,100", "M100,100", "M101,100", "M102,100", "M101,100"};
    {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        EXPECT_FALSE(worker.Start(list, run));  // one run at a time
        ASSERT_TRUE(hook.WaitForTexts(2 * lap.size() + 1));
        worker.End();
        EXPECT_FALSE(worker.Running());
        EXPECT_TRUE(IsLaps(TextsAfterEnd(), lap, 2));
        run.Release();
        hook.Clear();
        ASSERT_TRUE(worker.Start(click, run));  // ended in the hold, right after a press
        ASSERT_TRUE(WaitFor(
            [&] { return hook.Injected().size() > 4 && hook.Injected().back().kind == 'D'; }));
    }  // destroyed while it runs: that ends it too
    const Texts seen = TextsAfterEnd();
    EXPECT_TRUE(IsLaps(seen, {"D260,240", "U260,240"}, 1));
    EXPECT_EQ(seen.back(), "U260,240");
}

// A busy wait anywhere would take a whole core; a run takes a few percent at most.
TEST_F(MotionWorkerTest, IdleAndRunningRunsLeaveTheProcessorAlone) {
    const auto cpuSeconds = [] {  // kernel and user time of all threads
        FILETIME t[4];
        GetProcessTimes(GetCurrentProcess(), &t[0], &t[1], &t[2], &t[3]);
        const uint64_t high = uint64_t{t[2].dwHighDateTime} + t[3].dwHighDateTime;
        return ((high << 32) + t[2].dwLowDateTime + t[3].dwLowDateTime) / 1e7;
    };
    const Texts lists[] = {{}, {"200,200"}, {"5,5", "5,5,D"}, {"100,300", "400,300"}};
    for (const Texts& entries : lists) {
        SCOPED_TRACE(entries.size() == 2 ? entries[1] : std::to_string(entries.size()));
        hook.Clear();
        VectorPointList list(entries);
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        const double before = cpuSeconds();
        Sleep(2000);
        EXPECT_LT(cpuSeconds() - before, 0.2) << "seconds of processor in 2 s";
        worker.End();
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
    HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 9, 9, {}, {}, {}, {});
    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc));
    HWND box = CreateWindowW(L"LISTBOX", L"", WS_CHILD, 0, 0, 9, 9, owner, {}, {}, {});
    ListBoxPointList list(box, owner);
    for (int i = 0; i < 10000; ++i) list.Append(FormatPosition(100 + i % 300, 100 + i / 300));
    // Ended while this thread serves nothing (the worker waits in its first read), then while it
    // serves the reads as they come: what was built is always a true prefix, and nothing is sent.
    for (int serveMs : {0, 0, 1, 30}) {
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        for (const ULONGLONG until = GetTickCount64() + serveMs; GetTickCount64() < until;)
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        worker.End();
        EXPECT_FALSE(worker.Running());
        ASSERT_LE(run.count, serveMs ? 10000 : 1);
        for (int i = 0; i < run.count; ++i)
            ASSERT_EQ(run.points[i], (ScreenPoint{100 + i % 300, 100 + i / 300})) << i;
        run.Release();
    }
    EXPECT_TRUE(hook.Injected().empty());
    DestroyWindow(owner);
}

}  // namespace
}  // namespace varrel
