// Tests of the segment walk against a recording PointerOps.
#include "motion/segment_walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/support/recording_pointer_ops.h"

namespace varrel {
namespace {

using testing::PointerCall;
using testing::RecordingPointerOps;

std::vector<PointerCall> Walk(ScreenPoint s, ScreenPoint e, char action = ' ') {
    RecordingPointerOps ops;
    EXPECT_TRUE(WalkSegment(s, e, action, ops));
    return ops.calls;
}

// Every move is followed by one pause of STEP_DELAY_MS; returns the moves.
std::vector<PointerCall> MovesWithPauses(const std::vector<PointerCall>& calls) {
    std::vector<PointerCall> moves;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].kind != PointerCall::Move) continue;
        EXPECT_LT(i + 1, calls.size());
        if (i + 1 < calls.size()) {
            EXPECT_EQ(calls[i + 1].kind, PointerCall::Sleep);
            EXPECT_EQ(calls[i + 1].ms, STEP_DELAY_MS);
        }
        moves.push_back(calls[i]);
    }
    EXPECT_EQ(calls.size(), 2 * moves.size());
    return moves;
}

TEST(SegmentWalk, XMajorForwardAndBack) {
    auto moves = MovesWithPauses(Walk({0, 0}, {10, 3}));
    ASSERT_EQ(moves.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(moves[i].x, i);
        EXPECT_NEAR(moves[i].y, 0.3 * i, 1e-12);
    }

    moves = MovesWithPauses(Walk({10, 3}, {0, 0}));
    ASSERT_EQ(moves.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(moves[i].x, 10 - i);
}

TEST(SegmentWalk, YMajorAndVertical) {
    auto moves = MovesWithPauses(Walk({5, 0}, {7, 10}));
    ASSERT_EQ(moves.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(moves[i].y, i);
        EXPECT_NEAR(moves[i].x, 5 + 0.2 * i, 1e-12);
    }

    moves = MovesWithPauses(Walk({5, 0}, {5, 4}));
    ASSERT_EQ(moves.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(moves[i].x, 5);
        EXPECT_EQ(moves[i].y, i);
    }
}

TEST(SegmentWalk, DiagonalTiesGoAlongX) {
    auto moves = MovesWithPauses(Walk({0, 0}, {4, 4}));
    ASSERT_EQ(moves.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(moves[i].x, i);
        EXPECT_EQ(moves[i].y, i);
    }
    moves = MovesWithPauses(Walk({0, 0}, {-3, 3}));
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[2].x, -2);
    EXPECT_EQ(moves[2].y, 2);
}

TEST(SegmentWalk, ClickComesFirstAndOnlyForC) {
    auto calls = Walk({3, 3}, {3, 3}, 'C');
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, PointerCall::Press);
    EXPECT_EQ(calls[0].x, 3);
    EXPECT_EQ(calls[0].y, 3);
    EXPECT_EQ(calls[1].kind, PointerCall::Sleep);
    EXPECT_EQ(calls[1].ms, CLICK_HOLD_MS);
    EXPECT_EQ(calls[2].kind, PointerCall::Release);
    EXPECT_EQ(calls[2].x, 3);

    calls = Walk({0, 0}, {2, 0}, 'C');
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[2].kind, PointerCall::Release);
    EXPECT_EQ(calls[3].kind, PointerCall::Move) << "no pause between the release and the first move";
    EXPECT_EQ(calls[3].x, 0);

    for (char other : {'D', 'U', 'B', 'c', ' ', 'x'}) {
        calls = Walk({0, 0}, {2, 0}, other);
        EXPECT_EQ(MovesWithPauses(calls).size(), 2u) << other;
        EXPECT_EQ(calls.size(), 4u) << "no button event for action " << other;
    }
    EXPECT_TRUE(Walk({7, 7}, {7, 7}, 'D').empty());
}

TEST(SegmentWalk, RandomSegmentsKeepTheirProperties) {
    std::mt19937 rng(2026);
    std::uniform_int_distribution<int32_t> coord(-3000, 3000);
    for (int n = 0; n < 3000; ++n) {
        const ScreenPoint s{coord(rng), coord(rng)};
        const ScreenPoint e = n % 7 ? ScreenPoint{coord(rng), coord(rng)} : ScreenPoint{s.x, coord(rng)};
        const auto moves = MovesWithPauses(Walk(s, e));
        const int64_t dx = int64_t{e.x} - s.x, dy = int64_t{e.y} - s.y;
        const bool yMajor = std::llabs(dy) > std::llabs(dx);
        const int64_t length = yMajor ? std::llabs(dy) : std::llabs(dx);
        ASSERT_EQ(static_cast<int64_t>(moves.size()), length);
        const int64_t step = (yMajor ? dy : dx) > 0 ? 1 : -1;
        for (int64_t i = 0; i < length; ++i) {
            const auto& m = moves[static_cast<std::size_t>(i)];
            const double major = yMajor ? m.y : m.x;
            const double minor = yMajor ? m.x : m.y;
            ASSERT_EQ(major, double((yMajor ? s.y : s.x) + i * step));
            // On the line: minor = start + (major - start) * dminor / dmajor.
            const double want = yMajor ? s.x + (m.y - s.y) * double(dx) / double(dy)
                                       : s.y + (m.x - s.x) * double(dy) / double(dx);
            ASSERT_NEAR(minor, want, 1e-9);
            // Between the ends, never past them.
            ASSERT_GE(minor, std::min(yMajor ? s.x : s.y, yMajor ? e.x : e.y) - 1e-9);
            ASSERT_LE(minor, std::max(yMajor ? s.x : s.y, yMajor ? e.x : e.y) + 1e-9);
        }
    }
}

TEST(SegmentWalk, PixelsOnTheLineAreHitExactly) {
    // Where the line passes through a pixel the minor coordinate is that integer, not a hair
    // below it, so truncation to a pixel never lands one short.
    for (int32_t d = 1; d <= 200; ++d) {
        for (int32_t m : {3, 7, 10, 49, 100}) {
            const auto moves = MovesWithPauses(Walk({0, 0}, {d * m, d}));
            for (std::size_t i = 0; i < moves.size(); i += static_cast<std::size_t>(m))
                ASSERT_EQ(moves[i].y, double(i / m)) << d << " " << m << " " << i;
        }
    }
}

TEST(SegmentWalk, EndOfRunCutsTheWalkShort) {
    RecordingPointerOps ops(3);
    EXPECT_FALSE(WalkSegment({0, 0}, {100, 0}, ' ', ops));
    EXPECT_EQ(ops.Of(PointerCall::Move).size(), 4u) << "nothing after the pause that reported the end";
    EXPECT_EQ(ops.calls.back().kind, PointerCall::Sleep);

    // Ending during the click hold still releases the button, then nothing more.
    RecordingPointerOps hold(0);
    EXPECT_FALSE(WalkSegment({5, 6}, {100, 0}, 'C', hold));
    ASSERT_EQ(hold.calls.size(), 3u);
    EXPECT_EQ(hold.calls[2].kind, PointerCall::Release);
    EXPECT_EQ(hold.calls[2].x, 5);
    EXPECT_EQ(hold.calls[2].y, 6);
}

TEST(SegmentWalk, ExtremeCoordinatesDoNotOverflow) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    constexpr int32_t min = std::numeric_limits<int32_t>::min();
    auto moves = MovesWithPauses(Walk({max - 2, 0}, {max, 1}));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].x, double(max - 1));
    moves = MovesWithPauses(Walk({0, min + 2}, {1, min}));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].y, double(min + 1));
}

}  // namespace
}  // namespace varrel
