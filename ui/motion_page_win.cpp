// MotionPage: one dialog procedure that dispatches each message to a small handler.
#include "ui/motion_page_win.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "path/point_entry.h"
#include "resources/resource.h"
#include "settings/config_file.h"
#include "settings/profile_file_win.h"
#include "ui/accessible_name_win.h"
#include "ui/action_dialog_win.h"
#include "ui/app_state_win.h"
#include "ui/image_control_win.h"
#include "ui/list_box_point_list_win.h"
#include "ui/position_picker_win.h"
#include "ui/run_control_win.h"
#include "ui/scaled_layout_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {

namespace {

// The page's run control and position picker; the program has one motion page.
std::unique_ptr<RunControl> g_runControl;
PositionPicker g_picker;
std::optional<SettingsTrouble> g_unreadSettings;

ListBoxPointList Points(HWND page) { return ListBoxPointList(GetDlgItem(page, IDC_POINTS), page); }

// A file that is there but cannot be read gives the defaults too, but is remembered, and the user
// is told once the main window shows.
void LoadSettings(HWND page) {
    ProfileFile store(ConfigFilePath());
    g_unreadSettings.reset();
    if (!store.Load()) {
        g_unreadSettings = SettingsTrouble{store.Path(), SystemMessage(store.LastError())};
        PostMessageW(g_app.mainWindow ? g_app.mainWindow : GetParent(page), WM_SETTINGS_UNREAD, 0,
                     0);
    }
    ListBoxPointList points = Points(page);
    bool hideAfterStart = false;
    LoadConfig(store, points, hideAfterStart);
    CheckDlgButton(page, IDC_HIDE_AFTER_START, hideAfterStart ? BST_CHECKED : BST_UNCHECKED);
}

// One corner coordinate of the disc's box; far-off entries must not overflow.
int DiscEdge(int32_t centre, int offset) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{centre} + offset, INT_MIN, INT_MAX));
}

// Draws the disc in XOR mode an even number of times, so the screen ends as it was.
void BlinkDisc(ScreenPoint at) {
    const ScreenDc screen;
    if (!screen) return;
    const int oldMode = SetROP2(screen.Get(), R2_XORPEN);
    for (int draw = 0; draw < VIEW_BLINK_DRAWS; ++draw) {
        Ellipse(screen.Get(), DiscEdge(at.x, -VIEW_DISC_RADIUS), DiscEdge(at.y, -VIEW_DISC_RADIUS),
                DiscEdge(at.x, VIEW_DISC_RADIUS), DiscEdge(at.y, VIEW_DISC_RADIUS));
        // Some display systems queue screen drawing until something reads the screen back
        // (Wine over X does): one pixel read makes each draw show before the pause.
        GetPixel(screen.Get(), at.x, at.y);
        Sleep(VIEW_BLINK_PAUSE_MS);
    }
    SetROP2(screen.Get(), oldMode);
}

INT_PTR OnInitDialog(HWND page) {
    // A screen reader finds no name on these by itself; the label "Position" lies beside the field.
    GiveAccessibleLook(GetDlgItem(page, IDC_POINTS), {L"Points", 0});
    GiveAccessibleLook(GetDlgItem(page, IDC_POSITION), {L"Position", 0});
    FitPointListColumns(page);
    LoadSettings(page);
    g_runControl =
        std::make_unique<RunControl>(page, g_app.mainWindow ? g_app.mainWindow : GetParent(page));
    return TRUE;
}

// The page goes with the main window: a running worker is ended and the hotkey given back.
INT_PTR OnDestroy() {
    g_runControl.reset();
    return FALSE;
}

// Only a page that was shown saves when it is hidden: hiding it again changes nothing, and a
// hide caused by the parent (status non-zero) is not the user leaving the page.
INT_PTR OnShowWindow(HWND page, bool shown, LPARAM status) {
    const bool wasVisible = (GetWindowLongPtrA(page, GWL_STYLE) & WS_VISIBLE) != 0;
    // A failed save is not shown here: the list stays in the window, and Close saves again.
    if (!shown && status == 0 && wasVisible) SaveMotionPageSettings(page);
    return TRUE;
}

