// Tests of the worker's routine against a recording PointerOps and an in-memory point list.
#include "motion/motion_worker.h"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "motion/segment_walk.h"
#include "tests/support/recording_pointer_ops.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using testing::PointerCall;
using testing::RecordingPointerOps;

// The stop is asked for when Wait is called (standing for the stop arriving later), or up front.
class FakeStop : public StopRequest {
  public:
    bool Requested() const override { return requested; }
    void Wait() override {
        ++waits;
        requested = true;
    }
    bool requested = false;
    int waits = 0;
};

// The calls as text, one token each: "|" segment, "P x,y", "R x,y", "M x,y", "S ms".
std::string Trace(const std::vector<PointerCall>& calls) {
    std::ostringstream out;
    for (const PointerCall& c : calls) {
        switch (c.kind) {
            case PointerCall::Segment:
                out << "| ";
                break;
            case PointerCall::Press:
                out << "P" << c.x << "," << c.y << " ";
                break;
            case PointerCall::Release:
                out << "R" << c.x << "," << c.y << " ";
                break;
            case PointerCall::Move:
                out << "M" << c.x << "," << c.y << " ";
                break;
            case PointerCall::Sleep:
                out << "S" << c.ms << " ";
                break;
        }
    }
    return out.str();
}

struct Outcome {
    std::string trace;
    RunList run;
    int waits = 0;
};

Outcome RunOn(const PointList& list, long pausesBeforeEnd) {
    RecordingPointerOps ops(pausesBeforeEnd);
    FakeStop stop;
    Outcome out;
    RunMotion(list, out.run, ops, stop);
    out.trace = Trace(ops.calls);
    out.waits = stop.waits;
    return out;
}

TEST(MotionWorker, TwoEntriesWithAClickGoBackAndForth) {
    // A lap: the click at A (one pause), three moves to B, three moves back. Two laps make 14
    // pauses; the 15th, the hold of the third click, reports the end and the release still comes.
    VectorPointList list({"10,10,C", "13,10"});
    const std::string lap =
        "| P10,10 S10 R10,10 M10,10 S20 M11,10 S20 M12,10 S20 "
        "| M13,10 S20 M12,10 S20 M11,10 S20 ";
    const Outcome out = RunOn(list, 14);
    EXPECT_EQ(out.trace, lap + lap + "| P10,10 S10 R10,10 ");
    EXPECT_EQ(out.waits, 0);
    EXPECT_EQ(out.run.count, 2);
}

TEST(MotionWorker, EndDuringAStepPauseSendsNothingMore) {
    VectorPointList list({"0,0", "0,3", "2,3"});
    EXPECT_EQ(RunOn(list, 4).trace, "| M0,0 S20 M0,1 S20 M0,2 S20 | M0,3 S20 M1,3 S20 ");
}

TEST(MotionWorker, OneEntryWithAClickClicksWithoutMoving) {
    VectorPointList list({"7,8,C"});
    EXPECT_EQ(RunOn(list, 2).trace, "| P7,8 S10 R7,8 | P7,8 S10 R7,8 | P7,8 S10 R7,8 ");
}

TEST(MotionWorker, ZeroLengthSegmentsInAPathAreSkippedWithoutPause) {
    VectorPointList list({"5,5", "5,5", "6,5"});
    EXPECT_EQ(RunOn(list, 2).trace, "| | M5,5 S20 | M6,5 S20 | | M5,5 S20 ");
}

// A list that reports an error, or whose reading runs out of memory, or that asks for the stop
// while it is being read.
class ProblemList : public VectorPointList {
  public:
    using VectorPointList::VectorPointList;
    std::optional<int> Count() const override {
        if (failCount) return std::nullopt;
        return VectorPointList::Count();
    }
    std::optional<std::string> TextAt(int index) const override {
        if (index == throwAt) throw std::bad_alloc();
        if (index == stopAt && stop) stop->requested = true;
        return VectorPointList::TextAt(index);
    }
    bool failCount = false;
    int throwAt = -1;
    int stopAt = -1;
    FakeStop* stop = nullptr;
};

TEST(MotionWorker, RunsThatWouldSendNothingWaitForTheStop) {
    const std::vector<std::vector<std::string>> idle = {
        {}, {"40,40"}, {"40,40,D"}, {"1,1", "1,1,U", "1,1,B"}};
    for (const auto& entries : idle) {
        const Outcome out = RunOn(VectorPointList(entries), -1);
        EXPECT_EQ(out.trace, "") << entries.size();
        EXPECT_EQ(out.waits, 1) << entries.size();
    }

    ProblemList broken({"1,1", "9,9"});
    broken.failCount = true;
    Outcome out = RunOn(broken, -1);
    EXPECT_EQ(out.trace, "");
    EXPECT_EQ(out.waits, 1);
    EXPECT_EQ(out.run.count, 0);

    ProblemList starved({"1,1", "9,9", "4,4", "5,5"});
    starved.throwAt = 2;
    out = RunOn(starved, -1);
    EXPECT_EQ(out.trace, "");
    EXPECT_EQ(out.waits, 1);
    EXPECT_EQ(out.run.count, 0);
    EXPECT_TRUE(out.run.points.empty());
}

TEST(MotionWorker, StopDuringTheBuildEndsBeforeAnyEvent) {
    std::vector<std::string> entries;
    for (int i = 0; i < 100; ++i) entries.push_back(std::to_string(i) + ",3");
    ProblemList list(entries);
    FakeStop stop;
    list.stop = &stop;
    list.stopAt = 40;
    RecordingPointerOps ops;
    RunList run;
    RunMotion(list, run, ops, stop);
    EXPECT_TRUE(ops.calls.empty());
    EXPECT_EQ(stop.waits, 0);
    // The entries read so far are kept, for the caller to release.
    ASSERT_EQ(run.count, 41);
    EXPECT_EQ(run.points[40], (ScreenPoint{40, 3}));
}

TEST(MotionWorker, LapIsIdleOnlyWithoutMovesAndClicks) {
    RunList run;
    EXPECT_TRUE(LapIsIdle(run));
    run.points = {{1, 1}, {1, 1}};
    run.actions = {' ', 'D'};
    run.count = 2;
    EXPECT_TRUE(LapIsIdle(run));
    run.actions[1] = 'C';
    EXPECT_FALSE(LapIsIdle(run));
    run.actions[1] = ' ';
    run.points[1] = {1, 2};
    EXPECT_FALSE(LapIsIdle(run));
}

}  // namespace
}  // namespace varrel
