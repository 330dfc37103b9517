// End-to-end tests of varrel.exe on real desktops: display scaling, and any folder name.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

// Greek, Cyrillic and Chinese: no ANSI code page has all three; the ANSI functions see '?' there.
// Then folders below it, to a path of 400 characters and more, whose short (8.3) form is no
// shorter.
std::wstring DeepFolder() {
    std::wstring folder = L"-\u03A9\u03BC\u03AD\u03B3\u03B1-\u0416\u0430\u0440-\u6F22\u5B57";
    while (folder.size() < 400) folder += L"\\8-chars";
    return folder;
}

// Programs started meanwhile run at `dpi`; the tests' own prefix gets its default (none) back.
struct DisplayDpi {
    explicit DisplayDpi(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                        sizeof dpi);
    }
    ~DisplayDpi() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    }
};

// Started in the deep folder, the program loads its settings and the Close tab saves them.
// Returned: the three tabs, then every window in the main window, in client pixels, and last its
// client area.
std::vector<RECT> LayoutAt(DWORD dpi) {
    const DisplayDpi scale(dpi);
    VarrelProcess app(ConfigWith("  1,2   3,4,C ", "1"), DeepFolder());
    EXPECT_TRUE(app.Start()) << dpi;
    std::vector<RECT> parts;
    auto add = [&](HWND part) {
        GetWindowRect(part, &parts.emplace_back());
        MapWindowPoints(nullptr, app.Main(), reinterpret_cast<POINT*>(&parts.back()), 2);
    };
    for (int tab : {IDC_TAB_MOTION, IDC_TAB_ABOUT, IDC_TAB_CLOSE}) add(GetDlgItem(app.Main(), tab));
    for (HWND window : {app.Main(), app.Motion(), app.About()})
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) add(c);
    GetClientRect(app.Main(), &parts.emplace_back());
    EXPECT_EQ(app.Entries(), (Texts{"1,2", "3,4,C"}));
    PostCommand(app.Main(), IDC_TAB_CLOSE);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(app.Config(), ConfigWith("1,2 3,4,C", "1"));
    return parts;
}

// At D DPI every part lies where its 96-DPI box lands when scaled as the window itself grew, within
// the rounding of dialog units, and the tabs meet as they do at 96 DPI.
TEST(RealDesktops, EveryPartScalesWithTheWindowAndAnyFolderKeepsItsSettings) {
    const std::vector<RECT> base = LayoutAt(96);
    ASSERT_GT(base.size(), 13u);
    for (DWORD dpi : {144, 192}) {
        const std::vector<RECT> scaled = LayoutAt(dpi);
        ASSERT_EQ(scaled.size(), base.size()) << dpi;
        const double sx = double(scaled.back().right) / base.back().right;
        const double sy = double(scaled.back().bottom) / base.back().bottom;
        EXPECT_NEAR(sx, dpi / 96.0, 0.2) << "the window grows with the display scale";
        EXPECT_NEAR(sy, dpi / 96.0, 0.2);
        for (std::size_t i = 0; i < base.size(); ++i) {
            const RECT &b = base[i], &s = scaled[i];
            const LONG was[] = {b.left, b.top, b.right, b.bottom},
                       now[] = {s.left, s.top, s.right, s.bottom};
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(now[k], was[k] * (k % 2 ? sy : sx), 3) << dpi << " DPI, part " << i;
        }
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(scaled[i + 1].left - scaled[i].right,
                        (base[i + 1].left - base[i].right) * sx, 2)
                << dpi << " DPI, tab " << i;
            EXPECT_EQ(scaled[i + 1].top, scaled[i].top);
        }
    }
}

}  // namespace
}  // namespace varrel::e2e
