// Tests of the compiled resources: the dialogs as the dialog manager creates them, images, cursor,
// icon, version and manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// ---- The dialogs as the dialog manager creates them ----

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog window destroyed at the end of the scope.
class Dialog {
  public:
    Dialog(int id, HWND parent)
        : hwnd_(CreateDialogParamA(Instance(), MAKEINTRESOURCEA(id), parent, QuietProc, 0)) {}
    ~Dialog() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    HWND Get() const { return hwnd_; }

  private:
    HWND hwnd_;
};

std::string ClassOf(HWND hwnd) {
    char name[64] = {};  // class names of the predefined controls are short; longer ones are cut
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

SIZE WindowSize(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectA(bitmap, sizeof info, &info)) return SIZE{-1, -1};
    return SIZE{info.bmWidth, info.bmHeight};
}

void ExpectSize(SIZE got, int width, int height) {
    EXPECT_EQ(got.cx, width);
    EXPECT_EQ(got.cy, height);
}

// An image control shows its bitmap and takes the bitmap's size, whatever the template says.
void ExpectImageControl(HWND dlg, int id, int width, int height, bool notify) {
    SCOPED_TRACE("image control " + std::to_string(id));
    HWND control = GetDlgItem(dlg, id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(ClassOf(control), "Static");
    EXPECT_EQ((StyleOf(control) & SS_TYPEMASK), static_cast<DWORD>(SS_BITMAP));
    EXPECT_EQ((StyleOf(control) & SS_NOTIFY) != 0, notify);
    auto shown = reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr) << "the control found no image";
    ExpectSize(BitmapSize(shown), width, height);
    ExpectSize(WindowSize(control), width, height);
}

