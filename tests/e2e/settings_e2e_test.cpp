// End-to-end tests of two copies of the program in one folder, sharing one settings file.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

// Two copies in one folder: B is told at start that A runs there, and is asked before its save
// replaces the list A saved meanwhile, at About (No, the default, keeps A's list) and at the Close
// (Yes replaces it). At the session's end nobody is asked: A, edited since, writes its own list.
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
    PostCommand(b.Main(), IDC_TAB_ABOUT);
    ASSERT_TRUE(b.Answer(IDNO, asked));
    ASSERT_TRUE(Sync(b.Main()));  // served once the save after the answer is done
    EXPECT_EQ(b.Config(), ConfigWith("1,1 7,7"));
    PostCommand(b.Main(), IDC_TAB_CLOSE);
    ASSERT_TRUE(b.Answer(IDYES, asked));
    EXPECT_EQ(b.WaitForExit(), 0u);
    EXPECT_EQ(b.Config(), ConfigWith("1,1 8,8"));
    ASSERT_TRUE(a.Add("9,9"));
    EXPECT_TRUE(SendServed(a.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF));
    EXPECT_EQ(a.Config(), ConfigWith("1,1 7,7 9,9"));
}

}  // namespace
}  // namespace varrel::e2e
