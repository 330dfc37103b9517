// End-to-end test of the keyboard alone: real keys drive the window as a user without a mouse does.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using testing::Texts;

// The keys pressed (in order, released in reverse), then `done` awaited.
::testing::AssertionResult Keys(const char* step, std::initializer_list<WORD> keys,
                                const std::function<bool()>& done) {
    PressKeys(keys);
    if (testing::WaitFor(done, 20000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << step << ": not done";
}

// Tab (or Shift+Tab) until the control has the focus, each move awaited.
::testing::AssertionResult TabTo(HWND control, bool back = false) {
    for (int tabs = 0; tabs < 16; ++tabs) {
        HWND was = FocusOf(control);
        if (was == control) return ::testing::AssertionSuccess();
        if (back) PressKeys({VK_SHIFT, VK_TAB});
        if (!back) PressKeys({VK_TAB});
        if (!testing::WaitFor([&] { return FocusOf(control) != was; }, 20000))
            return ::testing::AssertionFailure() << "Tab left the focus on " << GetDlgCtrlID(was);
    }
    return ::testing::AssertionFailure() << "Tab never reached " << GetDlgCtrlID(control);
}

// A typed position, a picked one, a click marked in the dialog, Delete, a run started by Alt+S and
// stopped by Shift+Esc, the About page and back by Ctrl+Tab, and the Close tab: no mouse but the
// pointer placed before the pick.
TEST(Keyboard, AUserWithoutAMouseBuildsRunsAndSavesAPath) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.MoveTo({600, 400}));
    HWND list = app.Control(IDC_POINTS);
    SetForegroundWindow(app.Main());
    ASSERT_TRUE(testing::WaitFor([&] { return GetForegroundWindow() == app.Main(); }));
    EXPECT_EQ(FocusOf(list), list) << "the list has the first focus";
    ASSERT_TRUE(TabTo(app.Control(IDC_POSITION)));
    for (char c : std::string("300,200")) PressKeys({c == ',' ? WORD(VK_OEM_COMMA) : WORD(c)});
    ASSERT_TRUE(Keys("Enter", {VK_RETURN}, [&] { return app.Entries() == Texts{"300,200"}; }));

    // The target: an arrow moves the pointer and Position follows (with Shift, 10 pixels); Space on
    // Add adds it.
    testing::Mouse({{0, {350, 250}}});
    POINT at{};
    auto placed = [&] {
        GetCursorPos(&at);
        return at.x == 350 && at.y == 250;
    };
    ASSERT_TRUE(testing::WaitFor(placed)) << "the pointer stays at " << at.x << "," << at.y;
    ASSERT_TRUE(TabTo(app.Control(IDC_TARGET)));
    ASSERT_TRUE(Keys("Right", {VK_RIGHT}, [&] { return app.Position() == "351,250"; }));
    ASSERT_TRUE(
        Keys("Shift+Down", {VK_SHIFT, VK_DOWN}, [&] { return app.Position() == "351,260"; }));
    ASSERT_TRUE(TabTo(app.Control(IDC_ADD)));
    ASSERT_TRUE(Keys("Space on Add", {VK_SPACE}, [&] { return app.Entries().size() == 2; }));

    // Enter on the first entry opens the dialog on OK; Esc ends nothing; Tab reaches the choices
    // ("none"), Space chooses, Down moves to the click (and chooses it); Enter is OK.
    ASSERT_TRUE(TabTo(list, true));
    ASSERT_TRUE(Keys("Home", {VK_HOME}, [&] { return app.Position() == "300,200"; }));
    PressKeys({VK_RETURN});
    HWND dialog = WaitForWindow(0, "Mouse action");
    ASSERT_NE(dialog, nullptr);
    HWND none = GetDlgItem(dialog, IDC_ACT_NONE), click = GetDlgItem(dialog, IDC_ACT_CLICK);
    ASSERT_TRUE(testing::WaitFor([&] { return FocusOf(dialog) == GetDlgItem(dialog, IDOK); }));
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(Keys("Tab to the choices", {VK_TAB}, [&] { return FocusOf(dialog) == none; }));
    ASSERT_TRUE(Keys("Space on none", {VK_SPACE}, [&] { return Checked(none); }));
    ASSERT_TRUE(Keys("Down", {VK_DOWN}, [&] { return FocusOf(dialog) == click; }));
    EXPECT_TRUE(Checked(click));
    ASSERT_TRUE(Keys("Enter on the dialog", {VK_RETURN}, [&] {
        return app.Entries() == Texts{"300,200,C", "351,260"};
    }));

    // Delete removes the selected (marked) entry: the run of the one left moves nothing.
    ASSERT_TRUE(Keys("Delete", {VK_DELETE}, [&] { return app.Entries() == Texts{"351,260"}; }));
    ASSERT_TRUE(Keys("Alt+S", {VK_MENU, 'S'}, [&] { return app.StartCaption() == "&Stop"; }));
    ASSERT_TRUE(
        Keys("Stop", {VK_SHIFT, VK_ESCAPE}, [&] { return app.StartCaption() == "&Start"; }));

    // Ctrl+Tab: the About page, which saves, its tab focused; Ctrl+Shift+Tab: back to the list.
    HWND aboutTab = GetDlgItem(app.Main(), IDC_TAB_ABOUT);
    ASSERT_TRUE(Keys("Ctrl+Tab", {VK_CONTROL, VK_TAB}, [&] { return FocusOf(list) == aboutTab; }));
    EXPECT_FALSE(IsWindowVisible(app.Motion()));
    EXPECT_EQ(app.Config(), ConfigWith("351,260"));
    ASSERT_TRUE(
        Keys("back", {VK_CONTROL, VK_SHIFT, VK_TAB}, [&] { return FocusOf(list) == list; }));

    // Enter on the Close tab saves (again) and ends.
    std::filesystem::remove(app.ConfigPath());
    ASSERT_TRUE(TabTo(GetDlgItem(app.Main(), IDC_TAB_CLOSE)));
    PressKeys({VK_RETURN});
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(app.Config(), ConfigWith("351,260"));
}

}  // namespace
}  // namespace varrel::e2e
