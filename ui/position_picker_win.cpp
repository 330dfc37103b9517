// PositionPicker: press on the target image, drag anywhere, and the Position field follows.
#include "ui/position_picker_win.h"

#include "path/point_entry.h"
#include "resources/resource.h"
#include "win/text_win.h"

namespace varrel {

void PositionPicker::OnLeftDown(HWND page, LPARAM lParam) {
    HWND target = GetDlgItem(page, IDC_TARGET);
    if (!target) return;
    RECT box;
    GetWindowRect(target, &box);
    POINT corners[2] = {{box.left, box.top}, {box.right, box.bottom}};
    ScreenToClient(page, &corners[0]);
    ScreenToClient(page, &corners[1]);
    const RECT client = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    // The press itself is always inside the page: its words are plain unsigned values.
    const POINT pressed = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    if (!PtInRect(&client, pressed)) return;

    savedCursor_ = SetCursor(targetCursor_);
    SetCapture(page);
    dragging_ = true;
}

void PositionPicker::OnMouseMove(HWND page, LPARAM lParam) {
    if (!dragging_) return;
    ShowPosition(page, lParam);
}

void PositionPicker::OnLeftUp(HWND page, LPARAM lParam) {
    if (!dragging_) return;
    SetCursor(savedCursor_);
    // Clear the flag first: releasing the capture notifies the page, which must see the drag over.
    dragging_ = false;
    ReleaseCapture();
    ShowPosition(page, lParam);
}

// The capture taken away in the middle of a drag (another window took it, or the window lost the
// activation) ends the drag as a release would; where the button went up is not known, so the
// Position field keeps the last position shown, and the capture is left to its new owner.
void PositionPicker::OnCaptureChanged(HWND page, HWND newCapture) {
    if (!dragging_ || newCapture == page) return;
    dragging_ = false;
    SetCursor(savedCursor_);
}

// A drag in progress owns the field.
void PositionPicker::TakePointerPosition(HWND page) const {
    POINT pt{};
    if (dragging_ || !GetCursorPos(&pt)) return;
    ShowScreenPosition(page, pt);
}

void PositionPicker::ShowPosition(HWND page, LPARAM lParam) const {
    POINT pt = {CoordFromMessageWord(LOWORD(lParam)), CoordFromMessageWord(HIWORD(lParam))};
    ClientToScreen(page, &pt);
    ShowScreenPosition(page, pt);
}

void PositionPicker::ShowScreenPosition(HWND page, POINT pt) {
    SetText(GetDlgItem(page, IDC_POSITION), FormatPosition(pt.x, pt.y));
}

}  // namespace varrel
