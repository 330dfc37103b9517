// End-to-end tests of runs and real input, every injected pointer event recorded by a hook.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <iomanip>
#include <iostream>
#include <memory>
#include <thread>

#include "tests/e2e/driver_win.h"
#include "win/text_win.h"

namespace varrel::e2e {
namespace {

using testing::EventTexts, testing::IsLaps, testing::Mouse, testing::PerSecond, testing::Texts,
    testing::WaitFor;

constexpr char START[] = "&Start";
constexpr char STOP[] = "&Stop";
constexpr DWORD QUIET_MS = 150;  // several step times: a key that should do nothing has had time
// Under Wine X's report of a move can overtake the next one: input lost so is made again, counted.
constexpr int MAX_REMADE_INPUTS = 3;  // in one test; more is a fault, not a late report

std::string Text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

class RunTest : public ::testing::Test {
  protected:
    // The program's atom is left as it was found; input made again is printed, and bounded.
    void TearDown() override {
        EXPECT_EQ(GlobalFindAtomA("Varrel") != 0, atomBefore);
        std::cout << remade << " inputs made again\n";
        EXPECT_LE(remade, MAX_REMADE_INPUTS);
    }
    // After a stop (or the test's move at `ours` that stopped it) nothing comes, but a pending
    // press's release, before a marker: returned, those.
    std::vector<testing::MouseEvent> ExpectQuietAfter(int64_t since, POINT ours = {-1, -1}) {
        std::vector<testing::MouseEvent> events = hook.InjectedBeforeMarker();
        Texts late = EventTexts(events, ours, since);
        if (!late.empty() && late[0][0] == 'U') late.erase(late.begin());  // a pending release
        EXPECT_EQ(late, Texts{}) << "events after " << (ours.x == -1 ? "the stop" : "the move");
        return events;
    }
    int remade = 0;
    const bool atomBefore = GlobalFindAtomA("Varrel") != 0;
    testing::MouseHookRecorder hook;
};

// The typical use by real input: after the file's click at 150,120, pick a point by dragging from
// the target, add it, start, stop by Shift+Esc, then a hidden run, and leave by the Close tab.
// (Stop by the button, a session's end, the action dialog, the Close tab's save: other tests.)
TEST_F(RunTest, TheTypicalUseByRealInputAndAHiddenRun) {
    VarrelProcess app(ConfigWith("150,120,C"));
    // Started clear of every path below, so that the worker never clicks on its own window.
    ASSERT_TRUE(hook.Installed());
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.MoveTo({700, 520}));
    const POINT onTarget = CentreOf(app.Control(IDC_TARGET)), pick{160, 120};
    // A lost move or press is made again, counted (two unseen moves: released, pressed again).
    ASSERT_TRUE(app.Settle());
    for (int attempt = 0; app.Position() != Text(pick); ++attempt) {
        ASSERT_LT(attempt, 4) << app.Position();
        remade += attempt > 0;
        if (attempt == 2) Mouse({{MOUSEEVENTF_LEFTUP, onTarget}});
        if (attempt % 2 == 0) Mouse({{MOUSEEVENTF_LEFTDOWN, onTarget}});
        Mouse({{0, pick}});
        WaitFor([&] { return app.Position() == Text(pick); }, 3000);
    }
    Mouse({{MOUSEEVENTF_LEFTUP, pick}});
    ASSERT_TRUE(app.Settle()) << "the capture is kept after the release";
    Click(CentreOf(app.Control(IDC_ADD)));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"150,120,C", "160,120"}; }));

    // Exact laps until Shift+Esc stops them at once; Shift+Esc while idle and plain Esc do nothing;
    // Start takes Shift+Esc; Hide after start minimizes, to stay so.
    Texts lap = {"D150,120", "U150,120"};  // then out to 160,120 and back, one pixel a step
    for (int x = 150; x < 170; ++x) lap.push_back("M" + Text({x > 160 ? 320 - x : x, 120}));
    const POINT button = CentreOf(app.Control(IDC_START));
    for (int run = 0; run < 2; ++run) {  // started by a click, then by message and hidden
        PressKeys({VK_SHIFT, VK_ESCAPE});
        Sleep(QUIET_MS);
        ASSERT_EQ(app.StartCaption(), START);
        ASSERT_TRUE(run != 1 || SendServed(app.Control(IDC_HIDE_AFTER_START), BM_CLICK));
        ASSERT_TRUE(app.Settle());
        hook.Clear();
        if (run == 0) Click(button);
        ASSERT_TRUE(run == 0 || app.PressStart());
        ASSERT_TRUE(WaitFor([&] { return app.StartCaption() == STOP; }))
            << "run " << run << " starts";
        ASSERT_TRUE(
            WaitFor([&] { return EventTexts(hook.Injected(), button).size() > 2 * lap.size(); }));
        PressKeys({VK_ESCAPE});
        Sleep(QUIET_MS);
        EXPECT_EQ(app.StartCaption(), STOP);
        PressKeys({VK_SHIFT, VK_ESCAPE});
        ASSERT_TRUE(WaitFor([&] { return app.StartCaption() == START; }))
            << "run " << run << " goes on after its stop, the button reads " << app.StartCaption();
        const auto events = ExpectQuietAfter(testing::Now());
        EXPECT_TRUE(IsLaps(EventTexts(events, button), lap, 2)) << "the laps of run " << run;
        ASSERT_TRUE(app.Settle());
        EXPECT_EQ(IsIconic(app.Main()) != FALSE, run == 1);
    }
    ASSERT_TRUE(SendServed(app.Main(), WM_SYSCOMMAND, SC_RESTORE));
    ASSERT_TRUE(app.Settle());
    Click(CentreOf(GetDlgItem(app.Main(), IDC_TAB_CLOSE)));
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// The pointer taken during a run, by a move of the test's 50 pixels off the path: the run stops
// before its next event but the release of its held button, and says why; a press of Start right
// after that starts nothing, one after the rest does; with the check box off the run goes on.
// Prints the time from the move to the caption's change.
TEST_F(RunTest, ARunGivesThePointerBackToWhoeverMovesIt) {
    VarrelProcess app(ConfigWith("150,120,C 170,120"));
    ASSERT_TRUE(hook.Installed());
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.MoveTo({700, 520}));
    HWND start = app.Control(IDC_START);
    std::vector<double> delays;
    for (int trial = 0; trial < 4; ++trial) {
        const bool watching = trial < 3;
        SCOPED_TRACE("trial " + std::to_string(trial));
        ASSERT_EQ(Checked(app.Control(IDC_STOP_ON_MOVE)), trial < 3) << "on unless unchecked";
        ASSERT_TRUE(app.Settle());
        hook.Clear();
        ASSERT_TRUE(app.PressStart());
        ASSERT_TRUE(hook.WaitForTexts(5)) << "the run did not move the pointer";
        POINT now{};
        GetCursorPos(&now);
        const POINT away{now.x, now.y + 50};
        Mouse({{0, away}});
        const int64_t moved = testing::Now();
        if (!watching) {
            ASSERT_TRUE(WaitFor([&] {
                return EventTexts(hook.Injected(), away, moved).size() > 5;
            })) << "the run stopped with the check box off";
            EXPECT_EQ(app.StartCaption(), STOP);
            ASSERT_TRUE(app.PressStart());
            break;
        }
        ASSERT_TRUE(WaitFor([&] { return app.StartCaption() == START; })) << "the run goes on";
        delays.push_back(double(testing::Now() - moved) * 1000.0 / double(PerSecond()));
        EXPECT_EQ(app.Status(), "Stopped: the mouse was moved.");
        ExpectQuietAfter(moved, away);
        if (trial == 0) {
            const int64_t stopped = testing::Now();
            Click(CentreOf(start));
            Sleep(QUIET_MS);
            // Checked only where the press came well within the guard's time.
            if (double(testing::Now() - stopped) / double(PerSecond()) < 1.5) {
                EXPECT_EQ(app.StartCaption(), START) << "the press meant for Stop started a run";
            }
        }
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(start) != FALSE; }));
        if (trial == 2) {
            ASSERT_TRUE(SendServed(app.Control(IDC_STOP_ON_MOVE), BM_CLICK));
        }
    }
    std::cout << "from the move to the stop:";
    for (double ms : delays) std::cout << ' ' << std::fixed << std::setprecision(1) << ms << " ms";
    std::cout << '\n';
}

