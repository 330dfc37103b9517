// Tests of the main window made in this process from the real resources, and of its list box.
#include "ui/main_window_win.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "motion/motion_worker_win.h"
#include "path/point_entry.h"
#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "tests/support/failing_new_win.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "ui/app_state_win.h"
#include "ui/high_contrast_win.h"
#include "ui/image_control_win.h"
#include "ui/list_box_point_list_win.h"
#include "ui/motion_page_win.h"
#include "ui/scaled_layout_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {
namespace {

using testing::FocusOf, testing::PressKeys, testing::WaitFor;

// Started with it, this program writes the snapshot of a fresh start to the file named after it.
constexpr char SNAPSHOT_SWITCH[] = "--layout-snapshot";
// Started with it, this program shows the main window with high contrast taken as on, until closed.
constexpr char HIGH_CONTRAST_SWITCH[] = "--high-contrast";
constexpr int SCALES = 4;  // the drawings of each image: 100, 125, 150 and 200 %

// The main window run as the program runs it, on a thread of its own, with one entry in the list.
struct MainWindowRun {
    MainWindowRun() {
        g_app.instance = GetModuleHandleW(nullptr);
        ui = std::thread([] { RunMainWindow(g_app.instance); });
        DWORD process = 0;
        WaitFor([&] {
            GetWindowThreadProcessId(main = FindWindowA("#32770", "-= Varrel =-"), &process);
            return process == GetCurrentProcessId() && IsWindowVisible(main);
        });
        for (HWND page = nullptr; (page = FindWindowExW(main, page, L"#32770", nullptr));)
            (GetDlgItem(page, IDC_POINTS) ? motion : about) = page;
        SendMessageA(GetDlgItem(motion, IDC_POINTS), LB_ADDSTRING, 0, LPARAM("1,1"));
    }
    ~MainWindowRun() {
        PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        ui.join();
    }
    std::thread ui;
    HWND main = nullptr, motion = nullptr, about = nullptr;
};

BITMAP Bitmap(HGDIOBJ bitmap) {  // zeros for none
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return info;
}

HGDIOBJ Image(HWND control) {
    return reinterpret_cast<HGDIOBJ>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// Which drawing (0 to 3: 100 to 200 %) a control shows: the one closest to it at the size shown.
int DrawingShown(HWND control, int bitmap100) {
    const auto shown = static_cast<HBITMAP>(Image(control));
    const BITMAP size = Bitmap(shown);  // both made for the screen: their bits compare
    std::vector<BYTE> a(static_cast<std::size_t>(size.bmWidthBytes) * size.bmHeight);
    GetBitmapBits(shown, static_cast<LONG>(a.size()), a.data());
    std::pair<long long, int> closest{LLONG_MAX, -1};
    for (int step = 0; step < SCALES; ++step) {
        const GdiObject art(LoadImageA(g_app.instance,
                                       MAKEINTRESOURCEA(bitmap100 + step * IDB_SCALED_STEP),
                                       IMAGE_BITMAP, size.bmWidth, size.bmHeight, 0));
        std::vector<BYTE> b(a.size());
        GetBitmapBits(static_cast<HBITMAP>(art.Get()), static_cast<LONG>(b.size()), b.data());
        long long distance = 0;
        for (std::size_t i = 0; i < a.size(); ++i) distance += std::abs(a[i] - b[i]);
        closest = std::min(closest, {distance, step});
    }
    return closest.second;
}

// What a change of scale must get right, by name: the window's size; the client area and every
// box in it (x0 y0 x1 y1); the images' sizes; the font, the cursor, the list column, two drawings.
using Snapshot = std::map<std::string, long>;

Snapshot Take(const MainWindowRun& run) {
    Snapshot s;
    RECT box{};
    GetWindowRect(run.main, &box);
    s["window width"] = box.right - box.left;
    s["window height"] = box.bottom - box.top;
    GetClientRect(run.main, &box);
    s["client x1"] = box.right;
    s["client y1"] = box.bottom;
    int n = 0;
    for (HWND parent : {run.main, run.motion, run.about}) {
        for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const auto name = std::to_string(n++) + "#" + std::to_string(GetDlgCtrlID(c)) + " ";
            GetWindowRect(c, &box);
            MapWindowPoints(nullptr, run.main, reinterpret_cast<POINT*>(&box), 2);
            const LONG sides[] = {box.left, box.top, box.right, box.bottom};  // x0 y0 x1 y1
            for (int k = 0; k < 4; ++k) s[name + "xyxy"[k] + "0011"[k]] = sides[k];
            if (const BITMAP image = Bitmap(Image(c)); image.bmWidth) {
                s[name + "image width"] = image.bmWidth;
                s[name + "image height"] = image.bmHeight;
            }
        }
    }
    ICONINFO cursor{};
    GetIconInfo(g_app.targetCursor, &cursor);
    const GdiObject mask(cursor.hbmMask), color(cursor.hbmColor);
    s["cursor width"] = Bitmap(mask.Get()).bmWidth;
    HWND list = GetDlgItem(run.motion, IDC_POINTS);
    LOGFONTW font{};  // one for all controls
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof font, &font);
    s["font height"] = font.lfHeight;
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&box));
    s["list column width"] = box.right - box.left;
    s["Add drawing"] = DrawingShown(GetDlgItem(run.motion, IDC_ADD), IDB_ADD);
    s["Motion tab drawing"] = DrawingShown(GetDlgItem(run.main, IDC_TAB_MOTION), IDB_TAB_MOTION);
    return s;
}

