// Tests of the pause deadlines: no drift, late steps catch up, long hold-ups resynchronise.
#include "motion/pause_deadlines.h"

#include <gtest/gtest.h>

namespace varrel {
namespace {

constexpr int64_t HZ = 10000000;  // a 10 MHz counter, as on most machines
constexpr int64_t MS = HZ / 1000;

TEST(PauseDeadlines, DeadlinesAreTheStartPlusThePausesSoFar) {
    PauseDeadlines d(HZ);
    EXPECT_FALSE(d.Started());
    d.Start(5000);
    int64_t now = 5000;
    int64_t sum = 0;
    for (int i = 0; i < 400; ++i) {
        const int ms = i % 5 == 0 ? 10 : 20;
        sum += ms;
        // Sending the step costs a little time each round; it must not add up.
        now += 3 * MS;
        const int64_t deadline = d.Next(ms, now);
        ASSERT_EQ(deadline, 5000 + sum * MS) << i;
        now = deadline;
    }
}

TEST(PauseDeadlines, AnOddCounterRateDoesNotAccumulateRounding) {
    PauseDeadlines d(3579545);  // the old ACPI timer rate
    d.Start(0);
    int64_t last = 0;
    for (int i = 1; i <= 1000; ++i) last = d.Next(20, last);
    EXPECT_EQ(last, 20000 * 3579545LL / 1000);
}

TEST(PauseDeadlines, UpToOneStepLateCatchesUp) {
    PauseDeadlines d(HZ);
    d.Start(0);
    // Woken 15 ms late: the next deadline stays on the grid, already close.
    EXPECT_EQ(d.Next(20, 35 * MS), 20 * MS);
    EXPECT_EQ(d.Next(20, 35 * MS), 40 * MS);
    // Exactly one step behind still catches up.
    EXPECT_EQ(d.Next(20, 80 * MS), 60 * MS);
}

TEST(PauseDeadlines, MoreThanOneStepBehindStartsAgainFromNow) {
    PauseDeadlines d(HZ);
    d.Start(0);
    EXPECT_EQ(d.Next(20, 0), 20 * MS);
    // Suspended for ten seconds: one full pause from now, then the pace from there.
    const int64_t back = 10020 * MS;
    EXPECT_EQ(d.Next(20, back), back + 20 * MS);
    EXPECT_EQ(d.Next(20, back + 21 * MS), back + 40 * MS);
    EXPECT_EQ(d.Next(10, back + 41 * MS), back + 50 * MS);
}

TEST(PauseDeadlines, TheFirstPauseStartsTheRun) {
    PauseDeadlines d(HZ);
    EXPECT_EQ(d.Next(20, 777), 777 + 20 * MS);
    EXPECT_TRUE(d.Started());
    d.Start(1000);
    EXPECT_EQ(d.Next(10, 1000), 1000 + 10 * MS);
}

}  // namespace
}  // namespace varrel
