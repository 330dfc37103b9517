// Tests of the settings logic: splitting and joining the point list, the option, what is written.
#include "settings/config_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "path/point_entry.h"
#include "tests/support/long_text_match.h"
#include "tests/support/memory_profile_store.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

using testing::MemoryProfileStore;
using testing::ProfileWrite;
using testing::SameText;
using testing::SameTexts;
using Texts = std::vector<std::string>;

// A list box that cannot tell its count.
class CountlessPointList : public VectorPointList {
  public:
    using VectorPointList::VectorPointList;
    std::optional<int> Count() const override { return std::nullopt; }
};

// A list box that fails to give the entry at one index.
class GappedPointList : public VectorPointList {
  public:
    GappedPointList(Texts entries, int gap) : VectorPointList(std::move(entries)), gap_(gap) {}
    std::optional<std::string> TextAt(int index) const override {
        if (index == gap_) return std::nullopt;
        return VectorPointList::TextAt(index);
    }

  private:
    int gap_;
};

Texts LoadPoints(const std::string& value) {
    MemoryProfileStore store;
    store.Set("Main", "Point", value);
    VectorPointList list;
    bool hide = false;
    LoadConfig(store, list, hide);
    return list.Entries();
}

bool LoadHide(const std::string& value, bool before) {
    MemoryProfileStore store;
    store.Set("Main", "Hide", value);
    VectorPointList list;
    bool hide = before;
    LoadConfig(store, list, hide);
    return hide;
}

// Texts of 1 to maxLength characters, none holding a space or a NUL.
Texts RandomEntries(std::mt19937& rng, int count, int maxLength) {
    std::uniform_int_distribution<int> length(1, maxLength);
    std::uniform_int_distribution<int> byte(1, 255);
    Texts entries;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (int n = length(rng); n > 0; --n) {
            char c = static_cast<char>(byte(rng));
            text += c == ' ' ? ',' : c;
        }
        entries.push_back(text);
    }
    return entries;
}

TEST(LoadConfig, SplitsAtRunsOfSpaces) {
    EXPECT_EQ(LoadPoints("  10,10   20,20  "), (Texts{"10,10", "20,20"}));
    EXPECT_EQ(LoadPoints("100,200 300,200,C 300,400"), (Texts{"100,200", "300,200,C", "300,400"}));
    EXPECT_EQ(LoadPoints("1,1"), (Texts{"1,1"}));
    EXPECT_EQ(LoadPoints("1,1 "), (Texts{"1,1"}));
    EXPECT_EQ(LoadPoints(" 1,1"), (Texts{"1,1"}));
    // Only the space separates: tabs and commas stay inside the entries.
    EXPECT_EQ(LoadPoints("1,1\t2,2  ,, x"), (Texts{"1,1\t2,2", ",,", "x"}));
    // The value ends at a NUL, as the C string it was read into.
    EXPECT_EQ(LoadPoints(std::string("1,1 2,2\0 3,3", 11)), (Texts{"1,1", "2,2"}));
}

TEST(LoadConfig, EmptyOrBlankValueGivesNoEntries) {
    EXPECT_EQ(LoadPoints(""), Texts{});
    EXPECT_EQ(LoadPoints(" "), Texts{});
    EXPECT_EQ(LoadPoints("      "), Texts{});
    EXPECT_EQ(LoadPoints(std::string(100000, ' ')), Texts{});
}

TEST(LoadConfig, EntriesOfAnyLengthLoadWhole) {
    const std::string longEntry(4000, '7');
    const std::string entry15 = "-1234567,-12345";  // one past the window's entry length
    ASSERT_EQ(entry15.size(), MAX_ENTRY_CHARS + 1);
    EXPECT_TRUE(SameTexts(LoadPoints("1,1 " + longEntry + "  " + entry15 + " 2,2"),
                          {"1,1", longEntry, entry15, "2,2"}));
    // A whole 1 MB value without a space is one entry.
    const std::string megabyte(1 << 20, 'x');
    EXPECT_TRUE(SameTexts(LoadPoints(megabyte), {megabyte}));
}

TEST(LoadConfig, AppendsAfterWhatTheListHolds) {
    MemoryProfileStore store;
    store.Set("Main", "Point", "3,3 4,4");
    VectorPointList list({"1,1", "2,2"});
    bool hide = false;
    LoadConfig(store, list, hide);
    EXPECT_EQ(list.Entries(), (Texts{"1,1", "2,2", "3,3", "4,4"}));
}

TEST(LoadConfig, MissingKeysGiveDefaults) {
    MemoryProfileStore store;
    VectorPointList list;
    bool hide = true;
    LoadConfig(store, list, hide);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_FALSE(hide);

    // Keys in another section, or under another name, are not the settings.
    store.Set("main ", "Point", "1,1");
    store.Set("Other", "Hide", "1");
    store.Set("Main", "Points", "2,2");
    hide = true;
    LoadConfig(store, list, hide);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_FALSE(hide);
}

