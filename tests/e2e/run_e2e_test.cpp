// End-to-end tests of runs and real input: what the running program injects (recorded by a
// low-level mouse hook), Start, Stop, Shift+Esc, Hide after start, the position-picker drag and
// one typical use from pick to save.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using Texts = std::vector<std::string>;
using testing::EventTexts;
using testing::IsLaps;

constexpr char START[] = "&Start";
constexpr char STOP[] = "&Stop";
// Several step times: long enough for an event that should not come to show up.
constexpr DWORD QUIET_MS = 150;
// Clear of every path below, so that the worker never clicks on the program's own window.
constexpr POINT WINDOW_AT = {700, 520};

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

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(hook.Installed());
        atomBefore = GlobalFindAtomA("Varrel") != 0;
    }
    // No test leaves the program's atom behind, or takes away one that was there.
    void TearDown() override { EXPECT_EQ(GlobalFindAtomA("Varrel") != 0, atomBefore); }
    void Launch(VarrelProcess& app) {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.MoveMainWindowTo(WINDOW_AT));
        ASSERT_TRUE(app.Settle());
        hook.Clear();
    }
    // After a stop, nothing comes but at most the release of a pending press.
    void ExpectQuietAfter(int64_t stoppedAt) {
        Sleep(QUIET_MS);
        const Texts late = EventTexts(testing::After(hook.Injected(), stoppedAt));
        EXPECT_TRUE(late.empty() || (late.size() == 1 && late[0][0] == 'U'))
            << late.size() << " events after the stop, the first " << late[0];
    }
    testing::MouseHookRecorder hook;
    bool atomBefore = false;
};

TEST_F(RunTest, TheButtonStartsExactLapsAndStopsThemAtOnce) {
    VarrelProcess app(Config("100,100 110,100,C"));
    Launch(app);
    for (int run = 0; run < 2; ++run) {
        hook.Clear();
        ASSERT_TRUE(app.PressStart());
        EXPECT_EQ(app.StartCaption(), STOP);
        ASSERT_TRUE(hook.WaitForTexts(2 * ClickLap().size() + 1));
        ASSERT_TRUE(app.PressStart());
        const int64_t stoppedAt = testing::Now();
        EXPECT_EQ(app.StartCaption(), START);
        ExpectQuietAfter(stoppedAt);
        EXPECT_TRUE(IsLaps(EventTexts(hook.Injected()), ClickLap(), 2));
    }
    EXPECT_FALSE(IsIconic(app.MainWindow())) << "\"Hide after start\" is not checked";
}

TEST_F(RunTest, ShiftEscapeStopsARunAndNothingElse) {
    VarrelProcess app(Config("100,100 110,100,C"));
    Launch(app);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "before any start" : "after a run");
        PressShiftEscape();  // idle: changes nothing
        Sleep(QUIET_MS);
        ASSERT_EQ(app.StartCaption(), START);
        hook.Clear();
        ASSERT_TRUE(app.PressStart());
        ASSERT_TRUE(hook.WaitForTexts(ClickLap().size() + 1));
        INPUT esc[2] = {};
        esc[0].type = esc[1].type = INPUT_KEYBOARD;
        esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
        esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, esc, sizeof(INPUT));  // plain Esc is not the hotkey
        Sleep(QUIET_MS);
        EXPECT_EQ(app.StartCaption(), STOP);
        PressShiftEscape();
        ASSERT_TRUE(app.WaitForStartCaption(START));
        ExpectQuietAfter(testing::Now());
        EXPECT_TRUE(IsLaps(EventTexts(hook.Injected()), ClickLap(), 1));
    }
}