// The corners of the desktop and points on no screen are the run's own places: two laps and
// no stop, and no click on no screen, which the status line names.
TEST_F(RunTest, EdgesAndPointsOnNoScreenNeverStopARunByThemselves) {
    const std::pair<const char*, const char*> paths[] = {
        {"-4,-3,C 2,1", "Point 1 (-4,-3) is on no screen: no click there."},
        {"1021,765 1030,770,C 1023,767", "Point 2 (1030,770) is on no screen: no click there."}};
    for (const auto& [path, said] : paths) {
        SCOPED_TRACE(path);
        const std::string status = said;
        VarrelProcess app(ConfigWith(path));
        ASSERT_TRUE(hook.Installed());
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.MoveTo({700, 520}));
        ASSERT_TRUE(app.Settle());
        hook.Clear();
        ASSERT_TRUE(app.PressStart());
        ASSERT_TRUE(WaitFor([&] { return app.Status() == status; })) << app.Status();
        ASSERT_TRUE(hook.WaitForTexts(50)) << "two laps";  // 18 and 28 steps a lap
        EXPECT_EQ(app.StartCaption(), STOP) << app.Status();
        ASSERT_TRUE(app.PressStart());
        for (const std::string& e : EventTexts(hook.InjectedBeforeMarker()))
            EXPECT_NE(e[0], 'D') << "a click on no screen";
    }
}

