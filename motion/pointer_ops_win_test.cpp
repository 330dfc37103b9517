// Tests of WinPointerOps under the real input system: where the pointer lands, what a hook sees,
// and how long pauses last.
#include "motion/pointer_ops_win.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>

#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel {
namespace {

std::string Cursor() {
    POINT p{};
    GetCursorPos(&p);
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

class WinPointerOpsTest : public ::testing::Test {
  protected:
    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
};

// The same screen spanned as the virtual desktop must give the same pixels. Outside it, the edge.
TEST_F(WinPointerOpsTest, EveryPixelOfARowAndAColumnIsHitAndOutsideGoesToTheEdge) {
    const ScreenArea primary = SystemScreenArea();
    ASSERT_FALSE(primary.virtualDesktop);  // the test display has one monitor
    for (const ScreenArea& area : {primary, ScreenArea{primary.rect, true}}) {
        WinPointerOps ops(stop.Get(), [area] { return area; });
        ops.BeginSegment();
        const int row = height / 2 + 1, column = width / 3;
        for (int x = 0; x < width; ++x) {
            ops.MoveTo(x + 0.75, row + 0.3);
            ASSERT_EQ(Cursor(), std::to_string(x) + "," + std::to_string(row))
                << area.virtualDesktop;
        }
        for (int y = 0; y < height; ++y) {
            ops.MoveTo(column, y + 0.999);
            ASSERT_EQ(Cursor(), std::to_string(column) + "," + std::to_string(y))
                << area.virtualDesktop;
        }
        ops.MoveTo(-40.5, height + 1e7);
        EXPECT_EQ(Cursor(), "0," + std::to_string(height - 1));
        ops.MoveTo(width, -1);
        EXPECT_EQ(Cursor(), std::to_string(width - 1) + ",0");
    }
}

TEST_F(WinPointerOpsTest, ButtonsActAtTheirPointEvenAfterTheUserMovedTheMouse) {
    testing::MouseHookRecorder hook;
    WinPointerOps ops(stop.Get());
    ops.BeginSegment();
    ops.MoveTo(10, 10);
    ops.PressLeft(300, 200);
    SetCursorPos(50, 60);
    ops.ReleaseLeft(300, 200);
    EXPECT_EQ(Cursor(), "300,200");
    EXPECT_EQ(testing::EventTexts(hook.Injected()),
              (testing::Texts{"M10,10", "D300,200", "U300,200"}));
}

// The second segment's area is half the screen: the same pixel then lies twice as far.
TEST_F(WinPointerOpsTest, TheScreenAreaIsReadAgainAtEverySegment) {
    int reads = 0;
    WinPointerOps ops(stop.Get(), [&] {
        const int d = ++reads == 2 ? 2 : 1;
        return ScreenArea{{0, 0, width / d, height / d}, false};
    });
    for (const char* expected : {"100,100", "200,200", "100,100"}) {
        ops.BeginSegment();
        ops.MoveTo(100.5, 100.5);
        EXPECT_EQ(Cursor(), expected) << "segment " << reads;
    }
}

// N pauses of 20 ms end no sooner than N x 20 ms, and on average no more than a quarter later:
// pauses of a plain 15.6 ms timer tick (31 ms for 20) must fail, a loaded machine not.
TEST_F(WinPointerOpsTest, PausesLastAsLongAsAskedWithoutDrift) {
    WinPointerOps ops(stop.Get());
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const int64_t start = testing::Now();
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(ops.Sleep(20));
    const double ms = (testing::Now() - start) * 1000.0 / frequency.QuadPart;
    EXPECT_GE(ms, 50 * 20);
    EXPECT_LE(ms, 50 * 20 * 1.25);
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
