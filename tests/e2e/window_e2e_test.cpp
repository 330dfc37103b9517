// End-to-end tests through the window, driven by the messages its controls send: the settings at
// start and when they are saved, Enter and Esc, Add, selection, Remove, View, the mouse action
// dialog, and big, odd and read-only settings files.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"
#include "tests/support/long_text_match.h"

namespace varrel::e2e {
namespace {

using varrel::testing::SameText;

std::string ConfigWith(const std::string& point, const std::string& hide = "0") {
    return "[Main]\r\nPoint=" + point + "\r\nHide=" + hide + "\r\n";
}

// The value of the first line "key=..." after the line [Main] of a file's text.
std::string ValueOf(const std::string& text, const std::string& key) {
    std::size_t line = text.find("\n" + key + "=", text.find("[Main]"));
    if (line == std::string::npos) return "(no " + key + ")";
    line += key.size() + 2;
    return text.substr(line, text.find_first_of("\r\n", line) - line);
}

std::string Joined(const Texts& entries) {
    std::string joined;
    for (const std::string& e : entries) joined += (joined.empty() ? "" : " ") + e;
    return joined;
}

TEST(Settings, LoadedAtStartAndWrittenBackWholeByTheCloseTab) {
    Texts many;
    for (int i = 0; i < 100000; ++i) many.push_back(std::to_string(i) + "," + std::to_string(-i));
    std::string garbage(1 << 16, '\0');  // bytes of every value but '[', so no section
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7919 % 251 == '[' ? 0 : i * 7919 % 251);
    const std::string megabyte(1 << 20, '5');
    const struct {
        std::optional<std::string> file;
        Texts entries;
        bool hide;
    } cases[] = {
        {std::nullopt, {}, false},
        {ConfigWith("  10,10   20,20  ", "2"), {"10,10", "20,20"}, true},
        {ConfigWith("   ", "-1"), {}, true},
        {ConfigWith("1,1", "abc"), {"1,1"}, false},
        {"[Other]\r\nPoint=1,1\r\nHide=1\r\n", {}, false},
        {garbage, {}, false},
        {garbage + "\r\n[Main]\r\nPoint=5,5 6,6\r\nHide=1\r\n", {"5,5", "6,6"}, true},
        {"[Main]\nHide=1\r\nPoint=1,1 2,2,C", {"1,1", "2,2,C"}, true},
        {ConfigWith("\xe9,\xff 1,1,\x80 \x81\x8d\x8f\x90\x9d"),
         {"\xe9,\xff", "1,1,\x80", "\x81\x8d\x8f\x90\x9d"},
         false},
        {ConfigWith(megabyte + " 1,1"), {megabyte, "1,1"}, false},
        {ConfigWith(Joined(many), "1"), many, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file->substr(0, 30) + "... of " + std::to_string(c.file->size())
                            : "no file");
        VarrelProcess app(c.file);
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.HideAfterStart(), c.hide);
        if (c.entries.size() < 100) {
            EXPECT_TRUE(varrel::testing::SameTexts(app.Entries(), c.entries));
        }
        ASSERT_TRUE(app.Add("9,9"));  // appended at the end
        PostCommand(app.Main(), IDC_TAB_CLOSE);
        ASSERT_TRUE(app.WaitForExit());
        EXPECT_EQ(app.ExitCode(), 0u);
        const std::string saved = app.Config().value_or("");
        EXPECT_TRUE(SameText(ValueOf(saved, "Point"),
                             Joined(c.entries) + (c.entries.empty() ? "" : " ") + "9,9"));
        EXPECT_EQ(ValueOf(saved, "Hide"), c.hide ? "1" : "0");
        if (!c.file) {
            EXPECT_EQ(saved, ConfigWith("9,9"));
        }
    }
}