// A screen reader's object for a control, from this process through oleacc; null for none.
using Object = std::unique_ptr<IAccessible, void (*)(IAccessible*)>;
Object ObjectOf(HWND control) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    return Object(object, [](IAccessible* o) { o->Release(); });
}
VARIANT Self() {
    VARIANT self{};  // lVal: CHILDID_SELF
    self.vt = VT_I4;
    return self;
}
HRESULT DoDefault(HWND control) {
    const Object object = ObjectOf(control);
    return object ? object->accDoDefaultAction(Self()) : E_POINTER;
}
std::string Said(BSTR text) {
    std::string said = text ? Narrow(text) : "";
    SysFreeString(text);
    return said;
}

IUnknown* Identity(IUnknown* object) {  // its IUnknown, which the object holds meanwhile
    IUnknown* identity = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity))))
        identity->Release();
    return identity;
}

// What a screen reader reads of a picture: name|role|default action|selected or selectable.
std::string Row(HWND control) {
    const Object object = ObjectOf(control);
    if (!object) return "|no object";
    BSTR name = nullptr, action = nullptr;
    VARIANT role{}, state{};
    object->get_accName(Self(), &name);
    object->get_accRole(Self(), &role);
    object->get_accDefaultAction(Self(), &action);
    object->get_accState(Self(), &state);
    wchar_t roleText[64] = L"";
    GetRoleTextW(role.vt == VT_I4 ? role.lVal : 0, roleText, 64);
    const long bits = state.vt == VT_I4 ? state.lVal : 0;
    return Said(name) + "|" + Narrow(roleText) + "|" + Said(action) + "|" +
           (bits & STATE_SYSTEM_SELECTED     ? "selected"
            : bits & STATE_SYSTEM_SELECTABLE ? "selectable"
                                             : "");
}