TEST(LoadConfig, HideReadsLikeAtoi) {
    for (const char* set : {"1", "2", "-1", " 7", "+3", "1abc", "\t\n5"}) {
        EXPECT_TRUE(LoadHide(set, false)) << set;
        EXPECT_TRUE(LoadHide(set, true)) << set;
    }
    for (const char* clear : {"0", "", "abc", "-0", " ", "- 1", "00000", "0x1", "x1"}) {
        EXPECT_FALSE(LoadHide(clear, true)) << clear;
    }
    // Numbers past 32 bits saturate: they never wrap round to zero.
    for (const char* huge : {"4294967296", "99999999999999999999999999", "-4294967296",
                             "18446744073709551616", "2147483648", "-2147483649"}) {
        EXPECT_TRUE(LoadHide(huge, false)) << huge;
    }
}

TEST(SaveConfig, WritesPointThenHideInTheFileFormat) {
    MemoryProfileStore store;
    SaveConfig(store, VectorPointList({"100,200", "300,200,C", "300,400"}), true);
    EXPECT_EQ(store.Writes(), (std::vector<ProfileWrite>{
                                  {"Main", "Point", "100,200 300,200,C 300,400"},
                                  {"Main", "Hide", "1"},
                              }));

    MemoryProfileStore single;
    SaveConfig(single, VectorPointList({"-5,7,D"}), false);
    EXPECT_EQ(single.Writes(), (std::vector<ProfileWrite>{
                                   {"Main", "Point", "-5,7,D"},
                                   {"Main", "Hide", "0"},
                               }));
}

TEST(SaveConfig, EmptyListKeepsThePointKey) {
    MemoryProfileStore store;
    store.Set("Main", "Point", "1,1 2,2");
    SaveConfig(store, VectorPointList(), false);
    EXPECT_EQ(store.Writes(), (std::vector<ProfileWrite>{
                                  {"Main", "Point", ""},
                                  {"Main", "Hide", "0"},
                              }));
    EXPECT_EQ(store.Read("Main", "Point"), std::optional<std::string>(""));
}

TEST(SaveConfig, ListThatCannotTellWritesNothing) {
    MemoryProfileStore store;
    SaveConfig(store, CountlessPointList(Texts{"1,1"}), true);
    EXPECT_TRUE(store.Writes().empty());

    for (int gap : {0, 1, 2}) {
        MemoryProfileStore gapped;
        SaveConfig(gapped, GappedPointList({"1,1", "2,2", "3,3"}, gap), true);
        EXPECT_TRUE(gapped.Writes().empty()) << gap;
    }
}

TEST(SaveConfig, LongListsAndEntriesAreWrittenWhole) {
    // Far past what a 512-byte buffer would hold.
    Texts entries;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        entries.push_back(FormatPosition(i * 7 - 3000, 1080 - i) + (i % 3 == 0 ? ",C" : ""));
        expected += (i ? " " : "") + entries.back();
    }
    entries.push_back(std::string(3000, 'e'));
    expected += " " + entries.back();

    MemoryProfileStore store;
    SaveConfig(store, VectorPointList(entries), false);
    ASSERT_EQ(store.Writes().size(), 2u);
    EXPECT_TRUE(SameText(store.Writes()[0].value, expected));
    EXPECT_GT(expected.size(), 50000u);
}

TEST(ConfigFile, SaveThenLoadGivesTheListBack) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 200; ++round) {
        const Texts entries = RandomEntries(rng, round % 40, round % 2 ? 14 : 300);
        const bool hide = round % 3 == 0;
        MemoryProfileStore store;
        SaveConfig(store, VectorPointList(entries), hide);

        VectorPointList loaded;
        bool loadedHide = !hide;
        LoadConfig(store, loaded, loadedHide);
        ASSERT_TRUE(SameTexts(loaded.Entries(), entries)) << "round " << round;
        ASSERT_EQ(loadedHide, hide) << "round " << round;
    }
}

TEST(ConfigFile, SplitAndJoinAgree) {
    EXPECT_EQ(SplitPointValue("a  b"), (Texts{"a", "b"}));
    EXPECT_EQ(JoinPointList(VectorPointList({"a", "b"})), std::optional<std::string>("a b"));
    EXPECT_EQ(JoinPointList(VectorPointList()), std::optional<std::string>(""));
    EXPECT_EQ(JoinPointList(CountlessPointList()), std::nullopt);
    // Splitting and joining again tidies the spaces and changes nothing else.
    const std::string messy = "  1,1   2,2,C\t 3,3 ";
    EXPECT_EQ(JoinPointList(VectorPointList(SplitPointValue(messy))),
              std::optional<std::string>("1,1 2,2,C\t 3,3"));
}

}  // namespace
}  // namespace varrel
