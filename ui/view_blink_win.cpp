// ViewBlink: XOR draws of the View disc, one per timer tick, ended with the screen as it was.
#include "ui/view_blink_win.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "win/owned_win.h"

namespace varrel {

namespace {

// One corner coordinate of the disc's box; far-off entries must not overflow.
int DiscEdge(int32_t centre, int offset) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{centre} + offset, INT_MIN, INT_MAX));
}

}  // namespace

void ViewBlink::Start(HWND window, ScreenPoint at) {
    End();
    if (!SetTimer(window, VIEW_BLINK_TIMER, VIEW_BLINK_PAUSE_MS, nullptr)) return;
    window_ = window;
    at_ = at;
    draws_ = 0;
    shown_ = false;
    Draw();
}

void ViewBlink::OnTimer() {
    if (!window_) return;
    Draw();
    if (draws_ >= VIEW_BLINK_DRAWS) End();
}

void ViewBlink::End() {
    if (!window_) return;
    if (shown_) Draw();
    KillTimer(window_, VIEW_BLINK_TIMER);
    window_ = nullptr;
}

// The screen's context is taken for each draw only: the window serves other messages between.
void ViewBlink::Draw() {
    ++draws_;
    const ScreenDc screen;
    if (!screen) return;
    const int oldMode = SetROP2(screen.Get(), R2_XORPEN);
    if (Ellipse(screen.Get(), DiscEdge(at_.x, -VIEW_DISC_RADIUS),
                DiscEdge(at_.y, -VIEW_DISC_RADIUS), DiscEdge(at_.x, VIEW_DISC_RADIUS),
                DiscEdge(at_.y, VIEW_DISC_RADIUS))) {
        shown_ = !shown_;
    }
    // Some display systems queue screen drawing until something reads the screen back (Wine over
    // X does): one pixel read makes the draw show now.
    GetPixel(screen.Get(), at_.x, at_.y);
    SetROP2(screen.Get(), oldMode);
}

}  // namespace varrel
