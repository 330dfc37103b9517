// End-to-end tests of the motion page: settings at start, Add, selection, Remove, View.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using Entries = std::vector<std::string>;

std::string ConfigWith(const std::string& point, const std::string& hide) {
    return "[Main]\r\nPoint=" + point + "\r\nHide=" + hide + "\r\n";
}

TEST(MotionPageSettings, LoadsTheEntriesAndTheOptionAtStart) {
    struct Case {
        std::optional<std::string> config;
        Entries entries;
        bool hide;
    };
    const Case cases[] = {
        {std::nullopt, {}, false},
        {ConfigWith("  10,10   20,20  ", "0"), {"10,10", "20,20"}, false},
        {ConfigWith("   ", "1"), {}, true},
        {ConfigWith("100,200 300,200,C 300,400", "2"), {"100,200", "300,200,C", "300,400"}, true},
        {ConfigWith("1,1", "-1"), {"1,1"}, true},
        {ConfigWith("1,1", "abc"), {"1,1"}, false},
        {"[Main]\r\nHide=1\r\n", {}, true},
        {"[Other]\r\nPoint=1,1\r\nHide=1\r\n", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config.value_or("(no file)"));
        VarrelProcess app(c.config);
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.Entries(), c.entries);
        EXPECT_EQ(app.HideAfterStart(), c.hide);
        EXPECT_EQ(app.Selection(), std::nullopt);
    }
}

TEST(MotionPageAdd, AppendsThePositionTextUnchecked) {
    VarrelProcess app(ConfigWith("1,1", "0"));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.AddEntry("640,480"));
    ASSERT_TRUE(app.AddEntry("abc"));
    EXPECT_EQ(app.Entries(), (Entries{"1,1", "640,480", "abc"}));
    EXPECT_EQ(app.Position(), "abc") << "Add leaves the field as it was";
}

TEST(MotionPageAdd, DoubleClickOnAddAddsTwice) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    app.SetPosition("5,5");
    app.DoubleClickAdd();
    ASSERT_TRUE(WaitFor([&] { return app.Entries().size() == 2; }));
    EXPECT_EQ(app.Entries(), (Entries{"5,5", "5,5"}));
}

TEST(MotionPageAdd, EmptyPositionAddsNothing) {
    VarrelProcess app(ConfigWith("7,7", "0"));
    ASSERT_TRUE(app.Start());
    app.SetPosition("");
    app.ClickAdd();
    // Input is served in order: once the entry click has shown its text, Add has been served.
    ASSERT_TRUE(app.ClickEntry(0));
    ASSERT_TRUE(WaitFor([&] { return app.Position() == "7,7"; }));
    EXPECT_EQ(app.Entries(), (Entries{"7,7"}));
}

TEST(MotionPageAdd, KeepsATypedTenCharacterPositionWholeAndCutsAtFourteen) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    app.ClickControl(IDC_POSITION);
    TypeText("-1234,1234");
    ASSERT_TRUE(WaitFor([&] { return app.Position() == "-1234,1234"; })) << app.Position();
    app.ClickAdd();
    ASSERT_TRUE(WaitFor([&] { return app.Entries().size() == 1; }));
    ASSERT_TRUE(app.AddEntry("-12345,-12345,C"));
    EXPECT_EQ(app.Entries(), (Entries{"-1234,1234", "-12345,-12345,"}));
}

TEST(MotionPageSelection, ClickingAnEntryCopiesItWholeIntoPosition) {
    VarrelProcess app(ConfigWith("10,10 20,20,C", "0"));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.ClickEntry(1));
    EXPECT_TRUE(WaitFor([&] { return app.Position() == "20,20,C"; })) << app.Position();
    EXPECT_EQ(app.Selection(), 1);
    ASSERT_TRUE(app.ClickEntry(0));
    EXPECT_TRUE(WaitFor([&] { return app.Position() == "10,10"; })) << app.Position();
    EXPECT_EQ(app.Selection(), 0);
}

