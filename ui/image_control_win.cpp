// ImageControl: painting, focus and keys of the window's pictures; high contrast draws them
// plainly.
#include "ui/image_control_win.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "ui/high_contrast_win.h"
#include "win/guard_win.h"
#include "win/owned_win.h"
#include "win/subclass_win.h"
#include "win/text_win.h"

namespace varrel {

namespace {

constexpr int SHIFT_STEP_PX = 10;         // an arrow with Shift moves the pointer this far
constexpr int FOCUS_INSET_MIN_SIZE = 16;  // smaller pictures show the focus on their edge
constexpr int FOCUS_INSET_PX = 2;
constexpr LONG ROTATED_TEXT = 900;  // tenths of a degree: a tall picture reads from below

struct ImageControl final : WindowState {
    ImageControl(ImageKind shows, AccessibleLook given) : kind(shows), look(std::move(given)) {}
    std::optional<LRESULT> OnMessage(HWND control, UINT message, WPARAM wParam,
                                     LPARAM lParam) override;
    ImageKind kind;
    AccessibleLook look;
    HBITMAP bitmap = nullptr;
};

void DrawWord(HWND control, HDC dc, const RECT& box) {
    FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNTEXT));
    const std::wstring word = Widen(WindowText(control));
    LOGFONTW face{};
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font || !GetObjectW(font, sizeof face, &face)) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    }
    const int width = box.right - box.left, height = box.bottom - box.top;
    const bool upright = height > width;  // the logo: the word runs up the banner
    if (upright) {
        // Rotated text needs an outline font: the system's message font is one everywhere.
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            std::copy(std::begin(metrics.lfMessageFont.lfFaceName),
                      std::end(metrics.lfMessageFont.lfFaceName), std::begin(face.lfFaceName));
        face.lfHeight = -std::max(1, width * 2 / 3);
        face.lfWeight = FW_BOLD;
        face.lfEscapement = face.lfOrientation = ROTATED_TEXT;
    }
    const GdiObject made(CreateFontIndirectW(&face));
    const Selected selected(dc, made.Get());
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (!upright) {
        RECT inside = box;
        DrawTextW(dc, word.c_str(), int(word.size()), &inside,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    SIZE extent{};
    GetTextExtentPoint32W(dc, word.c_str(), int(word.size()), &extent);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    TextOutW(dc, box.left + (width - extent.cy) / 2, box.top + (height + extent.cx) / 2,
             word.c_str(), int(word.size()));
}

void DrawTarget(HDC dc, const RECT& box) {
    const int size = std::min(box.right - box.left, box.bottom - box.top);
    const GdiObject pen(CreatePen(PS_SOLID, std::max(1, size / 12), GetSysColor(COLOR_BTNTEXT)));
    const Selected selectedPen(dc, pen.Get()), noFill(dc, GetStockObject(NULL_BRUSH));
    const int inset = std::max(1, size / 6), cx = (box.left + box.right) / 2,
              cy = (box.top + box.bottom) / 2;
    Ellipse(dc, box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
    MoveToEx(dc, cx, box.top, nullptr);
    LineTo(dc, cx, box.bottom);
    MoveToEx(dc, box.left, cy, nullptr);
    LineTo(dc, box.right, cy);
}

// High contrast, or no picture: what the picture means, in the system's colours.
void PaintPlain(HWND control, HDC dc, const RECT& box, ImageKind kind) {
    if (kind == ImageKind::Line) {
        FillRect(dc, &box, GetSysColorBrush(COLOR_BTNTEXT));
        return;
    }
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    if (kind == ImageKind::Word) DrawWord(control, dc, box);
    if (kind == ImageKind::Target) DrawTarget(dc, box);
}

void Paint(HWND control, HDC dc, const ImageControl& image) {
    RECT box{};
    GetClientRect(control, &box);
    const MemoryDc art(image.bitmap ? CreateCompatibleDC(dc) : nullptr);
    if (HighContrastOn() || !art) {
        PaintPlain(control, dc, box, image.kind);
    } else {
        const Selected selected(art.Get(), image.bitmap);
        BitBlt(dc, 0, 0, box.right, box.bottom, art.Get(), 0, 0, SRCCOPY);
    }
    const bool cuesHidden = (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (GetFocus() != control || cuesHidden) return;
    if (std::min(box.right, box.bottom) >= FOCUS_INSET_MIN_SIZE)
        InflateRect(&box, -FOCUS_INSET_PX, -FOCUS_INSET_PX);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    DrawFocusRect(dc, &box);
}

// The target's arrows move the real pointer: a keyboard user picks any point with them.
void MovePointer(UINT key) {
    const int step = GetKeyState(VK_SHIFT) < 0 ? SHIFT_STEP_PX : 1;
    POINT at{};
    GetCursorPos(&at);
    at.x += key == VK_LEFT ? -step : key == VK_RIGHT ? step : 0;
    at.y += key == VK_UP ? -step : key == VK_DOWN ? step : 0;
    SetCursorPos(at.x, at.y);
}

bool IsArrow(WPARAM key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

// A picture may lie under a sibling drawn after it (the line across the About tab's foot): drawn
// again through the parent, both show as at the start, in the template's order.
void Redraw(HWND control) {
    RECT box{};
    HWND parent = GetParent(control);
    if (!GetWindowRect(control, &box) || !parent) return;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    RedrawWindow(parent, &box, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Only the first of a held key's repeats counts.
bool OnKeyDown(HWND control, const ImageControl& image, WPARAM key, LPARAM flags) {
    const bool repeat = (flags & (1 << 30)) != 0;
    if (key == VK_SPACE) {
        if (!repeat) PressImageControl(control);
        return true;
    }
    if (image.kind == ImageKind::Target && IsArrow(key)) {
        MovePointer(static_cast<UINT>(key));
        PressImageControl(control);
        return true;
    }
    return IsArrow(key);  // arrows would move the focus onto pictures that take none
}

std::optional<LRESULT> ImageControl::OnMessage(HWND control, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    switch (message) {
        case STM_SETIMAGE:
            if (wParam != IMAGE_BITMAP) return 0;
            InvalidateRect(control, nullptr, FALSE);
            return reinterpret_cast<LRESULT>(
                std::exchange(bitmap, reinterpret_cast<HBITMAP>(lParam)));
        case STM_GETIMAGE:
            return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(bitmap) : 0;
        case WM_ERASEBKGND:
            return 1;  // painted whole
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (HDC dc = BeginPaint(control, &paint))
                Guarded(false, [&] {
                    Paint(control, dc, *this);
                    return true;
                });
            EndPaint(control, &paint);  // even when the paint ran out of memory
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(control, reinterpret_cast<HDC>(wParam), *this);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            Redraw(control);
            return std::nullopt;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (OnKeyDown(control, *this, wParam, lParam)) return 0;
            return std::nullopt;
        case WM_DEFAULT_ACTION:
            if (look.defaultAction) PressImageControl(control);
            return 0;
        case WM_GETOBJECT:
            if (const LRESULT answer = AccessibleAnswer(control, wParam, lParam, look))
                return answer;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

void AttachImageControl(HWND control, ImageKind kind, AccessibleLook look) {
    KeepState(control, std::make_unique<ImageControl>(kind, std::move(look)));
}

bool IsImageControl(HWND control) { return StateOf<ImageControl>(control) != nullptr; }

void PressImageControl(HWND control) {
    // A window disabled under a question takes no press: not even a screen reader's, posted
    // before and served by the question's own loop.
    if (!IsImageControl(control) || !IsWindowVisible(control) ||
        !IsWindowEnabled(GetAncestor(control, GA_ROOT)))
        return;
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

}  // namespace varrel
