// End-to-end tests through the window, driven by the messages its controls send: the settings at
// start and when they are saved, Enter and Esc, Add, selection, Remove, View, the mouse action
// dialog, and big, odd and read-only settings files.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"
#include "tests/support/long_text_match.h"

namespace varrel::e2e {
namespace {

using Texts = std::vector<std::string>;
using varrel::testing::SameText;

std::string ConfigWith(const std::string& point, const std::string& hide = "0") {
    return "[Main]\r\nPoint=" + point + "\r\nHide=" + hide + "\r\n";
}

// The value of the first line "key=..." after the line [Main] of a file's text.
std::string ValueOnLine(const std::string& text, const std::string& key) {
    for (std::size_t line = std::min(text.find("[Main]"), text.size()); line < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", line), text.size());
        if (text.compare(line, key.size() + 1, key + "=") == 0)
            return text.substr(line + key.size() + 1, end - line - key.size() - 1);
        line = end + 1;
    }
    return "(no " + key + ")";
}

// Pseudo-random bytes of every value but '[' (so they hold no section), the same on every run.
std::string Garbage(std::size_t size) {
    std::string bytes(size, '\0');
    uint32_t seed = 7;
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24) == '[' ? ']' : static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string Joined(const Texts& entries) {
    std::string joined;
    for (const std::string& e : entries) joined += (joined.empty() ? "" : " ") + e;
    return joined;
}

TEST(Settings, LoadedAtStartAndWrittenBackWholeByTheCloseTab) {
    Texts many;
    for (int i = 0; i < 100000; ++i) many.push_back(std::to_string(i) + "," + std::to_string(-i));
    const std::string garbage = Garbage(1 << 16), megabyte(1 << 20, '5');
    struct Case {
        std::optional<std::string> file;
        Texts entries;
        bool hide;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file->substr(0, 40) + "... " + std::to_string(c.file->size())
                            : "no file");
        VarrelProcess app(c.file);
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.HideAfterStart(), c.hide);
        if (c.entries.size() < 100) {
            EXPECT_TRUE(varrel::testing::SameTexts(app.Entries(), c.entries));
        }
        ASSERT_TRUE(app.Add("9,9"));
        app.PostTab(IDC_TAB_CLOSE);
        ASSERT_TRUE(app.WaitForExit());
        EXPECT_EQ(app.ExitCode(), 0u);
        const std::string saved = app.Config().value_or("");
        EXPECT_TRUE(SameText(ValueOnLine(saved, "Point"),
                             Joined(c.entries) + (c.entries.empty() ? "" : " ") + "9,9"));
        EXPECT_EQ(ValueOnLine(saved, "Hide"), c.hide ? "1" : "0");
        if (!c.file) {
            EXPECT_EQ(saved, ConfigWith("9,9"));
        }
    }
}

TEST(Settings, SavedWhenTheMotionPageIsHiddenAndNotByTheCloseBox) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(IsWindowVisible(app.MotionPage()));
    EXPECT_FALSE(IsWindowVisible(app.AboutPage()));
    ASSERT_TRUE(app.Tab(IDC_TAB_ABOUT));
    EXPECT_TRUE(IsWindowVisible(app.AboutPage()));
    EXPECT_EQ(app.Config(), ConfigWith(""));
    // Hiding a hidden page, showing a page and Motion while Motion is shown save nothing.
    std::filesystem::remove(app.ConfigPath());
    ASSERT_TRUE(app.Tab(IDC_TAB_ABOUT));
    ASSERT_TRUE(app.Tab(IDC_TAB_MOTION));
    ASSERT_TRUE(app.Add("7,8"));
    ASSERT_TRUE(app.Tab(IDC_TAB_MOTION));
    EXPECT_FALSE(app.Config().has_value());
    EXPECT_TRUE(IsWindowVisible(app.MotionPage()));
    EXPECT_FALSE(IsWindowVisible(app.AboutPage()));
    ASSERT_TRUE(SendServed(app.MotionControl(IDC_HIDE_AFTER_START), BM_CLICK));
    ASSERT_TRUE(app.Tab(IDC_TAB_ABOUT));
    EXPECT_EQ(app.Config(), ConfigWith("7,8", "1"));
    // What changed since then is lost by the close box.
    ASSERT_TRUE(app.Tab(IDC_TAB_MOTION));
    ASSERT_TRUE(app.Add("9,9"));
    app.CloseByCloseBox();
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
    EXPECT_EQ(app.Config(), ConfigWith("7,8", "1"));
}

