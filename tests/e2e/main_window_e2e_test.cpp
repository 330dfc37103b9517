// End-to-end tests of the main window: start-up, the tabs, and the two ways out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

constexpr char EXAMPLE_CONFIG[] = "[Main]\r\nPoint=100,200 300,200,C 300,400\r\nHide=1\r\n";
constexpr char EMPTY_CONFIG[] = "[Main]\r\nPoint=\r\nHide=0\r\n";

bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

bool AboutShown(const VarrelProcess& app) {
    return IsWindowVisible(app.AboutPage()) && !IsWindowVisible(app.MotionPage());
}

bool MotionShown(const VarrelProcess& app) {
    return IsWindowVisible(app.MotionPage()) && !IsWindowVisible(app.AboutPage());
}

TEST(MainWindow, StartsWithTheMotionPageShownAndTheAboutPageHidden) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(TextOf(app.MainWindow()), "-= Varrel =-");
    EXPECT_TRUE(MotionShown(app));
    EXPECT_TRUE(OriginIn(app.MotionPage(), app.MainWindow()) == (POINT{45, 25}));
    EXPECT_TRUE(OriginIn(app.AboutPage(), app.MainWindow()) == (POINT{50, 50}));
    for (int tab : {IDC_TAB_MOTION, IDC_TAB_ABOUT, IDC_TAB_CLOSE}) {
        EXPECT_NE(app.MainControl(tab), nullptr) << "tab " << tab;
    }
    EXPECT_EQ(TextOf(app.MotionControl(IDC_START)), "&Start");
    EXPECT_EQ(app.Position(), "");
    EXPECT_FALSE(app.Config().has_value()) << "nothing is saved before the page is hidden";

    const std::vector<std::string> about = ChildTexts(app.AboutPage());
    EXPECT_TRUE(std::any_of(about.begin(), about.end(), [](const std::string& text) {
        return text.find("Varrel") != std::string::npos &&
               text.find("ver. 0.2b - 3 April 2000") != std::string::npos;
    }));
}

TEST(MainWindow, AboutTabSavesOnEveryHideOfTheMotionPageOnly) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());

    app.ClickTab(IDC_TAB_ABOUT);
    ASSERT_TRUE(WaitFor([&] { return AboutShown(app); }));
    EXPECT_TRUE(app.WaitForConfig(EMPTY_CONFIG)) << app.Config().value_or("(no file)");

    // About while About is shown: the motion page is already hidden, so nothing is saved.
    ASSERT_TRUE(DeleteFileA(app.ConfigPath().c_str()));
    app.ClickTab(IDC_TAB_ABOUT);
    app.ClickTab(IDC_TAB_MOTION);
    ASSERT_TRUE(WaitFor([&] { return MotionShown(app); }));
    EXPECT_FALSE(app.Config().has_value()) << "showing a page saves nothing";

    // Motion while Motion is shown changes nothing; the next hide saves again.
    app.ClickTab(IDC_TAB_MOTION);
    ASSERT_TRUE(app.AddEntry("7,8"));
    EXPECT_TRUE(MotionShown(app));
    app.ClickTab(IDC_TAB_ABOUT);
    EXPECT_TRUE(app.WaitForConfig("[Main]\r\nPoint=7,8\r\nHide=0\r\n"))
        << app.Config().value_or("(no file)");
}

TEST(MainWindow, CloseTabSavesTheListAndTheOptionThenEnds) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    for (const char* entry : {"100,200", "300,200,C", "300,400"}) ASSERT_TRUE(app.AddEntry(entry));
    app.ClickControl(IDC_HIDE_AFTER_START);
    ASSERT_TRUE(WaitFor([&] { return app.HideAfterStart(); }));

    app.ClickTab(IDC_TAB_CLOSE);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
    EXPECT_EQ(app.Config(), EXAMPLE_CONFIG);
}

TEST(MainWindow, CloseBoxEndsWithoutSaving) {
    const std::string prepared = "[Main]\r\nPoint=1,1\r\nHide=0\r\n";
    VarrelProcess app(prepared);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.AddEntry("2,2"));

    app.CloseByCloseBox();
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
    EXPECT_EQ(app.Config(), prepared);
}

TEST(MainWindow, CloseBoxLosesOnlyWhatChangedSinceTheLastSave) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.AddEntry("5,6"));
    app.ClickTab(IDC_TAB_ABOUT);
    ASSERT_TRUE(app.WaitForConfig("[Main]\r\nPoint=5,6\r\nHide=0\r\n"));
    app.ClickTab(IDC_TAB_MOTION);
    ASSERT_TRUE(WaitFor([&] { return MotionShown(app); }));
    ASSERT_TRUE(app.AddEntry("7,8"));

    app.CloseByCloseBox();
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), "[Main]\r\nPoint=5,6\r\nHide=0\r\n");
}

TEST(MainWindow, EnterAndEscDoNotEndIt) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    app.ClickControl(IDC_POSITION);
    ASSERT_TRUE(BringToFront(app.MainWindow()));
    ASSERT_TRUE(WaitFor([&] { return app.Running(); }));

    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    // The Add click is queued behind the keys: once it is served, so are they.
    ASSERT_TRUE(app.AddEntry("1,2"));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()));
    EXPECT_TRUE(MotionShown(app));
}

}  // namespace
}  // namespace varrel::e2e
