// PointerWatch: the places the run's own moves can leave the pointer, and the look before each
// event.
#include "motion/pointer_watch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace varrel {

namespace {

// A coordinate truncated toward zero, clamped into [first, first + size - 1].
int32_t ClampAxis(double p, int32_t first, int32_t size) {
    const double last = static_cast<double>(first) + std::max(size, 1) - 1;
    const double t = std::trunc(p);
    if (!(t > first)) return first;  // NaN too
    return static_cast<int32_t>(t < last ? t : last);
}

int32_t Nearest(int32_t p, int32_t first, int32_t end) {
    return std::clamp(p, first, std::max(first, end - 1));
}

bool On(const MonitorRect& m, ScreenPoint p) {
    return p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom;
}

int64_t Distance2(ScreenPoint a, ScreenPoint b) {
    const int64_t dx = int64_t(a.x) - b.x, dy = int64_t(a.y) - b.y;
    return dx * dx + dy * dy;
}

}  // namespace

std::vector<ScreenPoint> PlacedPositions(double x, double y, const Screens& screens) {
    const DesktopRect& d = screens.desktop;
    const ScreenPoint clamped{ClampAxis(x, d.left, d.width), ClampAxis(y, d.top, d.height)};
    std::vector<ScreenPoint> placed{clamped};
    const auto& monitors = screens.monitors;
    if (monitors.empty() || std::any_of(monitors.begin(), monitors.end(),
                                        [&](const MonitorRect& m) { return On(m, clamped); }))
        return placed;
    std::optional<ScreenPoint> best;
    for (const MonitorRect& m : monitors) {
        const ScreenPoint p{Nearest(clamped.x, m.left, m.right),
                            Nearest(clamped.y, m.top, m.bottom)};
        if (!best || Distance2(p, clamped) < Distance2(*best, clamped)) best = p;
    }
    placed.push_back(*best);
    return placed;
}

bool PointerTaken(const std::vector<ScreenPoint>& placed, ScreenPoint read, int32_t tolerance) {
    if (placed.empty()) return false;
    return std::none_of(placed.begin(), placed.end(), [&](ScreenPoint p) {
        return std::llabs(int64_t(read.x) - p.x) <= tolerance &&
               std::llabs(int64_t(read.y) - p.y) <= tolerance;
    });
}

WatchedPointerOps::WatchedPointerOps(PointerOps& inner, PointerReader read, ScreensSource screens,
                                     bool watching)
    : inner_(inner),
      read_(std::move(read)),
      screensSource_(std::move(screens)),
      watching_(watching) {}

bool WatchedPointerOps::Look() {
    if (taken_ || !watching_) return taken_;
    lastRead_ = read_ ? read_() : std::nullopt;
    taken_ = lastRead_ && PointerTaken(placed_, *lastRead_);
    return taken_;
}

void WatchedPointerOps::BeginSegment() {
    inner_.BeginSegment();
    if (watching_ && screensSource_) screens_ = screensSource_();
}

void WatchedPointerOps::MoveTo(double x, double y) {
    if (Look()) return;
    inner_.MoveTo(x, y);
    Placed(x, y);
}

void WatchedPointerOps::PressLeft(int32_t x, int32_t y) {
    if (Look()) return;
    inner_.PressLeft(x, y);
    pressed_ = true;
    Placed(x, y);
}

// The button the run holds always comes up; once the pointer is the user's, where the user has it.
void WatchedPointerOps::ReleaseLeft(int32_t x, int32_t y) {
    if (!pressed_) return;
    pressed_ = false;
    if (Look()) {
        inner_.ReleaseLeft(lastRead_ ? lastRead_->x : x, lastRead_ ? lastRead_->y : y);
        return;
    }
    inner_.ReleaseLeft(x, y);
    Placed(x, y);
}

bool WatchedPointerOps::Sleep(int ms) { return !taken_ && inner_.Sleep(ms) && !taken_; }

bool WatchedPointerOps::Hold(int ms) { return !taken_ && inner_.Hold(ms); }

}  // namespace varrel