TEST(Window, EnterAndEscDoNotEndIt) {
    VarrelProcess app;
    ASSERT_TRUE(app.Start());
    HWND list = app.MotionControl(IDC_POINTS);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        PostMessageW(list, WM_KEYDOWN, key, 1);
        PostMessageW(list, WM_KEYUP, key, 0xC0000001);
    }
    // Posted after the keys: once the entry shows, the keys have been served.
    app.SetPosition("1,2");
    PostMessageW(app.MotionPage(), WM_COMMAND, MAKEWPARAM(IDC_ADD, STN_CLICKED),
                 reinterpret_cast<LPARAM>(app.MotionControl(IDC_ADD)));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"1,2"}; }));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()) && IsWindowVisible(app.MotionPage()));
}

TEST(MotionPage, AddSelectAndRemove) {
    VarrelProcess app(ConfigWith("1,1"));
    ASSERT_TRUE(app.Start());
    // Position text -> what Add appends (nothing for an empty field; at most 14 characters).
    const std::pair<std::string, Texts> adds[] = {
        {"640,480", {"640,480"}},
        {"", {}},
        {"abc", {"abc"}},
        {"-1234,1234", {"-1234,1234"}},
        {"-12345,-12345,C", {"-12345,-12345,"}},
    };
    Texts expected = {"1,1"};
    for (const auto& [typed, appended] : adds) {
        ASSERT_TRUE(app.Add(typed));
        expected.insert(expected.end(), appended.begin(), appended.end());
        EXPECT_EQ(app.Entries(), expected) << typed;
        EXPECT_EQ(app.Position(), typed) << "Add leaves the field as it was";
    }
    // Both clicks of a double-click on the image add.
    ASSERT_TRUE(app.Add("5,5"));
    ASSERT_TRUE(app.Command(IDC_ADD, STN_DBLCLK));
    EXPECT_EQ(app.Entries().size(), expected.size() + 2);
    ASSERT_TRUE(app.Select(2));
    EXPECT_EQ(app.Position(), "abc");
    ASSERT_TRUE(app.Command(IDC_REMOVE));
    expected.erase(expected.begin() + 2);
    expected.insert(expected.end(), {"5,5", "5,5"});
    EXPECT_EQ(app.Entries(), expected);
    EXPECT_EQ(app.Position(), "abc") << "Remove leaves the field as it was";
    ASSERT_TRUE(app.Command(IDC_REMOVE));  // nothing selected now: nothing goes
    EXPECT_EQ(app.Entries(), expected);
}

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// At some moment every sampled pixel inside the disc shows inverted while one just outside its
// box does not; afterwards the screen is as it was. A missing y counts as 0.
TEST(MotionPage, ViewBlinksADiscAndLeavesTheScreenAsItWas) {
    VarrelProcess app(ConfigWith("100,100 200"));
    ASSERT_TRUE(app.Start());
    const POINT centres[] = {{100, 100}, {200, 0}};
    for (int i = 0; i < 2; ++i) {
        const POINT c = centres[i];
        const POINT samples[] = {c, {c.x - 2, c.y + 2}, {c.x + 2, c.y + 1}, {c.x, c.y + 7}};
        COLORREF before[4];
        for (int s = 0; s < 4; ++s) before[s] = ScreenPixel(samples[s]);
        ASSERT_TRUE(app.Select(i));
        PostMessageW(app.MotionPage(), WM_COMMAND, MAKEWPARAM(IDC_VIEW, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] {
            for (int s = 0; s < 3; ++s)
                if (ScreenPixel(samples[s]) != (before[s] ^ 0xFFFFFFu)) return false;
            return ScreenPixel(samples[3]) == before[3];
        })) << "the disc never showed at entry "
            << i;
        // The blink runs on the page's thread: once it serves a message again, it is over.
        ASSERT_TRUE(Sync(app.MotionPage()));
        for (int s = 0; s < 4; ++s) EXPECT_EQ(ScreenPixel(samples[s]), before[s]);
    }
}

