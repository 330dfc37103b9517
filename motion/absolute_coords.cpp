// Normalized absolute coordinates: the middle of the target pixel's span of 65536ths.
#include "motion/absolute_coords.h"

#include <cmath>

namespace varrel {

namespace {
constexpr int64_t NORMALIZED_SPAN = 65536;
}

int32_t ToAbsoluteAxis(double p, int32_t origin, int32_t size) {
    if (size <= 0) return 0;
    const int64_t last = static_cast<int64_t>(size) - 1;
    // Offset from the origin as a truncated integer, clamped before any conversion to an integer
    // type so that huge values (or NaN, which fails both tests) cannot overflow.
    const double offset = std::trunc(p) - static_cast<double>(origin);
    int64_t pixel = 0;
    if (offset >= static_cast<double>(last)) {
        pixel = last;
    } else if (offset > 0) {
        pixel = static_cast<int64_t>(offset);
    }
    // The middle of the pixel's span [pixel, pixel + 1) * 65536 / size, away from both borders;
    // on a desktop wider than 32768 pixels a span is narrower than one step, and its first step
    // is taken instead.
    int64_t n = (2 * pixel + 1) * (NORMALIZED_SPAN / 2) / size;
    const int64_t first = (pixel * NORMALIZED_SPAN + size - 1) / size;
    if (n < first) n = first;
    return static_cast<int32_t>(n < NORMALIZED_SPAN ? n : NORMALIZED_SPAN - 1);
}

AbsolutePoint ToAbsolute(double x, double y, const DesktopRect& desktop) {
    return {ToAbsoluteAxis(x, desktop.left, desktop.width),
            ToAbsoluteAxis(y, desktop.top, desktop.height)};
}

}  // namespace varrel