TEST(Settings, SavedWhenTheMotionPageIsHiddenNotByTheCloseBoxAndEnterAndEscEndNothing) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(IsWindowVisible(app.Motion()) && !IsWindowVisible(app.About()));
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    EXPECT_TRUE(IsWindowVisible(app.About()) && !IsWindowVisible(app.Motion()));
    EXPECT_EQ(app.Config(), ConfigWith(""));
    // Hiding a hidden page, showing a page and Motion while Motion is shown save nothing.
    std::filesystem::remove(app.ConfigPath());
    for (int tab : {IDC_TAB_ABOUT, IDC_TAB_MOTION, IDC_TAB_MOTION})
        ASSERT_TRUE(Command(app.Main(), tab));
    EXPECT_FALSE(app.Config());
    EXPECT_TRUE(IsWindowVisible(app.Motion()) && !IsWindowVisible(app.About()));
    // Enter and Esc: posted before the Add, so served once its entry shows.
    for (WPARAM key : {VK_RETURN, VK_ESCAPE})
        PostMessageW(app.Control(IDC_POINTS), WM_KEYDOWN, key, 1);
    SetTextOf(app.Control(IDC_POSITION), "7,8");
    PostCommand(app.Motion(), IDC_ADD);
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"7,8"}; }));
    EXPECT_TRUE(app.Running() && IsWindowVisible(app.Main()));
    ASSERT_TRUE(SendServed(app.Control(IDC_HIDE_AFTER_START), BM_CLICK));
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    EXPECT_EQ(app.Config(), ConfigWith("7,8", "1"));
    // What changed since then is lost by the close box.
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_MOTION));
    ASSERT_TRUE(app.Add("9,9"));
    PostMessageW(app.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
    EXPECT_EQ(app.Config(), ConfigWith("7,8", "1"));
}

// The list scrolls sideways once its entries fill both columns: with the eleventh, not the tenth.
TEST(MotionPage, AddSelectAndRemove) {
    VarrelProcess app(ConfigWith("1,1"));
    ASSERT_TRUE(app.Start());
    // Position text -> what Add appends: nothing for an empty field, never white space (the entry
    // reads as the text does; an action after a blank is none), at most 14 characters.
    const std::pair<std::string, Texts> adds[] = {{"640,480", {"640,480"}},
                                                  {"", {}},
                                                  {"abc", {"abc"}},
                                                  {"-1234,1234", {"-1234,1234"}},
                                                  {"-12345,-12345,C", {"-12345,-12345,"}},
                                                  {" 12 , 34 ", {"12,34"}},
                                                  {"10 20", {"10"}},
                                                  {"  64 ,  48 , C", {"64,48"}},
                                                  {"  640 ,  480 ,C", {"640,480,C"}},
                                                  {"5,5", {"5,5"}}};
    Texts expected = {"1,1"};
    for (const auto& [typed, appended] : adds) {
        ASSERT_TRUE(app.Add(typed));
        expected.insert(expected.end(), appended.begin(), appended.end());
        EXPECT_EQ(app.Entries(), expected) << typed;
        EXPECT_EQ(app.Position(), typed) << "Add leaves the field as it was";
    }
    HWND list = app.Control(IDC_POINTS);
    EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "ten entries fit";
    ASSERT_TRUE(Command(app.Motion(), IDC_ADD, STN_DBLCLK));  // both clicks of a double-click add
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "the eleventh needs a scroll bar";
    ASSERT_TRUE(app.Select(2));
    EXPECT_EQ(app.Position(), "abc");
    ASSERT_TRUE(Command(app.Motion(), IDC_REMOVE));
    expected.erase(expected.begin() + 2);
    expected.push_back("5,5");
    EXPECT_EQ(app.Entries(), expected);
    EXPECT_EQ(app.Position(), "abc") << "Remove leaves the field as it was";
    ASSERT_TRUE(Command(app.Motion(), IDC_REMOVE));  // nothing selected now: nothing goes
    EXPECT_EQ(app.Entries(), expected);
}

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// At some moment the pixels inside the disc show inverted while one just outside its box does not;
// afterwards the screen is as it was. A missing y counts as 0.
TEST(MotionPage, ViewBlinksADiscAndLeavesTheScreenAsItWas) {
    VarrelProcess app(ConfigWith("100,100 200"));
    ASSERT_TRUE(app.Start());
    const POINT centres[] = {{100, 100}, {200, 0}};
    for (int i = 0; i < 2; ++i) {
        const POINT c = centres[i],
                    at[] = {c, {c.x - 2, c.y + 2}, {c.x + 2, c.y + 1}, {c.x, c.y + 7}};
        COLORREF before[4];
        for (int s = 0; s < 4; ++s) before[s] = ScreenPixel(at[s]);
        ASSERT_TRUE(app.Select(i));
        PostCommand(app.Motion(), IDC_VIEW);
        EXPECT_TRUE(WaitFor([&] {
            for (int s = 0; s < 3; ++s)
                if (ScreenPixel(at[s]) != (before[s] ^ 0xFFFFFFu)) return false;
            return ScreenPixel(at[3]) == before[3];
        })) << "no disc at entry "
            << i;
        ASSERT_TRUE(Sync(app.Motion()));  // the blink runs on the page's thread: it is over
        for (int s = 0; s < 4; ++s) EXPECT_EQ(ScreenPixel(at[s]), before[s]);
    }
}

