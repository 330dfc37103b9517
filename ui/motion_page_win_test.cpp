// Tests of the motion page made on this thread, so that its timer ticks only as the test serves
// messages: the View blink and what cuts it short, and the notice when Shift+Esc is held elsewhere.
#include "ui/motion_page_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "ui/app_state_win.h"
#include "ui/run_control_win.h"
#include "ui/view_blink_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {
namespace {

constexpr POINT DISC = {700, 0};  // clear of this test's windows; the entry "700" has no y: 0

// The page from the real template in a window of this thread, its one entry "700" selected or
// not. The settings file it loads, and saves when hidden, goes with it.
struct PageHere {
    explicit PageHere(bool selected = true) {
        std::filesystem::remove(ConfigFilePath());
        g_app.instance = GetModuleHandleW(nullptr);
        parent = CreateWindowW(L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 300, 300, 250, {}, {},
                               {}, {});
        page = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_MOTION), parent,
                                  MotionPageProc, 0);
        SendMessageA(GetDlgItem(page, IDC_POINTS), LB_ADDSTRING, 0, LPARAM("700"));
        if (selected) SendMessageA(GetDlgItem(page, IDC_POINTS), LB_SETCURSEL, 0, 0);
    }
    ~PageHere() {
        DestroyWindow(parent);
        std::filesystem::remove(ConfigFilePath());
    }
    void Command(int id) const {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, 0), LPARAM(GetDlgItem(page, id)));
    }
    HWND parent = nullptr, page = nullptr;
};

std::vector<COLORREF> DiscPixels() {  // the disc's box as the screen shows it
    const ScreenDc screen;
    std::vector<COLORREF> pixels;
    for (int y = DISC.y - VIEW_DISC_RADIUS; y < DISC.y + VIEW_DISC_RADIUS; ++y)
        for (int x = DISC.x - VIEW_DISC_RADIUS; x < DISC.x + VIEW_DISC_RADIUS; ++x)
            pixels.push_back(GetPixel(screen.Get(), x, y));
    return pixels;
}

// With nothing selected nothing is drawn. Then a whole blink: the disc shows and goes three times
// in six draws, the screen is left as it was and nothing goes on.
TEST(ViewBlink, ShowsThreeTimesThenLeavesTheScreenAsItWas) {
    const std::vector<COLORREF> was = DiscPixels();
    const PageHere here(false);
    here.Command(IDC_VIEW);
    EXPECT_EQ(DiscPixels(), was) << "drawn with nothing selected";
    SendMessageA(GetDlgItem(here.page, IDC_POINTS), LB_SETCURSEL, 0, 0);
    const int64_t start = testing::Now();
    here.Command(IDC_VIEW);
    int draws = 0;
    std::vector<COLORREF> last = was;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    for (MSG msg; GetTickCount64() < deadline;) {  // one message, so one draw at most, a turn
        const std::vector<COLORREF> now = DiscPixels();
        draws += now != last;
        last = now;
        if (draws == VIEW_BLINK_DRAWS) break;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    LARGE_INTEGER perSecond;
    QueryPerformanceFrequency(&perSecond);
    std::cout << draws << " draws in " << (testing::Now() - start) * 1000 / perSecond.QuadPart
              << " ms\n";
    EXPECT_EQ(draws, VIEW_BLINK_DRAWS);
    EXPECT_EQ(DiscPixels(), was);
    EXPECT_FALSE(KillTimer(here.page, VIEW_BLINK_TIMER)) << "the blink goes on";
}

// Whatever comes while the disc shows: the screen is as it was at once, and no blink goes on, but
// for the new blink of View again; when the window then closes, the screen is as it was.
TEST(ViewBlink, CutShortLeavesTheScreenAsItWas) {
    const std::vector<COLORREF> was = DiscPixels();
    const std::tuple<const char*, bool, std::function<void(const PageHere&)>> cases[] = {
        {"View again", false, [](const PageHere& p) { p.Command(IDC_VIEW); }},
        {"the page hidden", false, [](const PageHere& p) { ShowWindow(p.page, SW_HIDE); }},
        {"a run started", false, [](const PageHere& p) { p.Command(IDC_START); }},
        {"Stop", true, [](const PageHere& p) { p.Command(IDC_START); }},
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
            EXPECT_EQ(KillTimer(here.page, VIEW_BLINK_TIMER) != FALSE, again) << what;
        }
        EXPECT_EQ(DiscPixels(), was) << what << ", then the window closed";
    }
}

// Start while another window holds Shift+Esc: the run goes on, the page says that Shift+Esc will
// not stop it, Stop does. The notice stays until a Start, the key given back, takes it.
TEST(RunControl, SaysSoWhenAStartCouldNotTakeShiftEsc) {
    const PageHere here;
    auto text = [&](int id) { return WindowText(GetDlgItem(here.page, id)); };
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_ESCAPE));
    for (const bool held : {true, false}) {
        here.Command(IDC_START);
        EXPECT_EQ(text(IDC_START), STOP_CAPTION) << held;
        EXPECT_EQ(text(IDC_STATUS), held ? NO_STOP_KEY_TEXT : "") << "running";
        here.Command(IDC_START);
        EXPECT_EQ(text(IDC_START), START_CAPTION) << held;
        EXPECT_EQ(text(IDC_STATUS), held ? NO_STOP_KEY_TEXT : "") << "stopped";
        UnregisterHotKey(nullptr, 1);
    }
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_SHIFT, VK_ESCAPE)) << "the page holds Shift+Esc";
    UnregisterHotKey(nullptr, 1);
}

}  // namespace
}  // namespace varrel
