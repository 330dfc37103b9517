// Tests of the pause deadlines: the pace, catching up, resynchronising, holds.
#include "motion/pause_deadlines.h"

#include <gtest/gtest.h>

namespace varrel {
namespace {

TEST(PauseDeadlines, AreTheStartPlusThePausesSoFarWhateverEachRoundCosts) {
    for (int64_t hz : {10000000LL, 3579545LL}) {  // a common counter rate, and the old ACPI one
        PauseDeadlines d(hz);
        d.Start(5000);
        for (int64_t i = 0, now = 5000, sum = 0; i < 1000; ++i) {
            const int ms = i % 5 ? 20 : 10;
            sum += ms;
            now = d.Next(ms, now + 3 * hz / 1000);  // each round's 3 ms must not add up
            ASSERT_EQ(now, 5000 + sum * hz / 1000) << hz << " " << i;
        }
    }
}

TEST(PauseDeadlines, CatchUpToOnePauseLateThenResynchronise) {
    PauseDeadlines d(1000);  // ticks of a millisecond
    // Pause, now, deadline. The first pause starts the run; up to one pause late keeps the grid.
    const int64_t steps[][3] = {
        {20, 7, 27}, {20, 42, 47}, {20, 87, 67}, {20, 108, 128}, {10, 129, 138}};
    for (const auto& [ms, now, deadline] : steps) EXPECT_EQ(d.Next(int(ms), now), deadline) << now;
    d.Start(20000);
    EXPECT_TRUE(d.Started());
    EXPECT_EQ(d.Next(10, 20000), 20010);
    // A hold lasts its full time from the moment the press went out, even late or far behind; the
    // pace goes on from its end.
    const int64_t holds[][4] = {
        {20010, 20037, 20047, 20067}, {20067, 20087, 20097, 20117}, {20117, 20900, 20910, 20930}};
    for (const auto& [pauseNow, holdNow, holdEnd, next] : holds) {
        d.Next(20, pauseNow);
        EXPECT_EQ(d.Hold(10, holdNow), holdEnd);
        EXPECT_EQ(d.Next(20, holdEnd + 1), next) << holdNow;
    }
}

}  // namespace
}  // namespace varrel