TEST(CreatedDialogs, MainWindowShowsItsImagesAtTheirSizes) {
    Dialog main(IDD_MAIN, nullptr);
    ASSERT_NE(main.Get(), nullptr);
    EXPECT_FALSE(IsWindowVisible(main.Get()));
    EXPECT_EQ(TextOf(main.Get()), "-= Varrel =-");
    ExpectImageControl(main.Get(), IDC_TAB_MOTION, 80, 20, true);
    ExpectImageControl(main.Get(), IDC_TAB_ABOUT, 80, 20, true);
    ExpectImageControl(main.Get(), IDC_TAB_CLOSE, 80, 20, true);

    // The untitled images: logo, two upright and two flat lines, in template order.
    std::vector<SIZE> unnamed;
    for (HWND c = GetWindow(main.Get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == -1 || GetDlgCtrlID(c) == 0xFFFF) unnamed.push_back(WindowSize(c));
    }
    ASSERT_EQ(unnamed.size(), 5u);
    ExpectSize(unnamed[0], 36, 110);
    ExpectSize(unnamed[1], 1, 48);
    ExpectSize(unnamed[2], 1, 48);
    ExpectSize(unnamed[3], 140, 1);
    ExpectSize(unnamed[4], 140, 1);

    // The client area is 174 x 125 dialog units of its font.
    RECT units{0, 0, 174, 125};
    ASSERT_TRUE(MapDialogRect(main.Get(), &units));
    RECT client{};
    GetClientRect(main.Get(), &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
}

TEST(CreatedDialogs, AboutPageStartsHiddenWithItsText) {
    Dialog main(IDD_MAIN, nullptr);
    Dialog about(IDD_ABOUT, main.Get());
    ASSERT_NE(about.Get(), nullptr);
    EXPECT_FALSE(IsWindowVisible(about.Get()));
    EXPECT_TRUE(StyleOf(about.Get()) & WS_CHILD);
    HWND text = GetWindow(about.Get(), GW_CHILD);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(ClassOf(text), "Static");
    EXPECT_EQ(StyleOf(text) & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    const std::string shown = TextOf(text);
    EXPECT_EQ(shown.rfind("Varrel", 0), 0u);
    EXPECT_NE(shown.find("\n\nver. 0.2b - 3 April 2000"), std::string::npos) << shown;
}

TEST(CreatedDialogs, MotionPageControls) {
    Dialog main(IDD_MAIN, nullptr);
    Dialog page(IDD_MOTION, main.Get());
    ASSERT_NE(page.Get(), nullptr);
    EXPECT_TRUE(StyleOf(page.Get()) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongA(page.Get(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    HWND list = GetDlgItem(page.Get(), IDC_POINTS);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ClassOf(list), "ListBox");
    const DWORD listStyle = StyleOf(list);
    EXPECT_FALSE(listStyle & LBS_SORT);
    EXPECT_TRUE(listStyle & LBS_MULTICOLUMN);
    EXPECT_TRUE(listStyle & LBS_NOTIFY);
    // Unsorted: entries keep the order they are added in.
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("20,20"));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("10,10"));
    char first[16] = {};
    ASSERT_LT(SendMessageA(list, LB_GETTEXTLEN, 0, 0), static_cast<LRESULT>(sizeof first));
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, "20,20");

    HWND position = GetDlgItem(page.Get(), IDC_POSITION);
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(ClassOf(position), "Edit");
    EXPECT_EQ(TextOf(position), "");
    EXPECT_TRUE(StyleOf(position) & ES_AUTOHSCROLL);

    ExpectImageControl(page.Get(), IDC_TARGET, 12, 12, false);
    ExpectImageControl(page.Get(), IDC_ADD, 43, 20, true);

    HWND hide = GetDlgItem(page.Get(), IDC_HIDE_AFTER_START);
    ASSERT_NE(hide, nullptr);
    EXPECT_EQ(TextOf(hide), "Hide after start");
    EXPECT_EQ(StyleOf(hide) & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_EQ(TextOf(GetDlgItem(page.Get(), IDC_START)), "&Start");

    // Tab order: list, Position, the check box, then Start, View, Remove, and round again.
    const int order[] = {IDC_POINTS, IDC_POSITION, IDC_HIDE_AFTER_START, IDC_START, IDC_VIEW,
                         IDC_REMOVE, IDC_POINTS};
    HWND at = list;
    for (size_t i = 1; i < sizeof order / sizeof order[0]; ++i) {
        at = GetNextDlgTabItem(page.Get(), at, FALSE);
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(GetDlgCtrlID(at), order[i]) << "tab stop " << i;
    }
}

TEST(CreatedDialogs, MouseActionDialogRadios) {
    Dialog dlg(IDD_ACTION, nullptr);
    ASSERT_NE(dlg.Get(), nullptr);
    EXPECT_EQ(TextOf(dlg.Get()), "Mouse action");
    EXPECT_TRUE(GetWindowLongA(dlg.Get(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    HWND ok = GetDlgItem(dlg.Get(), IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(StyleOf(ok) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(GetWindow(dlg.Get(), GW_CHILD), ok) << "OK is first";
    // OK is the only tab stop: tabbing from it comes back to it.
    EXPECT_EQ(GetNextDlgTabItem(dlg.Get(), ok, FALSE), ok);

    struct Radio {
        int id;
        const char* text;
        bool enabled;
    };
    const Radio radios[] = {{IDC_ACT_DOWN, "Mouse button Down", false},
                            {IDC_ACT_UP, "Mouse button Up", false},
                            {IDC_ACT_CLICK, "Click the mouse button ", true},
                            {IDC_ACT_DOUBLE, "Double-click the mouse button ", false},
                            {IDC_ACT_NONE, "none", true}};
    for (const Radio& r : radios) {
        SCOPED_TRACE(r.text);
        HWND button = GetDlgItem(dlg.Get(), r.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(TextOf(button), r.text);
        EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
        EXPECT_EQ(StyleOf(button) & (WS_GROUP | WS_TABSTOP), 0u);
        EXPECT_EQ(IsWindowEnabled(button) != FALSE, r.enabled);
        EXPECT_EQ(IsDlgButtonChecked(dlg.Get(), r.id), static_cast<UINT>(BST_UNCHECKED));
    }

    // All five are one group: choosing one clears the other.
    SendDlgItemMessageA(dlg.Get(), IDC_ACT_CLICK, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dlg.Get(), IDC_ACT_CLICK), static_cast<UINT>(BST_CHECKED));
    SendDlgItemMessageA(dlg.Get(), IDC_ACT_NONE, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dlg.Get(), IDC_ACT_NONE), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dlg.Get(), IDC_ACT_CLICK), static_cast<UINT>(BST_UNCHECKED));
}

// ---- Images, cursor, icon ----

// Owns a GDI object for the length of a test.
class GdiObject {
  public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(object_); }

  private:
    HGDIOBJ object_;
};

GdiObject LoadBitmapResource(int id) {
    return GdiObject(
        LoadImageA(Instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// Colour of pixel (x, y), top row 0, of a bitmap.
COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

TEST(Images, BitmapsHaveTheirPixelSizes) {
    struct Expected {
        int id, width, height;
    };
    const Expected all[] = {{IDB_LOGO, 36, 110},     {IDB_TAB_MOTION, 80, 20},
                            {IDB_TAB_ABOUT, 80, 20}, {IDB_TAB_CLOSE, 80, 20},
                            {IDB_VLINE, 1, 48},      {IDB_HLINE, 140, 1},
                            {IDB_ADD, 43, 20},       {IDB_TARGET, 12, 12}};
    for (const Expected& e : all) {
        SCOPED_TRACE("bitmap " + std::to_string(e.id));
        GdiObject bitmap = LoadBitmapResource(e.id);
        ASSERT_NE(bitmap.Bitmap(), nullptr);
        ExpectSize(BitmapSize(bitmap.Bitmap()), e.width, e.height);
    }
}

TEST(Images, LinesAreBlackAndTheTargetSitsOnDialogGrey) {
    GdiObject vline = LoadBitmapResource(IDB_VLINE);
    for (int y = 0; y < 48; ++y) EXPECT_EQ(PixelOf(vline.Bitmap(), 0, y), RGB(0, 0, 0)) << y;
    GdiObject hline = LoadBitmapResource(IDB_HLINE);
    for (int x = 0; x < 140; ++x) EXPECT_EQ(PixelOf(hline.Bitmap(), x, 0), RGB(0, 0, 0)) << x;

    GdiObject target = LoadBitmapResource(IDB_TARGET);
    const COLORREF grey = RGB(192, 192, 192);
    EXPECT_EQ(PixelOf(target.Bitmap(), 0, 0), grey);
    EXPECT_EQ(PixelOf(target.Bitmap(), 11, 0), grey);
    EXPECT_EQ(PixelOf(target.Bitmap(), 0, 11), grey);
    EXPECT_EQ(PixelOf(target.Bitmap(), 11, 11), grey);
    EXPECT_EQ(PixelOf(target.Bitmap(), 5, 5), RGB(0, 0, 0)) << "the centre of the cross";
}

TEST(Images, TargetCursorIsMonochromeWithItsHotSpotInTheMiddle) {
    // A resource cursor is shared and must not be destroyed.
    HCURSOR cursor = LoadCursorA(Instance(), MAKEINTRESOURCEA(IDCUR_TARGET));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    GdiObject mask(info.hbmMask);
    GdiObject colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    EXPECT_EQ(info.hbmColor, nullptr) << "a monochrome cursor has no colour bitmap";
    ExpectSize(BitmapSize(info.hbmMask), 32, 64);  // AND mask over XOR mask

    // The ring and cross are drawn: the masks are not all transparent.
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (PixelOf(info.hbmMask, x, y) == RGB(0, 0, 0)) ++opaque;
    EXPECT_GT(opaque, 40);
    EXPECT_LT(opaque, 32 * 32 / 2);
}

TEST(Images, IconHoldsA256ColourLargeAndA16ColourSmallImage) {
    HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(IDI_APP), MAKEINTRESOURCEA(14));
    ASSERT_NE(found, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Instance(), found)));
    ASSERT_NE(dir, nullptr);
    ASSERT_GE(SizeofResource(Instance(), found), 6u);
    WORD count = 0;
    std::memcpy(&count, dir + 4, sizeof count);
    ASSERT_EQ(SizeofResource(Instance(), found), 6u + 14u * count);
    bool large = false, small = false;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bits...
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        if (entry[0] == 32 && entry[1] == 32 && bits == 8) large = true;
        if (entry[0] == 16 && entry[1] == 16 && entry[2] == 16 && bits == 4) small = true;
    }
    EXPECT_TRUE(large) << "no 32 x 32, 256-colour image";
    EXPECT_TRUE(small) << "no 16 x 16, 16-colour image";

    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        GdiObject mask(info.hbmMask);
        GdiObject colour(info.hbmColor);
        ExpectSize(BitmapSize(info.hbmColor), size, size);
        DestroyIcon(icon);
    }
}

// ---- Version and manifest ----

std::string VersionString(const std::vector<BYTE>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || !value) return "(missing)";
    return std::string(static_cast<const char*>(value));
}

TEST(VersionAndManifest, VersionResourceNamesVarrel02b) {
    std::string exe(MAX_PATH, '\0');
    DWORD n = 0;
    while ((n = GetModuleFileNameA(nullptr, &exe[0], static_cast<DWORD>(exe.size()))) == exe.size())
        exe.resize(exe.size() * 2);
    exe.resize(n);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(2, 0)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(2, 0)));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(block, "ProductName"), "Varrel");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "0.2b");
    EXPECT_EQ(VersionString(block, "FileVersion"), "0.2b");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "varrel.exe");
    EXPECT_NE(VersionString(block, "FileDescription"), "(missing)");
}

TEST(VersionAndManifest, ManifestAsksForPerMonitorDpiAndCommonControls6) {
    HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(Instance(), found)));
    ASSERT_NE(data, nullptr);
    const std::string manifest(data, SizeofResource(Instance(), found));
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
}

}  // namespace