// A screen reader's questions on every control under `window`; returns how many told a name.
int AskEveryName(HWND window) {
    int named = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        named += (Row(c)[0] != '|') + AskEveryName(c);
    return named;
}

// From another process: every control's name (the separators none, the status line nothing yet),
// no access key serving two; every picture that acts as a button or a tab does by its default
// action what Space does, the call returning first (the Close tab's question comes after it); the
// shown page's tab is the selected one; the object is one COM object, and the window's.
TEST_F(RunTest, APicturesDefaultActionDoesWhatSpaceOnItDoes) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as a screen reader's thread is
    VarrelProcess app(ConfigWith("1,1"));
    ASSERT_TRUE(app.Start());
    std::string table, names, keys;  // the owner-drawn statics' rows; every control's name
    for (HWND parent : {app.Main(), app.Motion()}) {
        for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (c == app.About() || c == app.Motion()) continue;
            const std::string row = Row(c), text = TextOf(c);
            names += row.substr(0, row.find('|') + 1);
            if ((GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW)
                table += row + "\n";
            if (const auto amp = text.find('&'); amp != std::string::npos && amp + 1 < text.size())
                keys += char(std::toupper(text[amp + 1]));
        }
    }
    std::cout << table;
    EXPECT_EQ(names,
              "Varrel|Motion|About|Close|||||Points|Position|Position|Pick a position|Add|"
              "Hide after start|Stop when the mouse moves|Start|View|Remove||");
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << keys;
    EXPECT_EQ(
        table,
        "Varrel|graphic||\nMotion|page tab|Switch|selected\nAbout|page tab|Switch|selectable\n"
        "Close|push button|Press|\n|separator||\n|separator||\n|separator||\n|separator||\n"
        "Pick a position|push button|Press|\nAdd|push button|Press|\n");

    const HWND about = GetDlgItem(app.Main(), IDC_TAB_ABOUT),
               close = GetDlgItem(app.Main(), IDC_TAB_CLOSE);
    const Object tab = ObjectOf(about);
    ASSERT_TRUE(tab);
    IDispatch* dispatch = nullptr;
    void* other = nullptr;
    ASSERT_EQ(tab->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(Identity(tab.get()), Identity(dispatch));
    dispatch->Release();
    EXPECT_EQ(tab->QueryInterface(__uuidof(IEnumVARIANT), &other), E_NOINTERFACE)
        << "an interface of the standard object, another object";
    HWND window = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(tab.get(), &window), S_OK);
    EXPECT_EQ(window, about);

    ASSERT_TRUE(SendServed(app.Control(IDC_POSITION), WM_SETTEXT, 0, LPARAM(L"12,34")));
    EXPECT_EQ(DoDefault(app.Control(IDC_ADD)), S_OK) << "Add";
    EXPECT_TRUE(WaitFor([&] {
        return app.Entries() == Texts{"1,1", "12,34"};
    })) << "Add added nothing";
    const POINT put{321, 234};
    POINT at{};
    Mouse({{0, put}});
    ASSERT_TRUE(WaitFor([&] { return GetCursorPos(&at) && at.x == put.x && at.y == put.y; }))
        << "the pointer stays at " << Text(at);
    EXPECT_EQ(DoDefault(app.Control(IDC_TARGET)), S_OK) << "the target";
    EXPECT_TRUE(WaitFor([&] { return app.Position() == Text(put); })) << app.Position();
    std::filesystem::remove(app.ConfigPath());
    EXPECT_EQ(DoDefault(about), S_OK) << "the About tab";
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(app.About()) && app.Config(); }))
        << "the About tab did not switch pages and save";
    EXPECT_EQ(Row(about), "About|page tab|Switch|selected");

    // The file held from writing, a run going: the Close tab's call returns, the run ends before
    // the question; No keeps the program and its list, Yes closes without saving.
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_MOTION));
    ASSERT_TRUE(app.Add("5,6"));
    const std::optional<std::string> saved = app.Config();
    const UniqueHandle held(CreateFileW(app.ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held) << "holding the file";
    ASSERT_TRUE(app.PressStart());
    for (int answer : {IDNO, IDYES}) {
        EXPECT_EQ(app.Entries(), (Texts{"1,1", "12,34", "5,6"})) << "the list, before " << answer;
        std::atomic<HRESULT> closed{E_PENDING};
        std::thread reader([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            closed = DoDefault(close);
            CoUninitialize();
        });
        EXPECT_TRUE(WaitFor([&] { return closed == S_OK; }))
            << "the Close tab's call gave " << closed.load()
            << " (E_PENDING: it waits on the question)";
        ASSERT_TRUE(WaitFor([&] { return GetLastActivePopup(app.Main()) != app.Main(); }));
        EXPECT_EQ(app.StartCaption(), START) << "the run goes on under the question";
        EXPECT_TRUE(app.Answer(answer, "could not be saved")) << "the Close tab asked nothing";
        reader.join();
    }
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(app.Config(), saved);
    CoUninitialize();
}

