// Tests of the worker's routine against a recording PointerOps and an in-memory point list.
#include "motion/motion_worker.h"

#include <gtest/gtest.h>

#include <new>

#include "tests/support/recording_pointer_ops.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

// Looked at before each chunk of the build and once after it: from look k on the stop has come
// (trouble k), or at look k memory runs out (trouble -k). Wait stands for a stop that comes later.
struct FakeStop : StopRequest {
    explicit FakeStop(int trouble) : trouble(trouble) {}
    bool Requested() const override {
        if (++looks == -trouble) throw std::bad_alloc();
        return trouble > 0 && looks >= trouble;
    }
    void Wait() override { ++waits; }
    int trouble, waits = 0;
    mutable int looks = 0;
};

// Cuts the run list to two entries as each segment begins (trouble 99): the count is read again.
// A run of segments that never ends, as a lap that pauses nowhere would be, fails the test.
struct WorkerOps : testing::RecordingPointerOps {
    WorkerOps(long endAfter, RunList* cut) : RecordingPointerOps(endAfter), cut(cut) {}
    void BeginSegment() override {
        if (cut) cut->count = 2;
        if (++segments > 1000) throw std::logic_error("a run that never pauses");
        RecordingPointerOps::BeginSegment();
    }
    RunList* cut;
    int segments = 0;
};

TEST(MotionWorker, WalksTheClosedPathLapAfterLapOrWaitsForTheStop) {
    // A lap: the click at A, 2 moves to B, 2 back; the end comes in the third click's hold.
    const std::string lap = "| P1,1 H10 R1,1 M1,1 S20 M2,1 S20 | M3,1 S20 M2,1 S20 ";
    const std::tuple<std::vector<std::string>, int, long, int32_t, std::string> cases[] = {
        {{"1,1,C", "3,1"}, 0, 10, 2, lap + lap + "| P1,1 H10 R1,1 "},
        {{"0,0", "0,3", "2,3"}, 0, 4, 3, "| M0,0 S20 M0,1 S20 M0,2 S20 | M0,3 S20 M1,3 S20 "},
        {{"7,8,C"}, 0, 2, 1, "| P7,8 H10 R7,8 | P7,8 H10 R7,8 | P7,8 H10 R7,8 "},
        {{"5,5", "5,5", "6,5"}, 0, 2, 3, "| | M5,5 S20 | M6,5 S20 | | M5,5 S20 "},
        {{"0,0", "1,0", "9,9"}, 99, 2, 2, "| M0,0 S20 | M1,0 S20 | M0,0 S20 "},
        {{}, 0, 0, 0, ""},  // nothing to send, or nothing built: no event, and a wait for the stop
        {{"40,40"}, 0, 0, 1, ""},
        {{"1,1", "1,1,D", "1,1,U", "1,1,B"}, 0, 0, 4, ""},
        {{"1,1", "9,9", "4,4"}, -1, 0, 0, ""},
        {{"1,1", "9,9", "4,4"}, 2, 0, 3, ""}  // the stop after the build ends the run: no wait
    };
    for (const auto& [entries, trouble, endAfter, count, trace] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::tie(entries, trouble)));
        RunList run;
        FakeStop stop(trouble);
        WorkerOps ops(endAfter, trouble == 99 ? &run : nullptr);
        RunMotion(VectorPointList(entries), run, ops, stop);
        EXPECT_EQ(ops.trace.str(), trace);
        EXPECT_EQ(std::make_pair(run.count, stop.waits),
                  std::make_pair(count, int(trace.empty() && trouble <= 0)));
    }
}

}  // namespace
}  // namespace varrel
