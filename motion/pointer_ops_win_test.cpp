// Tests of WinPointerOps under the real input system: where the pointer lands, what a hook sees,
// and how long pauses last.
#include "motion/pointer_ops_win.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>

#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel {
namespace {

using testing::EventTexts;

POINT Cursor() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

class WinPointerOpsTest : public ::testing::Test {
  protected:
    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
};

TEST_F(WinPointerOpsTest, EveryPixelOfARowAndAColumnIsHitAndOutsideGoesToTheEdge) {
    const ScreenArea primary = SystemScreenArea();
    ASSERT_FALSE(primary.virtualDesktop);  // the test display has one monitor
    // The same screen spanned as the virtual desktop must give the same pixels.
    for (const ScreenArea& area : {primary, ScreenArea{primary.rect, true}}) {
        SCOPED_TRACE(area.virtualDesktop ? "virtual desktop" : "primary screen");
        WinPointerOps ops(stop.Get(), [area] { return area; });
        ops.BeginSegment();
        const int row = height / 2 + 1, column = width / 3;
        for (int x = 0; x < width; ++x) {
            ops.MoveTo(x + 0.75, row + 0.3);
            ASSERT_EQ(Cursor().x, x);
            ASSERT_EQ(Cursor().y, row);
        }
        for (int y = 0; y < height; ++y) {
            ops.MoveTo(column, y + 0.999);
            ASSERT_EQ(Cursor().x, column);
            ASSERT_EQ(Cursor().y, y);
        }
        ops.MoveTo(-40.5, height + 1e7);
        EXPECT_EQ(Cursor().x, 0);
        EXPECT_EQ(Cursor().y, height - 1);
        ops.MoveTo(width, -1);
        EXPECT_EQ(Cursor().x, width - 1);
        EXPECT_EQ(Cursor().y, 0);
    }
}

TEST_F(WinPointerOpsTest, ButtonsActAtTheirPointEvenAfterTheUserMovedTheMouse) {
    testing::MouseHookRecorder hook;
    ASSERT_TRUE(hook.Installed());
    WinPointerOps ops(stop.Get());
    ops.BeginSegment();
    ops.MoveTo(10, 10);
    ops.PressLeft(300, 200);
    SetCursorPos(50, 60);
    ops.ReleaseLeft(300, 200);
    EXPECT_EQ(Cursor().x, 300);
    EXPECT_EQ(Cursor().y, 200);
    EXPECT_EQ(EventTexts(hook.Injected()),
              (std::vector<std::string>{"M10,10", "D300,200", "U300,200"}));
}

TEST_F(WinPointerOpsTest, TheScreenAreaIsReadAgainAtEverySegment) {
    int reads = 0;
    // The second segment reports a screen of half the size: the same pixel then lies twice as far.
    WinPointerOps ops(stop.Get(), [&] {
        const int d = ++reads == 2 ? 2 : 1;
        return ScreenArea{{0, 0, width / d, height / d}, false};
    });
    const POINT expected[] = {{100, 100}, {200, 200}, {100, 100}};
    for (POINT e : expected) {
        ops.BeginSegment();
        ops.MoveTo(100, 100);
        EXPECT_NEAR(Cursor().x, e.x, 1) << "segment " << reads;
        EXPECT_NEAR(Cursor().y, e.y, 1) << "segment " << reads;
    }
}

// N pauses of 20 ms end no sooner than N x 20 ms, and on average no more than a quarter later:
// a pause taken with a plain 15.6 ms timer tick (31 ms for 20) must fail, a loaded machine not.
TEST_F(WinPointerOpsTest, PausesLastAsLongAsAskedWithoutDrift) {
    constexpr int PAUSES = 50, MS = 20;
    WinPointerOps ops(stop.Get());
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int64_t start = testing::Now();
    for (int i = 0; i < PAUSES; ++i) ASSERT_TRUE(ops.Sleep(MS));
    const double ms = (testing::Now() - start) * 1000.0 / frequency.QuadPart;
    EXPECT_GE(ms, PAUSES * MS);
    EXPECT_LE(ms, PAUSES * MS * 1.25);
}

TEST_F(WinPointerOpsTest, TheStopCutsAPauseShortAndEndsEveryLaterOne) {
    WinPointerOps ops(stop.Get());
    std::thread stopper([this] {
        ::Sleep(30);
        SetEvent(stop.Get());
    });
    EXPECT_FALSE(ops.Sleep(INT_MAX / 2));
    stopper.join();
    EXPECT_FALSE(ops.Sleep(20));
    EXPECT_FALSE(ops.Sleep(0));
}

}  // namespace
}  // namespace varrel
