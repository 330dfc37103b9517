// Tests of the pixel to normalized absolute conversion for many desktop sizes and origins.
#include "motion/absolute_coords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace varrel {
namespace {

// What the system does with a normalized coordinate (checked against Wine's GetCursorPos after
// mouse_event, for the primary screen and for the virtual desktop alike).
int64_t SystemPixel(int32_t n, int32_t origin, int32_t size) {
    return origin + static_cast<int64_t>(n) * size / 65536;
}

struct Size {
    int32_t width;
    int32_t height;
};

const std::vector<Size> SIZES = {{1024, 768},  {1280, 1024},   {1366, 768},   {1920, 1080},
                                 {2560, 1440}, {3840, 2160},   {800, 600},    {1, 1},
                                 {3, 7},       {1023, 767},    {1601, 899},   {7680, 4320},
                                 {5119, 2161}, {40000, 33000}, {65536, 65536}};

const std::vector<std::pair<int32_t, int32_t>> ORIGINS = {{0, 0}, {-1920, -312}, {1280, 0}};

TEST(AbsoluteCoords, EveryPixelOfARowAndAColumnMapsBackToItself) {
    for (const Size& size : SIZES) {
        for (const auto& origin : ORIGINS) {
            const DesktopRect desk{origin.first, origin.second, size.width, size.height};
            const double y = desk.top + size.height / 2;
            for (int32_t x = desk.left; x < desk.left + size.width; ++x) {
                for (double frac : {0.0, 0.25, 0.999}) {
                    const AbsolutePoint a = ToAbsolute(x + frac, y, desk);
                    ASSERT_GE(a.x, 0);
                    ASSERT_LE(a.x, 65535);
                    // Truncation toward zero: left of 0 a fraction moves to the right, and from
                    // the last pixel off the desktop, back to its edge.
                    const auto pixel = std::min<int64_t>(static_cast<int64_t>(std::trunc(x + frac)),
                                                         desk.left + size.width - 1);
                    ASSERT_EQ(SystemPixel(a.x, desk.left, size.width), pixel)
                        << size.width << "x" << size.height << " at " << x + frac;
                    ASSERT_EQ(SystemPixel(a.y, desk.top, size.height), static_cast<int64_t>(y));
                }
            }
            const double x = desk.left + size.width / 3;
            for (int32_t yy = desk.top; yy < desk.top + size.height; ++yy) {
                const AbsolutePoint a = ToAbsolute(x, yy + 0.5, desk);
                ASSERT_EQ(SystemPixel(a.y, desk.top, size.height),
                          std::min<int64_t>(static_cast<int64_t>(std::trunc(yy + 0.5)),
                                            desk.top + size.height - 1))
                    << size.width << "x" << size.height << " at y " << yy;
                ASSERT_EQ(SystemPixel(a.x, desk.left, size.width), static_cast<int64_t>(x));
            }
        }
    }
}

TEST(AbsoluteCoords, FractionsTruncateTowardZero) {
    const DesktopRect desk{-100, -100, 200, 200};
    EXPECT_EQ(SystemPixel(ToAbsoluteAxis(-3.7, desk.left, desk.width), desk.left, desk.width), -3);
    EXPECT_EQ(SystemPixel(ToAbsoluteAxis(-0.9, desk.left, desk.width), desk.left, desk.width), 0);
    EXPECT_EQ(SystemPixel(ToAbsoluteAxis(4.9, desk.left, desk.width), desk.left, desk.width), 4);
}

TEST(AbsoluteCoords, OutsideTheDesktopGoesToItsEdge) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Size& size : SIZES) {
        for (const auto& origin : ORIGINS) {
            const DesktopRect d{origin.first, origin.second, size.width, size.height};
            const int64_t right = d.left + d.width - 1;
            const int64_t bottom = d.top + d.height - 1;
            for (double beyond : {1.0, 2.5, 1e6, 1e300, inf}) {
                const AbsolutePoint low = ToAbsolute(d.left - beyond, d.top - beyond, d);
                EXPECT_EQ(SystemPixel(low.x, d.left, d.width), d.left);
                EXPECT_EQ(SystemPixel(low.y, d.top, d.height), d.top);
                const AbsolutePoint high =
                    ToAbsolute(d.left + d.width - 1 + beyond, d.top + d.height - 1 + beyond, d);
                EXPECT_EQ(SystemPixel(high.x, d.left, d.width), right);
                EXPECT_EQ(SystemPixel(high.y, d.top, d.height), bottom);
            }
            const AbsolutePoint bad = ToAbsolute(nan, nan, d);
            EXPECT_EQ(SystemPixel(bad.x, d.left, d.width), d.left);
            EXPECT_EQ(SystemPixel(bad.y, d.top, d.height), d.top);
        }
    }
}

TEST(AbsoluteCoords, EmptyDesktopGivesZero) {
    EXPECT_EQ(ToAbsoluteAxis(100, 0, 0), 0);
    EXPECT_EQ(ToAbsoluteAxis(100, 5, -3), 0);
}

}  // namespace
}  // namespace varrel
