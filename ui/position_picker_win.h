// PositionPicker: takes a screen position by dragging the motion page's target image.
#pragma once

#include <windows.h>

#include <cstdint>

namespace varrel {

// A coordinate of a mouse message word: above 0xF000 it stands for a negative value (the pointer
// is left of or above the capturing window); 0xF000 and below stay positive.
inline int32_t CoordFromMessageWord(uint16_t word) {
    return word > 0xF000 ? static_cast<int32_t>(word) - 65536 : static_cast<int32_t>(word);
}

class PositionPicker {
  public:
    // The cursor shown for the whole drag.
    explicit PositionPicker(HCURSOR targetCursor = nullptr) noexcept
        : targetCursor_(targetCursor) {}

    void SetTargetCursor(HCURSOR cursor) { targetCursor_ = cursor; }
    bool Dragging() const { return dragging_; }

    // Handlers of the page's mouse messages; lParam carries the client position.
    void OnLeftDown(HWND page, LPARAM lParam);
    void OnMouseMove(HWND page, LPARAM lParam);
    void OnLeftUp(HWND page, LPARAM lParam);
    // WM_CAPTURECHANGED: newCapture is the window that has the mouse capture now, if any.
    void OnCaptureChanged(HWND page, HWND newCapture);
    // The keyboard's pick: the pointer's screen position now, shown as a release there shows it.
    void TakePointerPosition(HWND page) const;

  private:
    void ShowPosition(HWND page, LPARAM lParam) const;
    static void ShowScreenPosition(HWND page, POINT pt);

    HCURSOR targetCursor_;
    HCURSOR savedCursor_ = nullptr;
    bool dragging_ = false;
};

}  // namespace varrel
