// Tests of WinPointerOps under the real input system: where the pointer lands, what a hook sees.
#include "motion/pointer_ops_win.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "motion/unique_handle_win.h"
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel {
namespace {

using testing::MouseEvent;
using testing::MouseHookRecorder;

POINT Cursor() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

std::string Text(const MouseEvent& e) {
    const char* kind = e.kind == MouseEvent::Move       ? "M"
                       : e.kind == MouseEvent::LeftDown ? "D"
                       : e.kind == MouseEvent::LeftUp   ? "U"
                                                        : "?";
    return kind + std::to_string(e.pt.x) + "," + std::to_string(e.pt.y);
}

class WinPointerOpsTest : public ::testing::Test {
  protected:
    UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
};

TEST_F(WinPointerOpsTest, EveryPixelOfARowAndAColumnIsHit) {
    const ScreenArea primary = SystemScreenArea();
    ASSERT_FALSE(primary.virtualDesktop);  // the test display has one monitor
    // The same screen spanned as the virtual desktop must give the same pixels.
    const DesktopRect desk{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    for (const ScreenArea& area : {primary, ScreenArea{desk, true}}) {
        WinPointerOps ops(stop.Get(), [area] { return area; });
        ops.BeginSegment();
        const int row = height / 2 + 1, column = width / 3;
        for (int x = 0; x < width; ++x) {
            ops.MoveTo(x + 0.75, row + 0.3);
            const POINT p = Cursor();
            ASSERT_EQ(p.x, x) << "virtual desktop: " << area.virtualDesktop;
            ASSERT_EQ(p.y, row);
        }
        for (int y = 0; y < height; ++y) {
            ops.MoveTo(column, y + 0.999);
            const POINT p = Cursor();
            ASSERT_EQ(p.x, column);
            ASSERT_EQ(p.y, y) << "virtual desktop: " << area.virtualDesktop;
        }
        // Outside every monitor: the nearest edge.
        ops.MoveTo(-40.5, height + 1e7);
        EXPECT_EQ(Cursor().x, 0);
        EXPECT_EQ(Cursor().y, height - 1);
        ops.MoveTo(width, -1);
        EXPECT_EQ(Cursor().x, width - 1);
        EXPECT_EQ(Cursor().y, 0);
    }
}

TEST_F(WinPointerOpsTest, ButtonsActAtTheirPointEvenAfterANudge) {
    MouseHookRecorder hook;
    ASSERT_TRUE(hook.Installed());
    WinPointerOps ops(stop.Get());
    ops.BeginSegment();
    ops.MoveTo(10, 10);
    ops.PressLeft(300, 200);
    SetCursorPos(50, 60);  // the user moves the mouse while the button is down
    ops.ReleaseLeft(300, 200);
    EXPECT_EQ(Cursor().x, 300);
    EXPECT_EQ(Cursor().y, 200);

    const std::vector<MouseEvent> all = hook.Injected();
    std::vector<std::string> seen;
    for (const MouseEvent& e : testing::WithoutMovesIntoButtons(all)) seen.push_back(Text(e));
    EXPECT_EQ(seen, (std::vector<std::string>{"M10,10", "D300,200", "U300,200"}));
    // Besides those, only the moves that the buttons carry, to the button's point: the press
    // comes from elsewhere (10,10), and so does the release (after the nudge).
    std::vector<std::string> raw;
    for (const MouseEvent& e : all) raw.push_back(Text(e));
    EXPECT_EQ(raw,
              (std::vector<std::string>{"M10,10", "M300,200", "D300,200", "M300,200", "U300,200"}));
}

TEST_F(WinPointerOpsTest, PausesEndWhenTheStopIsSet) {
    WinPointerOps ops(stop.Get());
    EXPECT_TRUE(ops.Sleep(1));
    EXPECT_TRUE(ops.Sleep(20));

    // A pause that would never end on its own is cut short by the stop.
    std::thread stopper([this] {
        ::Sleep(30);
        SetEvent(stop.Get());
    });
    EXPECT_FALSE(ops.Sleep(INT_MAX / 2));
    stopper.join();
    // Once set, every pause reports the end at once.
    EXPECT_FALSE(ops.Sleep(20));
    EXPECT_FALSE(ops.Sleep(0));
}

}  // namespace
}  // namespace varrel
