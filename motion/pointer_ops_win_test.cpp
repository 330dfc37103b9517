// Tests of WinPointerOps under the real input system: where the pointer lands, what a hook sees,
// and how long pauses last.
#include "motion/pointer_ops_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/mouse_hook_recorder_win.h"

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

// The same screen spanned as the virtual desktop must give the same pixels. Outside it, the edge.
TEST_F(WinPointerOpsTest, EveryPixelOfARowAndAColumnIsHitAndOutsideGoesToTheEdge) {
    const ScreenArea primary = SystemScreenArea();
    ASSERT_FALSE(primary.virtualDesktop);  // the test display has one monitor
    for (const ScreenArea& area : {primary, ScreenArea{primary.rect, true}}) {
        SCOPED_TRACE(area.virtualDesktop);
        WinPointerOps ops(stop.Get(), [area] { return area; });
        ops.BeginSegment();
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(MovedTo(ops, x + 0.75, height / 2 + 1.3), Text(x, height / 2 + 1));
        for (int y = 0; y < height; ++y)
            ASSERT_EQ(MovedTo(ops, width / 3, y + 0.999), Text(width / 3, y));
        EXPECT_EQ(MovedTo(ops, -40.5, height + 1e7), Text(0, height - 1));
        EXPECT_EQ(MovedTo(ops, width, -1), Text(width - 1, 0));
    }
}

// The second segment's area is half the screen: its pixel 100 spans the screen's 200 and 201, and
// the middle of that span is taken. Buttons act at their point even after the user moved the mouse.
TEST_F(WinPointerOpsTest, TheAreaIsReadAtEverySegmentAndButtonsActAtTheirPoint) {
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

}  // namespace
}  // namespace varrel