TEST_F(RunTest, ShiftEscapeHeldByAnotherProgram) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_ESCAPE));
    VarrelProcess app(Config("100,100 110,100,C"));
    Launch(app);
    // Start still runs and the button stops it; Shift+Esc reaches the program that holds it.
    ASSERT_TRUE(app.PressStart());
    ASSERT_TRUE(hook.WaitForTexts(5));
    PressShiftEscape();
    MSG msg;
    ASSERT_TRUE(
        WaitFor([&] { return PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE); }));
    EXPECT_EQ(app.StartCaption(), STOP);
    ASSERT_TRUE(app.PressStart());
    EXPECT_EQ(app.StartCaption(), START);
    // Once it is free, the next Start takes it.
    UnregisterHotKey(nullptr, 1);
    ASSERT_TRUE(app.PressStart());
    EXPECT_FALSE(ShiftEscapeIsFree());
    PressShiftEscape();
    EXPECT_TRUE(app.WaitForStartCaption(START));
}

TEST_F(RunTest, HideAfterStartMinimizesAndAStopLeavesItMinimized) {
    VarrelProcess app(Config("100,100 110,100", true));
    Launch(app);
    ASSERT_TRUE(app.PressStart());
    EXPECT_TRUE(WaitFor([&] { return IsIconic(app.MainWindow()) != FALSE; }));
    ASSERT_TRUE(hook.WaitForTexts(3));
    PressShiftEscape();
    ASSERT_TRUE(app.WaitForStartCaption(START));
    ASSERT_TRUE(app.Settle());
    EXPECT_TRUE(IsIconic(app.MainWindow()));
}

// The hotkey is in force from the first start on; the program gives it and its atom back when it
// ends, idle or running, and nothing is injected after the end.
TEST_F(RunTest, EndingTheProgramEndsTheRunAndGivesTheHotkeyBack) {
    ASSERT_TRUE(ShiftEscapeIsFree());
    for (bool running : {false, true}) {
        SCOPED_TRACE(running ? "during a run" : "idle after a run");
        VarrelProcess app(Config("100,100 110,100,C"));
        Launch(app);
        ASSERT_TRUE(app.PressStart());
        if (!running) {
            ASSERT_TRUE(app.PressStart());
        }
        EXPECT_FALSE(ShiftEscapeIsFree());
        EXPECT_NE(GlobalFindAtomA("Varrel"), 0);
        if (running) {
            ASSERT_TRUE(hook.WaitForTexts(5));
        }
        app.CloseByCloseBox();
        ASSERT_TRUE(app.WaitForExit());
        ExpectQuietAfter(testing::Now());
        EXPECT_TRUE(ShiftEscapeIsFree());
        EXPECT_EQ(GlobalFindAtomA("Varrel"), 0);
    }
}

std::string Text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

class PickerTest : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        Launch(app);
        GetWindowRect(app.MotionControl(IDC_TARGET), &target);
        onTarget = {(target.left + target.right) / 2, (target.top + target.bottom) / 2};
    }
    HWND Capture() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.MotionPage(), nullptr), &info);
        return info.hwndCapture;
    }
    // Under Wine an injected move is now and then overtaken by X's report of the one before it:
    // the move is made again (the picker shows only the last position).
    bool MoveUntilShown(POINT to) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            MoveTo(to);
            if (WaitFor([&] { return app.Position() == Text(to); }, 2000)) return true;
        }
        return false;
    }
    // Input is served in order: once a real click has toggled the check box, all input before
    // it has been served too.
    bool InputServed() {
        const bool was = app.HideAfterStart();
        PinnedClickAt(CentreOf(app.MotionControl(IDC_HIDE_AFTER_START)));
        return WaitFor([&] { return app.HideAfterStart() != was; });
    }
    VarrelProcess app;
    RECT target{};
    POINT onTarget{};
};

