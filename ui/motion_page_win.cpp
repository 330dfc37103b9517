// MotionPage: one dialog procedure that dispatches each message to a small handler.
#include "ui/motion_page_win.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "path/point_entry.h"
#include "resources/resource.h"
#include "settings/config_file.h"
#include "settings/profile_file_win.h"
#include "ui/list_box_point_list_win.h"

namespace varrel {

namespace {

ListBoxPointList Points(HWND page) { return ListBoxPointList(GetDlgItem(page, IDC_POINTS), page); }

std::string PositionText(HWND page) {
    HWND field = GetDlgItem(page, IDC_POSITION);
    const int length = GetWindowTextLengthA(field);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(field, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(std::clamp(got, 0, length)));
    return text;
}

void LoadSettings(HWND page) {
    const ProfileFile store(ConfigFilePath());
    ListBoxPointList points = Points(page);
    bool hideAfterStart = false;
    LoadConfig(store, points, hideAfterStart);
    CheckDlgButton(page, IDC_HIDE_AFTER_START, hideAfterStart ? BST_CHECKED : BST_UNCHECKED);
}

void SaveSettings(HWND page) {
    ProfileFile store(ConfigFilePath());
    const bool hideAfterStart = IsDlgButtonChecked(page, IDC_HIDE_AFTER_START) == BST_CHECKED;
    SaveConfig(store, Points(page), hideAfterStart);
}

// One corner coordinate of the disc's box; far-off entries must not overflow.
int DiscEdge(int32_t centre, int offset) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{centre} + offset, INT_MIN, INT_MAX));
}

// Draws the disc in XOR mode an even number of times, so the screen ends as it was.
void BlinkDisc(ScreenPoint at) {
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    const int oldMode = SetROP2(screen, R2_XORPEN);
    for (int draw = 0; draw < VIEW_BLINK_DRAWS; ++draw) {
        Ellipse(screen, DiscEdge(at.x, -VIEW_DISC_RADIUS), DiscEdge(at.y, -VIEW_DISC_RADIUS),
                DiscEdge(at.x, VIEW_DISC_RADIUS), DiscEdge(at.y, VIEW_DISC_RADIUS));
        // Some display systems queue screen drawing until something reads the screen back
        // (Wine over X does): one pixel read makes each draw show before the pause.
        GetPixel(screen, at.x, at.y);
        Sleep(VIEW_BLINK_PAUSE_MS);
    }
    SetROP2(screen, oldMode);
    ReleaseDC(nullptr, screen);
}

INT_PTR OnInitDialog(HWND page) {
    LoadSettings(page);
    return TRUE;
}

// Only a page that was shown saves when it is hidden: hiding it again changes nothing, and a
// hide caused by the parent (status non-zero) is not the user leaving the page.
INT_PTR OnShowWindow(HWND page, bool shown, LPARAM status) {
    const bool wasVisible = (GetWindowLongPtrA(page, GWL_STYLE) & WS_VISIBLE) != 0;
    if (!shown && status == 0 && wasVisible) SaveSettings(page);
    return TRUE;
}

// The whole field is read, then cut to the longest entry: a picked -1234,1234 stays whole.
void OnAdd(HWND page) {
    std::string text = PositionText(page);
    if (text.size() > MAX_ENTRY_CHARS) text.resize(MAX_ENTRY_CHARS);
    if (text.empty()) return;
    Points(page).Append(text);
}

void OnSelectionChanged(HWND page) {
    const ListBoxPointList points = Points(page);
    const std::optional<int> selected = points.Selected();
    if (!selected) return;
    const std::optional<std::string> text = points.TextAt(*selected);
    if (text) SetDlgItemTextA(page, IDC_POSITION, text->c_str());
}

// Double-click on an entry: the mouse action edit belongs here.
void OnPointsDoubleClick(HWND) {}

void OnRemove(HWND page) {
    ListBoxPointList points = Points(page);
    const std::optional<int> selected = points.Selected();
    if (selected) points.Remove(*selected);
}

// The disc is drawn at the entry's position; a missing x or y counts as 0.
void OnView(HWND page) {
    const ListBoxPointList points = Points(page);
    const std::optional<int> selected = points.Selected();
    if (!selected) return;
    const std::optional<std::string> text = points.TextAt(*selected);
    if (!text) return;
    ScreenPoint at{0, 0};
    ParseEntry(*text, at);
    BlinkDisc(at);
}

// Start and Stop: run control belongs here.
void OnStartStop(HWND) {}

void OnPointsNotification(HWND page, int code) {
    switch (code) {
        case LBN_SELCHANGE:
            OnSelectionChanged(page);
            break;
        case LBN_DBLCLK:
            OnPointsDoubleClick(page);
            break;
        default:
            break;
    }
}

// Any notification of the Add image counts: both clicks of a double-click add.
INT_PTR OnCommand(HWND page, int id, int code) {
    switch (id) {
        case IDC_ADD:
            OnAdd(page);
            break;
        case IDC_POINTS:
            OnPointsNotification(page, code);
            break;
        case IDC_START:
            OnStartStop(page);
            break;
        case IDC_REMOVE:
            OnRemove(page);
            break;
        case IDC_VIEW:
            OnView(page);
            break;
        default:
            break;
    }
    return TRUE;
}

// The position picker's press, drag and release on the target image belong here.
INT_PTR OnLeftButtonDown(HWND, LPARAM) { return TRUE; }
INT_PTR OnMouseMove(HWND, LPARAM) { return TRUE; }
INT_PTR OnLeftButtonUp(HWND, LPARAM) { return TRUE; }

// The stop hotkey (Shift+Esc) of run control belongs here.
INT_PTR OnHotKey(HWND, LPARAM) { return TRUE; }

// Run control's clean-up of the hotkey belongs here; nothing in the program sends this.
INT_PTR OnClose(HWND) { return TRUE; }

}  // namespace

INT_PTR CALLBACK MotionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_SHOWWINDOW:
            return OnShowWindow(page, wParam != FALSE, lParam);
        case WM_COMMAND:
            return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        case WM_LBUTTONDOWN:
            return OnLeftButtonDown(page, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(page, lParam);
        case WM_LBUTTONUP:
            return OnLeftButtonUp(page, lParam);
        case WM_HOTKEY:
            return OnHotKey(page, lParam);
        case WM_CLOSE:
            return OnClose(page);
        case WM_READ_ENTRY:
            return ListBoxPointList::ServeEntryRead(lParam);
        default:
            return FALSE;
    }
}

}  // namespace varrel
