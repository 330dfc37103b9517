// MotionPage: one dialog procedure that dispatches each message to a small handler.
#include "ui/motion_page_win.h"

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
#include "ui/live_region_win.h"
#include "ui/position_picker_win.h"
#include "ui/run_control_win.h"
#include "ui/scaled_layout_win.h"
#include "ui/status_board.h"
#include "ui/view_blink_win.h"
#include "win/guard_win.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {

namespace {

static_assert(MAX_ENTRY_CHARS == 14, "the refusal names the longest entry");

// The page's run control, position picker and View blink; the program has one motion page.
std::unique_ptr<RunControl> g_runControl;
PositionPicker g_picker;
ViewBlink g_blink;
std::optional<SettingsTrouble> g_unreadSettings;
StatusBoard g_status;
bool g_replaceUnread = false;  // the user agreed to replace the file that could not be read
// The point list as this copy last read it from the settings file or wrote it there.
std::optional<std::string> g_knownPoints;
constexpr wchar_t QUESTION_CAPTION[] = L"Varrel";

ListBoxPointList Points(HWND page) { return ListBoxPointList(GetDlgItem(page, IDC_POINTS), page); }

// While a list box is filled, neither drawn nor its scroll bars fitted at each entry: once, at the
// end (entry by entry, 100,000 entries took seconds under Wine).
class FillingList {
  public:
    explicit FillingList(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~FillingList() {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    FillingList(const FillingList&) = delete;
    FillingList& operator=(const FillingList&) = delete;

  private:
    HWND list_;
};

// A file that is there but cannot be read gives the defaults too, but is remembered, and the user
// is told once the main window shows.
void LoadSettings(HWND page) {
    ProfileFile store(ConfigFilePath());
    g_unreadSettings.reset();
    g_replaceUnread = false;
    HWND main = g_app.mainWindow ? g_app.mainWindow : GetParent(page);
    if (!store.Load()) {
        g_unreadSettings = SettingsTrouble{store.Path(), store.Reason()};
        PostMessageW(main, WM_SETTINGS_UNREAD, 0, 0);
    }
    if (g_app.anotherCopy) PostMessageW(main, WM_SETTINGS_SHARED, 0, 0);
    ListBoxPointList points = Points(page);
    ConfigOptions options;
    {
        const FillingList filling(GetDlgItem(page, IDC_POINTS));
        g_knownPoints = LoadConfig(store, points, options);
    }
    CheckDlgButton(page, IDC_HIDE_AFTER_START,
                   options.hideAfterStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_STOP_ON_MOVE, options.stopOnMove ? BST_CHECKED : BST_UNCHECKED);
}

// Shown only when it changes, so that a screen reader hears of a change only, and hears it
// without looking: the line is a live region, and its change is announced.
void ShowStatus(HWND page) {
    HWND line = GetDlgItem(page, IDC_STATUS);
    const std::string& text = g_status.Shown();
    if (WindowText(line) == text) return;
    SetText(line, text);
    AnnounceChange(line);
}

// The blink ends before the run's start or stop repaints the page or minimizes the window.
INT_PTR OnInitDialog(HWND page) {
    // A screen reader finds no name on these by itself; the label "Position" lies beside the field.
    GiveAccessibleLook(GetDlgItem(page, IDC_POINTS), {L"Points", 0});
    GiveAccessibleLook(GetDlgItem(page, IDC_POSITION), {L"Position", 0});
    MakeLiveRegion(GetDlgItem(page, IDC_STATUS));
    FitPointListColumns(page);
    g_runControl = std::make_unique<RunControl>(
        page, g_app.mainWindow ? g_app.mainWindow : GetParent(page), g_status,
        [page] { ShowStatus(page); }, [] { g_blink.End(); });
    CheckDlgButton(page, IDC_STOP_ON_MOVE, BST_CHECKED);  // its default, should the load fail
    LoadSettings(page);
    return TRUE;
}

// The page goes with the main window: a running worker is ended and the hotkey given back; a
// blink leaves the screen as it was.
INT_PTR OnDestroy() {
    g_runControl.reset();
    g_blink.End();
    return FALSE;
}

// Any hide ends a blink first: what shows in the page's place next is drawn anew. (The save that
// leaving the page makes is the caller's, where it hides it.)
INT_PTR OnShowWindow(bool shown) {
    if (!shown) g_blink.End();
    return TRUE;
}

// White space would split the entry in the settings file, so the entry is stored in its compact
// form, which reads the same. A text too long for an entry even so is refused, with the reason on
// the status line, and Position keeps it to be corrected. A field of only blanks looks empty and
// adds nothing, as an empty one does.
void OnAdd(HWND page) {
    const std::optional<PointEntry> entry = TypedEntry(WindowText(GetDlgItem(page, IDC_POSITION)));
    if (!entry) {
        g_status.Post(Notice::AddRefused, ADD_REFUSED_TEXT);
        ShowStatus(page);
        return;
    }
    if (!entry->empty()) Points(page).Append(*entry);
}

// Typed, picked or an entry's text: a refusal of what was there before no longer applies.
void OnPositionChanged(HWND page) {
    g_status.Withdraw(Notice::AddRefused);
    ShowStatus(page);
}

void OnSelectionChanged(HWND page) {
    const ListBoxPointList points = Points(page);
    const std::optional<int> selected = points.Selected();
    if (!selected) return;
    const std::optional<std::string> text = points.TextAt(*selected);
    if (text) SetText(GetDlgItem(page, IDC_POSITION), *text);
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
    g_blink.Start(page, at);
}

// Space or Enter on the target, or an arrow that moved the pointer: the pointer's position is
// picked.
void OnTargetPressed(HWND page) { g_picker.TakePointerPosition(page); }

void OnStartStop(HWND page) {
    if (g_runControl) g_runControl->OnStartStop();
    ShowStatus(page);
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
        case IDC_POSITION:
            if (code == EN_CHANGE) OnPositionChanged(page);
            break;
        case IDC_TARGET:
            OnTargetPressed(page);
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
    // Done, whatever came of it: the list box does nothing more (not even select an entry).
    Guarded(false, [page] {
        OnRemove(page);
        return true;
    });
    return -2;
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

INT_PTR OnTimer(WPARAM id) {
    if (id == VIEW_BLINK_TIMER) g_blink.OnTimer();
    if (id == START_GUARD_TIMER && g_runControl) g_runControl->OnGuardTimer();
    return TRUE;
}

// The reader on the worker's thread learns from the result that its request was served.
INT_PTR OnReadEntry(HWND page, LPARAM request) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, ListBoxPointList::ServeEntryRead(request));
    return TRUE;
}

INT_PTR OnRunNews(WPARAM serial) {
    if (g_runControl) g_runControl->OnRunNews(serial);
    return TRUE;
}

// Nothing in the program sends the page this; it gives the hotkey back and ends the page, a
// modeless dialog.
INT_PTR OnClose(HWND page) {
    if (g_runControl) g_runControl->ReleaseHotKey();
    DestroyWindow(page);
    return TRUE;
}

}  // namespace

std::optional<SettingsTrouble> UnreadSettings() { return g_unreadSettings; }

void AllowReplacingUnreadSettings() {
    g_unreadSettings.reset();
    g_replaceUnread = true;
}

namespace {

std::optional<SettingsTrouble> Save(HWND page, ChangedList onChanged) {
    if (g_unreadSettings) return g_unreadSettings;
    // A page that has gone has no list to save: an empty one written would lose the file's.
    if (!IsWindow(GetDlgItem(page, IDC_POINTS)))
        return SettingsTrouble{ConfigFilePath(), L"The point list could not be read."};
    ProfileFile store(ConfigFilePath());
    if (g_replaceUnread) store.StartAfresh();
    ConfigOptions options;
    options.hideAfterStart = IsDlgButtonChecked(page, IDC_HIDE_AFTER_START) == BST_CHECKED;
    options.stopOnMove = IsDlgButtonChecked(page, IDC_STOP_ON_MOVE) == BST_CHECKED;
    switch (SaveConfig(store, Points(page), options, g_knownPoints, onChanged)) {
        case SaveResult::Saved:
            g_replaceUnread = false;
            return std::nullopt;
        case SaveResult::ListChanged:
            return SettingsTrouble{store.Path(), {}, true};
        case SaveResult::Failed:
            break;
    }
    return SettingsTrouble{
        store.Path(), store.LastError() ? store.Reason() : L"The point list could not be read."};
}

}  // namespace

// Memory that runs out while the file's new text is made fails the save as a full disk does: the
// file stays as it was, and the user is told where a failed save is told.
std::optional<SettingsTrouble> SaveMotionPageSettings(HWND page, ChangedList onChanged) {
    using Outcome = std::optional<std::optional<SettingsTrouble>>;
    Outcome saved = Guarded(Outcome(), [&] { return Outcome(Save(page, onChanged)); });
    if (saved) return std::move(*saved);
    return SettingsTrouble{ConfigFilePath(), SystemMessage(ERROR_NOT_ENOUGH_MEMORY)};
}

std::optional<SettingsTrouble> SaveMotionPageSettingsAsking(HWND page, HWND owner, bool canStay) {
    std::optional<SettingsTrouble> trouble = SaveMotionPageSettings(page, ChangedList::Ask);
    if (!trouble || !trouble->listChanged) return trouble;
    const std::wstring question =
        L"The point list in the settings file\n" + trouble->file +
        L"\nwas changed by another program since Varrel last read or saved it (another copy of "
        L"Varrel, perhaps).\n\nReplace it with the list shown here?\n" +
        (canStay ? L"(No keeps the list in the file and closes Varrel; Cancel keeps Varrel open.)"
                 : L"(No keeps the list in the file; Varrel asks again at its next save.)");
    // The default keeps the file's list: at the Close, Cancel, which keeps this copy's open too.
    const int answer = MessageBoxW(
        owner, question.c_str(), QUESTION_CAPTION,
        MB_ICONWARNING | (canStay ? MB_YESNOCANCEL | MB_DEFBUTTON3 : MB_YESNO | MB_DEFBUTTON2));
    if (answer == IDCANCEL) return trouble;
    return SaveMotionPageSettings(page, answer == IDYES ? ChangedList::Replace : ChangedList::Keep);
}

void FitPointListColumns(HWND page) {
    HWND list = GetDlgItem(page, IDC_POINTS);
    RECT client{};
    if (!GetClientRect(list, &client) || client.right < POINT_LIST_COLUMNS) return;
    SendMessageW(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(client.right / POINT_LIST_COLUMNS),
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
    g_blink.End();  // before the window goes or a question shows over the disc
    if (g_runControl) g_runControl->EndRun();
}

void StopMotionPageRun(const char* why) {
    if (g_runControl) g_runControl->StopBecause(why);
}

INT_PTR CALLBACK MotionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_SHOWWINDOW:
            return OnShowWindow(wParam != FALSE);
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
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_RUN_NEWS:
            return OnRunNews(wParam);
        case DPI_CHANGED_AFTER_PARENT_MESSAGE:
            return OnDpiChangedAfterParent(page);
        case WM_CLOSE:
            return OnClose(page);
        case WM_DESTROY:
            return OnDestroy();
        case WM_READ_ENTRY:
            return OnReadEntry(page, lParam);
        default:
            return FALSE;
    }
}

}  // namespace varrel
