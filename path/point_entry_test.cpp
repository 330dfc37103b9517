// Tests of entry parsing, position formatting, the action rule and compacting typed text.
#include "path/point_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <random>
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
    // What the random texts below do not reach: a NUL, texts longer than theirs.
    for (const auto& [text, reading] : {std::pair{nul, "1,2  "}, {padded, "123,456 C"}})
        EXPECT_EQ(Reading(text), reading) << text;
    for (const std::string& beyond :
         {std::string("2147483647,-2147483648"), std::string("2147483648,-2147483649"),
          std::string(5000, '9') + ",-" + std::string(40, '9')})
        EXPECT_EQ(Reading(beyond), "2147483647,-2147483648  ") << beyond.substr(0, 30);
    EXPECT_EQ(Reading(FormatPosition(INT32_MIN, INT32_MAX)), "-2147483648,2147483647  ");
}

// The exact text the rule leaves; that an entry of fewer than two fields stays as it is, and the
// code each choice gives, the property below checks.
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
    // Only what is read is kept (below: any text reads the same), so that more texts fit an entry.
    EXPECT_EQ(CompactEntry(" 1 ,2 ,C x, 9"), "1,2,C");
    // Add takes the compact form when it fits an entry, else nothing: a cut is another point.
    for (const char* fits : {" -1000 , -1000 ,C ", "12345678901234"})
        EXPECT_EQ(TypedEntry(fits), CompactEntry(fits)) << fits;
    for (const char* tooLong : {"-10000,-10000,C", "99999999999,-99999999999"})
        EXPECT_EQ(TypedEntry(tooLong), std::nullopt) << tooLong;
    // Any text of the characters the parser looks at: it reads the fields strtok finds at commas
    // as strtoll clamped to 32 bits reads them, the third's first character as the action; the
    // compact form has no white space and reads the same from any record; an action applied to an
    // entry of two fields or more gives the chosen code at the same point, and leaves any other
    // entry as it is.
    const std::pair<C, char> choices[] = {
        {C::None, ' '}, {C::Down, 'D'}, {C::Up, 'U'}, {C::Click, 'C'}, {C::DoubleClick, 'B'}};
    const std::string alphabet = " \t\r\n,,,01299999-+CDx\xff";
    std::mt19937 rng(2024);
    std::uniform_int_distribution<std::size_t> length(0, 24), pick(0, alphabet.size() - 1);
    auto read = [](const std::string& field) {
        const long long value = std::strtoll(field.c_str(), nullptr, 10);
        return std::to_string(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
    };
    for (int i = 0; i < 100000; ++i) {
        std::string text(length(rng), ' ');
        for (char& c : text) c = alphabet[pick(rng)];
        std::string buffer = text;
        std::vector<std::string> f;
        for (char* t = std::strtok(&buffer[0], ","); t; t = std::strtok(nullptr, ","))
            f.emplace_back(t);
        ASSERT_EQ(Reading(text),
                  (f.size() > 0 ? read(f[0]) : "-7") + "," + (f.size() > 1 ? read(f[1]) : "-9") +
                      " " +
                      (f.size() > 2 && !std::isspace(static_cast<unsigned char>(f[2][0])) ? f[2][0]
                                                                                          : ' '))
            << text;
        const std::string compact = CompactEntry(text);
        ASSERT_EQ(compact.find_first_of(" \t\r\n"), std::string::npos) << text;
        ASSERT_TRUE(compact == text || text.find_first_of(" \t\r\n") != std::string::npos);
        // Only blanks: nothing typed, nothing to read.
        const bool blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
        ASSERT_EQ(compact.empty(), blank) << "[" << text << "]";
        for (ScreenPoint start : {ScreenPoint{-7, -9}, ScreenPoint{8, 6}})
            ASSERT_TRUE(blank || Reading(compact, start) == Reading(text, start)) << text;
        const std::string point = Reading(text, {-7, -9});
        const bool twoFields =
            point.substr(0, point.size() - 1) == Reading(text, {8, 6}).substr(0, point.size() - 1);
        for (auto [choice, code] : choices) {
            const std::string edited = ApplyAction(text, choice);
            if (twoFields) {
                ASSERT_EQ(Reading(edited, {-7, -9}), point.substr(0, point.size() - 1) + code)
                    << text;
            } else {
                ASSERT_EQ(edited, text);
            }
        }
    }
}

}  // namespace
}  // namespace varrel
