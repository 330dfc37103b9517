// ScaledLayout: a dialog window and its child pages laid out for the display scale (DPI) of the
// window.
#pragma once

#include <windows.h>

#include <vector>

#include "win/owned_win.h"

namespace varrel {

// Messages of newer systems, by number: the build targets Windows 7, whose headers lack them.
constexpr UINT DPI_CHANGED_MESSAGE = 0x02E0;               // WM_DPICHANGED
constexpr UINT DPI_CHANGED_AFTER_PARENT_MESSAGE = 0x02E3;  // WM_DPICHANGED_AFTERPARENT
constexpr UINT GET_DPI_SCALED_SIZE_MESSAGE = 0x02E4;       // WM_GETDPISCALEDSIZE
constexpr UINT BASE_DPI = 96;                              // 100 %, what the images are drawn for

// The DPI of a window: its monitor's where the system scales per monitor, else the system's.
UINT WindowDpi(HWND window);
// The system's cursor size at a DPI, in pixels.
int CursorSizeForDpi(UINT dpi);

// Pixels per 4 horizontal and per 8 vertical dialog units of a dialog font.
struct BaseUnits {
    int x = 0;
    int y = 0;
};

// A child page of the window and where it sits in the window's client area at 96 DPI, in pixels.
struct PagePlace {
    HWND page;
    POINT origin96;
};

// An image control and its bitmap resources, one drawing per scale, smallest first: the control
// keeps the first one's size at 96 DPI.
struct ScaledImage {
    HWND control;
    std::vector<int> bitmaps;
};

// What a window hands the layout besides its templates' controls; resources come from module.
struct LayoutParts {
    HINSTANCE module;
    std::vector<PagePlace> pages;
    std::vector<ScaledImage> images;
    int cursorId;  // a cursor resource, loaded at the system's cursor size for the DPI
};

// The dialog manager sizes the templates with their font, so the window grows with the font at
// its DPI (close to DPI / 96; the font decides exactly). Everything else follows that same scale
// here: the pages' pixel origins, each image control at its 96-DPI size so scaled with the drawing
// for that size, and the cursor. A change of DPI lays the whole window out again the same way,
// fonts included, then tells each page (WM_DPICHANGED_AFTERPARENT) to fit its own content.
class ScaledLayout {
  public:
    ScaledLayout() = default;
    ScaledLayout(const ScaledLayout&) = delete;
    ScaledLayout& operator=(const ScaledLayout&) = delete;

    // Takes the window as the dialog manager made it, with its pages, and lays it out for its DPI.
    void Attach(HWND window, LayoutParts parts);
    // Lays the window's content out again for its new DPI (WM_DPICHANGED); the window's own size
    // and place are the caller's.
    void ChangeDpi(UINT dpi);
    // The window's whole size at a DPI (WM_GETDPISCALEDSIZE); false when it cannot be told.
    bool SizeForDpi(UINT dpi, SIZE& size) const;
    // The cursor at the window's DPI, owned here; null when it could not be loaded.
    HCURSOR Cursor() const { return cursor_.Get(); }

  private:
    enum class Kind { Control, Page, Image };
    struct Item {
        HWND window = nullptr;
        Kind kind = Kind::Control;
        RECT created{};               // in the parent's client area, as the dialog manager made it
        HFONT createdFont = nullptr;  // its dialog's, which the dialog frees
        POINT origin96{};             // a page's place at 96 DPI
        std::vector<int> bitmaps;     // an image's drawings, and the first one's size
        SIZE art96{};
        GdiObject bitmap;  // the image shown now
    };

    void Record(HWND parent);
    BaseUnits UnitsAt(UINT dpi) const;
    HFONT FontAt(UINT dpi) const;
    void LayOut(UINT dpi);
    void ShowArt(Item& item, SIZE size);
    void LoadCursorFor(UINT dpi);

    HWND window_ = nullptr;
    LayoutParts parts_{};
    UINT createdDpi_ = BASE_DPI;
    BaseUnits createdUnits_;
    BaseUnits units96_;
    SIZE createdClient_{};
    LOGFONTW face_{};  // the dialogs' font, its height aside
    int points_ = 0;
    std::vector<Item> items_;
    GdiObject font_;  // the controls' font at a DPI other than the one they were made at
    OwnedCursor cursor_;
    int cursorSize_ = 0;
};

}  // namespace varrel
