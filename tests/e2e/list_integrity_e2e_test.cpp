// End-to-end tests that the point list is never lost or corrupted: long entries, typed blanks,
// Close during a run, a save that fails, and entries past the second column.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel::e2e {
namespace {

using Entries = std::vector<std::string>;
using testing::MouseEvent;

constexpr DWORD PATIENCE_MS = 60000;  // only a hang runs into this; a megabyte entry is slow

std::string Config(const std::string& points) {
    return "[Main]\r\nPoint=" + points + "\r\nHide=0\r\n";
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, PATIENCE_MS, &result);
    return static_cast<LRESULT>(result);
}

// A control's command to its dialog: sent, it has been served on return; posted, it may open a
// modal window (which a sent command would wait for).
void Command(HWND dialog, int id, int code = BN_CLICKED, bool post = false) {
    const WPARAM wParam = MAKEWPARAM(id, code);
    const LPARAM control = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    post ? PostMessageW(dialog, WM_COMMAND, wParam, control)
         : Send(dialog, WM_COMMAND, wParam, control);
}

void CloseTab(VarrelProcess& app) { Command(app.MainWindow(), IDC_TAB_CLOSE, BN_CLICKED, true); }

// The first button event of a fresh Wine session can stall and pass the hooks unrecorded: one
// press and release in a corner, before any test records, pays for it.
const bool warmedUp = [] {
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 65535, 65535, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    return mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0), true;
}();

class ListIntegrityTest : public ::testing::Test {
  protected:
    testing::MouseHookRecorder hook;
};

// x 30 and y 40 with filler bytes (8-bit ones among them) in the x field: only an entry read
// whole has its y, so the run clicks at (30,40) only then. Compared whole, not printed.
TEST_F(ListIntegrityTest, LongEntriesAreSelectedViewedEditedRunAndSavedWhole) {
    for (std::size_t size : {600u, 64u << 10, 1u << 20}) {
        SCOPED_TRACE(size);
        std::string entry = "30";
        while (entry.size() < size) entry += "x\xe9\x81\x8d";
        entry += ",40";
        VarrelProcess app(Config(entry + " 60,40"));
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.Entries() == (Entries{entry, "60,40"}));
        Send(app.MotionControl(IDC_POINTS), LB_SETCURSEL, 0);
        Command(app.MotionPage(), IDC_POINTS, LBN_SELCHANGE);
        EXPECT_TRUE(app.Position() == entry);
        Command(app.MotionPage(), IDC_VIEW);

        Command(app.MotionPage(), IDC_POINTS, LBN_DBLCLK, true);
        HWND dialog = app.WaitForActionDialog(PATIENCE_MS);
        ASSERT_NE(dialog, nullptr);
        Send(GetDlgItem(dialog, IDC_ACT_CLICK), BM_SETCHECK, BST_CHECKED);
        Command(dialog, IDOK, BN_CLICKED, true);
        ASSERT_TRUE(WaitFor([&] { return app.Entries().at(0) == entry + ",C"; }, PATIENCE_MS));

        ASSERT_TRUE(app.PressStart());
        const auto clickedAt3040 = [&] {
            const std::vector<MouseEvent> events = hook.Injected();
            return std::any_of(events.begin(), events.end(), [](const MouseEvent& e) {
                return e.kind == MouseEvent::LeftDown && e.pt.x == 30 && e.pt.y == 40;
            });
        };
        EXPECT_TRUE(WaitFor(clickedAt3040, PATIENCE_MS));
        ASSERT_TRUE(app.PressStart());
        CloseTab(app);
        ASSERT_TRUE(app.WaitForExit(PATIENCE_MS));
        EXPECT_TRUE(app.Config() == Config(entry + ",C 60,40"));
    }
}