TEST_F(PickerTest, TheFieldFollowsTheDragAndTakesTheReleasePoint) {
    PressAt(onTarget);
    ASSERT_TRUE(WaitFor([&] { return Capture() == app.MotionPage(); }));
    POINT client{0, 0};
    ClientToScreen(app.MotionPage(), &client);
    // Left of and above the page: negative client coordinates.
    for (POINT to : {POINT{0, 0}, POINT{client.x - 3, client.y - 2}, POINT{600, 650}})
        EXPECT_TRUE(MoveUntilShown(to)) << Text(to) << " shows " << app.Position();
    ReleaseAt({321, 123});
    EXPECT_TRUE(WaitFor([&] { return app.Position() == "321,123"; })) << app.Position();
    EXPECT_TRUE(app.Settle()) << "the capture is kept after the release";
    // Idle again: moves over the page leave the field alone, and picking adds nothing.
    MoveTo({target.left - 20, target.bottom + 30});
    ASSERT_TRUE(InputServed());
    EXPECT_EQ(app.Position(), "321,123");
    EXPECT_TRUE(app.Entries().empty());
    // A release without a move takes the press point; the image's top-left pixel is inside it.
    PressAt({target.left, target.top});
    ReleaseAt({target.left, target.top});
    EXPECT_TRUE(WaitFor([&] { return app.Position() == Text({target.left, target.top}); }));
}

TEST_F(PickerTest, APressOutsideTheImageStartsNothing) {
    const LONG middle = (target.top + target.bottom) / 2;
    // Just left of the image, and its right edge, which belongs to the page.
    for (POINT outside : {POINT{target.left - 2, middle}, POINT{target.right, middle}}) {
        app.SetPosition("keep");
        PressAt(outside);
        MoveTo({0, 0});
        ReleaseAt({5, 5});
        ASSERT_TRUE(InputServed());
        EXPECT_EQ(app.Position(), "keep") << Text(outside);
        EXPECT_EQ(Capture(), nullptr);
    }
}

// Pick two points by dragging, add them, make the first a click, run, stop with Shift+Esc, and
// leave through the Close tab, which saves both: all by real input.
TEST_F(PickerTest, TheTypicalUseFromPickToSave) {
    for (POINT pick : {POINT{150, 120}, POINT{160, 120}}) {
        // A drag that was lost can be made again: it only sets the field.
        bool shown = false;
        for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
            app.Settle();
            PressAt(onTarget);
            MoveTo({pick.x + 40, pick.y + 40});
            ReleaseAt(pick);
            shown = WaitFor([&] { return app.Position() == Text(pick); }, 5000);
        }
        ASSERT_TRUE(shown) << app.Position();
        const std::size_t before = app.Entries().size();
        ASSERT_TRUE(app.Settle());
        PinnedClickAt(CentreOf(app.MotionControl(IDC_ADD)));
        ASSERT_TRUE(WaitFor([&] { return app.Entries().size() == before + 1; }));
    }
    ASSERT_EQ(app.Entries(), (Texts{"150,120", "160,120"}));
    RECT item{};
    SendServed(app.MotionControl(IDC_POINTS), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    POINT first{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(app.MotionControl(IDC_POINTS), &first);
    ASSERT_TRUE(app.Settle());
    PinnedDoubleClickAt(first);
    HWND dialog = WaitForWindow(app.ProcessId(), "Mouse action");
    ASSERT_NE(dialog, nullptr);
    PinnedClickAt(CentreOf(GetDlgItem(dialog, IDC_ACT_CLICK)));
    ASSERT_TRUE(WaitFor(
        [&] { return SendServed(GetDlgItem(dialog, IDC_ACT_CLICK), BM_GETCHECK) == BST_CHECKED; }));
    PinnedClickAt(CentreOf(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return app.Entries() == Texts{"150,120,C", "160,120"}; }));

    const POINT button = CentreOf(app.MotionControl(IDC_START));
    ASSERT_TRUE(app.Settle());
    hook.Clear();
    PinnedClickAt(button);
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
    PinnedClickAt(CentreOf(app.MainControl(IDC_TAB_CLOSE)));
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), Config("150,120,C 160,120"));
}

}  // namespace
}  // namespace varrel::e2e
