// Tests of the segment walk against a recording PointerOps.
#include "motion/segment_walk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/support/recording_pointer_ops.h"

namespace varrel {
namespace {

using testing::RecordingPointerOps;

constexpr long NEVER = 1 << 20;  // pauses before the end of the run: more than any walk here

struct WalkCase {
    ScreenPoint start, end;
    const char* actions;  // walked in turn, one trace for all
    long pausesBeforeEnd;
    const char* trace;
};

TEST(SegmentWalk, StepsAlongTheMajorAxisToJustShortOfTheEndAfterAClickForCOnly) {
    const WalkCase cases[] = {
        {{3, 3}, {3, 3}, "C", NEVER, "P3,3 H10 R3,3 "},
        {{3, 3}, {3, 3}, "DUBc x", NEVER, ""},
        {{0, 0}, {2, 0}, "C", NEVER, "P0,0 H10 R0,0 M0,0 S20 M1,0 S20 "},  // no pause after R
        {{0, 0}, {2, 0}, "DUBc x", NEVER, "M0,0 S20 M1,0 S20 "},
        {{0, 0}, {100, 0}, " ", 2, "M0,0 S20 M1,0 S20 M2,0 S20 "},
        {{5, 6}, {100, 0}, "C", 0, "P5,6 H10 R5,6 "},  // the button never stays down
        {{2147483645, 0}, {2147483647, 1}, " ", NEVER, "M2147483645,0 S20 M2147483646,0.5 S20 "}};
    for (const WalkCase& c : cases) {
        for (const char* a = c.actions; *a; ++a) {
            SCOPED_TRACE(std::string(c.trace) + "with action " + *a);
            RecordingPointerOps ops(c.pausesBeforeEnd);
            EXPECT_EQ(WalkSegment(c.start, c.end, *a, ops), c.pausesBeforeEnd == NEVER);
            EXPECT_EQ(ops.trace.str(), c.trace);
        }
    }
}

// Any segment of major length n: n moves, each followed by a pause; the major coordinate steps from
// the start toward the end; the other lies on the line, exactly where the line meets a pixel.
TEST(SegmentWalk, RandomSegmentsStayOnTheLine) {
    std::mt19937 rng(2026);
    std::uniform_int_distribution<int32_t> coord(-250, 250);
    for (int n = 0; n < 2000; ++n) {
        const ScreenPoint s{coord(rng), coord(rng)};
        const ScreenPoint e{n % 7 ? coord(rng) : s.x, coord(rng)};
        RecordingPointerOps ops;
        ASSERT_TRUE(WalkSegment(s, e, ' ', ops));
        const bool yMajor = std::abs(e.y - s.y) > std::abs(e.x - s.x);
        const int64_t major = yMajor ? e.y - s.y : e.x - s.x;
        const int64_t minor = yMajor ? e.x - s.x : e.y - s.y;
        std::istringstream trace(ops.trace.str());
        char m, comma;
        double x, y;
        std::string pause;
        for (int64_t step = 0; step != major; step += major > 0 ? 1 : -1) {
            ASSERT_TRUE(trace >> m >> x >> comma >> y >> pause);
            ASSERT_EQ((std::string{m, comma} + pause), "M,S20");
            ASSERT_EQ(yMajor ? y - s.y : x - s.x, step);
            const double other = yMajor ? x - s.x : y - s.y, want = double(step * minor) / major;
            ASSERT_TRUE(step * minor % major != 0 || other == want);  // exact on a pixel
            ASSERT_NEAR(other, want, 1e-9);
        }
        ASSERT_FALSE(trace >> m);
    }
}

}  // namespace
}  // namespace varrel
