// Tests of the pointer watch: where the run's own moves leave the pointer, and the run it stops.
#include "motion/pointer_watch.h"

#include <gtest/gtest.h>

#include <deque>
#include <tuple>

#include "motion/segment_walk.h"
#include "tests/support/recording_pointer_ops.h"

namespace varrel {
namespace {

const Screens& One() {
    static const Screens one{{0, 0, 1024, 768}, {{0, 0, 1024, 768}}};
    return one;
}
// A taller monitor at the left of the primary one (negative x), a shorter one at its right: the
// desktop's corners below the short one lie on no monitor.
const Screens& Three() {
    static const Screens three{{-800, 0, 2624, 900},
                               {{-800, 0, 0, 900}, {0, 0, 1024, 768}, {1024, 0, 1824, 600}}};
    return three;
}

struct TakenCase {
    double x, y;  // where the run put the pointer
    const Screens* screens;
    ScreenPoint read;
    bool taken;
};

TEST(PointerWatch, TakenOnlyBeyondTheToleranceFromEveryPlaceTheSystemMayHavePutIt) {
    const TakenCase cases[] = {
        {10.7, 20.2, &One(), {10, 20}, false},  // truncated
        {-0.5, 5, &One(), {0, 5}, false},       // toward zero, not down
        {10, 20, &One(), {13, 17}, false},      // the tolerance on both axes
        {10, 20, &One(), {14, 20}, true},       // one pixel beyond it
        {5000, 20, &One(), {1023, 20}, false},  // on no screen: at the desktop's edge
        {5000, 20, &One(), {1019, 20}, true},
        {-30, -40, &One(), {0, 0}, false},  // the corner
        {1023, 767, &One(), {1023, 767}, false},
        {-799, 899, &Three(), {-799, 899}, false},  // the left monitor, below the primary
        {-400, 10, &Three(), {-404, 10}, true},
        {1500, 850, &Three(), {1500, 850}, false},  // a gap: where it was put
        {1500, 850, &Three(), {1500, 599}, false},  // or on the nearest monitor's edge
        {1500, 850, &Three(), {1500, 700}, true},   // but nowhere between
        {3000, 2000, &Three(), {1823, 899}, false},
    };
    for (const TakenCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "put at " << c.x << "," << c.y << ", read at "
                                          << c.read.x << "," << c.read.y);
        EXPECT_EQ(PointerTaken(PlacedPositions(c.x, c.y, *c.screens), c.read), c.taken);
    }
    EXPECT_FALSE(PointerTaken({}, {500, 500})) << "nothing placed yet";
}

// Notes where it put the pointer, as well as what it sent.
struct PlacingOps : testing::RecordingPointerOps {
    void MoveTo(double x, double y) override {
        at = {int32_t(x), int32_t(y)};
        RecordingPointerOps::MoveTo(x, y);
    }
    void PressLeft(int32_t x, int32_t y) override {
        at = {x, y};
        RecordingPointerOps::PressLeft(x, y);
    }
    ScreenPoint at{-1, -1};
};

// A closed run of two segments, 10,10 (a click) to 14,10 and back. `reads` gives the pointer as
// read before each event, in turn; after them, it lies where the run put it.
struct RunCase {
    std::deque<ScreenPoint> reads;
    const char* trace;
    bool watching;
    bool taken;
};

TEST(PointerWatch, ARunStopsAtTheFirstLookThatFindsThePointerTakenAndReleasesItsButton) {
    const ScreenPoint far{200, 300};
    const char* whole =
        "| P10,10 H10 R10,10 M10,10 S20 M11,10 S20 M12,10 S20 M13,10 S20 "
        "| M14,10 S20 M13,10 S20 M12,10 S20 M11,10 S20 ";
    const RunCase cases[] = {
        {{far}, whole, true, false},  // before the first event: anywhere
        {{far, {10, 10}, {10, 10}, {10, 10}, far},
         "| P10,10 H10 R10,10 M10,10 S20 M11,10 S20 ",
         true,
         true},
        // Taken during the click's hold: the release comes at once, where the pointer now is.
        {{{10, 10}, far}, "| P10,10 H10 R200,300 ", true, true},
        // A hand resting on the mouse: a pixel or two.
        {{{10, 10}, {12, 9}, {9, 12}, {13, 10}}, whole, true, false},
        {{far, far, far, far, far}, whole, false, false},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(&c - cases);
        PlacingOps inner;
        std::deque<ScreenPoint> reads = c.reads;
        WatchedPointerOps watched(
            inner,
            [&]() -> std::optional<ScreenPoint> {
                if (reads.empty()) return inner.at;
                const ScreenPoint next = reads.front();
                reads.pop_front();
                return next;
            },
            [] { return One(); }, c.watching);
        bool going = true;
        for (const auto& [from, to, action] :
             {std::tuple{ScreenPoint{10, 10}, ScreenPoint{14, 10}, 'C'},
              std::tuple{ScreenPoint{14, 10}, ScreenPoint{10, 10}, ' '}}) {
            if (!going) break;
            watched.BeginSegment();
            going = WalkSegment(from, to, action, watched);
        }
        EXPECT_EQ(watched.Taken(), c.taken);
        EXPECT_EQ(going, !c.taken) << "the walk goes on exactly while the pointer is the run's";
        EXPECT_EQ(inner.trace.str(), c.trace);
    }
}

}  // namespace
}  // namespace varrel
