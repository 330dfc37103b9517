// Tests of the settings logic: what loading takes from the stored values, and what saving writes.
#include "settings/config_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/memory_profile_store.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using Texts = std::vector<std::string>;
constexpr std::nullopt_t NONE = std::nullopt;

// What the list box fails to give when the list is saved: nothing, its count, or entry 0 or 1.
constexpr int WHOLE = -2, COUNT = -1;

struct FaultyList : VectorPointList {
    FaultyList(Texts entries, int fault) : VectorPointList(std::move(entries)), fault(fault) {}
    std::optional<int> Count() const override {
        return fault == COUNT ? NONE : VectorPointList::Count();
    }
    std::optional<std::string> TextAt(int i) const override {
        return fault == i ? NONE : VectorPointList::TextAt(i);
    }
    int fault;
};

struct ConfigCase {
    std::optional<std::string> point, hide, stop;  // as stored; NONE: no such key
    Texts entries;                                 // loaded
    bool hideAfterStart, stopOnMove;               // loaded
    int fault;                                     // when the entries are saved again
    std::optional<std::string> saved;              // then Point, Hide and StopOnMove; NONE: nothing
};

TEST(ConfigFile, LoadsTheTokensBetweenSpacesAndTheOptionsLikeAtoiThenSavesPointThenThem) {
    const std::string big(1 << 20, '7'), entry15 = "-1234567,-12345", nul("1,1 2,2\0 3,3", 11);
    // Only spaces part entries; a NUL ends the value; an entry of any length stays whole. (The
    // entries and options of any text: the fuzz target's oracles.)
    const ConfigCase cases[] = {
        {NONE, NONE, NONE, {}, false, true, WHOLE, ""},  // a missing option: the default
        {"1,1\t2,2  ,, x", "2", "0", {"1,1\t2,2", ",,", "x"}, true, false, WHOLE, "1,1\t2,2 ,, x"},
        {nul, " +7x", "", {"1,1", "2,2"}, true, false, WHOLE, "1,1 2,2"},
        {big + " " + entry15, "abc", "1", {big, entry15}, false, true, WHOLE, big + " " + entry15},
        {"1,1 2,2", "0", NONE, {"1,1", "2,2"}, false, true, COUNT, NONE},
        {"1,1 2,2", "1", NONE, {"1,1", "2,2"}, true, true, 0, NONE},
        {"1,1 2,2", "1", NONE, {"1,1", "2,2"}, true, true, 1, NONE}};
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        testing::MemoryProfileStore store;
        if (c.point) store.values["[Main]Point"] = *c.point;
        if (c.hide) store.values["[Main]Hide"] = *c.hide;
        if (c.stop) store.values["[Main]StopOnMove"] = *c.stop;
        VectorPointList list({"0,0"});
        ConfigOptions options{!c.hideAfterStart, !c.stopOnMove};
        std::optional<std::string> known = LoadConfig(store, list, options);
        list.Remove(0);  // what the list held before: the stored entries come after it
        EXPECT_TRUE(list.Entries() == c.entries);  // not printed: up to a megabyte
        EXPECT_EQ(options.hideAfterStart, c.hideAfterStart);
        EXPECT_EQ(options.stopOnMove, c.stopOnMove);
        EXPECT_EQ(store.writes, "") << "loading wrote";
        EXPECT_EQ(SaveConfig(store, FaultyList(c.entries, c.fault), options, known,
                             ChangedList::Ask) == SaveResult::Saved,
                  c.saved.has_value());
        const std::string written = "[Main]\nPoint=" + c.saved.value_or("") +
                                    "\nHide=" + (c.hideAfterStart ? "1" : "0") +
                                    "\nStopOnMove=" + (c.stopOnMove ? "1" : "0") + "\n";
        EXPECT_TRUE(store.writes == (c.saved ? written : "")) << store.writes.substr(0, 80);
    }
}

// This copy loaded or last saved `known`; the store holds `stored` (another copy saved since?) and
// this copy saves 2,2. A list the store has no more, or has as this copy knows it or would write
// it, is written over; another is written over only as told (asked, nothing is written), and never
// by a copy whose own list is still the one it knows.
TEST(ConfigFile, AListChangedInTheStoreSinceThisCopyReadItIsNotReplacedUnseen) {
    using C = ChangedList;
    using R = SaveResult;
    const std::tuple<std::optional<std::string>, std::optional<std::string>, C, R, bool> cases[] = {
        {"1,1", "1,1", C::Ask, R::Saved, true},       {NONE, "1,1", C::Ask, R::Saved, true},
        {"2,2", "1,1", C::Ask, R::Saved, true},       {"3,3", "1,1", C::Ask, R::ListChanged, false},
        {"3,3", NONE, C::Ask, R::ListChanged, false}, {"3,3", "1,1", C::Keep, R::Saved, false},
        {"3,3", "1,1", C::Replace, R::Saved, true},   {"3,3", "2,2", C::Replace, R::Saved, false},
        {"3,3", "2,2 ", C::Ask, R::Saved, false}};
    for (const auto& [stored, known, onChanged, result, replaced] : cases) {
        SCOPED_TRACE(stored.value_or("none") + " stored, " + known.value_or("none") + " known");
        testing::MemoryProfileStore store;
        if (stored) store.values["[Main]Point"] = *stored;
        std::optional<std::string> knownAfter = known;
        EXPECT_EQ(SaveConfig(store, VectorPointList({"2,2"}), {true, false}, knownAfter, onChanged),
                  result);
        EXPECT_EQ(store.Read("Main", "Point"), replaced ? "2,2" : stored);
        EXPECT_EQ(knownAfter, replaced ? "2,2" : known) << "the list this copy knows";
        EXPECT_EQ(store.Read("Main", "Hide").value_or("none"), result == R::Saved ? "1" : "none");
    }
}

}  // namespace
}  // namespace varrel
