// Pixel positions to the normalized absolute coordinates that injected pointer input carries.
#pragma once

#include <cstdint>

namespace varrel {

// The area that absolute coordinates span: the virtual desktop (every monitor), in pixels.
// Its origin is the top-left of the leftmost, topmost monitor and may be negative.
struct DesktopRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// 0 … 65535 across the desktop on each axis.
struct AbsolutePoint {
    int32_t x = 0;
    int32_t y = 0;
};

// The system puts normalized n on the pixel origin + floor(n * size / 65536). Each coordinate is
// truncated toward zero, clamped into the desktop (a position outside every monitor goes to the
// desktop's edge), and turned into a value that maps back to exactly that pixel. An empty desktop
// gives 0.
AbsolutePoint ToAbsolute(double x, double y, const DesktopRect& desktop);

// One axis of ToAbsolute: pixel p on an axis that starts at origin and is size pixels long.
int32_t ToAbsoluteAxis(double p, int32_t origin, int32_t size);

}  // namespace varrel
