// Tests of the pixel to normalized absolute conversion for many desktop sizes and origins.
#include "motion/absolute_coords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace varrel {
namespace {

// Where the system puts normalized n (as Wine's GetCursorPos reads it back after mouse_event).
std::optional<int64_t> SystemPixel(int32_t n, int32_t origin, int32_t size) {
    if (n < 0 || n > 65535) return std::nullopt;
    return origin + int64_t{n} * size / 65536;
}

TEST(AbsoluteCoords, EveryPositionLandsOnItsPixelTruncatedTowardZeroAndClampedToTheDesktop) {
    const int32_t sizes[] = {1,    3,    7,    600,  767,  768,  899,   1023,  1024, 1080,
                             1366, 1601, 1920, 2161, 5119, 7680, 33000, 40000, 65536};
    for (int32_t o : {0, -1920, -312, 1280}) {
        for (int32_t n : sizes) {
            std::vector<double> at = {o - 2.5, -HUGE_VAL, NAN, o + n + 1e6, 1e300, HUGE_VAL};
            for (int p = o; p < o + n + 3; ++p) at.insert(at.end(), {p + .0, p + .25, p + .999});
            for (double v : at) {
                const double want =
                    std::isnan(v) ? o : std::clamp(std::trunc(v), o + 0.0, o + n - 1.0);
                ASSERT_EQ(SystemPixel(ToAbsoluteAxis(v, o, n), o, n), int64_t(want))
                    << n << " from " << o << " at " << v;
            }
        }
    }
    const AbsolutePoint a = ToAbsolute(10.5, -20.5, {-100, -50, 300, 200});
    EXPECT_EQ(SystemPixel(a.x, -100, 300), 10);
    EXPECT_EQ(SystemPixel(a.y, -50, 200), -20);
    EXPECT_EQ(ToAbsoluteAxis(100, 0, 0), 0);  // no desktop
    EXPECT_EQ(ToAbsoluteAxis(100, 5, -3), 0);
}

}  // namespace
}  // namespace varrel