// Blanks would split an entry in the settings file. The fourth's action field starts with a
// blank, so it is no action; the fifth is typed in 15 characters and keeps its action.
TEST_F(ListIntegrityTest, AddStoresTypedTextWithoutWhiteSpace) {
    VarrelProcess app(Config(""));
    ASSERT_TRUE(app.Start());
    for (const char* typed :
         {" 12 , 34 ", "10 20", "\t5,6,C ", "  64 ,  48 , C", "  640 ,  480 ,C", "7,8,D"}) {
        app.SetPosition(typed);
        Command(app.MotionPage(), IDC_ADD);
    }
    EXPECT_EQ(app.Entries(), (Entries{"12,34", "10", "5,6,C", "64,48", "640,480,C", "7,8,D"}));
    CloseTab(app);
    ASSERT_TRUE(app.WaitForExit(PATIENCE_MS));
    EXPECT_EQ(app.Config(), Config("12,34 10 5,6,C 64,48 640,480,C 7,8,D"));
}

// Once the program shows the close (the run stopped, or the window gone) nothing comes but the
// release of a press already made; and the close is not served after seconds of clicking (Wine
// without a window manager holds a closing window some 2 s, about 100 steps).
TEST_F(ListIntegrityTest, NoPointerEventAfterTheUserClosesDuringARun) {
    constexpr std::size_t SERVING_EVENTS = 25;  // half a second of steps
    for (bool byTab : {true, false}) {
        SCOPED_TRACE(byTab ? "Close tab" : "close box");
        VarrelProcess app(Config("100,100,C 110,100"));
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.PressStart());
        ASSERT_TRUE(WaitFor([&] { return hook.Injected().size() >= 5; }, PATIENCE_MS));
        const std::size_t beforeClose = hook.Injected().size();
        if (!byTab) PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
        if (byTab) CloseTab(app);
        ASSERT_TRUE(WaitFor(
            [&] { return app.StartCaption() == "&Start" || !IsWindowVisible(app.MainWindow()); },
            PATIENCE_MS));
        const std::size_t shown = hook.Injected().size();
        ASSERT_TRUE(app.WaitForExit(PATIENCE_MS));
        const std::vector<MouseEvent> events = hook.Injected();
        EXPECT_LT(events.size() - beforeClose, SERVING_EVENTS);
        EXPECT_TRUE(events.size() == shown ||
                    (events.size() == shown + 1 && events.back().kind == MouseEvent::LeftUp))
            << events.size() - shown << " events after the close showed";
    }
}

// The file is read-only and held open by a program that shares no writing, so that not even a
// superuser's program can write it.
TEST_F(ListIntegrityTest, AFailedSaveOnCloseAsksAndNoKeepsTheWindowAndTheList) {
    VarrelProcess app(Config("1,1 2,2,C"));
    ASSERT_TRUE(app.Start());
    app.SetPosition("3,3");
    Command(app.MotionPage(), IDC_ADD);
    ASSERT_TRUE(SetFileAttributesA(app.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = CreateFileA(app.ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    CloseTab(app);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (question = GetLastActivePopup(app.MainWindow())) != app.MainWindow(); },
        PATIENCE_MS));
    std::string texts;
    for (HWND c = GetWindow(question, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts += TextOf(c);
    EXPECT_NE(texts.find(app.ConfigPath()), std::string::npos) << texts;
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, PATIENCE_MS));
    ASSERT_TRUE(Sync(app.MainWindow()));
    EXPECT_TRUE(IsWindowVisible(app.MainWindow()));
    EXPECT_EQ(app.Entries(), (Entries{"1,1", "2,2,C", "3,3"}));
    EXPECT_EQ(app.Config(), Config("1,1 2,2,C"));
    CloseHandle(held);
    SetFileAttributesA(app.ConfigPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ListIntegrityTest, TheListScrollsSidewaysOnceEntriesFillBothColumns) {
    VarrelProcess app(Config("1,1 2,2 3,3 4,4 5,5 6,6 7,7 8,8 9,9 10,10"));
    ASSERT_TRUE(app.Start());
    HWND list = app.MotionControl(IDC_POINTS);
    const auto barShown = [list] { return (GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) != 0; };
    EXPECT_FALSE(barShown()) << "ten entries fill two columns of five";
    app.SetPosition("11,11");
    Command(app.MotionPage(), IDC_ADD);
    EXPECT_TRUE(WaitFor(barShown));
}

}  // namespace
}  // namespace varrel::e2e
