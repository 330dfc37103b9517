// Tests of entry parsing, position formatting, the action rule and compacting typed text.
#include "path/point_entry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <random>
#include <tuple>

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
    EXPECT_EQ(ApplyAction("a", ActionChoice::Click), "a");
    EXPECT_EQ(ApplyAction(",", ActionChoice::None), ",");
    EXPECT_EQ(ApplyAction("", ActionChoice::None), "");
    EXPECT_EQ(ApplyAction("", ActionChoice::Down), "");
    EXPECT_EQ(ApplyAction(",C", ActionChoice::None), ",C");
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

// "70,,C" has two fields (x 70, y read from "C"): Click adds a third.
TEST(ApplyAction, WorksOnTheThirdFieldAsTheParserFindsIt) {
    const std::tuple<const char*, ActionChoice, const char*> cases[] = {
        {"60,60,C,C", ActionChoice::None, "60,60"},
        {"20,20,C\t30,30", ActionChoice::None, "20,20"},
        {"70,,5,,C", ActionChoice::None, "70,,5"},
        {"60,60,C,C", ActionChoice::Down, "60,60,D"},
        {"1,2, C", ActionChoice::Click, "1,2,C"},
        {"70,,C", ActionChoice::Click, "70,,C,C"},
        {"640,480,,", ActionChoice::Click, "640,480,,,C"},
        {"50", ActionChoice::Click, "50"},
        {"abc", ActionChoice::Click, "abc"},
    };
    for (const auto& [entry, choice, result] : cases) {
        EXPECT_EQ(ApplyAction(entry, choice), result) << entry;
    }
}

// What the parser makes of a text: x and y from two different start records (so a missing field
// shows), and the action code, any white space counting as the no-action space.
std::string Reading(const std::string& text) {
    std::string reading;
    for (ScreenPoint start : {ScreenPoint{-7, -9}, ScreenPoint{8, 6}}) {
        const Parsed p = Parse(text, start);
        reading += std::to_string(p.point.x) + "," + std::to_string(p.point.y) + " ";
    }
    const char code = ActionCode(Parse(text).action);
    return reading + (std::isspace(static_cast<unsigned char>(code)) ? ' ' : code);
}

TEST(CompactEntry, ReadsAsTheTypedTextWithoutWhiteSpace) {
    const std::pair<const char*, const char*> cases[] = {
        {" 12 , 34 ", "12,34"}, {"10 20", "10"}, {"12,34, C", "12,34"},  {"1, ,C", "1,0,C"},
        {"- 5,+ 7", "-,+"},     {"   ", "0"},    {"1,2,C x,9", "1,2,C"},
    };
    for (const auto& [typed, stored] : cases) EXPECT_EQ(CompactEntry(typed), stored) << typed;

    // Any text of the characters the parser looks at: the compact form has no white space and
    // reads the same; an action applied to an entry of two fields or more gives the chosen code at
    // the same point, and leaves any other entry as it is.
    const std::pair<ActionChoice, char> choices[] = {{ActionChoice::None, ' '},
                                                     {ActionChoice::Down, 'D'},
                                                     {ActionChoice::Up, 'U'},
                                                     {ActionChoice::Click, 'C'},
                                                     {ActionChoice::DoubleClick, 'B'}};
    const std::string alphabet = " \t\r\n,,,0129-+CDx";
    std::mt19937 rng(2024);
    std::uniform_int_distribution<std::size_t> length(0, 16), pick(0, alphabet.size() - 1);
    for (int i = 0; i < 100000; ++i) {
        std::string text(length(rng), ' ');
        for (char& c : text) c = alphabet[pick(rng)];
        const std::string reading = Reading(text);
        const std::string compact = CompactEntry(text);
        const bool spaced = text.find_first_of(" \t\r\n") != std::string::npos;
        ASSERT_EQ(compact.find_first_of(" \t\r\n"), std::string::npos) << text;
        ASSERT_EQ(Reading(compact), reading) << "[" << text << "] -> [" << compact << "]";
        ASSERT_TRUE(spaced || compact == text) << text;

        // Both fields are there when the two start records read the same.
        const std::string point = reading.substr(0, reading.size() - 1);
        const bool twoFields = point.substr(0, point.size() / 2) == point.substr(point.size() / 2);
        for (auto [choice, code] : choices) {
            const std::string edited = ApplyAction(text, choice);
            if (twoFields) {
                ASSERT_EQ(Reading(edited), point + code)
                    << "[" << text << "] -> [" << edited << "]";
            } else {
                ASSERT_EQ(edited, text);
            }
        }
    }
}

}  // namespace
}  // namespace varrel
