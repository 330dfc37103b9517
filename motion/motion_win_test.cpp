// Tests of the Windows side of the motion: WinPointerOps, and what MotionWorker really injects.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "motion/motion_worker_win.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

std::string Text(long x, long y) { return std::to_string(x) + "," + std::to_string(y); }
std::string MovedTo(WinPointerOps& ops, double x, double y) {
    ops.MoveTo(x, y);
    POINT p{};
    GetCursorPos(&p);
    return Text(p.x, p.y);
}

class WinPointerOpsTest : public ::testing::Test {
  protected:
    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
};

// Every pixel of a row and a column is hit, also with the screen spanned as the virtual desktop.
// The area is read at every segment: the second one's is half the screen, where pixel 100 spans the
// screen's 200 and 201 and the middle is taken. Buttons act at their point whatever the mouse did.
TEST_F(WinPointerOpsTest, EveryPixelIsHitInTheAreaReadAtEachSegmentAndButtonsActAtTheirPoint) {
    const ScreenArea primary = SystemScreenArea();
    ASSERT_FALSE(primary.virtualDesktop);  // the test display has one monitor
    for (const ScreenArea& area : {primary, ScreenArea{primary.rect, true}}) {
        WinPointerOps ops(stop.Get(), [area] { return area; });
        ops.BeginSegment();
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(MovedTo(ops, x + 0.75, 201.3), Text(x, 201)) << area.virtualDesktop;
        for (int y = 0; y < height; ++y) ASSERT_EQ(MovedTo(ops, 300, y + 0.999), Text(300, y));
    }
    testing::MouseHookRecorder hook;
    int reads = 0;
    WinPointerOps ops(stop.Get(), [&] {
        const int d = ++reads == 2 ? 2 : 1;
        return ScreenArea{{0, 0, width / d, height / d}, false};
    });
    for (const char* expected : {"100,100", "201,201", "100,100"}) {
        ops.BeginSegment();
        EXPECT_EQ(MovedTo(ops, 100.5, 100.5), expected) << "segment " << reads;
    }
    ops.PressLeft(300, 200);
    SetCursorPos(50, 60);
    ops.ReleaseLeft(300, 200);
    EXPECT_EQ(testing::EventTexts(hook.Injected()),
              (testing::Texts{"M100,100", "M201,201", "M100,100", "D300,200", "U300,200"}));
}

// N pauses of 20 ms end no sooner than N x 20 ms, and on average no more than a quarter later:
// pauses of a plain 15.6 ms timer tick (31 ms for 20) must fail, a loaded machine not. The stop
// then cuts a pause short and ends every later one.
TEST_F(WinPointerOpsTest, PausesLastAsLongAsAskedWithoutDriftUntilTheStop) {
    WinPointerOps ops(stop.Get());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(ops.Sleep(20));
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
    EXPECT_GE(ms.count(), 50 * 20);
    EXPECT_LE(ms.count(), 50 * 20 * 1.25);
    std::thread stopper([this] {
        ::Sleep(30);
        SetEvent(stop.Get());
    });
    EXPECT_FALSE(ops.Sleep(1 << 30));
    stopper.join();
    EXPECT_FALSE(ops.Sleep(20));
    EXPECT_FALSE(ops.Sleep(0));
}

using namespace testing;

class MotionWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(hook.Installed()); }
    // The events once End has returned, when nothing more comes before a marker injected after.
    Texts TextsAfterEnd() {
        const std::size_t seen = hook.Injected().size();
        const std::vector<MouseEvent> events = hook.InjectedBeforeMarker();
        EXPECT_EQ(events.size(), seen) << "an event came after End returned";
        return EventTexts(events);
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

// Where input cannot reach the window under a click (the one place that asks the system says so),
// the run tells it once for that point, and goes on clicking.
TEST_F(MotionWorkerTest, AClickThatCannotLandIsToldOncePerPointAndRun) {
    VectorPointList list({"100,100,C", "102,100,C"});
    RunSettings settings;
    settings.reaches = [](POINT at) { return at.x != 102; };
    MotionWorker worker;
    ASSERT_TRUE(worker.Start(list, run, settings));
    ASSERT_TRUE(hook.WaitForTexts(3 * 8)) << "three laps";
    worker.End();
    const std::vector<RunNotice> news = worker.TakeNews();
    ASSERT_EQ(news.size(), 1u);
    EXPECT_EQ(news[0].kind, RunNotice::Kind::CannotReach);
    EXPECT_EQ(news[0].index, 1);
    EXPECT_EQ(news[0].at, (ScreenPoint{102, 100}));
    const Texts seen = TextsAfterEnd();
    EXPECT_GE(std::count(seen.begin(), seen.end(), "D102,100"), 2) << "the clicks go on";
}

// A busy wait anywhere would take a whole core; a run takes a few percent at most.
TEST_F(MotionWorkerTest, IdleAndRunningRunsLeaveTheProcessorAlone) {
    const auto cpuSeconds = [] {  // kernel and user time of all threads
        FILETIME t[4];
        GetProcessTimes(GetCurrentProcess(), &t[0], &t[1], &t[2], &t[3]);
        const uint64_t high = uint64_t{t[2].dwHighDateTime} + t[3].dwHighDateTime;
        return ((high << 32) + t[2].dwLowDateTime + t[3].dwLowDateTime) / 1e7;
    };
    // Nothing to send (as none or still points: the native tests), then a run.
    const Texts lists[] = {{"200,200"}, {"100,300", "400,300"}};
    for (const Texts& entries : lists) {
        hook.Clear();
        VectorPointList list(entries);
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        const double before = cpuSeconds();
        Sleep(2000);
        EXPECT_LT(cpuSeconds() - before, 0.2)
            << "seconds of processor in 2 s, list " << &entries - lists;
        worker.End();
        EXPECT_EQ(hook.Injected().empty(), entries != lists[1]);
        run.Release();
    }
}

}  // namespace
}  // namespace varrel