// Windows looks for every DLL outside its KnownDLLs beside the exe first; Wine does for those named
// here, for varrel.exe (WINEDLLOVERRIDES would have to be in the Unix environment of the session).
struct NativeFirst {
    ~NativeFirst() { RegDeleteTreeW(HKEY_CURRENT_USER, KEY); }
    bool Add(const std::wstring& dll) const {
        return !RegSetKeyValueW(HKEY_CURRENT_USER, KEY, dll.c_str(), REG_SZ, L"native,builtin", 30);
    }
    static constexpr wchar_t KEY[] = L"Software\\Wine\\AppDefaults\\varrel.exe\\DllOverrides";
};

// DLLs named like every one varrel.exe imports or loads, planted beside it and put first in the
// search: none is loaded at start, by the names, a run, a save or the close.
TEST_F(RunTest, NoDllPlantedBesideTheExeIsLoaded) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as a screen reader's thread is
    VarrelProcess app(ConfigWith("150,120 250,120"));
    const NativeFirst nativeFirst;
    std::string names;
    for (const auto& dll : std::filesystem::directory_iterator(PLANTED_DLLS)) {
        if (dll.path().extension() != ".dll") continue;
        ASSERT_TRUE(nativeFirst.Add(dll.path().stem().wstring()));
        names += " " + dll.path().filename().string();
        ASSERT_TRUE(std::filesystem::copy_file(dll.path(), app.Folder() / dll.path().filename()));
    }
    ASSERT_FALSE(names.empty()) << "nothing to plant in " << PLANTED_DLLS;
    ASSERT_TRUE(app.Start());
    EXPECT_GT(AskEveryName(app.Main()), 0) << "no control told its name";
    ASSERT_TRUE(app.MoveTo({700, 520}));  // clear of the path
    ASSERT_TRUE(app.PressStart());
    ASSERT_TRUE(hook.WaitForTexts(3)) << "the run did not move the pointer";
    ASSERT_TRUE(app.PressStart());
    ASSERT_TRUE(WaitFor([&] { return app.StartCaption() == START; })) << "the run did not stop";
    std::filesystem::remove(app.ConfigPath());
    ASSERT_TRUE(Command(app.Main(), IDC_TAB_ABOUT));
    EXPECT_TRUE(app.Config()) << "the About tab saved nothing";
    ASSERT_TRUE(PostCommand(app.Main(), IDC_TAB_CLOSE));
    EXPECT_EQ(app.WaitForExit(), 0u);
    Texts marks;
    for (const auto& file : std::filesystem::directory_iterator(app.Folder()))
        if (file.path().extension() == ".loaded") marks.push_back(file.path().stem().string());
    std::cout << "planted" << names << "; loaded " << marks.size() << "\n";
    EXPECT_EQ(marks, Texts{});
}

}  // namespace
}  // namespace varrel::e2e