// A fresh start of this program at a DPI: the prefix's display scale, given back as it was found.
Snapshot FreshStartAt(DWORD dpi) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "varrel-layout";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + Widen(SNAPSHOT_SWITCH) + L" \"" +
                           file.wstring() + L"\"";
    const wchar_t *desktop = L"Control Panel\\Desktop", *logPixels = L"LogPixels";
    DWORD found = 0, size = sizeof found;
    const bool had = !RegGetValueW(HKEY_CURRENT_USER, desktop, logPixels, RRF_RT_REG_DWORD, nullptr,
                                   &found, &size);
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, logPixels, REG_DWORD, &dpi, sizeof dpi),
              0)
        << "setting the display scale";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        const UniqueHandle process(info.hProcess), thread(info.hThread);
        WaitForSingleObject(process.Get(), 60000);
    }
    if (had) RegSetKeyValueW(HKEY_CURRENT_USER, desktop, logPixels, REG_DWORD, &found, size);
    if (!had) RegDeleteKeyValueW(HKEY_CURRENT_USER, desktop, logPixels);
    Snapshot s;
    std::ifstream in(file);
    std::string name;
    for (long value; std::getline(in, name, '=') && in >> value; in.ignore()) s[name] = value;
    return s;
}

// The picture's pixels as it paints itself.
std::vector<COLORREF> Painted(HWND control) {
    RECT box{};
    GetClientRect(control, &box);
    const ScreenDc screen;
    const MemoryDc dc(CreateCompatibleDC(screen.Get()));
    const GdiObject bits(CreateCompatibleBitmap(screen.Get(), box.right, box.bottom));
    const Selected selected(dc.Get(), bits.Get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < box.bottom; ++y)
        for (int x = 0; x < box.right; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
    return pixels;
}

void ChangeDpi(HWND window, UINT dpi) {  // as the system does: the size asked, then a rectangle
    SIZE size{};
    EXPECT_TRUE(SendMessageW(window, GET_DPI_SCALED_SIZE_MESSAGE, dpi, LPARAM(&size)));
    RECT box{0, 0, size.cx, size.cy};  // where the window goes: no matter here
    SendMessageW(window, DPI_CHANGED_MESSAGE, MAKEWPARAM(dpi, dpi), LPARAM(&box));
}

// At 144 and 192 DPI a change of scale gives what a fresh start there gives, within 1 px, and every
// box of that start lies where its 96-DPI box lands, scaled as the client area grew (the dialog
// units round). The images show their 150 and 200 % drawings. Back at 96 DPI all is as it was.
// Then the close box ends without saving.
TEST(MainWindow, AChangeOfScaleAndTheCloseBox) {
    const std::filesystem::path file(ConfigFilePath());
    std::filesystem::remove(file);
    {
        const MainWindowRun run;
        const Snapshot first = Take(run);
        for (const auto& [dpi, drawing] : {std::pair{144u, 2L}, {192u, 3L}, {96u, 0L}}) {
            ChangeDpi(run.main, dpi);
            const Snapshot changed = Take(run), fresh = dpi == 96 ? first : FreshStartAt(dpi);
            ASSERT_EQ(changed.size(), fresh.size()) << dpi;
            for (const auto& [name, value] : fresh) {
                // Wine keeps a 96-DPI window's frame: its client area follows the frame.
                const bool frameBound = name.rfind("client", 0) == 0;
                EXPECT_LE(frameBound ? 0 : std::abs(changed.at(name) - value), dpi == 96 ? 0 : 1)
                    << name << " at " << dpi << " DPI";
                if (name.back() != '0' && name.back() != '1') continue;  // not a box's side
                const std::string client = std::string("client ") + name[name.size() - 2] + "1";
                EXPECT_NEAR(value, 1.0 * first.at(name) * fresh.at(client) / first.at(client), 3)
                    << name << " at " << dpi << " DPI, fresh";
            }
            for (const char* image : {"Add drawing", "Motion tab drawing"})
                EXPECT_EQ(changed.at(image), drawing) << image << " at " << dpi << " DPI";
        }
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    std::filesystem::remove(file);
}

// Real keys on the About page, the focus left on View as a click leaves it: access keys of the
// hidden page (Remove, Start), one nothing answers, a letter, Space, Enter, Delete. Each is
// followed by Ctrl+Tab, which a window that stopped answering never serves; the hidden list and the
// run stay as they were.
TEST(MainWindow, KeysOnTheAboutPageReachNothingHidden) {
    std::filesystem::remove(ConfigFilePath());  // the About tab saves
    const MainWindowRun run;
    HWND list = GetDlgItem(run.motion, IDC_POINTS), about = GetDlgItem(run.main, IDC_TAB_ABOUT);
    SetForegroundWindow(run.main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == run.main; }));
    const char* names[] = {"Alt+R", "Alt+S", "Alt+F", "X", "Space", "Enter", "Delete"};
    const std::vector<WORD> keys[] = {{VK_MENU, 'R'}, {VK_MENU, 'S'}, {VK_MENU, 'F'}, {'X'},
                                      {VK_SPACE},     {VK_RETURN},    {VK_DELETE}};
    for (std::size_t k = 0; k < std::size(keys); ++k) {
        const char* name = names[k];
        SendMessageW(run.main, WM_NEXTDLGCTL, WPARAM(GetDlgItem(run.motion, IDC_VIEW)), TRUE);
        SendMessageW(run.main, WM_COMMAND, IDC_TAB_ABOUT, LPARAM(about));
        EXPECT_EQ(FocusOf(run.main), about) << name;
        PressKeys(keys[k]);
        PressKeys({VK_CONTROL, VK_TAB});
        ASSERT_TRUE(WaitFor([&] { return FocusOf(run.main) == list; }, 10000)) << name;
        EXPECT_TRUE(IsWindowVisible(run.motion)) << name;
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1) << name;
        EXPECT_EQ(WindowText(GetDlgItem(run.motion, IDC_START)), "&Start") << name;
    }
    std::filesystem::remove(ConfigFilePath());
}

