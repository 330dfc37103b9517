// End-to-end tests of two copies of the program in one folder, sharing one settings file.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using testing::WaitFor;

// Two copies in one folder: B is told at start that A runs there, and is asked before its save
// replaces the list A saved meanwhile: at About by Ctrl+Tab (N keeps A's list; the keys work on),
// at the Close (Yes replaces it). A's run ends with the session, and A writes its list unasked.
TEST(Settings, TwoCopiesInOneFolderReplaceEachOthersListOnlyWhenTheUserSaysSo) {
    VarrelProcess a(ConfigWith("1,1"));
    VarrelProcess b(SameFolderAs{a});
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(b.Start());
    ASSERT_TRUE(b.Answer(IDOK, "Another copy of Varrel is running from this folder"));
    ASSERT_TRUE(a.Add("7,7"));
    ASSERT_TRUE(Command(a.Main(), IDC_TAB_ABOUT));
    ASSERT_TRUE(b.Add("8,8"));
    const std::string asked = "was changed by another program";
    SetForegroundWindow(b.Main());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == b.Main(); }));
    PressKeys({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(b.Answer(IDNO, asked, true));
    ASSERT_TRUE(Sync(b.Main()));  // served once the save after the answer is done
    EXPECT_EQ(b.Config(), ConfigWith("1,1 7,7"));
    PressKeys({VK_CONTROL, VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(b.Motion()); })) << "Ctrl+Tab back";
    PostCommand(b.Main(), IDC_TAB_CLOSE);
    ASSERT_TRUE(b.Answer(IDYES, asked));
    EXPECT_EQ(b.WaitForExit(), 0u);
    EXPECT_EQ(b.Config(), ConfigWith("1,1 8,8"));
    ASSERT_TRUE(a.Add("9,9"));
    ASSERT_TRUE(a.PressStart());
    EXPECT_TRUE(SendServed(a.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    EXPECT_EQ(a.StartCaption(), "&Start") << "the run goes on as the session ends";
    EXPECT_EQ(a.Config(), ConfigWith("1,1 7,7 9,9"));
}

}  // namespace
}  // namespace varrel::e2e
