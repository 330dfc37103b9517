// Tests of profile text: values read as the profile functions read them, and edits in place.
#include "settings/profile_text.h"

#include <gtest/gtest.h>

namespace varrel {
namespace {

using std::string_literals::operator""s;

TEST(ProfileText, ReadsTheFirstKeyOfTheFirstSectionOfThatNameTrimmedAndUnquoted) {
    // The first section of that name only; a line of '[' without ']' is a key line.
    const std::string m = "[Main]\r\nPoint=";
    const std::optional<std::string> no;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {m + "1,1 2,2\r\nHide=1\r\n", "1,1 2,2"},
        {m + "1=2", "1=2"},
        {m + "\"  q \"", "  q "},
        {m + "'q'", "q"},
        {m + "\"q", "\"q"},
        {m + "a\0b"s, "a"},
        {m, ""},
        {"Point=9\n [main] \n\n POINT \t= \x1a 1,1 2,2 \t\r\nPoint=3", "1,1 2,2"},
        {"[Main]\r\nPoint\r\n", no},
        {"[Other]\r\nPoint=1\r\n[Main]\r\nHide=1", no},
        {"[ Main ]\r\nPoint=1", no},
        {"[Main]\r\n[Main]\r\nPoint=1", no},
        {"[Main\r\nPoint=1", no},
        {"\xEF\xBB\xBF" + m + "1", "1"},
        {"", no}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ProfileValue(text, "Main", "Point"), value) << text;
}

TEST(ProfileText, WritesInPlaceOrAfterTheSectionOrAtTheEndKeepingEveryOtherByte) {
    // Text, key, value, text after.
    const std::tuple<std::string, const char*, const char*, std::string> cases[] = {
        {"", "Point", "1,1", "[Main]\r\nPoint=1,1\r\n"},
        {"[Main]\r\nPoint=1,1\r\n", "Hide", "0", "[Main]\r\nPoint=1,1\r\nHide=0\r\n"},
        {"[Main]\nHide=1\r\nPoint=1,1 2,2,C", "Point", "3,3", "[Main]\nHide=1\r\nPoint=3,3"},
        {"[main]\n point = 1 \n\n[B]", "Point", " 2 ", "[main]\n point=\" 2 \"\n\n[B]"},
        {"[main]\n point = 1 \n\n[B]", "Hide", "'1'", "[main]\n point = 1 \nHide=\"'1'\"\r\n\n[B]"},
        {"[B]\r\nx=1", "Point", "", "[B]\r\nx=1\r\n[Main]\r\nPoint=\r\n"},
        {"[Main]", "Point", "\"", "[Main]\r\nPoint=\"\r\n"},
        {"\xff\0[Main]\r\n"s, "Point", "a", "\xff\0[Main]\r\n[Main]\r\nPoint=a\r\n"s}};
    for (const auto& [text, key, value, after] : cases) {
        EXPECT_EQ(WithProfileValue(text, "Main", key, value), after) << text;
        EXPECT_EQ(ProfileValue(after, "Main", key), value) << text;
    }
}

// Notepad's "Unicode" saved without its mark; an odd byte at the end is a cut one.
TEST(ProfileText, TellsUtf16WithoutItsMarkFromBytesWithANulHereAndThere) {
    auto utf16 = [](std::string_view text, bool littleEnd) {
        std::string bytes;
        for (const char c : text) bytes += littleEnd ? std::string{c, '\0'} : std::string{'\0', c};
        return bytes;
    };
    const std::string config = "[Main]\r\nPoint=1,1 2,2,C\r\nHide=1\r\n";
    const std::pair<std::string, bool> cases[] = {
        {utf16(config, true), true},
        {utf16(config, false) + "\n", true},
        {"\xA9\x03"s + utf16(config, true), true},  // Greek among the Latin
        {config, false},
        {"[Main]\r\nPoint=1,1\0 2,2\0\r\n"s, false},
        {"\0"s, false}};
    for (const auto& c : cases)
        EXPECT_EQ(LooksLikeUnmarkedUtf16(c.first), c.second) << "case " << &c - cases;
}

}  // namespace
}  // namespace varrel