TEST(MotionPageRemove, RemovesTheSelectedEntryOnly) {
    VarrelProcess app(ConfigWith("1,1 2,2 3,3", "0"));
    ASSERT_TRUE(app.Start());

    app.ClickControl(IDC_REMOVE);  // nothing selected: nothing goes
    ASSERT_TRUE(app.AddEntry("4,4"));
    EXPECT_EQ(app.Entries(), (Entries{"1,1", "2,2", "3,3", "4,4"}));

    ASSERT_TRUE(app.ClickEntry(1));
    ASSERT_TRUE(WaitFor([&] { return app.Position() == "2,2"; }));
    app.ClickControl(IDC_REMOVE);
    ASSERT_TRUE(WaitFor([&] { return app.Entries().size() == 3; }))
        << ::testing::PrintToString(app.Entries());
    EXPECT_EQ(app.Entries(), (Entries{"1,1", "3,3", "4,4"}));
    EXPECT_EQ(app.Position(), "2,2") << "Remove leaves the field as it was";
}

// Clicks View on the only entry and watches the screen: at some moment every sampled pixel
// inside the disc shows inverted while one just outside its box does not; afterwards the whole
// box is as it was.
void ExpectBlinkAt(const std::string& entry, POINT centre) {
    VarrelProcess app(ConfigWith(entry, "0"));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.ClickEntry(0));
    ASSERT_TRUE(WaitFor([&] { return app.Selection() == 0; }));

    // The disc's box, as far as it lies on the screen.
    const RECT box{std::max(centre.x - 5, 0L), std::max(centre.y - 5, 0L), centre.x + 5,
                   centre.y + 5};
    const std::vector<COLORREF> before = ScreenPixels(box);
    const std::vector<POINT> inside = {
        centre, {centre.x - 2, centre.y + 2}, {centre.x + 2, centre.y + 1}};
    const POINT outside{centre.x, centre.y + 7};
    std::vector<COLORREF> insideBefore;
    for (POINT p : inside) insideBefore.push_back(ScreenPixel(p));
    const COLORREF outsideBefore = ScreenPixel(outside);

    app.ClickControl(IDC_VIEW);
    const bool inverted = WaitFor([&] {
        for (std::size_t i = 0; i < inside.size(); ++i) {
            if (ScreenPixel(inside[i]) != (insideBefore[i] ^ 0xFFFFFFu)) return false;
        }
        return ScreenPixel(outside) == outsideBefore;
    });
    EXPECT_TRUE(inverted) << "the disc never showed";

    // The blink runs on the page's thread: once it serves a message again, the blink is over.
    ASSERT_TRUE(Sync(app.MotionPage()));
    EXPECT_EQ(ScreenPixels(box), before) << "the screen is not as it was";
}

TEST(MotionPageView, BlinksAnInvertedDiscAndLeavesTheScreenAsItWas) {
    ExpectBlinkAt("100,100", {100, 100});
}

TEST(MotionPageView, EntryWithoutYBlinksOnTheTopRow) { ExpectBlinkAt("100", {100, 0}); }

TEST(MotionPageLongEntry, FortyCharacterEntryIsShownSelectedAndSavedWhole) {
    const std::string longEntry = "1234567890,1234567890,C,abcdefghijklmnop";
    ASSERT_EQ(longEntry.size(), 40u);
    VarrelProcess app(ConfigWith(longEntry + " 1,1", "0"));
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), (Entries{longEntry, "1,1"}));

    ASSERT_TRUE(app.ClickEntry(0));
    EXPECT_TRUE(WaitFor([&] { return app.Position() == longEntry; })) << app.Position();

    app.ClickTab(IDC_TAB_CLOSE);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), ConfigWith(longEntry + " 1,1", "0"));
}

}  // namespace
}  // namespace varrel::e2e
