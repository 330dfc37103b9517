// End-to-end tests through the window by messages: the settings file, the Motion page, the dialog.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using testing::Texts, testing::WaitFor;

std::string Joined(const Texts& entries) {
    std::string joined;
    for (const std::string& e : entries) joined += (joined.empty() ? "" : " ") + e;
    return joined;
}

// What only the whole program shows (the profile rules, a megabyte entry and deep paths: their own
// tests): 8-bit bytes and 100,000 entries, in a folder of any name. (Two spaces between entries
// come back as one: the file is written anew.)
TEST(Settings, LoadedAtStartAndWrittenBackWholeByTheCloseTab) {
    Texts many;
    for (int i = 0; i < 100000; ++i) many.push_back(std::to_string(i) + "," + std::to_string(-i));
    // Greek, Cyrillic and Chinese: no ANSI code page has all three.
    const std::wstring deep = L"-\u03A9\u03BC\u03AD\u03B3\u03B1-\u0416\u0430\u0440-\u6F22\u5B57\\x";
    const std::tuple<std::string, Texts, bool> cases[] = {
        {ConfigWith("\xe9,\xff  1,1,\x80 \x81\x8d\x8f\x90\x9d"),
         {"\xe9,\xff", "1,1,\x80", "\x81\x8d\x8f\x90\x9d"},
         false},
        {ConfigWith(Joined(many), "1"), many, true}};
    for (const auto& [file, entries, hide] : cases) {
        SCOPED_TRACE(file.substr(0, 30));
        VarrelProcess app(file, deep);
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(PostCommand(app.Main(), IDC_TAB_CLOSE));
        EXPECT_EQ(app.WaitForExit(), 0u);
        const std::string saved = app.Config().value_or(""),
                          want = ConfigWith(Joined(entries), hide ? "1" : "0");
        ASSERT_GE(saved.size(), want.size());
        EXPECT_TRUE(saved.compare(saved.size() - want.size(), want.size(), want) == 0)
            << "the file ends otherwise";
    }
}

// Held across the start, UTF-16 cut inside a character or without its mark: the user is told,
// naming the file (and for UTF-16, why, in plain words); About and a cancelled Close leave it as it
// was; at the Close, No leaves it too, Yes replaces it without reading it.
TEST(Settings, AFileThatCouldNotBeReadIsReplacedOnlyWithTheUsersWord) {
    const std::string unmarked("[\0M\0a\0i\0n\0]\0\r\0\n\0H\0i\0d\0e\0=\0\x31\0\r\0\n\0", 32);
    const std::tuple<std::string, bool, int> cases[] = {
        {ConfigWith("1,1 2,2", "1"), true, IDNO},
        {std::string("\xFF\xFE[\0M\0]\0x", 9), false, IDYES},
        {unmarked, false, IDNO}};
    for (const auto& [file, hold, answer] : cases) {
        SCOPED_TRACE(file.substr(0, 8));
        VarrelProcess app(file);
        UniqueHandle held(hold ? CreateFileW(app.ConfigPath().c_str(), GENERIC_READ, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)
                               : nullptr);
        const std::string told = app.ConfigPath().string() + "\ncould not be read";
        ASSERT_TRUE(!hold || held) << "holding the file";
        const std::string why = hold ? "" : ":\nThe file is not text Varrel can read";
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.Answer(IDOK, told + why));
        EXPECT_TRUE(app.Entries().empty());
        held.Reset();
        ASSERT_TRUE(app.Add("3,3"));
        ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
        for (int button : {IDCANCEL, answer}) {
            EXPECT_EQ(app.Config(), file);
            ASSERT_TRUE(PostCommand(app.Main(), IDC_TAB_CLOSE));
            ASSERT_TRUE(app.Answer(button, told));
        }
        EXPECT_EQ(app.WaitForExit(), 0u);
        EXPECT_EQ(app.Config(), answer == IDYES ? ConfigWith("3,3") : file);
    }
}