TEST(ActionDialog, SetsOrClearsTheClickOfTheEntryInPlace) {
    VarrelProcess app(ConfigWith("10,20 30,40,C"));
    ASSERT_TRUE(app.Start());
    auto checked = [](HWND dialog, int id) {
        return SendServed(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
    };
    auto click = [](HWND dialog, int id) { return SendServed(GetDlgItem(dialog, id), BM_CLICK); };
    // Nothing is preselected, whatever the entry holds; only Click and none can be chosen.
    HWND dialog = app.OpenActionDialog(1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.Position(), "30,40,C");
    for (int id : {IDC_ACT_DOWN, IDC_ACT_UP, IDC_ACT_CLICK, IDC_ACT_DOUBLE, IDC_ACT_NONE}) {
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE,
                  id == IDC_ACT_CLICK || id == IDC_ACT_NONE);
        EXPECT_FALSE(checked(dialog, id)) << id;
    }
    // Esc does not close it: posted before the choice, it has been served once the choice shows.
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(GetDlgItem(dialog, IDC_ACT_NONE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return checked(dialog, IDC_ACT_NONE); }));
    click(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"10,20", "30,40"}; }));
    EXPECT_EQ(app.Selection(), 1);
    EXPECT_EQ(app.Position(), "30,40,C") << "the replacement does not touch the field";
    dialog = app.OpenActionDialog(0);
    click(dialog, IDC_ACT_CLICK);
    click(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"10,20,C", "30,40"}; }));
    EXPECT_EQ(app.Selection(), 0);
    // OK without a choice, and the close box after one, change nothing.
    click(app.OpenActionDialog(0), IDOK);
    dialog = app.OpenActionDialog(1);
    click(dialog, IDC_ACT_CLICK);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(Sync(app.Motion()));
    EXPECT_EQ(app.Entries(), (Texts{"10,20,C", "30,40"}));
}

// About's save fails silently (the list is still in the window); Close's asks whether to close
// without saving, naming the file and the reason, and No keeps the program and the list.
TEST(Settings, AFileThatCannotBeWrittenIsLeftIntactAndCloseAsks) {
    const std::string config = ConfigWith("1,1 2,2,C");
    VarrelProcess app(config);
    // Wine maps the read-only attribute to Unix write bits, which do not stop a superuser, so the
    // file is also held open with others denied writing.
    SetFileAttributesW(app.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY);
    UniqueHandle held(CreateFileW(app.ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Add("3,3"));
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_MOTION));
    PostCommand(app.Main(), IDC_TAB_CLOSE);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = GetLastActivePopup(app.Main())) != app.Main(); }));
    std::string texts;
    for (HWND c = GetWindow(question, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts += TextOf(c);
    EXPECT_NE(texts.find(app.ConfigPath().string()), std::string::npos) << texts;
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }));
    ASSERT_TRUE(Sync(app.Main()));
    EXPECT_TRUE(app.Running() && IsWindowVisible(app.Main()));
    EXPECT_EQ(app.Entries(), (Texts{"1,1", "2,2,C", "3,3"}));
    EXPECT_EQ(app.Config(), config);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(app.ConfigPath().parent_path()), {}), 2)
        << "no temporary or backup copy beside the exe and its file";
    held.Reset();
    SetFileAttributesW(app.ConfigPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace varrel::e2e
