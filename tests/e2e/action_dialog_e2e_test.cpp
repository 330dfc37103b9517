// End-to-end tests of the mouse action dialog: opened by a double-click on an entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using Entries = std::vector<std::string>;

const std::string CONFIG = "[Main]\r\nPoint=10,20 30,40,C\r\nHide=0\r\n";

class ActionDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(app.Start()); }

    // Double-clicks the entry: its first click selects it and the Position field shows it.
    HWND Open(int index) {
        if (!app.DoubleClickEntry(index)) return nullptr;
        HWND dialog = app.WaitForActionDialog();
        const std::string text = app.Entries().at(static_cast<std::size_t>(index));
        EXPECT_EQ(app.Position(), text);
        return dialog;
    }

    // Clicks a choice, as a user does; true once it shows selected.
    static bool Choose(HWND dialog, int id) {
        PinnedClickAt(CentreOf(GetDlgItem(dialog, id)));
        return WaitFor([&] { return IsChecked(GetDlgItem(dialog, id)); });
    }

    static bool ClickOk(HWND dialog) {
        PinnedClickAt(CentreOf(GetDlgItem(dialog, IDOK)));
        return WaitFor([&] { return !IsWindow(dialog); });
    }

    VarrelProcess app{CONFIG};
};

TEST_F(ActionDialogTest, OpensWithNothingSelectedAndOnlyClickAndNoneEnabled) {
    HWND dialog = Open(1);  // the entry already has a click: still nothing is preselected
    ASSERT_NE(dialog, nullptr);
    struct Choice {
        int id;
        const char* text;
        bool enabled;
    };
    const Choice choices[] = {
        {IDC_ACT_DOWN, "Mouse button Down", false},
        {IDC_ACT_UP, "Mouse button Up", false},
        {IDC_ACT_CLICK, "Click the mouse button ", true},
        {IDC_ACT_DOUBLE, "Double-click the mouse button ", false},
        {IDC_ACT_NONE, "none", true},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(c.text);
        HWND radio = GetDlgItem(dialog, c.id);
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(TextOf(radio), c.text);
        EXPECT_EQ(IsWindowEnabled(radio) != FALSE, c.enabled);
        EXPECT_FALSE(IsChecked(radio));
    }
    // A disabled choice cannot be taken: OK then has nothing to report.
    PinnedClickAt(CentreOf(GetDlgItem(dialog, IDC_ACT_DOWN)));
    ASSERT_TRUE(ClickOk(dialog));
    ASSERT_TRUE(app.Settle());
    EXPECT_EQ(app.Entries(), (Entries{"10,20", "30,40,C"}));
}

TEST_F(ActionDialogTest, ClickMakesTheEntryAClickInPlaceAndSelected) {
    HWND dialog = Open(0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose(dialog, IDC_ACT_CLICK));
    ASSERT_TRUE(ClickOk(dialog));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Entries{"10,20,C", "30,40,C"}; }));
    EXPECT_EQ(app.Selection(), 0);
    EXPECT_EQ(app.Position(), "10,20") << "the replacement does not touch the Position field";
}

TEST_F(ActionDialogTest, NoneStripsTheAction) {
    HWND dialog = Open(1);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose(dialog, IDC_ACT_NONE));
    ASSERT_TRUE(ClickOk(dialog));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Entries{"10,20", "30,40"}; }));
    EXPECT_EQ(app.Selection(), 1);
    EXPECT_EQ(app.Position(), "30,40,C");
}

TEST_F(ActionDialogTest, OkWithNothingChosenChangesNothing) {
    HWND dialog = Open(0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickOk(dialog));
    ASSERT_TRUE(app.Settle());
    EXPECT_EQ(app.Entries(), (Entries{"10,20", "30,40,C"}));
    EXPECT_EQ(app.Selection(), 0);
}

TEST_F(ActionDialogTest, EscDoesNotCloseItAndTheCloseBoxChangesNothing) {
    HWND dialog = Open(0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(BringToFront(dialog));
    PressKey(VK_ESCAPE);
    // Input is served in order: once the choice shows, the Esc before it has been served.
    ASSERT_TRUE(Choose(dialog, IDC_ACT_CLICK));
    ASSERT_TRUE(IsWindowVisible(dialog)) << "Esc closed the dialog";

    // The command the caption's close box sends: the dialog ends with no choice.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(app.Settle());
    EXPECT_EQ(app.Entries(), (Entries{"10,20", "30,40,C"}));

    // The page goes on as before: the next edit works.
    dialog = Open(0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose(dialog, IDC_ACT_CLICK));
    ASSERT_TRUE(ClickOk(dialog));
    EXPECT_TRUE(WaitFor([&] { return app.Entries() == Entries{"10,20,C", "30,40,C"}; }));
}

}  // namespace
}  // namespace varrel::e2e
