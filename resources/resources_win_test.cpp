// Tests of the compiled resources: dialog templates as written and as created, images, cursor,
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

// ---- Reading a DLGTEMPLATEEX ----

struct ItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string windowClass;  // upper case, whether written as a name or an ordinal
    std::string text;         // the title, or "#n" for a resource ordinal (an image)
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    int pointSize = 0;
    std::string typeface;
    std::vector<ItemTemplate> items;
};

class TemplateReader {
  public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }

    // A sz_Or_Ord field: empty, 0xFFFF plus an ordinal, or a zero-ended UTF-16 string.
    std::string NameOrOrdinal() {
        const WORD first = Word();
        if (first == 0) return "";
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text(1, Narrow(first));
        return text + String();
    }

    std::string String() {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word()) text += Narrow(c);
        return text;
    }

    void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void Skip(size_t n) { pos_ += n; }
    bool Overran() const { return overran_; }

  private:
    static char Narrow(WORD c) { return c < 0x80 ? static_cast<char>(c) : '?'; }

    template <typename T>
    T Read() {
        T value{};
        if (pos_ + sizeof(T) > size_) {
            overran_ = true;
            pos_ = size_;
            return value;
        }
        std::memcpy(&value, data_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool overran_ = false;
};

// A template may name a predefined class by its ordinal (0x80 Button ... 0x85 ComboBox) or by
// its name in any case; both come out as the upper-case name.
std::string ClassName(const std::string& written) {
    static const char* const predefined[] = {"BUTTON",  "EDIT",      "STATIC",
                                             "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    for (int i = 0; i < 6; ++i) {
        if (written == "#" + std::to_string(0x80 + i)) return predefined[i];
    }
    std::string upper = written;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Loads dialog template `id` from the executable; fails the test when it is missing or is not
// an extended template.
DialogTemplate LoadDialogTemplate(int id) {
    DialogTemplate dlg;
    HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    EXPECT_NE(found, nullptr) << "dialog " << id;
    if (!found) return dlg;
    HGLOBAL loaded = LoadResource(Instance(), found);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    EXPECT_NE(data, nullptr);
    if (!data) return dlg;
    TemplateReader r(data, SizeofResource(Instance(), found));
    const WORD version = r.Word();
    const WORD signature = r.Word();
    EXPECT_EQ(version, 1);
    EXPECT_EQ(signature, 0xFFFF) << "dialog " << id << " is not a DIALOGEX template";
    r.Dword();  // help id
    dlg.exStyle = r.Dword();
    dlg.style = r.Dword();
    const WORD count = r.Word();
    dlg.x = r.Short();
    dlg.y = r.Short();
    dlg.cx = r.Short();
    dlg.cy = r.Short();
    EXPECT_EQ(r.NameOrOrdinal(), "") << "menu";
    EXPECT_EQ(r.NameOrOrdinal(), "") << "window class";
    dlg.caption = r.String();
    if (dlg.style & DS_SETFONT) {
        dlg.pointSize = r.Word();
        r.Word();  // weight
        r.Byte();  // italic
        r.Byte();  // charset
        dlg.typeface = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        ItemTemplate item;
        r.Dword();  // help id
        item.exStyle = r.Dword();
        item.style = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = static_cast<int>(r.Dword());
        item.windowClass = ClassName(r.NameOrOrdinal());
        item.text = r.NameOrOrdinal();
        r.Skip(r.Word());  // creation data
        dlg.items.push_back(item);
    }
    EXPECT_FALSE(r.Overran()) << "dialog " << id << " template is cut short";
    return dlg;
}

const char* const BUTTON = "BUTTON";
const char* const EDIT = "EDIT";
const char* const STATIC = "STATIC";
const char* const LISTBOX = "LISTBOX";

std::string Image(int id) { return "#" + std::to_string(id); }

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;

void ExpectItems(const DialogTemplate& dlg, const std::vector<ItemTemplate>& expected) {
    ASSERT_EQ(dlg.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ItemTemplate& got = dlg.items[i];
        const ItemTemplate& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass, want.windowClass);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
        EXPECT_EQ(got.exStyle, 0u);
    }
}

void ExpectFont(const DialogTemplate& dlg) {
    EXPECT_TRUE(dlg.style & DS_SETFONT);
    EXPECT_EQ(dlg.pointSize, 8);
    EXPECT_EQ(dlg.typeface, "MS Sans Serif");
}

TEST(DialogTemplates, MainWindowFrameAndImages) {
    const DialogTemplate dlg = LoadDialogTemplate(IDD_MAIN);
    EXPECT_EQ(dlg.caption, "-= Varrel =-");
    EXPECT_EQ(dlg.cx, 174);
    EXPECT_EQ(dlg.cy, 125);
    EXPECT_EQ(dlg.style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP |
                                            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    ExpectFont(dlg);
    const DWORD image = CHILD | SS_BITMAP;
    const DWORD clickable = image | SS_NOTIFY;
    ExpectItems(dlg,
                {
                    {image, 0, 2, 34, 24, 68, -1, STATIC, Image(IDB_LOGO)},
                    {clickable, 0, 2, 1, 53, 12, IDC_TAB_MOTION, STATIC, Image(IDB_TAB_MOTION)},
                    {clickable, 0, 54, 1, 53, 12, IDC_TAB_ABOUT, STATIC, Image(IDB_TAB_ABOUT)},
                    {clickable, 0, 118, 1, 53, 12, IDC_TAB_CLOSE, STATIC, Image(IDB_TAB_CLOSE)},
                    {image, 0, 2, 12, 15, 13, -1, STATIC, Image(IDB_VLINE)},
                    {image, 0, 25, 93, 1, 30, -1, STATIC, Image(IDB_VLINE)},
                    {image, 0, 26, 122, 44, 1, -1, STATIC, Image(IDB_HLINE)},
                    {image, 0, 43, 13, 93, 1, -1, STATIC, Image(IDB_HLINE)},
                });
}

TEST(DialogTemplates, AboutPageIsAHiddenChildWithOneCentredText) {
    const DialogTemplate dlg = LoadDialogTemplate(IDD_ABOUT);
    EXPECT_EQ(dlg.cx, 123);
    EXPECT_EQ(dlg.cy, 81);
    EXPECT_EQ(dlg.style, static_cast<DWORD>(DS_SETFONT | WS_CHILD));
    EXPECT_EQ(dlg.caption, "");
    ExpectFont(dlg);
    ASSERT_EQ(dlg.items.size(), 1u);
    const ItemTemplate& text = dlg.items[0];
    EXPECT_EQ(text.windowClass, STATIC);
    EXPECT_EQ(text.style, CHILD | SS_CENTER);
    EXPECT_EQ(text.x, 3);
    EXPECT_EQ(text.y, 3);
    EXPECT_EQ(text.cx, 119);
    EXPECT_EQ(text.cy, 58);
    // First line: the product and what it does; a blank line; the version line last.
    const std::string& t = text.text;
    const size_t blank = t.find("\n\n");
    ASSERT_NE(blank, std::string::npos) << t;
    const std::string firstLine = t.substr(0, blank);
    EXPECT_EQ(firstLine.rfind("Varrel", 0), 0u) << firstLine;
    EXPECT_GT(firstLine.size(), std::strlen("Varrel") + 10) << "no description: " << firstLine;
    EXPECT_EQ(firstLine.find('\n'), std::string::npos);
    EXPECT_EQ(t.substr(blank + 2), "ver. 0.2b - 3 April 2000");
}

TEST(DialogTemplates, MotionPageControlsInTabOrder) {
    const DialogTemplate dlg = LoadDialogTemplate(IDD_MOTION);
    EXPECT_EQ(dlg.cx, 145);
    EXPECT_EQ(dlg.cy, 103);
    EXPECT_EQ(dlg.style, static_cast<DWORD>(DS_SETFONT | DS_CONTROL | WS_CHILD | WS_VISIBLE));
    ExpectFont(dlg);
    const DWORD tab = CHILD | WS_TABSTOP;
    const DWORD button = tab | BS_PUSHBUTTON;
    ExpectItems(
        dlg,
        {
            {tab | LBS_NOTIFY | LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL, 0,
             4, 21, 136, 49, IDC_POINTS, LISTBOX, ""},
            {tab | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER, 0, 34, 2, 54, 14, IDC_POSITION, EDIT, ""},
            {CHILD | SS_LEFT, 0, 4, 4, 26, 8, -1, STATIC, "Position"},
            {CHILD | SS_BITMAP, 0, 94, 5, 8, 7, IDC_TARGET, STATIC, Image(IDB_TARGET)},
            {tab | BS_AUTOCHECKBOX, 0, 3, 73, 62, 10, IDC_HIDE_AFTER_START, BUTTON,
             "Hide after start"},
            {CHILD | SS_BITMAP | SS_NOTIFY, 0, 107, 2, 29, 12, IDC_ADD, STATIC, Image(IDB_ADD)},
            {button, 0, 94, 87, 46, 14, IDC_START, BUTTON, "&Start"},
            {button, 0, 47, 87, 46, 14, IDC_VIEW, BUTTON, "&View"},
            {button, 0, 1, 87, 46, 14, IDC_REMOVE, BUTTON, "&Remove"},
        });
}

TEST(DialogTemplates, MouseActionDialogWithOkFirstAndUngroupedRadios) {
    const DialogTemplate dlg = LoadDialogTemplate(IDD_ACTION);
    EXPECT_EQ(dlg.caption, "Mouse action");
    EXPECT_EQ(dlg.cx, 123);
    EXPECT_EQ(dlg.cy, 81);
    EXPECT_EQ(dlg.style,
              static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dlg.exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
    ExpectFont(dlg);
    const DWORD radio = CHILD | BS_AUTORADIOBUTTON;
    const DWORD off = radio | WS_DISABLED;
    ExpectItems(
        dlg, {
                 {CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 70, 64, 50, 14, IDOK, BUTTON, "OK"},
                 {off, 0, 4, 14, 80, 10, IDC_ACT_DOWN, BUTTON, "Mouse button Down"},
                 {off, 0, 4, 26, 71, 10, IDC_ACT_UP, BUTTON, "Mouse button Up"},
                 {radio, 0, 4, 38, 90, 10, IDC_ACT_CLICK, BUTTON, "Click the mouse button "},
                 {off, 0, 4, 50, 114, 10, IDC_ACT_DOUBLE, BUTTON, "Double-click the mouse button "},
                 {radio, 0, 4, 3, 32, 10, IDC_ACT_NONE, BUTTON, "none"},
             });
}

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
