// ScaledLayout: fonts, places, images and the cursor of a dialog window for its DPI.
#include "ui/scaled_layout_win.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace varrel {

namespace {

constexpr int POINTS_PER_INCH = 72;
constexpr DWORD DIALOG_DPI_BEHAVIOUR_DISABLE_ALL = 1;  // DDC_DISABLE_ALL

// Functions of newer systems, looked up at run time: the program also runs where they are missing.
template <typename Function>
Function User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
    const ScreenDc screen;
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : BASE_DPI;
}

// The base units of a font as the dialog manager takes them: the average width of the letters
// and the height of a line.
BaseUnits MeasureUnits(HFONT font) {
    static const wchar_t LETTERS[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    BaseUnits units;
    const ScreenDc screen;
    const Selected selected(screen.Get(), font);
    TEXTMETRICW metrics{};
    SIZE extent{};
    if (screen && GetTextMetricsW(screen.Get(), &metrics) &&
        GetTextExtentPoint32W(screen.Get(), LETTERS, static_cast<int>(std::size(LETTERS)) - 1,
                              &extent)) {
        units = {(extent.cx / 26 + 1) / 2, metrics.tmHeight};
    }
    return units;
}

int Scale(int value, int now, int then) { return then > 0 ? MulDiv(value, now, then) : value; }

// A length the dialog manager made from dialog units (per base unit: 4 across, 8 down), made again
// for other base units through the same dialog units, so rounded as the dialog manager rounds.
constexpr int UNITS_ACROSS = 4;
constexpr int UNITS_DOWN = 8;
int Rescale(int pixels, int now, int then, int perUnit) {
    return then > 0 ? MulDiv(MulDiv(pixels, perUnit, then), now, perUnit) : pixels;
}

RECT RectInParent(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

GdiObject LoadArt(HINSTANCE module, int id) {
    return GdiObject(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

// The image drawn for the size, else the nearest larger one scaled down (the largest scaled up
// when none is larger): drawn lines stay crisp, where a stretch of a small image would blur.
GdiObject ArtAtSize(HINSTANCE module, const std::vector<int>& bitmaps, SIZE size) {
    GdiObject chosen;
    SIZE chosenSize{};
    for (int id : bitmaps) {
        GdiObject candidate = LoadArt(module, id);
        if (!candidate.Get()) continue;
        chosen = std::move(candidate);
        chosenSize = BitmapSize(static_cast<HBITMAP>(chosen.Get()));
        if (chosenSize.cx >= size.cx && chosenSize.cy >= size.cy) break;
    }
    if (!chosen.Get() || (chosenSize.cx == size.cx && chosenSize.cy == size.cy)) return chosen;

    const ScreenDc screen;
    GdiObject scaled(screen ? CreateCompatibleBitmap(screen.Get(), size.cx, size.cy) : nullptr);
    const MemoryDc from(CreateCompatibleDC(screen.Get())), to(CreateCompatibleDC(screen.Get()));
    if (!scaled || !from || !to) return chosen;
    {
        const Selected source(from.Get(), chosen.Get()), target(to.Get(), scaled.Get());
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        StretchBlt(to.Get(), 0, 0, size.cx, size.cy, from.Get(), 0, 0, chosenSize.cx, chosenSize.cy,
                   SRCCOPY);
    }  // both bitmaps deselected before they go
    return scaled;
}

// The system would scale dialogs on a DPI change by its own rules; this layout does it instead.
void TakeOverDpiChanges(HWND dialog) {
    using SetBehaviour = BOOL(WINAPI*)(HWND, DWORD, DWORD);
    static const auto setBehaviour = User32Function<SetBehaviour>("SetDialogDpiChangeBehavior");
    if (setBehaviour) {
        setBehaviour(dialog, DIALOG_DPI_BEHAVIOUR_DISABLE_ALL, DIALOG_DPI_BEHAVIOUR_DISABLE_ALL);
    }
}

}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpi = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpi ? getDpi(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int CursorSizeForDpi(UINT dpi) {
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    static const auto metricsForDpi = User32Function<MetricsForDpi>("GetSystemMetricsForDpi");
    const int size = metricsForDpi ? metricsForDpi(SM_CXCURSOR, dpi) : 0;
    if (size > 0) return size;
    // Older systems have one DPI for all monitors, whose cursor size this is.
    return MulDiv(GetSystemMetrics(SM_CXCURSOR), static_cast<int>(dpi),
                  static_cast<int>(SystemDpi()));
}

void ScaledLayout::Attach(HWND window, LayoutParts parts) {
    window_ = window;
    parts_ = std::move(parts);
    createdDpi_ = WindowDpi(window);
    RECT units{0, 0, 4, 8};
    MapDialogRect(window, &units);
    createdUnits_ = {units.right, units.bottom};
    RECT client{};
    GetClientRect(window, &client);
    createdClient_ = {client.right, client.bottom};

    // The point size the template asked for: the dialog manager made the font that many points
    // high at the window's DPI, rounded to whole pixels, which rounding cannot hide above 72 DPI.
    const auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (font && GetObjectW(font, sizeof face_, &face_)) {
        points_ = static_cast<int>(
            std::lround(std::abs(face_.lfHeight) * double{POINTS_PER_INCH} / createdDpi_));
    }
    units96_ = UnitsAt(BASE_DPI);

    TakeOverDpiChanges(window);
    for (const PagePlace& place : parts_.pages) TakeOverDpiChanges(place.page);
    Record(window);
    LayOut(createdDpi_);
}

void ScaledLayout::Record(HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Item item;
        item.window = child;
        item.created = RectInParent(child);
        item.createdFont = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        const auto page = std::find_if(parts_.pages.begin(), parts_.pages.end(),
                                       [child](const PagePlace& p) { return p.page == child; });
        const auto image =
            std::find_if(parts_.images.begin(), parts_.images.end(),
                         [child](const ScaledImage& i) { return i.control == child; });
        if (page != parts_.pages.end()) {
            item.kind = Kind::Page;
            item.origin96 = page->origin96;
            items_.push_back(std::move(item));
            Record(child);
            continue;
        }
        if (image != parts_.images.end() && !image->bitmaps.empty()) {
            item.bitmaps = image->bitmaps;
            item.art96 =
                BitmapSize(static_cast<HBITMAP>(LoadArt(parts_.module, item.bitmaps[0]).Get()));
            if (item.art96.cx > 0 && item.art96.cy > 0) item.kind = Kind::Image;
        }
        items_.push_back(std::move(item));
    }
}

BaseUnits ScaledLayout::UnitsAt(UINT dpi) const {
    if (dpi == createdDpi_ || points_ <= 0) return createdUnits_;
    const GdiObject font(FontAt(dpi));
    const BaseUnits units = font.Get() ? MeasureUnits(static_cast<HFONT>(font.Get())) : BaseUnits{};
    return units.x > 0 && units.y > 0 ? units : createdUnits_;
}

// The dialogs' font at a DPI, made as the dialog manager makes it from the template.
HFONT ScaledLayout::FontAt(UINT dpi) const {
    LOGFONTW face = face_;
    face.lfHeight = -MulDiv(points_, static_cast<int>(dpi), POINTS_PER_INCH);
    return CreateFontIndirectW(&face);
}

void ScaledLayout::ChangeDpi(UINT dpi) {
    if (!window_ || dpi == 0) return;
    GdiObject font;
    if (dpi != createdDpi_ && points_ > 0) font.Reset(FontAt(dpi));
    for (Item& item : items_) {
        if (item.kind == Kind::Page) continue;
        const HFONT shown = font.Get() ? static_cast<HFONT>(font.Get()) : item.createdFont;
        if (shown) SendMessageW(item.window, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
    }
    font_ = std::move(font);  // the font shown until now goes only once no control holds it
    LayOut(dpi);
    for (const Item& item : items_) {
        if (item.kind == Kind::Page)
            SendMessageW(item.window, DPI_CHANGED_AFTER_PARENT_MESSAGE, 0, 0);
    }
}

void ScaledLayout::LayOut(UINT dpi) {
    const BaseUnits units = UnitsAt(dpi);
    for (Item& item : items_) {
        // Places scale with the font from where the dialog manager put them.
        const RECT& was = item.created;
        int x = Rescale(was.left, units.x, createdUnits_.x, UNITS_ACROSS);
        int y = Rescale(was.top, units.y, createdUnits_.y, UNITS_DOWN);
        SIZE size{Rescale(was.right - was.left, units.x, createdUnits_.x, UNITS_ACROSS),
                  Rescale(was.bottom - was.top, units.y, createdUnits_.y, UNITS_DOWN)};
        if (item.kind == Kind::Page) {
            x = Scale(item.origin96.x, units.x, units96_.x);
            y = Scale(item.origin96.y, units.y, units96_.y);
        } else if (item.kind == Kind::Image) {
            size = {std::max(1, Scale(item.art96.cx, units.x, units96_.x)),
                    std::max(1, Scale(item.art96.cy, units.y, units96_.y))};
            ShowArt(item, size);
        }
        SetWindowPos(item.window, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LoadCursorFor(dpi);
}

// The control takes the image's size. What it gives back is freed unless it is the image shown
// until now, which goes with its owner: the first time, that is the image the dialog manager
// loaded, which is the program's to free.
void ScaledLayout::ShowArt(Item& item, SIZE size) {
    GdiObject art = ArtAtSize(parts_.module, item.bitmaps, size);
    if (!art.Get()) return;
    const auto previous = reinterpret_cast<HGDIOBJ>(
        SendMessageW(item.window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(art.Get())));
    if (previous && previous != item.bitmap.Get() && previous != art.Get()) {
        DeleteObject(previous);
    }
    item.bitmap = std::move(art);
}

void ScaledLayout::LoadCursorFor(UINT dpi) {
    const int size = CursorSizeForDpi(dpi);
    if (size <= 0 || size == cursorSize_) return;
    const auto cursor = static_cast<HCURSOR>(
        LoadImageW(parts_.module, MAKEINTRESOURCEW(parts_.cursorId), IMAGE_CURSOR, size, size, 0));
    if (!cursor) return;
    if (GetCursor() == cursor_.Get() && cursor_.Get())
        SetCursor(cursor);  // in the middle of a drag
    cursor_.Reset(cursor);
    cursorSize_ = size;
}

bool ScaledLayout::SizeForDpi(UINT dpi, SIZE& size) const {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = User32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
    if (!window_ || !adjust || dpi == 0) return false;
    const BaseUnits units = UnitsAt(dpi);
    RECT frame{0, 0, Rescale(createdClient_.cx, units.x, createdUnits_.x, UNITS_ACROSS),
               Rescale(createdClient_.cy, units.y, createdUnits_.y, UNITS_DOWN)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    if (!adjust(&frame, style, FALSE, exStyle, dpi)) return false;
    size = {frame.right - frame.left, frame.bottom - frame.top};
    return true;
}

}  // namespace varrel