// The whole field is read, then cut to the longest entry: a picked -1234,1234 stays whole. White
// space would split the entry in the settings file, so the entry is stored in its compact form,
// which reads the same; the cut comes after, so that blanks do not push the action out. A field of
// only blanks looks empty and adds nothing, as an empty one does.
void OnAdd(HWND page) {
    std::string text = CompactEntry(WindowText(GetDlgItem(page, IDC_POSITION)));
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

// Double-click on an entry: the mouse action dialog, applied to the selected entry in place.
void OnPointsDoubleClick(HWND page) {
    const ActionChoice choice = ChoiceFromDialogResult(ShowActionDialog(g_app.instance, page));
    ListBoxPointList points = Points(page);
    ApplyChoiceToSelection(points, choice);
}

void OnRemove(HWND page) {
    ListBoxPointList points = Points(page);
    const std::optional<int> selected = points.Selected();
    if (!selected) return;
    points.Remove(*selected);
    FitPointListView(page);
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

// Space or Enter on the target, or an arrow that moved the pointer: the pointer's position is
// picked.
void OnTargetPressed(HWND page) { g_picker.TakePointerPosition(page); }

void OnStartStop() {
    if (g_runControl) g_runControl->OnStartStop();
}

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
        case IDC_TARGET:
            OnTargetPressed(page);
            break;
        case IDC_POINTS:
            OnPointsNotification(page, code);
            break;
        case IDC_START:
            OnStartStop();
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

bool IsPushButton(HWND control) {
    const auto type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) &&
           (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Enter acts on the focused control of the shown page: Position adds as Add does, the list opens
// the selected entry's mouse action as a double-click does, a picture or a button is pressed. The
// check box and anything else take no Enter.
INT_PTR OnEnterKey(HWND page, HWND focus) {
    if (!IsWindowVisible(page) || GetParent(focus) != page) return TRUE;
    const int id = GetDlgCtrlID(focus);
    if (id == IDC_POSITION) {
        OnAdd(page);
    } else if (id == IDC_POINTS) {
        if (Points(page).Selected()) OnPointsDoubleClick(page);
    } else if (IsImageControl(focus)) {
        PressImageControl(focus);
    } else if (IsPushButton(focus)) {
        OnCommand(page, id, BN_CLICKED);
    }
    return TRUE;
}

// A key in the point list, before the list box acts on it: Delete removes the selected entry as
// Remove does; every other key is the list box's (-1). Only a shown page takes it.
INT_PTR OnListKey(HWND page, WORD key) {
    if (key != VK_DELETE || !IsWindowVisible(page)) return -1;
    OnRemove(page);
    return -2;  // done: the list box does nothing more
}

// The position picker: press on the target image, drag anywhere, release.
INT_PTR OnLeftButtonDown(HWND page, LPARAM lParam) {
    g_picker.SetTargetCursor(g_app.targetCursor);  // the one for the window's DPI now
    g_picker.OnLeftDown(page, lParam);
    return TRUE;
}

INT_PTR OnMouseMove(HWND page, LPARAM lParam) {
    g_picker.OnMouseMove(page, lParam);
    return TRUE;
}

INT_PTR OnLeftButtonUp(HWND page, LPARAM lParam) {
    g_picker.OnLeftUp(page, lParam);
    return TRUE;
}

INT_PTR OnCaptureChanged(HWND page, LPARAM newCapture) {
    g_picker.OnCaptureChanged(page, reinterpret_cast<HWND>(newCapture));
    return TRUE;
}

// The main window has laid the page out for a new display scale: the list's columns fit it again.
INT_PTR OnDpiChangedAfterParent(HWND page) {
    FitPointListColumns(page);
    return TRUE;
}

INT_PTR OnHotKey(WPARAM wParam, LPARAM lParam) {
    if (g_runControl) g_runControl->OnHotKey(wParam, lParam);
    return TRUE;
}

// Nothing in the program sends the page this; it gives the hotkey back and ends the page.
INT_PTR OnClose(HWND page) {
    if (g_runControl) g_runControl->ReleaseHotKey();
    EndDialog(page, 0);
    return TRUE;
}

}  // namespace

std::optional<SettingsTrouble> UnreadSettings() { return g_unreadSettings; }

void AllowReplacingUnreadSettings() { g_unreadSettings.reset(); }

std::optional<SettingsTrouble> SaveMotionPageSettings(HWND page) {
    if (g_unreadSettings) return g_unreadSettings;
    ProfileFile store(ConfigFilePath());
    const bool hideAfterStart = IsDlgButtonChecked(page, IDC_HIDE_AFTER_START) == BST_CHECKED;
    if (SaveConfig(store, Points(page), hideAfterStart)) return std::nullopt;
    const DWORD error = store.LastError();
    return SettingsTrouble{store.Path(),
                           error ? SystemMessage(error) : L"The point list could not be read."};
}

void FitPointListColumns(HWND page) {
    HWND list = GetDlgItem(page, IDC_POINTS);
    RECT client{};
    if (!GetClientRect(list, &client) || client.right < POINT_LIST_COLUMNS) return;
    SendMessageA(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(client.right / POINT_LIST_COLUMNS),
                 0);
    FitPointListView(page);
}

void FitPointListView(HWND page) {
    HWND list = GetDlgItem(page, IDC_POINTS);
    // Taken first: the list box moves its top entry to the start of a column as its rows change.
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    // The bar takes a row's height away: entries that needed it may fit once it has gone, yet the
    // list box keeps a bar that it needs only because the bar is there. Hidden, the bar comes back
    // by the list box's own reckoning, where it is needed.
    if (GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL) ShowScrollBar(list, SB_HORZ, FALSE);
    // Set again, the top entry is brought back within the entries, so that no empty columns show.
    if (top != LB_ERR) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void EndMotionPageRun() {
    if (g_runControl) g_runControl->EndRun();
}

INT_PTR CALLBACK MotionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_SHOWWINDOW:
            return OnShowWindow(page, wParam != FALSE, lParam);
        case WM_COMMAND:
            return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        case WM_ENTER_KEY:
            return OnEnterKey(page, reinterpret_cast<HWND>(wParam));
        case WM_VKEYTOITEM:
            return OnListKey(page, LOWORD(wParam));
        case WM_LBUTTONDOWN:
            return OnLeftButtonDown(page, lParam);
        case WM_MOUSEMOVE:
            return OnMouseMove(page, lParam);
        case WM_LBUTTONUP:
            return OnLeftButtonUp(page, lParam);
        case WM_CAPTURECHANGED:
            return OnCaptureChanged(page, lParam);
        case WM_HOTKEY:
            return OnHotKey(wParam, lParam);
        case DPI_CHANGED_AFTER_PARENT_MESSAGE:
            return OnDpiChangedAfterParent(page);
        case WM_CLOSE:
            return OnClose(page);
        case WM_DESTROY:
            return OnDestroy();
        case WM_READ_ENTRY:
            return ListBoxPointList::ServeEntryRead(lParam);
        default:
            return FALSE;
    }
}

}  // namespace varrel
