// Tests of what the status line shows, and of the time after an unasked stop.
#include "ui/status_board.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varrel {
namespace {

// A step: post (text) or withdraw (no text) a kind, then what the line shows.
struct Step {
    Notice kind;
    const char* text;  // nullptr: withdrawn
    const char* shown;
};

TEST(StatusBoard, ShowsTheNewestMessageThatStillHolds) {
    const Step steps[] = {
        {Notice::AddRefused, "refused", "refused"},
        {Notice::NoStopKey, "no key", "no key"},  // a Start after the refusal: its notice shows
        {Notice::AddRefused, nullptr, "no key"},
        {Notice::AddRefused, "refused again", "refused again"},  // newer than the notice
        {Notice::AddRefused, nullptr, "no key"},                 // which shows again
        {Notice::OffScreen, "off", "off"},
        {Notice::Stopped, "stopped", "stopped"},
        {Notice::NoStopKey, "no key", "no key"},  // posted again: the newest
        {Notice::NoStopKey, nullptr, "stopped"},
        {Notice::Stopped, nullptr, "off"},
        {Notice::OffScreen, nullptr, ""},
    };
    StatusBoard board;
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(&s - steps));
        if (s.text) {
            board.Post(s.kind, s.text);
        } else {
            board.Withdraw(s.kind);
        }
        EXPECT_EQ(board.Shown(), s.shown);
    }
}

TEST(StartGuard, KeepsAStartFromStartingForTwoSecondsAfterAStopTheUserDidNotGive) {
    struct Case {
        int64_t after;
        bool byUser;
        bool allows;
    };
    const Case cases[] = {
        {0, false, false}, {1999, false, false}, {2000, false, true}, {0, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.byUser ? "by the user, " : "unasked, ") << c.after);
        StartGuard guard;
        EXPECT_TRUE(guard.Allows(5)) << "before any stop";
        guard.Stopped(c.byUser, 1000);
        EXPECT_EQ(guard.Allows(1000 + c.after), c.allows);
    }
}

}  // namespace
}  // namespace varrel
