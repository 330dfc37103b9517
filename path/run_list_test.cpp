// Tests of the run snapshot: building from a point list and releasing.
#include "path/run_list.h"

#include <gtest/gtest.h>

#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

// A list that cannot tell its count, as a failing list box reports LB_ERR.
class BrokenList : public VectorPointList {
public:
    std::optional<int> Count() const override { return std::nullopt; }
};

TEST(RunList, BuildsPointsAndActionsInListOrder) {
    VectorPointList list({"10,10", "20,10,C", "20,30"});
    RunList run;
    ASSERT_EQ(BuildRunList(list, run), 0);
    ASSERT_EQ(run.count, 3);
    ASSERT_EQ(run.points.size(), 3u);
    ASSERT_EQ(run.actions.size(), 3u);
    EXPECT_EQ(run.points[0], (ScreenPoint{10, 10}));
    EXPECT_EQ(run.points[1], (ScreenPoint{20, 10}));
    EXPECT_EQ(run.points[2], (ScreenPoint{20, 30}));
    EXPECT_EQ(std::string(run.actions.begin(), run.actions.end()), " C ");
}

TEST(RunList, MissingFieldsCarryOverFromThePreviousEntry) {
    VectorPointList list({"abc", "10,10", "30", "", "x,5,D"});
    RunList run;
    ASSERT_EQ(BuildRunList(list, run), 0);
    ASSERT_EQ(run.count, 5);
    EXPECT_EQ(run.points[0], (ScreenPoint{0, 0}));  // the record starts at (0,0)
    EXPECT_EQ(run.points[1], (ScreenPoint{10, 10}));
    EXPECT_EQ(run.points[2], (ScreenPoint{30, 10}));
    EXPECT_EQ(run.points[3], (ScreenPoint{30, 10}));
    EXPECT_EQ(run.points[4], (ScreenPoint{0, 5}));
    EXPECT_EQ(std::string(run.actions.begin(), run.actions.end()), "    D");
}

TEST(RunList, IsASnapshot) {
    VectorPointList list({"1,1", "2,2"});
    RunList run;
    ASSERT_EQ(BuildRunList(list, run), 0);
    list.Remove(0);
    list.Append("9,9,C");
    EXPECT_EQ(run.count, 2);
    EXPECT_EQ(run.points[0], (ScreenPoint{1, 1}));

    // The next build sees the edit and replaces the old snapshot whole.
    ASSERT_EQ(BuildRunList(list, run), 0);
    EXPECT_EQ(run.count, 2);
    EXPECT_EQ(run.points[1], (ScreenPoint{9, 9}));
    EXPECT_EQ(run.actions[1], 'C');
}

TEST(RunList, ErrorsAndEmptyLists) {
    RunList run;
    VectorPointList two({"1,1", "2,2"});
    ASSERT_EQ(BuildRunList(two, run), 0);

    BrokenList broken;
    EXPECT_EQ(BuildRunList(broken, run), -1);
    EXPECT_EQ(run.count, 2) << "a failed build leaves the run list as it was";

    run.Release();
    EXPECT_EQ(run.count, 0);
    EXPECT_TRUE(run.points.empty());
    EXPECT_TRUE(run.actions.empty());
    run.Release();  // releasing an empty list does nothing
    EXPECT_EQ(run.count, 0);

    VectorPointList empty;
    EXPECT_EQ(BuildRunList(empty, run), 0);
    EXPECT_EQ(run.count, 0);
}

TEST(RunList, CancelledBuildKeepsWhatWasTaken) {
    VectorPointList list;
    for (int i = 0; i < 100; ++i) list.Append(FormatPosition(i, i));
    RunList run;
    int asked = 0;
    ASSERT_EQ(BuildRunList(list, run, [&] { return ++asked > 10; }), 0);
    EXPECT_EQ(run.count, 10);
    EXPECT_EQ(run.points.size(), 10u);
    EXPECT_EQ(run.points[9], (ScreenPoint{9, 9}));
}

TEST(RunList, LongEntriesAreReadWhole) {
    // A file can hold entries far beyond the 14 characters the window makes.
    const std::string x = std::string(30, ' ') + "123";
    VectorPointList list({x + "," + std::string(50, '0') + "456,C"});
    RunList run;
    ASSERT_EQ(BuildRunList(list, run), 0);
    EXPECT_EQ(run.points[0], (ScreenPoint{123, 456}));
    EXPECT_EQ(run.actions[0], 'C');
}

}  // namespace
}  // namespace varrel
