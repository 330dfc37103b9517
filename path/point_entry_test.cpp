// Tests of entry parsing, position formatting, the action rule and compacting typed text.
#include "path/point_entry.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <tuple>

namespace varrel {
namespace {

using C = ActionChoice;

// What the parser makes of a text, "x,y c": from the record `start`, so a missing field shows; c
// is the action code, white space counting as the no-action space.
std::string Reading(std::string_view text, ScreenPoint start = {-7, -9}) {
    const char code = ActionCode(ParseEntry(text, start));
    return std::to_string(start.x) + "," + std::to_string(start.y) + " " +
           (std::isspace(static_cast<unsigned char>(code)) ? ' ' : code);
}

TEST(ParseEntry, SplitsAtCommasLikeStrtokAndReadsNumbersLikeAtoiWithin32Bits) {
    const std::string padded = std::string(30, ' ') + "123," + std::string(50, '0') + "456,C",
                      nul("1,2\0,C", 6);
    // Texts the fuzz target meets only by chance: a NUL, long runs of blanks and of digits.
    for (const auto& [text, reading] : {std::pair{nul, "1,2  "}, {padded, "123,456 C"}})
        EXPECT_EQ(Reading(text), reading) << text;
    for (const std::string& beyond :
         {std::string("2147483647,-2147483648"), std::string("2147483648,-2147483649"),
          std::string(5000, '9') + ",-" + std::string(40, '9')})
        EXPECT_EQ(Reading(beyond), "2147483647,-2147483648  ") << beyond.substr(0, 30);
    EXPECT_EQ(Reading(FormatPosition(INT32_MIN, INT32_MAX)), "-2147483648,2147483647  ");
}

// The exact text the rule leaves (the code each choice gives at the same point: the fuzz target).
TEST(ApplyAction, WorksOnTheThirdFieldAsTheParserFindsIt) {
    const std::string wide = std::string(40, '1') + "," + std::string(40, '2');
    EXPECT_EQ(ApplyAction(wide, C::Click), wide + ",C");
    EXPECT_EQ(ApplyAction(wide + ",C", C::None), wide);
    const std::tuple<const char*, C, const char*> cases[] = {
        {"640,480", C::Click, "640,480,C"},    {"640,480,C", C::Down, "640,480,D"},
        {"640,480,D", C::None, "640,480"},     {"640,480,C", C::NoChoice, "640,480,C"},
        {"640,480x", C::None, "640,480x"},     {"60,60,C,C", C::None, "60,60"},
        {"60,60,C,C", C::Down, "60,60,D"},     {"70,,5,,C", C::None, "70,,5"},
        {"1,2, C", C::Click, "1,2,C"},         {"70,,C", C::Click, "70,,C,C"},
        {"640,480,,", C::Click, "640,480,,,C"}};
    for (const auto& [entry, choice, result] : cases)
        EXPECT_EQ(ApplyAction(entry, choice), result) << entry << " " << static_cast<int>(choice);
}

TEST(CompactEntry, ReadsAsTheTypedTextWithoutWhiteSpace) {
    // Only what is read is kept (any text reads the same: the fuzz targets' oracles), so that more
    // texts fit an entry.
    EXPECT_EQ(CompactEntry(" 1 ,2 ,C x, 9"), "1,2,C");
    // Add takes the compact form when it fits an entry, else nothing: a cut is another point.
    for (const char* fits : {" -1000 , -1000 ,C ", "12345678901234"})
        EXPECT_EQ(TypedEntry(fits), CompactEntry(fits)) << fits;
    for (const char* tooLong : {"-10000,-10000,C", "99999999999,-99999999999"})
        EXPECT_EQ(TypedEntry(tooLong), std::nullopt) << tooLong;
}

}  // namespace
}  // namespace varrel
