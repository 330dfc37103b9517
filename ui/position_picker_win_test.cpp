// Tests of PositionPicker on a window of this thread: the drag states and the sign rule of the
// message words.
#include "ui/position_picker_win.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace varrel {
namespace {

TEST(CoordFromMessageWord, AboveF000IsNegativeAndUpToF000Positive) {
    EXPECT_EQ(CoordFromMessageWord(0), 0);
    EXPECT_EQ(CoordFromMessageWord(0x7FFF), 0x7FFF);
    EXPECT_EQ(CoordFromMessageWord(0x8000), 0x8000);
    EXPECT_EQ(CoordFromMessageWord(0xF000), 0xF000);
    EXPECT_EQ(CoordFromMessageWord(0xF001), 0xF001 - 65536);
    EXPECT_EQ(CoordFromMessageWord(0xFFFD), -3);
    EXPECT_EQ(CoordFromMessageWord(0xFFFF), -1);
}

// A top-level window standing in for the page: a target image and a Position field.
class PickerPage : public ::testing::Test {
  protected:
    void SetUp() override {
        page = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 200, 150, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
        ASSERT_NE(page, nullptr);
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 40, 10, 12, 12, page,
                        reinterpret_cast<HMENU>(IDC_TARGET), nullptr, nullptr);
        CreateWindowExA(0, "EDIT", "keep", WS_CHILD | WS_VISIBLE, 100, 10, 100, 20, page,
                        reinterpret_cast<HMENU>(IDC_POSITION), nullptr, nullptr);
    }
    void TearDown() override {
        if (GetCapture() == page) ReleaseCapture();
        DestroyWindow(page);
    }

    std::string Position() const {
        std::string text(64, '\0');
        text.resize(static_cast<std::size_t>(GetDlgItemTextA(page, IDC_POSITION, &text[0], 64)));
        return text;
    }
    std::string ScreenText(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(page, &p);
        return std::to_string(p.x) + "," + std::to_string(p.y);
    }

    HWND page = nullptr;
    HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
    PositionPicker picker{cross};
};

TEST_F(PickerPage, PressesOutsideTheImageStartNothing) {
    // The right and bottom edges are outside, as are points beside it.
    for (LPARAM at :
         {MAKELPARAM(52, 15), MAKELPARAM(45, 22), MAKELPARAM(39, 15), MAKELPARAM(45, 9)}) {
        picker.OnLeftDown(page, at);
        EXPECT_FALSE(picker.Dragging());
        picker.OnMouseMove(page, MAKELPARAM(5, 5));
        picker.OnLeftUp(page, MAKELPARAM(5, 5));
        EXPECT_EQ(Position(), "keep");
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST_F(PickerPage, ADragFollowsThePointerWithTheSignRuleAndEndsAtTheRelease) {
    const HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_ARROW));
    picker.OnLeftDown(page, MAKELPARAM(40, 10));  // the top-left pixel is inside
    ASSERT_TRUE(picker.Dragging());
    EXPECT_EQ(GetCapture(), page);
    EXPECT_EQ(GetCursor(), cross);

    picker.OnMouseMove(page, MAKELPARAM(0xFFFD, 0xFFFE));
    EXPECT_EQ(Position(), ScreenText(-3, -2));
    picker.OnMouseMove(page, MAKELPARAM(0xF000, 0x8000));
    EXPECT_EQ(Position(), ScreenText(0xF000, 0x8000));
    picker.OnMouseMove(page, MAKELPARAM(0xF001, 7));
    EXPECT_EQ(Position(), ScreenText(0xF001 - 65536, 7));

    picker.OnLeftUp(page, MAKELPARAM(123, 45));
    EXPECT_FALSE(picker.Dragging());
    EXPECT_EQ(Position(), ScreenText(123, 45));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
    // Idle again: moves leave the field alone.
    picker.OnMouseMove(page, MAKELPARAM(1, 1));
    EXPECT_EQ(Position(), ScreenText(123, 45));
    SetCursor(before);
}

TEST_F(PickerPage, ALostCaptureEndsTheDragWithNoFurtherPosition) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    const HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_ARROW));
    for (HWND taker : {other, HWND{}}) {  // another window takes it, or the window is left
        picker.OnLeftDown(page, MAKELPARAM(45, 15));
        picker.OnMouseMove(page, MAKELPARAM(60, 70));
        taker ? static_cast<void>(SetCapture(taker)) : static_cast<void>(ReleaseCapture());
        picker.OnCaptureChanged(page, taker);  // what the page is told
        EXPECT_FALSE(picker.Dragging());
        EXPECT_EQ(GetCapture(), taker) << "the new owner keeps the capture";
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
        picker.OnMouseMove(page, MAKELPARAM(5, 5));
        picker.OnLeftUp(page, MAKELPARAM(5, 5));
        EXPECT_EQ(Position(), ScreenText(60, 70));
        ReleaseCapture();
    }
    SetCursor(before);
    DestroyWindow(other);
}

}  // namespace
}  // namespace varrel
