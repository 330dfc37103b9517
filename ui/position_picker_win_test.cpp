// Tests of PositionPicker on a window of this thread: the drag states, the message words' signs.
#include "ui/position_picker_win.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "win/text_win.h"

namespace varrel {
namespace {

// A top-level window standing in for the page: a target image and a Position field.
class PickerPage : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(page, nullptr);
        CreateWindowA("STATIC", "", WS_CHILD, 40, 10, 12, 12, page, HMENU(IDC_TARGET), {}, {});
        CreateWindowA("EDIT", "keep", WS_CHILD, 100, 10, 99, 20, page, HMENU(IDC_POSITION), {}, {});
    }
    void TearDown() override {
        DestroyWindow(page);  // and its capture ends
        SetCursor(before);
    }
    std::string Position() const { return WindowText(GetDlgItem(page, IDC_POSITION)); }
    std::string ScreenText(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(page, &p);
        return std::to_string(p.x) + "," + std::to_string(p.y);
    }
    void ExpectEnded(const std::string& position) {
        EXPECT_FALSE(picker.Dragging());
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(GetCursor(), arrow);
        picker.OnMouseMove(page, MAKELPARAM(5, 5));  // idle again: the field stays as it is
        picker.OnLeftUp(page, MAKELPARAM(5, 5));
        EXPECT_EQ(Position(), position);
    }

    HWND page = CreateWindowA("STATIC", "", WS_POPUP, 200, 150, 300, 200, {}, {}, {}, {});
    HCURSOR cross = LoadCursor(nullptr, IDC_CROSS), arrow = LoadCursor(nullptr, IDC_ARROW);
    HCURSOR before = SetCursor(arrow);
    PositionPicker picker{cross};
};

TEST_F(PickerPage, OnlyAPressOnTheImageStartsADragThatFollowsWithTheSignRuleUntilItEnds) {
    // The right and bottom edges are outside, as are points beside it.
    for (POINT at : {POINT{52, 15}, {45, 22}, {39, 15}, {45, 9}}) {
        picker.OnLeftDown(page, MAKELPARAM(at.x, at.y));
        ExpectEnded("keep");
    }
    picker.OnLeftDown(page, MAKELPARAM(40, 10));  // the top-left pixel is inside
    ASSERT_TRUE(picker.Dragging());
    EXPECT_EQ(GetCapture(), page);
    EXPECT_EQ(GetCursor(), cross);
    // Above 0xF000 a word is negative (left of or above the window); up to 0xF000 positive.
    const WORD words[] = {0, 0x7FFF, 0x8000, 0xF000, 0xF001, 0xFFFD, 0xFFFF};
    const int coords[] = {0, 0x7FFF, 0x8000, 0xF000, 0xF001 - 65536, -3, -1};
    for (int i = 0; i < 7; ++i) {
        picker.OnMouseMove(page, MAKELPARAM(words[i], words[i]));
        EXPECT_EQ(Position(), ScreenText(coords[i], coords[i])) << words[i];
    }
    picker.OnLeftUp(page, MAKELPARAM(123, 45));
    ExpectEnded(ScreenText(123, 45));
    // The capture lost mid-drag: the field keeps the last position shown.
    picker.OnLeftDown(page, MAKELPARAM(40, 10));
    picker.OnMouseMove(page, MAKELPARAM(7, 8));
    ReleaseCapture();
    picker.OnCaptureChanged(page, nullptr);
    ExpectEnded(ScreenText(7, 8));
}

}  // namespace
}  // namespace varrel