TEST(ActionDialog, SetsOrClearsTheClickOfTheEntryInPlace) {
    VarrelProcess app(ConfigWith("10,20 30,40,C"));
    ASSERT_TRUE(app.Start());
    auto click = [](HWND dialog, int id) { return SendServed(GetDlgItem(dialog, id), BM_CLICK); };
    // Nothing is preselected, whatever the entry holds; only Click and none can be chosen.
    HWND dialog = app.OpenActionDialog(1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.Position(), "30,40,C");
    const std::pair<int, bool> choices[] = {{IDC_ACT_DOWN, false},
                                            {IDC_ACT_UP, false},
                                            {IDC_ACT_CLICK, true},
                                            {IDC_ACT_DOUBLE, false},
                                            {IDC_ACT_NONE, true}};
    for (const auto& [id, enabled] : choices) {
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE, enabled) << id;
        EXPECT_EQ(SendServed(GetDlgItem(dialog, id), BM_GETCHECK), BST_UNCHECKED) << id;
    }
    // Esc does not close it.
    PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(GetDlgItem(dialog, IDC_ACT_NONE), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor(
        [&] { return SendServed(GetDlgItem(dialog, IDC_ACT_NONE), BM_GETCHECK) == BST_CHECKED; }));
    ASSERT_TRUE(IsWindow(dialog));
    click(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"10,20", "30,40"}; }));
    EXPECT_EQ(app.Selection(), 1);
    EXPECT_EQ(app.Position(), "30,40,C") << "the replacement does not touch the field";

    dialog = app.OpenActionDialog(0);
    click(dialog, IDC_ACT_CLICK);
    click(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"10,20,C", "30,40"}; }));
    EXPECT_EQ(app.Selection(), 0);
    EXPECT_EQ(app.Position(), "10,20");
    // OK without a choice, and the close box after one, change nothing.
    click(app.OpenActionDialog(0), IDOK);
    dialog = app.OpenActionDialog(1);
    click(dialog, IDC_ACT_CLICK);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(Sync(app.MotionPage()));
    EXPECT_EQ(app.Entries(), (Texts{"10,20,C", "30,40"}));
}

// Read-only for the length of a scope. Wine maps the attribute to the Unix write bits, which do
// not stop a superuser, so the file is also held open with others denied writing.
class ReadOnlyWhileInScope {
  public:
    explicit ReadOnlyWhileInScope(const std::filesystem::path& path)
        : path_(path),
          set_(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0),
          held_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
    ~ReadOnlyWhileInScope() {
        held_.Reset();
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    bool Set() const { return set_ && static_cast<bool>(held_); }

  private:
    std::filesystem::path path_;
    bool set_;
    UniqueHandle held_;
};

TEST(Settings, AFileThatCannotBeWrittenIsLeftIntactAndThePageGoesOn) {
    const std::string config = ConfigWith("1,1 2,2,C");
    VarrelProcess app(config);
    ReadOnlyWhileInScope readOnly(app.ConfigPath());
    ASSERT_TRUE(readOnly.Set());
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Add("3,3"));
    ASSERT_TRUE(app.Tab(IDC_TAB_ABOUT));
    ASSERT_TRUE(app.Tab(IDC_TAB_MOTION));
    ASSERT_TRUE(app.Add("4,4"));
    EXPECT_EQ(app.Entries(), (Texts{"1,1", "2,2,C", "3,3", "4,4"}));
    EXPECT_EQ(app.Config(), config);
    const auto files =
        std::distance(std::filesystem::directory_iterator(app.ConfigPath().parent_path()),
                      std::filesystem::directory_iterator());
    EXPECT_EQ(files, 2) << "no temporary or backup copy beside the exe and its file";
}

}  // namespace
}  // namespace varrel::e2e
