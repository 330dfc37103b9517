// Tests of the main window made in this process from the real resources: a change of display scale
// lays it out as a fresh start at that scale does, the motion page passes a lost capture on to the
// picker, and the close box ends without saving.
#include "ui/main_window_win.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "ui/app_state_win.h"
#include "ui/scaled_layout_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {
namespace {

using testing::WaitFor;

// Started with it, this program writes the snapshot of a fresh start to the file named after it.
constexpr char SNAPSHOT_SWITCH[] = "--layout-snapshot";
constexpr int SCALES = 4;  // the drawings of each image: 100, 125, 150 and 200 %

// The main window run as the program runs it, on a thread of its own, with one entry in the list.
struct MainWindowRun {
    MainWindowRun() {
        g_app.instance = GetModuleHandleW(nullptr);
        ui = std::thread([] { RunMainWindow(g_app.instance); });
        WaitFor([&] {
            main = FindWindowA("#32770", "-= Varrel =-");
            DWORD process = 0;
            GetWindowThreadProcessId(main, &process);
            return main && process == GetCurrentProcessId() && IsWindowVisible(main);
        });
        for (HWND page = nullptr; main && (page = FindWindowExW(main, page, L"#32770", nullptr));)
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

// The pixels of a bitmap, as 32-bit colours.
std::vector<DWORD> Pixels(HBITMAP bitmap, SIZE& size) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    size = {info.bmWidth, info.bmHeight};
    std::vector<DWORD> pixels(static_cast<std::size_t>(size.cx) * size.cy);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const ScreenDc screen;
    GetDIBits(screen.Get(), bitmap, 0, size.cy, pixels.data(), &format, DIB_RGB_COLORS);
    return pixels;
}

// Which of the image's drawings (0 to 3: 100 to 200 %) a control shows: the one that, stretched to
// the control's image, comes closest to it.
int DrawingShown(HWND control, int bitmap100) {
    SIZE size{}, drawn{};
    const auto image =
        reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    const std::vector<DWORD> shown = Pixels(image, size);
    const ScreenDc screen;
    const MemoryDc from(CreateCompatibleDC(screen.Get())), to(CreateCompatibleDC(screen.Get()));
    std::pair<long long, int> closest{LLONG_MAX, -1};
    for (int step = 0; step < SCALES; ++step) {
        const GdiObject art(LoadImageA(g_app.instance,
                                       MAKEINTRESOURCEA(bitmap100 + step * IDB_SCALED_STEP),
                                       IMAGE_BITMAP, 0, 0, 0));
        const GdiObject stretched(CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
        Pixels(static_cast<HBITMAP>(art.Get()), drawn);
        {
            const Selected source(from.Get(), art.Get()), target(to.Get(), stretched.Get());
            SetStretchBltMode(to.Get(), HALFTONE);
            StretchBlt(to.Get(), 0, 0, size.cx, size.cy, from.Get(), 0, 0, drawn.cx, drawn.cy,
                       SRCCOPY);
        }
        const std::vector<DWORD> pixels = Pixels(static_cast<HBITMAP>(stretched.Get()), drawn);
        long long distance = 0;
        for (std::size_t i = 0; i < pixels.size() && i < shown.size(); ++i)
            for (int shift : {0, 8, 16})
                distance +=
                    std::abs(int(pixels[i] >> shift & 0xFF) - int(shown[i] >> shift & 0xFF));
        closest = std::min(closest, {distance, step});
    }
    return closest.second;
}

// What a change of scale must get right, by name: the window's whole size, every window's box in
// the main window's client area and its font's height, each image's size and the drawing it shows,
// the cursor's size and the list's column width.
using Snapshot = std::map<std::string, long>;

Snapshot Take(const MainWindowRun& run) {
    Snapshot s;
    RECT box{};
    GetWindowRect(run.main, &box);
    s["window width"] = box.right - box.left;
    s["window height"] = box.bottom - box.top;
    int n = 0;
    for (HWND parent : {run.main, run.motion, run.about}) {
        for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const std::string name =
                "window " + std::to_string(n++) + " (id " + std::to_string(GetDlgCtrlID(c)) + ") ";
            GetWindowRect(c, &box);
            MapWindowPoints(nullptr, run.main, reinterpret_cast<POINT*>(&box), 2);
            s[name + "left"] = box.left, s[name + "top"] = box.top;
            s[name + "right"] = box.right, s[name + "bottom"] = box.bottom;
            LOGFONTW font{};  // a page's own font stays with it: only its controls show one
            if (GetDlgCtrlID(c) &&
                GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)), sizeof font,
                           &font))
                s[name + "font height"] = font.lfHeight;
            const auto image =
                reinterpret_cast<HBITMAP>(SendMessageW(c, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP bitmap{};
            if (image && GetObjectW(image, sizeof bitmap, &bitmap))
                s[name + "image width"] = bitmap.bmWidth,
                         s[name + "image height"] = bitmap.bmHeight;
        }
    }
    ICONINFO cursor{};
    BITMAP mask{};
    if (GetIconInfo(g_app.targetCursor, &cursor) && GetObjectW(cursor.hbmMask, sizeof mask, &mask))
        s["cursor width"] = mask.bmWidth;
    DeleteObject(cursor.hbmMask);
    DeleteObject(cursor.hbmColor);
    RECT item{};
    SendMessageW(GetDlgItem(run.motion, IDC_POINTS), LB_GETITEMRECT, 0,
                 reinterpret_cast<LPARAM>(&item));
    s["list column width"] = item.right - item.left;
    s["Add drawing"] = DrawingShown(GetDlgItem(run.motion, IDC_ADD), IDB_ADD);
    s["Motion tab drawing"] = DrawingShown(GetDlgItem(run.main, IDC_TAB_MOTION), IDB_TAB_MOTION);
    return s;
}

// A fresh start of this program at a DPI (the prefix's display scale, which it reads as it starts).
Snapshot FreshStartAt(DWORD dpi) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("varrel-layout-" + std::to_string(GetCurrentProcessId()));
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + Widen(SNAPSHOT_SWITCH) + L" \"" +
                           file.wstring() + L"\"";
    const wchar_t* key = L"Control Panel\\Desktop";
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        const UniqueHandle process(info.hProcess), thread(info.hThread);
        WaitForSingleObject(process.Get(), 60000);
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"LogPixels");
    Snapshot s;
    std::ifstream in(file);
    std::string name;
    for (long value; std::getline(in, name, '=') && in >> value; in.ignore()) s[name] = value;
    in.close();
    std::filesystem::remove(file);
    return s;
}