// One program through the whole window, each step from the state the one before left.
TEST(Window, ViewTabsAddSelectRemoveTheActionDialogAndHide) {
    VarrelProcess app(ConfigWith("100,100 200 1,1 2,2 3,3 4,4 5,5"));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Add("640,480"));
    Texts expected = {"100,100", "200", "1,1", "2,2", "3,3", "4,4", "5,5", "640,480"};
    HWND list = app.Control(IDC_POINTS);
    // Only hiding the Motion page saves: not hiding a hidden page, nor showing one.
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    std::filesystem::remove(app.ConfigPath());
    for (int t : {IDC_TAB_ABOUT, IDC_TAB_MOTION, IDC_TAB_MOTION})
        ASSERT_TRUE(Command(app.Main(), t));
    EXPECT_FALSE(app.Config());
    EXPECT_TRUE(IsWindowVisible(app.Motion()));
    EXPECT_FALSE(IsWindowVisible(app.About()));
    // What Add appends of the typed text (typed, appended): nothing if blank, the compact form (its
    // rule: the native tests); one that is too long for an entry nothing, and the page says why
    // until Position changes; a double-click adds twice. The eleventh entry brings a sideways bar.
    const std::pair<const char*, const char*> adds[] = {{"", ""},
                                                        {"-12345,-12345,C", ""},
                                                        {" -1234 , -1234 ,C ", "-1234,-1234,C"},
                                                        {"  640 ,  480 ,C", "640,480,C"},
                                                        {"  640 ,  480 ,C", "640,480,C"}};
    for (int i = 0; i < 5; ++i) {
        const auto [typed, appended] = adds[i];
        ASSERT_TRUE(app.Add(typed, i == 4 ? STN_DBLCLK : STN_CLICKED));
        if (*appended) expected.push_back(appended);
        EXPECT_EQ(app.Entries(), expected) << typed;
        EXPECT_EQ(app.Position(), typed) << "Add leaves the field as it was";
        EXPECT_EQ(TextOf(app.Control(IDC_STATUS)),
                  i == 1 ? "Not added: more than 14 characters." : "")
            << typed;
        EXPECT_EQ((GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0, expected.size() > 10);
    }
    ASSERT_TRUE(app.Select(3));
    ASSERT_TRUE(Command(app.Motion(), IDC_REMOVE));
    expected.erase(expected.begin() + 3);
    EXPECT_EQ(app.Entries(), expected);
    // The sideways bar that the eleventh entry needed goes with it.
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL, 0) << "ten entries and a sideways bar";
    EXPECT_EQ(app.Position(), "2,2") << "Select fills the field, Remove leaves it";
    // The dialog on an entry with a click: nothing preselected (a choice made: the keyboard test).
    HWND dialog = app.OpenActionDialog(9);
    ASSERT_NE(dialog, nullptr) << "the mouse action dialog did not show";
    for (int id : {IDC_ACT_DOWN, IDC_ACT_UP, IDC_ACT_CLICK, IDC_ACT_DOUBLE, IDC_ACT_NONE})
        EXPECT_FALSE(Checked(GetDlgItem(dialog, id))) << id;
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "the dialog stays";
    // Hiding the page saves the list and Hide after start in a file made anew.
    ASSERT_TRUE(SendServed(app.Control(IDC_HIDE_AFTER_START), BM_CLICK));
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    EXPECT_EQ(app.Config(), ConfigWith(Joined(expected), "1"));
}

// The session's news, as Windows sends it (WM_WTSSESSION_CHANGE and its codes).
constexpr UINT SESSION_CHANGE = 0x02B1;
constexpr WPARAM REMOTE_DISCONNECT = 4, SESSION_LOCK = 7, SESSION_UNLOCK = 8;

// Seen by a WinEvent hook of this process: the name changes of the status line it watches.
HWND g_watchedLine = nullptr;
int g_lineChanges = 0;
void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (window == g_watchedLine && object == OBJID_CLIENT) ++g_lineChanges;
}

// The program no longer in charge of the screen stops its run (a run of one point sends nothing,
// so nothing here moves the pointer) and says why, which a screen reader hears; nothing starts a
// run again but the user.
TEST(Window, ALockADisconnectOrAChangeOfScreensStopsARunAndSaysWhy) {
    VarrelProcess app(ConfigWith("40,40"));
    ASSERT_TRUE(app.Start());
    g_watchedLine = app.Control(IDC_STATUS);
    DWORD process = 0;
    GetWindowThreadProcessId(app.Main(), &process);
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnNameChange,
                        process, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    const auto heard = [](int changes) {
        return WaitFor([&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return g_lineChanges >= changes;
        });
    };
    const std::tuple<UINT, WPARAM, const char*> stops[] = {
        {SESSION_CHANGE, SESSION_LOCK, "Stopped: the session was locked."},
        {SESSION_CHANGE, REMOTE_DISCONNECT, "Stopped: the session was disconnected."},
        {WM_DISPLAYCHANGE, 32, "Stopped: the screens changed."}};
    for (const auto& [message, wParam, why] : stops) {
        SCOPED_TRACE(why);
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(app.Control(IDC_START)) != FALSE; }));
        ASSERT_TRUE(app.PressStart());
        ASSERT_EQ(app.StartCaption(), "&Stop");
        ASSERT_TRUE(SendServed(app.Main(), SESSION_CHANGE, SESSION_UNLOCK));
        EXPECT_EQ(app.StartCaption(), "&Stop") << "an unlock stopped the run";
        const int before = g_lineChanges;
        ASSERT_TRUE(SendServed(app.Main(), message, wParam));
        EXPECT_EQ(app.StartCaption(), "&Start");
        EXPECT_EQ(app.Status(), why);
        EXPECT_TRUE(heard(before + 1)) << "no name change of the status line";
        ASSERT_TRUE(SendServed(app.Main(), SESSION_CHANGE, SESSION_UNLOCK));
        EXPECT_EQ(app.StartCaption(), "&Start") << "the run came back by itself";
    }
    UnhookWinEvent(hook);
}

}  // namespace
}  // namespace varrel::e2e
