// End-to-end tests of varrel.exe on real desktops: display scaling, and a folder named in scripts
// outside the ANSI code page.
#include <gtest/gtest.h>

#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

constexpr wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";

// The display scale of programs started while this lives (Wine reads it as each program starts);
// the one before is put back afterwards.
class DisplayDpi {
  public:
    explicit DisplayDpi(DWORD dpi) {
        DWORD size = sizeof saved_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                            &saved_, &size) == ERROR_SUCCESS;
        RegSetKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~DisplayDpi() {
        if (had_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", REG_DWORD, &saved_, 4);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels");
        }
    }

  private:
    DWORD saved_ = 0;
    bool had_ = false;
};

BOOL CALLBACK AddPart(HWND part, LPARAM parts) {
    RECT box{};
    GetWindowRect(part, &box);
    MapWindowPoints(nullptr, GetAncestor(part, GA_ROOT), reinterpret_cast<POINT*>(&box), 2);
    reinterpret_cast<std::vector<RECT>*>(parts)->push_back(box);
    return TRUE;
}

// The three tabs, then every window in the main window in the order the program made them, in
// client pixels, and last the client area itself.
std::vector<RECT> LayoutAt(DWORD dpi) {
    const DisplayDpi scale(dpi);
    VarrelProcess app;
    EXPECT_TRUE(app.Start()) << dpi;
    std::vector<RECT> parts;
    for (int tab : {IDC_TAB_MOTION, IDC_TAB_ABOUT, IDC_TAB_CLOSE})
        AddPart(GetDlgItem(app.Main(), tab), reinterpret_cast<LPARAM>(&parts));
    EnumChildWindows(app.Main(), AddPart, reinterpret_cast<LPARAM>(&parts));
    parts.emplace_back();
    GetClientRect(app.Main(), &parts.back());
    return parts;
}

// At D DPI every part lies where its 96-DPI box lands when scaled as the window itself grew, within
// the rounding of dialog units, and the tabs meet as they do at 96 DPI.
TEST(DisplayScaling, EveryPartScalesWithTheWindow) {
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
            const RECT &was = base[i], &now = scaled[i];
            EXPECT_NEAR(now.left, was.left * sx, 3) << dpi << " DPI, part " << i;
            EXPECT_NEAR(now.top, was.top * sy, 3) << dpi << " DPI, part " << i;
            EXPECT_NEAR(now.right, was.right * sx, 3) << dpi << " DPI, part " << i;
            EXPECT_NEAR(now.bottom, was.bottom * sy, 3) << dpi << " DPI, part " << i;
        }
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(scaled[i + 1].left - scaled[i].right,
                        (base[i + 1].left - base[i].right) * sx, 2)
                << dpi << " DPI, tab " << i;
            EXPECT_EQ(scaled[i + 1].top, scaled[i].top);
        }
    }
}

// Greek, Cyrillic and Chinese: no ANSI code page has all three; the ANSI functions see '?' there.
TEST(AnyFolder, SettingsLoadAndSaveBesideTheExeInAFolderOfAnyName) {
    const std::wstring name = L"-\u03A9\u03BC\u03AD\u03B3\u03B1-\u0416\u0430\u0440-\u6F22\u5B57";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr,
                        &lossy);
    ASSERT_TRUE(lossy) << "the name must lie outside the ANSI code page";
    VarrelProcess app("[Main]\r\nPoint=  1,2   3,4,C \r\nHide=1\r\n", name);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), (Texts{"1,2", "3,4,C"}));
    PostCommand(app.Main(), IDC_TAB_CLOSE);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), "[Main]\r\nPoint=1,2 3,4,C\r\nHide=1\r\n");
}

}  // namespace
}  // namespace varrel::e2e
