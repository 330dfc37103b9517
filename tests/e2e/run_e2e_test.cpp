// End-to-end tests of runs and real input: what the running program injects (recorded by a
// low-level mouse hook), Start, Stop, Shift+Esc, Hide after start, the end of the program, and one
// typical use by real input, from the position-picker drag to the save.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using testing::EventTexts;
using testing::IsLaps;

constexpr char START[] = "&Start";
constexpr char STOP[] = "&Stop";
constexpr DWORD QUIET_MS = 150;  // several step times: an event that should not come shows up

std::string Config(const std::string& points, bool hide = false) {
    return "[Main]\r\nPoint=" + points + "\r\nHide=" + (hide ? "1" : "0") + "\r\n";
}

// One lap of the list 100,100 110,100,C: out to the click, the click, and back.
Texts ClickLap() {
    Texts lap = testing::MovesAlong(100, 110, 100);
    lap.insert(lap.end(), {"D110,100", "U110,100"});
    for (const std::string& move : testing::MovesAlong(110, 100, 100)) lap.push_back(move);
    return lap;
}

// No test leaves the program's atom behind, or takes one away that was there: checked once every
// program of the test has ended.
struct AtomUnchanged {
    bool before = GlobalFindAtomA("Varrel") != 0;
    ~AtomUnchanged() { EXPECT_EQ(GlobalFindAtomA("Varrel") != 0, before); }
};

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(hook.Installed()); }
    // Started clear of every path below, so that the worker never clicks on its own window.
    bool Launch(VarrelProcess& program) {
        hook.Clear();
        return program.Start() && program.MoveTo({700, 520}) && program.Settle();
    }
    // After a stop, nothing comes but at most the release of a pending press.
    void ExpectQuietAfter(int64_t stoppedAt) {
        Sleep(QUIET_MS);
        const Texts late = EventTexts(hook.Injected(), {-1, -1}, stoppedAt);
        EXPECT_TRUE(late.empty() || (late.size() == 1 && late[0][0] == 'U')) << late[0];
    }
    AtomUnchanged atom;
    testing::MouseHookRecorder hook;
    VarrelProcess app{Config("100,100 110,100,C")};
};

// Exact laps until the button or Shift+Esc stops them, at once. Shift+Esc does nothing while idle
// (before the first start and after a run), plain Esc never stops. With "Hide after start" the
// window is minimized at Start and stays so after the stop.
TEST_F(RunTest, StartAndStopByTheButtonAndByShiftEscape) {
    ASSERT_TRUE(Launch(app));
    for (int run = 0; run < 3; ++run) {  // stopped by the button, by Shift+Esc, hidden too
        PressShiftEscape();
        Sleep(QUIET_MS);
        ASSERT_EQ(app.StartCaption(), START);
        if (run == 2) {
            ASSERT_TRUE(SendServed(app.Control(IDC_HIDE_AFTER_START), BM_CLICK));
        }
        hook.Clear();
        ASSERT_TRUE(app.PressStart());
        EXPECT_EQ(app.StartCaption(), STOP);
        ASSERT_TRUE(hook.WaitForTexts(2 * ClickLap().size() + 1));
        if (run == 0) {
            ASSERT_TRUE(app.PressStart());
        } else {
            PressKeys({VK_ESCAPE});
            Sleep(QUIET_MS);
            EXPECT_EQ(app.StartCaption(), STOP);
            PressShiftEscape();
            ASSERT_TRUE(app.WaitForStartCaption(START));
        }
        ExpectQuietAfter(testing::Now());
        EXPECT_EQ(app.StartCaption(), START);
        EXPECT_TRUE(IsLaps(EventTexts(hook.Injected()), ClickLap(), 2)) << run;
        ASSERT_TRUE(app.Settle());
        EXPECT_EQ(IsIconic(app.Main()) != FALSE, run == 2);
    }
}

