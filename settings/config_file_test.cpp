// Tests of the settings logic: what loading takes from the stored values, and what saving writes.
#include "settings/config_file.h"

#include <gtest/gtest.h>

#include "tests/support/memory_profile_store.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using Texts = std::vector<std::string>;
constexpr std::nullopt_t NONE = std::nullopt;

// A list box that cannot tell its count (gap -1), or cannot give its entry at index gap.
struct GappedList : VectorPointList {
    using Base = VectorPointList;
    GappedList(Texts entries, int gap) : Base(std::move(entries)), gap(gap) {}
    std::optional<int> Count() const override { return gap < 0 ? NONE : Base::Count(); }
    std::optional<std::string> TextAt(int i) const override {
        return i == gap ? NONE : Base::TextAt(i);
    }
    int gap;
};

TEST(ConfigFile, LoadsTheTokensBetweenSpacesAndHideLikeAtoiThenSavesPointThenHide) {
    const std::string big(1 << 20, '7'), entry15 = "-1234567,-12345";
    // The stored Point and Hide (NONE: no such key); the entries loaded and the option; the entry
    // the list box then fails to give when they are saved (-1: its count; 9: none).
    const std::tuple<std::optional<std::string>, std::optional<std::string>, Texts, bool, int>
        cases[] = {
            {NONE, NONE, {}, false, 9},
            {"  10,10   20,20,C  ", "2", {"10,10", "20,20,C"}, true, 9},
            {std::string(100000, ' '), "-1", {}, true, 9},
            {"1,1\t2,2  ,, x", " +7x", {"1,1\t2,2", ",,", "x"}, true, 9},  // only spaces part
            {std::string("1,1 2,2\0 3,3", 11), "4294967296", {"1,1", "2,2"}, true, 9},  // to NUL
            {big + " " + entry15, "abc", {big, entry15}, false, 9},  // any length, whole
            {"", "", {}, false, 9},
            {"1,1 2,2", "0", {"1,1", "2,2"}, false, -1},
            {"1,1 2,2", "1", {"1,1", "2,2"}, true, 0},
            {"1,1 2,2", "1", {"1,1", "2,2"}, true, 1}};
    for (const auto& [point, hide, entries, set, gap] : cases) {
        SCOPED_TRACE(hide.value_or("(no Hide)") + ", gap " + std::to_string(gap));
        testing::MemoryProfileStore store;
        if (point) store.values["[Main]Point"] = *point;
        if (hide) store.values["[Main]Hide"] = *hide;
        VectorPointList list({"0,0"});
        bool option = !set;
        LoadConfig(store, list, option);
        list.Remove(0);  // what the list held before: the stored entries come after it
        EXPECT_TRUE(list.Entries() == entries);  // not printed: up to a megabyte
        EXPECT_TRUE(option == set && store.writes.empty());
        std::string file = "[Main]Point=";  // the entries, with single spaces between them
        for (std::size_t i = 0; i < entries.size(); ++i) file += (i ? " " : "") + entries[i];
        EXPECT_EQ(SaveConfig(store, GappedList(entries, gap), set), gap == 9);
        EXPECT_TRUE(store.writes ==
                    (gap < 9 ? "" : file + "\n[Main]Hide=" + (set ? "1" : "0") + "\n"));
    }
    testing::MemoryProfileStore failing;  // a save that does not reach the file says so
    failing.fails = true;
    EXPECT_FALSE(SaveConfig(failing, VectorPointList({"1,1"}), true));
}

}  // namespace
}  // namespace varrel
