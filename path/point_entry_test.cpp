// Tests of entry parsing, position formatting and the action suffix rule.
#include "path/point_entry.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace varrel {
namespace {

struct Parsed {
    ScreenPoint point;
    std::string action;
};

Parsed Parse(const std::string& text, ScreenPoint start = {-7, -9}) {
    Parsed p{start, {}};
    p.action = ParseEntry(text, p.point);
    return p;
}

TEST(ParseEntry, FieldsAndActions) {
    auto p = Parse("640,480");
    EXPECT_EQ(p.point, (ScreenPoint{640, 480}));
    EXPECT_EQ(p.action, " ");
    EXPECT_EQ(ActionCode(p.action), ' ');

    p = Parse("640,480,C");
    EXPECT_EQ(p.point, (ScreenPoint{640, 480}));
    EXPECT_EQ(ActionCode(p.action), 'C');

    // Fields after the third are ignored; the action is the third field's first character.
    p = Parse("1,2,Dx,C,9");
    EXPECT_EQ(p.point, (ScreenPoint{1, 2}));
    EXPECT_EQ(p.action, "Dx");
    EXPECT_EQ(ActionCode(p.action), 'D');

    // Lower case is carried through and is no click.
    EXPECT_EQ(ActionCode(Parse("1,2,c").action), 'c');
}

TEST(ParseEntry, CommasSplitLikeStrtok) {
    EXPECT_EQ(Parse(",,640,,480").point, (ScreenPoint{640, 480}));
    EXPECT_EQ(Parse("640,480,,,").action, " ");
    // The letter becomes the second field: y reads as 0 and there is no action.
    auto p = Parse("10,,C");
    EXPECT_EQ(p.point, (ScreenPoint{10, 0}));
    EXPECT_EQ(p.action, " ");
}

TEST(ParseEntry, MissingFieldsKeepTheRecord) {
    EXPECT_EQ(Parse("640", {5, 6}).point, (ScreenPoint{640, 6}));
    EXPECT_EQ(Parse("", {5, 6}).point, (ScreenPoint{5, 6}));
    EXPECT_EQ(Parse(",,,", {5, 6}).point, (ScreenPoint{5, 6}));
    EXPECT_EQ(Parse("abc,12").point, (ScreenPoint{0, 12}));
}

TEST(ReadInt, ReadsLikeAtoi) {
    EXPECT_EQ(ReadInt("  \t-42abc"), -42);
    EXPECT_EQ(ReadInt("+17"), 17);
    EXPECT_EQ(ReadInt("- 5"), 0);
    EXPECT_EQ(ReadInt("x5"), 0);
    EXPECT_EQ(ReadInt(""), 0);
    EXPECT_EQ(ReadInt("0007"), 7);
    EXPECT_EQ(ReadInt(std::string_view("12\0" "34", 5)), 12);
}

TEST(ReadInt, SaturatesOutsideThirtyTwoBits) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    constexpr int32_t min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(ReadInt("2147483647"), max);
    EXPECT_EQ(ReadInt("2147483648"), max);
    EXPECT_EQ(ReadInt("-2147483648"), min);
    EXPECT_EQ(ReadInt("-2147483649"), min);
    EXPECT_EQ(ReadInt("99999999999999999999999999999999"), max);
    EXPECT_EQ(ReadInt("-99999999999999999999999999999999"), min);
    EXPECT_EQ(ReadInt(std::string(5000, '9')), max);
}

TEST(FormatPosition, RoundTripsThroughParse) {
    EXPECT_EQ(FormatPosition(-3, 1200), "-3,1200");
    EXPECT_EQ(Parse(FormatPosition(-3, 1200)).point, (ScreenPoint{-3, 1200}));

    std::mt19937 rng(12345);
    std::uniform_int_distribution<int32_t> any(std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max());
    std::uniform_int_distribution<int32_t> screen(-5000, 5000);
    for (int i = 0; i < 20000; ++i) {
        const ScreenPoint want = i % 2 ? ScreenPoint{any(rng), any(rng)}
                                       : ScreenPoint{screen(rng), screen(rng)};
        const auto p = Parse(FormatPosition(want.x, want.y));
        ASSERT_EQ(p.point, want) << FormatPosition(want.x, want.y);
        ASSERT_EQ(p.action, " ");
    }
}

TEST(ApplyAction, SetsReplacesAndClearsTheSuffix) {
    EXPECT_EQ(ApplyAction("640,480", ActionChoice::Click), "640,480,C");
    EXPECT_EQ(ApplyAction("640,480,C", ActionChoice::Down), "640,480,D");
    EXPECT_EQ(ApplyAction("640,480,D", ActionChoice::Up), "640,480,U");
    EXPECT_EQ(ApplyAction("640,480,U", ActionChoice::DoubleClick), "640,480,B");
    EXPECT_EQ(ApplyAction("640,480,D", ActionChoice::None), "640,480");
    EXPECT_EQ(ApplyAction("640,480", ActionChoice::None), "640,480");
    EXPECT_EQ(ApplyAction("640,480,C", ActionChoice::NoChoice), "640,480,C");
    EXPECT_EQ(ApplyAction("640,480,c", ActionChoice::Click), "640,480,C");
}

TEST(ApplyAction, LetterWithoutCommaIsNoSuffix) {
    // A typed entry ending in a letter keeps its coordinates and gets a real, working suffix.
    EXPECT_EQ(ApplyAction("640,480x", ActionChoice::Click), "640,480x,C");
    EXPECT_EQ(ApplyAction("640,480x", ActionChoice::None), "640,480x");
    EXPECT_EQ(ActionCode(Parse(ApplyAction("640,480x", ActionChoice::Click)).action), 'C');
    // Entries a file may hold: a single letter, a lone comma, nothing at all.
    EXPECT_EQ(ApplyAction("a", ActionChoice::None), "a");
    EXPECT_EQ(ApplyAction("a", ActionChoice::Click), "a,C");
    EXPECT_EQ(ApplyAction(",", ActionChoice::None), ",");
    EXPECT_EQ(ApplyAction("", ActionChoice::None), "");
    EXPECT_EQ(ApplyAction("", ActionChoice::Down), ",D");
    EXPECT_EQ(ApplyAction(",C", ActionChoice::None), "");
}

TEST(ApplyAction, LongEntriesAreEditedWhole) {
    const std::string longEntry = std::string(40, '1') + "," + std::string(40, '2');
    EXPECT_EQ(ApplyAction(longEntry, ActionChoice::Click), longEntry + ",C");
    EXPECT_EQ(ApplyAction(longEntry + ",C", ActionChoice::None), longEntry);
}

TEST(ApplyAction, EveryChoiceParsesBackToItsLetter) {
    const std::pair<ActionChoice, char> choices[] = {{ActionChoice::Down, 'D'},
                                                     {ActionChoice::Up, 'U'},
                                                     {ActionChoice::Click, 'C'},
                                                     {ActionChoice::DoubleClick, 'B'},
                                                     {ActionChoice::None, ' '}};
    for (const char* entry : {"1,2", "1,2,C", "-5,7,D", "1,2,q"}) {
        for (auto [choice, letter] : choices) {
            const auto p = Parse(ApplyAction(entry, choice));
            EXPECT_EQ(ActionCode(p.action), letter) << entry;
            EXPECT_EQ(p.point, Parse(entry).point) << entry;
        }
    }
}

}  // namespace
}  // namespace varrel