// Start still runs and the button stops it; Shift+Esc reaches the program that holds it. Once it
// is free, the next Start takes it. When the program ends, it gives the hotkey and its atom back.
TEST_F(RunTest, ShiftEscapeHeldByAnotherProgram) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_ESCAPE));
    ASSERT_TRUE(Launch(app));
    ASSERT_TRUE(app.PressStart());
    ASSERT_TRUE(hook.WaitForTexts(5));
    PressShiftEscape();
    MSG msg;
    ASSERT_TRUE(
        WaitFor([&] { return PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE); }));
    EXPECT_EQ(app.StartCaption(), STOP);
    ASSERT_TRUE(app.PressStart());
    EXPECT_EQ(app.StartCaption(), START);
    UnregisterHotKey(nullptr, 1);
    ASSERT_TRUE(app.PressStart());
    EXPECT_FALSE(ShiftEscapeIsFree());
    PressShiftEscape();
    EXPECT_TRUE(app.WaitForStartCaption(START));
    PostMessageW(app.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_TRUE(ShiftEscapeIsFree());
    EXPECT_EQ(GlobalFindAtomA("Varrel"), 0);
}

// Ending the program during a run ends the run before the program shows it is closing (the
// caption back to "&Start", or the window gone): nothing comes after that but the release of a
// press already made. The hotkey and its atom go with the program.
TEST_F(RunTest, EndingTheProgramEndsTheRunFirst) {
    for (bool byTab : {false, true}) {
        VarrelProcess other(Config("100,100,C 110,100"));
        ASSERT_TRUE(Launch(other) && other.PressStart());
        ASSERT_TRUE(hook.WaitForTexts(5));
        if (byTab) {
            PostCommand(other.Main(), IDC_TAB_CLOSE);
        } else {
            PostMessageW(other.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        ASSERT_TRUE(WaitFor(
            [&] { return other.StartCaption() == START || !IsWindowVisible(other.Main()); }));
        ExpectQuietAfter(testing::Now());
        ASSERT_TRUE(other.WaitForExit());
        EXPECT_TRUE(ShiftEscapeIsFree()) << byTab;
        EXPECT_EQ(GlobalFindAtomA("Varrel"), 0) << byTab;
    }
}

// x 30 and y 40 with filler bytes (8-bit ones among them) in the x field: only an entry read
// whole has its y, so the run clicks at (30,40) only then. Compared whole, never printed.
TEST_F(RunTest, LongEntriesAreSelectedViewedEditedRunAndSavedWhole) {
    for (std::size_t size : {600u, 64u << 10, 1u << 20}) {
        std::string entry = "30";
        while (entry.size() < size) entry += "x\xe9\x81\x8d";
        entry += ",40";
        VarrelProcess app(Config(entry + " 60,40"));
        ASSERT_TRUE(Launch(app));
        ASSERT_TRUE(app.Entries() == (Texts{entry, "60,40"})) << size;
        ASSERT_TRUE(app.Select(0));
        EXPECT_TRUE(app.Position() == entry);
        ASSERT_TRUE(Command(app.Motion(), IDC_VIEW));
        HWND dialog = app.OpenActionDialog(0);
        SendServed(GetDlgItem(dialog, IDC_ACT_CLICK), BM_CLICK);
        SendServed(GetDlgItem(dialog, IDOK), BM_CLICK);
        ASSERT_TRUE(WaitFor([&] { return app.Entries().at(0) == entry + ",C"; }));
        ASSERT_TRUE(app.PressStart());
        ASSERT_TRUE(WaitFor([&] {
            const Texts seen = EventTexts(hook.Injected());
            return std::find(seen.begin(), seen.end(), "D30,40") != seen.end();
        }));
        ASSERT_TRUE(app.PressStart());
        PostCommand(app.Main(), IDC_TAB_CLOSE);
        ASSERT_TRUE(app.WaitForExit());
        EXPECT_TRUE(app.Config() == Config(entry + ",C 60,40")) << size;
    }
}

std::string Text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// Pick two points by dragging from the target image (through the screen's corner and left of the
// page, where client coordinates are negative), add them, make the first a click in the mouse
// action dialog, run, stop with Shift+Esc, and leave through the Close tab, which saves both: all
// by real input. A press beside the image picks nothing.
TEST_F(RunTest, TheTypicalUseByRealInput) {
    VarrelProcess app;
    ASSERT_TRUE(Launch(app));
    const POINT onTarget = CentreOf(app.Control(IDC_TARGET));
    RECT target{};
    GetWindowRect(app.Control(IDC_TARGET), &target);
    POINT client{0, 0};
    ClientToScreen(app.Motion(), &client);
    // Under Wine a move is now and then overtaken by X's report of the one before it: it is made
    // again while the field says it was lost (the picker shows only the last position).
    auto moveShows = [&](POINT to) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Mouse({{0, to}});
            if (WaitFor([&] { return app.Position() == Text(to); }, 3000)) return true;
        }
        return false;
    };
    for (POINT pick : {POINT{150, 120}, POINT{160, 120}}) {
        bool dragging = false;  // a lost press is made again: it only starts a drag
        for (int attempt = 0; attempt < 3 && !dragging; ++attempt) {
            ASSERT_TRUE(app.Settle());
            Mouse({{MOUSEEVENTF_LEFTDOWN, onTarget}});
            if (!(dragging = moveShows({0, 0}))) Mouse({{MOUSEEVENTF_LEFTUP, onTarget}});
        }
        ASSERT_TRUE(dragging) << app.Position();
        EXPECT_TRUE(moveShows({client.x - 3, client.y - 2})) << app.Position();
        EXPECT_TRUE(moveShows(pick)) << app.Position();
        Mouse({{MOUSEEVENTF_LEFTUP, pick}});
        ASSERT_TRUE(app.Settle()) << "the capture is kept after the release";
        // A press on the image's right edge, which belongs to the page, picks nothing.
        Mouse({{MOUSEEVENTF_LEFTDOWN, {target.right, onTarget.y}}, {MOUSEEVENTF_LEFTUP, {5, 5}}});
        const std::size_t before = app.Entries().size();
        ASSERT_TRUE(app.Settle());
        Click(CentreOf(app.Control(IDC_ADD)));
        ASSERT_TRUE(WaitFor([&] { return app.Entries().size() == before + 1; }));
        EXPECT_EQ(app.Entries().back(), Text(pick));
    }
    RECT item{};
    SendServed(app.Control(IDC_POINTS), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    POINT first{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(app.Control(IDC_POINTS), &first);
    ASSERT_TRUE(app.Settle());
    Mouse({{MOUSEEVENTF_LEFTDOWN, first},
           {MOUSEEVENTF_LEFTUP, first},
           {MOUSEEVENTF_LEFTDOWN, first},
           {MOUSEEVENTF_LEFTUP, first}});
    HWND dialog = WaitForWindow(app.ThreadId(), "Mouse action");
    ASSERT_NE(dialog, nullptr);
    Click(CentreOf(GetDlgItem(dialog, IDC_ACT_CLICK)));
    ASSERT_TRUE(WaitFor(
        [&] { return SendServed(GetDlgItem(dialog, IDC_ACT_CLICK), BM_GETCHECK) == BST_CHECKED; }));
    Click(CentreOf(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"150,120,C", "160,120"}; }));

    const POINT button = CentreOf(app.Control(IDC_START));
    ASSERT_TRUE(app.Settle());
    hook.Clear();
    Click(button);
    ASSERT_TRUE(app.WaitForStartCaption(STOP));
    Texts lap = {"D150,120", "U150,120"};
    for (const std::string& m : testing::MovesAlong(150, 160, 120)) lap.push_back(m);
    for (const std::string& m : testing::MovesAlong(160, 150, 120)) lap.push_back(m);
    ASSERT_TRUE(WaitFor([&] { return EventTexts(hook.Injected(), button).size() > lap.size(); }));
    PressShiftEscape();
    ASSERT_TRUE(app.WaitForStartCaption(START));
    ExpectQuietAfter(testing::Now());
    EXPECT_TRUE(IsLaps(EventTexts(hook.Injected(), button), lap, 1));
    ASSERT_TRUE(app.Settle());
    Click(CentreOf(GetDlgItem(app.Main(), IDC_TAB_CLOSE)));
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), Config("150,120,C 160,120"));
}

}  // namespace
}  // namespace varrel::e2e