// Moved to a monitor of another scale, as the system tells a window: first the size it asks for,
// then the change with a rectangle of that size where the window is.
void ChangeScale(const MainWindowRun& run, UINT dpi) {
    SIZE size{};
    EXPECT_TRUE(
        SendMessageW(run.main, GET_DPI_SCALED_SIZE_MESSAGE, dpi, reinterpret_cast<LPARAM>(&size)));
    RECT box{};
    GetWindowRect(run.main, &box);
    RECT suggested{box.left, box.top, box.left + size.cx, box.top + size.cy};
    SendMessageW(run.main, DPI_CHANGED_MESSAGE, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

// At 144 and 192 DPI the images show their 150 and 200 % drawings as drawn.
TEST(MainWindow, AChangeOfScaleLaysItOutAsAFreshStartThereAndBackAsItWas) {
    MainWindowRun run;
    const Snapshot first = Take(run);
    for (const auto& [dpi, drawing] : {std::pair{144u, 2}, std::pair{192u, 3}}) {
        ChangeScale(run, dpi);
        const Snapshot changed = Take(run), fresh = FreshStartAt(dpi);
        ASSERT_EQ(changed.size(), fresh.size()) << dpi;
        for (const auto& [name, value] : fresh)
            EXPECT_NEAR(changed.at(name), value, 1) << name << " at " << dpi << " DPI";
        EXPECT_EQ(changed.at("Add drawing"), drawing);
        EXPECT_EQ(changed.at("Motion tab drawing"), drawing);
    }
    ChangeScale(run, 96);
    EXPECT_EQ(Take(run), first);
}

// The page passes a lost capture on to the picker: the drag ends, and the next move shows nothing.
// Then the close box ends the window without saving the list.
TEST(MainWindow, ALostCaptureEndsTheDragAndTheCloseBoxDoesNotSave) {
    const std::filesystem::path file(ConfigFilePath());
    std::filesystem::remove(file);
    {
        const MainWindowRun run;
        HWND position = GetDlgItem(run.motion, IDC_POSITION);
        RECT target{};
        GetWindowRect(GetDlgItem(run.motion, IDC_TARGET), &target);
        POINT moved{7, 8};
        ClientToScreen(run.motion, &moved);
        ScreenToClient(run.motion, reinterpret_cast<POINT*>(&target));
        SendMessageW(run.motion, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(target.left, target.top));
        SendMessageW(run.motion, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(7, 8));
        ASSERT_EQ(WindowText(position), std::to_string(moved.x) + "," + std::to_string(moved.y));
        SendMessageW(run.motion, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(run.main));
        SendMessageW(run.motion, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 9));
        EXPECT_EQ(WindowText(position), std::to_string(moved.x) + "," + std::to_string(moved.y));
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    std::filesystem::remove(file);
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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
