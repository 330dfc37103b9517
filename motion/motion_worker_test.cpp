// Tests of the worker's routine against a recording PointerOps and an in-memory point list.
#include "motion/motion_worker.h"

#include <gtest/gtest.h>

#include <new>

#include "tests/support/recording_pointer_ops.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using Texts = std::vector<std::string>;

// What goes wrong in a run: nothing; the stop has come from a look at it on; memory runs out at a
// look (the stop is looked at before each chunk of the build and once after it); or the run list
// is cut to two entries as each segment begins (the count is read again).
enum class Trouble { None, StopFromLook, OutOfMemoryAtLook, ListCut };

// Wait stands for a stop that comes later.
struct FakeStop : StopRequest {
    FakeStop(Trouble trouble, int look) : trouble(trouble), look(look) {}
    bool Requested() const override {
        if (++looks == look && trouble == Trouble::OutOfMemoryAtLook) throw std::bad_alloc();
        return trouble == Trouble::StopFromLook && looks >= look;
    }
    void Wait() override { ++waits; }
    Trouble trouble;
    int look, waits = 0;
    mutable int looks = 0;
};

// A run of segments that never ends, as a lap that pauses nowhere would be, fails the test.
struct WorkerOps : testing::RecordingPointerOps {
    WorkerOps(long pauses, RunList* cut) : RecordingPointerOps(pauses), cut(cut) {}
    void BeginSegment() override {
        if (cut) cut->count = 2;
        if (++segments > 1000) throw std::logic_error("a run that never pauses");
        RecordingPointerOps::BeginSegment();
    }
    RunList* cut;
    int segments = 0;
};

struct WorkerCase {
    Texts entries;
    Trouble trouble;
    int look;     // the look at the stop that the trouble comes at
    long pauses;  // pauses that go by before one reports the end of the run
    int32_t count;
    int waits;  // for the stop
    std::string trace;
};

TEST(MotionWorker, WalksTheClosedPathLapAfterLapOrWaitsForTheStop) {
    // A lap: the click at A, 2 moves to B, 2 back; the end comes in the third click's hold.
    const std::string lap = "| P1,1 H10 R1,1 M1,1 S20 M2,1 S20 | M3,1 S20 M2,1 S20 ";
    const Trouble NONE = Trouble::None;
    const std::string turn = "| M0,0 S20 M0,1 S20 M0,2 S20 | M0,3 S20 M1,3 S20 ";
    const WorkerCase cases[] = {
        {{"1,1,C", "3,1"}, NONE, 0, 10, 2, 0, lap + lap + "| P1,1 H10 R1,1 "},
        {{"0,0", "0,3", "2,3"}, NONE, 0, 4, 3, 0, turn},
        {{"7,8,C"}, NONE, 0, 2, 1, 0, "| P7,8 H10 R7,8 | P7,8 H10 R7,8 | P7,8 H10 R7,8 "},
        {{"5,5", "5,5", "6,5"}, NONE, 0, 2, 3, 0, "| | M5,5 S20 | M6,5 S20 | | M5,5 S20 "},
        {{"0,0", "1,0", "9,9"}, Trouble::ListCut, 0, 2, 2, 0, "| M0,0 S20 | M1,0 S20 | M0,0 S20 "},
        // Nothing to send, or nothing built: no event, and a wait for the stop.
        {{}, NONE, 0, 0, 0, 1, ""},
        {{"40,40"}, NONE, 0, 0, 1, 1, ""},
        {{"1,1", "1,1,D", "1,1,U", "1,1,B"}, NONE, 0, 0, 4, 1, ""},
        {{"1,1", "9,9", "4,4"}, Trouble::OutOfMemoryAtLook, 1, 0, 0, 0, ""},  // no run at all
        {{"1,1", "9,9", "4,4"}, Trouble::StopFromLook, 2, 0, 3, 0, ""}};  // stopped after the build
    for (const WorkerCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        RunList run;
        FakeStop stop(c.trouble, c.look);
        WorkerOps ops(c.pauses, c.trouble == Trouble::ListCut ? &run : nullptr);
        RunObserver everywhere;
        const RunOutcome outcome =
            RunMotion(VectorPointList(c.entries), run, ops, stop, everywhere);
        EXPECT_EQ(outcome == RunOutcome::BuildFailed, c.trouble == Trouble::OutOfMemoryAtLook);
        EXPECT_EQ(ops.trace.str(), c.trace);
        EXPECT_EQ(std::make_pair(run.count, stop.waits), std::make_pair(c.count, c.waits));
    }
}

// Points left of x = 0 lie on no monitor here.
struct LeftOffScreen : RunObserver {
    bool OnScreen(ScreenPoint p) const override { return p.x >= 0; }
    void OffScreen(const std::vector<int>& indices) override { off = indices; }
    void BeforeClick(int index, ScreenPoint) override { clicks.push_back(index); }
    std::vector<int> off, clicks;
};

TEST(MotionWorker, APointOnNoScreenIsWalkedToButNeverClickedAtAndIsToldOnce) {
    RunList run;
    FakeStop stop(Trouble::None, 0);
    WorkerOps ops(10, nullptr);
    LeftOffScreen observer;
    RunMotion(VectorPointList({"-2,1,C", "1,1,C", "-5,1"}), run, ops, stop, observer);
    EXPECT_EQ(ops.trace.str(),
              "| M-2,1 S20 M-1,1 S20 M0,1 S20 | P1,1 H10 R1,1 M1,1 S20 M0,1 S20 M-1,1 S20 "
              "M-2,1 S20 M-3,1 S20 M-4,1 S20 | M-5,1 S20 ");
    EXPECT_EQ(observer.off, (std::vector<int>{0, 2}));
    EXPECT_EQ(observer.clicks, std::vector<int>{1});
}

}  // namespace
}  // namespace varrel
