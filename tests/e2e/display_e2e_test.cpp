// End-to-end tests of varrel.exe on real desktops: display scaling, and a folder named in a script
// outside the ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD TIMEOUT_MS = 30000;
constexpr wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
constexpr wchar_t DPI_VALUE[] = L"LogPixels";

// The display scale of programs started while this lives (Wine reads it as each program
// starts); the one before is put back afterwards.
class DisplayDpi {
  public:
    explicit DisplayDpi(DWORD dpi) {
        DWORD size = sizeof saved_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, DESKTOP_KEY, DPI_VALUE, RRF_RT_REG_DWORD, nullptr,
                            &saved_, &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~DisplayDpi() {
        if (had_) Set(saved_);
        if (!had_) RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, DPI_VALUE);
    }
    DisplayDpi(const DisplayDpi&) = delete;
    DisplayDpi& operator=(const DisplayDpi&) = delete;

  private:
    static void Set(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, DPI_VALUE, REG_DWORD, &dpi, sizeof dpi);
    }
    DWORD saved_ = 0;
    bool had_ = false;
};

// The main window's client area, every window in it (images, pages and their controls) in the
// order the program made them, and the three tabs, all in client pixels.
struct Layout {
    RECT client{};
    std::vector<RECT> parts;
    RECT tabs[3]{};
};

RECT BoxIn(HWND main, HWND part) {
    RECT box{};
    GetWindowRect(part, &box);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

BOOL CALLBACK AddPart(HWND part, LPARAM layout) {
    reinterpret_cast<Layout*>(layout)->parts.push_back(BoxIn(GetAncestor(part, GA_ROOT), part));
    return TRUE;
}

Layout LayoutAt(DWORD dpi) {
    const DisplayDpi scale(dpi);
    VarrelProcess program;
    Layout layout;
    EXPECT_TRUE(program.Start(TIMEOUT_MS)) << dpi;
    GetClientRect(program.MainWindow(), &layout.client);
    EnumChildWindows(program.MainWindow(), AddPart, reinterpret_cast<LPARAM>(&layout));
    const int tabIds[] = {IDC_TAB_MOTION, IDC_TAB_ABOUT, IDC_TAB_CLOSE};
    for (int i = 0; i < 3; ++i) {
        layout.tabs[i] = BoxIn(program.MainWindow(), program.MainControl(tabIds[i]));
    }
    return layout;
}

// At D DPI every part lies where its 96-DPI box lands when scaled as the window itself grew, within
// the rounding of the dialog units; the tabs meet (or keep their gap) as at 96 DPI.
TEST(DisplayScaling, EveryPartScalesWithTheWindow) {
    constexpr double EDGE_TOLERANCE = 3;
    constexpr double GAP_TOLERANCE = 2;
    const Layout base = LayoutAt(96);
    ASSERT_GT(base.parts.size(), 10u);
    for (DWORD dpi : {144, 192}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const Layout scaled = LayoutAt(dpi);
        const double sx = double(scaled.client.right) / base.client.right;
        const double sy = double(scaled.client.bottom) / base.client.bottom;
        EXPECT_NEAR(sx, dpi / 96.0, 0.2) << "the window grows with the display scale";
        EXPECT_NEAR(sy, dpi / 96.0, 0.2);
        ASSERT_EQ(scaled.parts.size(), base.parts.size());
        for (std::size_t i = 0; i < base.parts.size(); ++i) {
            const RECT& was = base.parts[i];
            const RECT& now = scaled.parts[i];
            EXPECT_NEAR(now.left, was.left * sx, EDGE_TOLERANCE) << "part " << i;
            EXPECT_NEAR(now.top, was.top * sy, EDGE_TOLERANCE) << "part " << i;
            EXPECT_NEAR(now.right, was.right * sx, EDGE_TOLERANCE) << "part " << i;
            EXPECT_NEAR(now.bottom, was.bottom * sy, EDGE_TOLERANCE) << "part " << i;
        }
        const RECT* tabs = scaled.tabs;
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(tabs[i + 1].left - tabs[i].right,
                        (base.tabs[i + 1].left - base.tabs[i].right) * sx, GAP_TOLERANCE);
            EXPECT_EQ(tabs[i + 1].top, tabs[i].top);
        }
    }
}

// A program started here from a folder of the temp folder, ended if the test leaves before it
// has; the folder goes with it.
struct Started : PROCESS_INFORMATION {
    explicit Started(const fs::path& at) : PROCESS_INFORMATION{}, folder(at) {
        fs::create_directories(folder);
    }
    ~Started() {
        if (hProcess) {
            if (WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(hProcess, 1);
            WaitForSingleObject(hProcess, TIMEOUT_MS);
            CloseHandle(hProcess);
        }
        if (hThread) CloseHandle(hThread);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
};

// The program's main window and its motion page, once both exist.
bool FindWindows(DWORD processId, HWND& main, HWND& page) {
    main = FindWindowW(L"#32770", L"-= Varrel =-");
    DWORD owner = 0;
    GetWindowThreadProcessId(main, &owner);
    page = nullptr;
    for (HWND child = FindWindowExW(main, nullptr, L"#32770", nullptr); child && owner == processId;
         child = FindWindowExW(main, child, L"#32770", nullptr)) {
        if (GetDlgItem(child, IDC_POINTS)) page = child;
    }
    return page != nullptr;
}

// Greek, Cyrillic and Chinese: no ANSI code page has all three, and the ANSI functions would see
// question marks in their place.
TEST(AnyFolder, SettingsLoadAndSaveBesideTheExeInAFolderOfAnyName) {
    const std::wstring name =
        L"varrel-\u03A9\u03BC\u03AD\u03B3\u03B1-\u0416\u0430\u0440-\u6F22\u5B57-";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr,
                        &lossy);
    ASSERT_TRUE(lossy) << "the name must lie outside the ANSI code page";
    Started program(fs::temp_directory_path() / (name + std::to_wstring(GetCurrentProcessId())));
    const fs::path exe = program.folder / L"varrel.exe";
    const fs::path config = program.folder / L"varrel.cfg";
    const VarrelProcess copied;  // the exe under test, as the other tests have it
    fs::copy_file(fs::path(copied.ConfigPath()).replace_filename("varrel.exe"), exe);
    std::ofstream(config, std::ios::binary) << "[Main]\r\nPoint=  1,2   3,4,C \r\nHide=1\r\n";

    // Started from elsewhere, so that only its own path leads it to its folder.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe.wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               fs::temp_directory_path().wstring().c_str(), &startup, &program));
    HWND main = nullptr;
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] { return FindWindows(program.dwProcessId, main, page); }, TIMEOUT_MS));
    const std::vector<std::string> loaded = {"1,2", "3,4,C"};
    EXPECT_TRUE(WaitFor([&] { return ListBoxEntries(GetDlgItem(page, IDC_POINTS)) == loaded; },
                        TIMEOUT_MS));

    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_TAB_CLOSE, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_TAB_CLOSE)));
    ASSERT_EQ(WaitForSingleObject(program.hProcess, TIMEOUT_MS), WAIT_OBJECT_0);
    std::ifstream saved(config, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}),
              "[Main]\r\nPoint=1,2 3,4,C\r\nHide=1\r\n");
}

}  // namespace
}  // namespace varrel::e2e