// Memory that runs out in each kind of callback the window's thread serves (the first allocation
// there fails; the run's copy is served after Start returns): the window answers on, and the list
// is as it was.
TEST(MainWindow, AnAllocationThatFailsInACallbackLeavesTheWindowWorkingAndTheListAsItWas) {
    std::filesystem::remove(ConfigFilePath());  // the About tab saves
    const MainWindowRun run;
    HWND list = GetDlgItem(run.motion, IDC_POINTS);
    const DWORD thread = GetWindowThreadProcessId(run.main, nullptr);
    // Too long to be kept in a string without an allocation.
    SetWindowTextA(GetDlgItem(run.motion, IDC_POSITION), "1000,1000");
    const auto send = [](HWND to, UINT message, WPARAM w, LPARAM l) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(to, message, w, l, SMTO_NORMAL, 60000, &result) != 0;
    };
    const std::tuple<const char*, HWND, UINT, WPARAM, LPARAM> calls[] = {
        {"Add, in the page's procedure", run.motion, WM_COMMAND, MAKEWPARAM(IDC_ADD, STN_CLICKED),
         0},
        {"a screen reader's request, in the list's", list, WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT)},
        {"the About tab's save", run.main, WM_COMMAND, IDC_TAB_ABOUT, 0},
        {"Start's copy of the list", run.motion, WM_COMMAND, IDC_START, 0}};
    for (const auto& [name, to, message, w, l] : calls) {
        SendMessageW(run.main, WM_COMMAND, IDC_TAB_MOTION, 0);
        testing::FailNextAllocation(thread);
        EXPECT_TRUE(send(to, message, w, l)) << name << ": the window stopped answering";
        EXPECT_TRUE(WaitFor(testing::AllocationFailed)) << name << ": nothing was allocated";
        EXPECT_TRUE(send(run.main, WM_NULL, 0, 0)) << name;
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1) << name << ": the list changed";
        EXPECT_TRUE(WaitFor([&] {
            return WindowText(GetDlgItem(run.motion, IDC_START)) == "&Start";
        })) << name
            << ": a run goes on";
    }
    std::filesystem::remove(ConfigFilePath());
}

