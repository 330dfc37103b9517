// Tests of the motion page made on this thread, so that its timer ticks only as the test serves it.
#include "ui/motion_page_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "ui/app_state_win.h"
#include "ui/run_control_win.h"
#include "ui/view_blink_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {
namespace {

constexpr POINT DISC = {700, 0};  // clear of this test's windows; the entry "700" has no y: 0

// The page from the real template in a window of this thread, its one entry "700" selected or not.
struct PageHere {
    explicit PageHere(bool selected = true) {
        g_app.instance = GetModuleHandleW(nullptr);
        parent = CreateWindowW(L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 300, 300, 250, {}, {},
                               {}, {});
        page = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MOTION), parent,
                                  MotionPageProc, 0);
        SendMessageA(GetDlgItem(page, IDC_POINTS), LB_ADDSTRING, 0, LPARAM("700"));
        if (selected) SendDlgItemMessageW(page, IDC_POINTS, LB_SETCURSEL, 0, 0);
    }
    ~PageHere() {
        DestroyWindow(parent);
        std::filesystem::remove(ConfigFilePath());
    }
    void Command(int id) const { SendMessageW(page, WM_COMMAND, id, 0); }
    HWND parent = nullptr, page = nullptr;
};

std::vector<COLORREF> DiscPixels() {  // the disc's box as the screen shows it: its lower half
    const ScreenDc screen;
    std::vector<COLORREF> pixels;
    constexpr int r = VIEW_DISC_RADIUS;
    for (int y = DISC.y; y < DISC.y + r; ++y)
        for (int x = DISC.x - r; x < DISC.x + r; ++x)
            pixels.push_back(GetPixel(screen.Get(), x, y));
    return pixels;
}

// Serves this thread's messages up to the page's next timer tick; false when nothing comes in 20 s.
bool ServeToNextTick(HWND page) {
    for (MSG msg; MsgWaitForMultipleObjects(0, nullptr, FALSE, 20000, QS_ALLINPUT) == 0;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
            if (msg.hwnd == page && msg.message == WM_TIMER) return true;
        }
    }
    return false;
}

// With nothing selected View draws nothing. A whole blink: six draws a tick apart, the last leaves
// the screen as it was and ends the blink. Whatever comes while the disc shows leaves the screen
// as it was at once and ends the blink, but View again, whose new blink shows until the window
// closes; the screen is then as it was. Shift+Esc during the blink ends the run then and there.
TEST(ViewBlink, ShowsThreeTimesAndLeavesTheScreenAsItWasWhateverCutsItShort) {
    const std::vector<COLORREF> was = DiscPixels();
    {
        const PageHere here(false);
        here.Command(IDC_VIEW);
        EXPECT_EQ(DiscPixels(), was) << "drawn with nothing selected";
        SendDlgItemMessageW(here.page, IDC_POINTS, LB_SETCURSEL, 0, 0);
        here.Command(IDC_VIEW);
        for (int draw = 1; draw <= VIEW_BLINK_DRAWS; ++draw) {  // each one inverts the last
            EXPECT_EQ(DiscPixels() == was, draw % 2 == 0) << "draw " << draw;
            ASSERT_TRUE(draw == VIEW_BLINK_DRAWS || ServeToNextTick(here.page)) << draw;
        }
        EXPECT_FALSE(KillTimer(here.page, VIEW_BLINK_TIMER)) << "the blink goes on";
    }
    const std::tuple<const char*, bool, std::function<void(const PageHere&)>> cases[] = {
        {"View again", false, [](const PageHere& p) { p.Command(IDC_VIEW); }},
        {"the page hidden", false, [](const PageHere& p) { ShowWindow(p.page, SW_HIDE); }},
        {"a run started", false, [](const PageHere& p) { p.Command(IDC_START); }},
        {"Shift+Esc", true, [](const PageHere& p) {
             SendMessageW(p.page, WM_HOTKEY, 1, MAKELPARAM(MOD_SHIFT, VK_ESCAPE));
         }}};
    for (const auto& [what, running, cut] : cases) {
        const bool again = std::string(what) == "View again";
        {
            const PageHere here;
            if (running) here.Command(IDC_START);
            here.Command(IDC_VIEW);
            ASSERT_NE(DiscPixels(), was) << what << ": the disc does not show";
            cut(here);
            EXPECT_EQ(DiscPixels() != was, again) << what;
            EXPECT_EQ(WindowText(GetDlgItem(here.page, IDC_START)),
                      std::string(what) == "a run started" ? STOP_CAPTION : START_CAPTION)
                << what << ": the run";
            EXPECT_EQ(KillTimer(here.page, VIEW_BLINK_TIMER) != FALSE, again) << what;
        }
        EXPECT_EQ(DiscPixels(), was) << what << ", then the window closed";
    }
}

// A list loaded from the settings file scrolls as one filled entry by entry does, and its range
// grows with more entries.
TEST(MotionPage, AListLoadedFromTheFileScrollsAsOneAddedEntryByEntry) {
    std::string points;
    for (int i = 0; i < 60; ++i) points += std::to_string(i) + ",1 ";
    std::ofstream(std::filesystem::path(ConfigFilePath()), std::ios::binary)
        << "[Main]\r\nPoint=" << points << "\r\n";
    const PageHere loaded(false);
    std::filesystem::remove(ConfigFilePath());
    const PageHere added(false);
    auto fill = [](HWND page) {
        ShowWindow(page, SW_SHOWNA);  // a hidden list box keeps no scroll range
        for (int i = 0; i < 60; ++i)
            SendDlgItemMessageA(page, IDC_POINTS, LB_ADDSTRING, 0, LPARAM("1,1"));
    };
    auto range = [](HWND page) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(GetDlgItem(page, IDC_POINTS), SB_HORZ, &info);
        return std::make_tuple(info.nMax, info.nPage);
    };
    fill(added.page);
    ShowWindow(loaded.page, SW_SHOWNA);
    const auto asLoaded = range(loaded.page);
    EXPECT_EQ(asLoaded, range(added.page)) << "as loaded";
    fill(added.page);
    fill(loaded.page);
    EXPECT_EQ(range(loaded.page), range(added.page)) << "with more entries";
    EXPECT_GT(std::get<0>(range(loaded.page)), std::get<0>(asLoaded)) << "with more entries";
}

// Start while another window holds Shift+Esc: the run goes on, the page says that Shift+Esc will
// not stop it, Stop does, and "Hide after start" leaves it in view. The notice stays until a Start,
// the key given back, takes it.
TEST(RunControl, SaysSoWhenAStartCouldNotTakeShiftEsc) {
    const PageHere here;
    auto shown = [&] {  // the Start button's caption and the status line
        return WindowText(GetDlgItem(here.page, IDC_START)) + " | " +
               WindowText(GetDlgItem(here.page, IDC_STATUS));
    };
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_ESCAPE));
    CheckDlgButton(here.page, IDC_HIDE_AFTER_START, BST_CHECKED);
    for (const std::string notice : {NO_STOP_KEY_TEXT, ""}) {  // held, then given back
        here.Command(IDC_START);
        EXPECT_EQ(shown(), STOP_CAPTION + (" | " + notice));
        EXPECT_EQ(IsIconic(here.parent) != FALSE, notice.empty()) << "minimized at Start";
        here.Command(IDC_START);
        EXPECT_EQ(shown(), START_CAPTION + (" | " + notice));
        UnregisterHotKey(nullptr, 1);
    }
}

}  // namespace
}  // namespace varrel
