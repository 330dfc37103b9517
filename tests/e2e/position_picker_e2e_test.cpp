// End-to-end tests of the position picker: a drag from the target image, by real input.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

constexpr POINT WINDOW_AT = {400, 300};

std::string Text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

class PositionPickerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.MoveMainWindowTo(WINDOW_AT));
        ASSERT_TRUE(app.Settle());
        target = app.TargetBox();
        ASSERT_LT(target.left, target.right);
    }

    HWND Capture() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.MotionPage(), nullptr), &info);
        return info.hwndCapture;
    }

    // Input is served in order: once a click on the check box has toggled it, all the input
    // sent before it has been served too.
    bool InputServed() {
        const bool was = app.HideAfterStart();
        PinnedClickAt(CentreOf(app.MotionControl(IDC_HIDE_AFTER_START)));
        return WaitFor([&] { return app.HideAfterStart() != was; });
    }

    // Moves the pointer until the field shows `expected`. Under Wine on a loaded machine an
    // injected move is now and then overtaken by the X server's report of the one before it, so
    // the move is sent again (the picker itself sees only the last position).
    bool MoveUntilShown(POINT to, const std::string& expected) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            MoveTo(to);
            if (WaitFor([&] { return app.Position() == expected; }, 1000)) return true;
        }
        return false;
    }

    VarrelProcess app;
    RECT target{};
};

TEST_F(PositionPickerTest, TheFieldFollowsTheDragAndTakesTheReleasePoint) {
    PressAt({(target.left + target.right) / 2, (target.top + target.bottom) / 2});
    ASSERT_TRUE(WaitFor([&] { return Capture() == app.MotionPage(); }));

    // The screen's top-left corner is left of and above the page: negative client coordinates.
    EXPECT_TRUE(MoveUntilShown({0, 0}, "0,0")) << app.Position();
    POINT client{0, 0};
    ClientToScreen(app.MotionPage(), &client);
    const POINT nearEdge{client.x - 3, client.y - 2};
    EXPECT_TRUE(MoveUntilShown(nearEdge, Text(nearEdge))) << app.Position();
    EXPECT_TRUE(MoveUntilShown({700, 650}, "700,650")) << app.Position();

    ReleaseAt({321, 123});
    EXPECT_TRUE(WaitFor([&] { return app.Position() == "321,123"; })) << app.Position();
    EXPECT_TRUE(app.Settle()) << "the capture is kept after the release";

    // Idle again: moves over the page leave the field alone.
    MoveTo({target.left - 20, target.bottom + 30});
    ASSERT_TRUE(InputServed());
    EXPECT_EQ(app.Position(), "321,123");
    EXPECT_TRUE(app.Entries().empty()) << "picking adds nothing";
}

TEST_F(PositionPickerTest, AReleaseWithoutAMoveTakesThePressPoint) {
    // The image's top-left pixel is inside it.
    const POINT corner{target.left, target.top};
    PressAt(corner);
    ReleaseAt(corner);
    EXPECT_TRUE(WaitFor([&] { return app.Position() == Text(corner); })) << app.Position();
    EXPECT_TRUE(app.Settle());
}

TEST_F(PositionPickerTest, APressOutsideTheImageStartsNothing) {
    const int middle = (target.top + target.bottom) / 2;
    // Just left of the image, and its right edge, which belongs to the page.
    for (POINT outside : {POINT{target.left - 2, middle}, POINT{target.right, middle}}) {
        SCOPED_TRACE(Text(outside));
        app.SetPosition("keep");
        PressAt(outside);
        MoveTo({0, 0});
        ReleaseAt({5, 5});
        ASSERT_TRUE(InputServed());
        EXPECT_EQ(app.Position(), "keep");
        EXPECT_EQ(Capture(), nullptr);
    }
}

}  // namespace
}  // namespace varrel::e2e