// A press that comes while a question disables the window (a screen reader's, posted before) does
// nothing; a Motion page ended by a WM_CLOSE from anywhere writes no empty list over the file's.
TEST(MainWindow, NothingActsForAWindowUnderAQuestionOrAPageThatHasGone) {
    std::ofstream(std::filesystem::path(ConfigFilePath()), std::ios::binary)
        << "[Main]\r\nPoint=1,1";
    const MainWindowRun run;
    EnableWindow(run.main, FALSE);
    PressImageControl(GetDlgItem(run.main, IDC_TAB_ABOUT));
    EXPECT_FALSE(IsWindowVisible(run.about)) << "the About tab pressed under a question";
    EnableWindow(run.main, TRUE);
    SendMessageW(run.motion, WM_CLOSE, 0, 0);
    EXPECT_TRUE(SaveMotionPageSettings(run.motion, ChangedList::Replace)) << "saved without a list";
    EXPECT_EQ(ProfileFile(ConfigFilePath()).Read("Main", "Point"), "1,1");
    std::filesystem::remove(ConfigFilePath());
}

// High contrast on (its colours set as such a theme sets them): each picture with a word, and the
// target, shows in the two system colours, at 150 % too; off again, the artwork comes back.
TEST(MainWindow, HighContrastDrawsThePicturesInTheSystemColours) {
    const MainWindowRun run;
    const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    const COLORREF was[] = {GetSysColor(elements[0]), GetSysColor(elements[1])};
    const HWND pictures[] = {
        GetWindow(run.main, GW_CHILD),       GetDlgItem(run.motion, IDC_ADD),
        GetDlgItem(run.motion, IDC_TARGET),  GetDlgItem(run.main, IDC_TAB_MOTION),
        GetDlgItem(run.main, IDC_TAB_ABOUT), GetDlgItem(run.main, IDC_TAB_CLOSE)};
    std::vector<std::vector<COLORREF>> artwork;
    for (HWND p : pictures) artwork.push_back(Painted(p));
    SetSysColors(2, elements, contrast);
    OverrideHighContrast(true);
    SendMessageW(run.main, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    for (UINT dpi : {96u, 144u}) {
        ChangeDpi(run.main, dpi);
        for (std::size_t i = 0; i < std::size(pictures); ++i) {
            const std::vector<COLORREF> shown = Painted(pictures[i]);
            EXPECT_GT(std::count(shown.begin(), shown.end(), contrast[0]), 0) << i << " at " << dpi;
            EXPECT_GT(std::count(shown.begin(), shown.end(), contrast[1]), 0) << i << " at " << dpi;
        }
    }
    ChangeDpi(run.main, 96);
    OverrideHighContrast(false);
    SetSysColors(2, elements, was);  // its own notice is posted: it may come late
    SendMessageW(run.main, WM_SYSCOLORCHANGE, 0, 0);
    for (std::size_t i = 0; i < std::size(pictures); ++i)
        EXPECT_EQ(Painted(pictures[i]), artwork[i]);
    OverrideHighContrast(std::nullopt);
}

// A hidden list box of this thread, whose owner serves the worker's entry reads.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_READ_ENTRY) return ListBoxPointList::ServeEntryRead(lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Ended while this thread serves nothing (the worker waits in its first read), then while it serves
// the reads, last until the run begins: always a true prefix is built, and nothing is sent before
// all is read. The last entry, of a megabyte, is read whole: only so does it have its y.
TEST(ListBoxPointList, EndWhileTheWorkerReadsTenThousandEntriesFromThisThread) {
    testing::MouseHookRecorder hook;
    HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 9, 9, {}, {}, {}, {});
    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc));
    HWND box = CreateWindowW(L"LISTBOX", L"", WS_CHILD, 0, 0, 9, 9, owner, {}, {}, {});
    ListBoxPointList list(box, owner);
    constexpr int N = 10001;
    for (int i = 0; i + 1 < N; ++i) list.Append(FormatPosition(100 + i % 300, 100 + i / 300));
    std::string entry = "30";
    while (entry.size() < 1 << 20) entry += "x\xe9\x81\x8d";
    list.Append(entry + ",40");
    for (int serveMs : {0, 0, 1, 30, 60000}) {
        hook.Clear();
        RunList run;
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        for (const ULONGLONG until = GetTickCount64() + serveMs;
             GetTickCount64() < until && hook.Injected().empty();)
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        worker.End();
        ASSERT_LE(run.count, serveMs ? N : RUN_LIST_READ_CHUNK);
        EXPECT_TRUE(run.count == N || hook.Injected().empty()) << run.count;
        EXPECT_TRUE(run.count == N || serveMs < 60000) << "the run began before all was read";
        for (int i = 0; i < run.count; ++i) {
            const ScreenPoint want =
                i + 1 < N ? ScreenPoint{100 + i % 300, 100 + i / 300} : ScreenPoint{30, 40};
            ASSERT_EQ(run.points[i], want) << i;
        }
        run.Release();
    }
    EXPECT_TRUE(hook.Installed());
    DestroyWindow(owner);
}

}  // namespace
}  // namespace varrel

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == varrel::SNAPSHOT_SWITCH) {
        const varrel::MainWindowRun run;
        std::ofstream out(argv[2]);
        for (const auto& [name, value] : varrel::Take(run)) out << name << '=' << value << '\n';
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == varrel::HIGH_CONTRAST_SWITCH) {
        varrel::OverrideHighContrast(true);  // as if on: Wine cannot switch it (scripts/screenshot)
        varrel::g_app.instance = GetModuleHandleW(nullptr);
        return int(varrel::RunMainWindow(GetModuleHandleW(nullptr)));
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
