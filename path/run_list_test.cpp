// Tests of the run snapshot: its build from the entries, read in chunks, and its release.
#include "path/run_list.h"

#include <gtest/gtest.h>

#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

std::string Text(const RunList& run) {
    std::string text = std::to_string(run.count) + ":";
    for (std::size_t i = 0; i < run.points.size(); ++i)
        text += FormatPosition(run.points[i].x, run.points[i].y) + run.actions.at(i) + ";";
    return text;
}

// A list that cannot tell its count, as a failing list box reports LB_ERR.
struct CountlessList : VectorPointList {
    std::optional<int> Count() const override { return std::nullopt; }
};

TEST(RunList, BuildsInOrderWithOneRecordAndReplacesTheLastSnapshotWhole) {
    const std::string longEntry = std::string(30, ' ') + "12," + std::string(50, '0') + "456,C";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"10,10", "20,10,C", "20,30"}, -1, "3:10,10 ;20,10C;20,30 ;"},
        // The record starts at (0,0); a missing field keeps the previous entry's value.
        {{"", "abc,7", "30", ",,", "x,5,D"}, -1, "5:0,0 ;0,7 ;30,7 ;30,7 ;0,5D;"},
        {{longEntry, "-1,-2,U", "3,4,B"}, -1, "3:12,456C;-1,-2U;3,4B;"},  // read whole
        {{}, -1, "0:"},
        {{"0,0", "1,1", "2,2", "3,3"}, 1, "3:0,0 ;1,1 ;2,2 ;"},  // cancelled: keeps its chunks
    };
    RunList run;
    for (const auto& [entries, cancelAt, snapshot] : cases) {
        SCOPED_TRACE(snapshot);
        int left = cancelAt;
        ASSERT_EQ(BuildRunList(
                      VectorPointList(entries), run, [&] { return left-- == 0; }, 3),
                  0);
        EXPECT_EQ(Text(run), snapshot);
    }
    EXPECT_EQ(BuildRunList(CountlessList(), run), -1);
    EXPECT_EQ(Text(run), "3:0,0 ;1,1 ;2,2 ;");  // a failed build leaves the run list as it was
    run.Release();
    EXPECT_EQ(Text(run), "0:");
    EXPECT_EQ(run.points.capacity() + run.actions.capacity(), 0u) << "the memory is kept";
}

}  // namespace
}  // namespace varrel
