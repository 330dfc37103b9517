// MainWindow: creates the pages, switches between them on the tab images, and ends the program.
#include "ui/main_window_win.h"

#include <oleacc.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "ui/app_state_win.h"
#include "ui/high_contrast_win.h"
#include "ui/image_control_win.h"
#include "ui/motion_page_win.h"
#include "ui/run_control_win.h"
#include "ui/scaled_layout_win.h"
#include "win/guard_win.h"
#include "win/subclass_win.h"
#include "win/system_dll_win.h"

namespace varrel {

namespace {

// Where the pages sit in the main window's client area, in pixels at 96 DPI.
constexpr POINT ABOUT_PAGE_ORIGIN = {50, 50};
constexpr POINT MOTION_PAGE_ORIGIN = {45, 25};
constexpr wchar_t MESSAGE_CAPTION[] = L"Varrel";
// Every picture of the window, by its control's id (the templates' order decides nothing): whose
// control it is, its drawing (for 100, 125, 150 and 200 %, IDB_SCALED_STEP apart), what it shows in
// high contrast, what a screen reader says of it and may do to it, and for a page tab its page.
struct Picture {
    HWND AppState::*window;
    int id;
    int bitmap;
    ImageKind kind;
    long role;
    const wchar_t* name;
    const wchar_t* defaultAction;  // as Space on it: "Press" a button, "Switch" to a tab's page
    HWND AppState::*page;
};
constexpr Picture PICTURES[] = {
    {&AppState::mainWindow, IDC_LOGO, IDB_LOGO, ImageKind::Word, ROLE_SYSTEM_GRAPHIC, L"Varrel",
     nullptr, nullptr},
    {&AppState::mainWindow, IDC_TAB_MOTION, IDB_TAB_MOTION, ImageKind::Word, ROLE_SYSTEM_PAGETAB,
     L"Motion", L"Switch", &AppState::motionPage},
    {&AppState::mainWindow, IDC_TAB_ABOUT, IDB_TAB_ABOUT, ImageKind::Word, ROLE_SYSTEM_PAGETAB,
     L"About", L"Switch", &AppState::aboutPage},
    {&AppState::mainWindow, IDC_TAB_CLOSE, IDB_TAB_CLOSE, ImageKind::Word, ROLE_SYSTEM_PUSHBUTTON,
     L"Close", L"Press", nullptr},
    {&AppState::mainWindow, IDC_LINE_LEFT, IDB_VLINE, ImageKind::Line, ROLE_SYSTEM_SEPARATOR, L"",
     nullptr, nullptr},
    {&AppState::mainWindow, IDC_LINE_DOWN, IDB_VLINE, ImageKind::Line, ROLE_SYSTEM_SEPARATOR, L"",
     nullptr, nullptr},
    {&AppState::mainWindow, IDC_LINE_FOOT, IDB_HLINE, ImageKind::Line, ROLE_SYSTEM_SEPARATOR, L"",
     nullptr, nullptr},
    {&AppState::mainWindow, IDC_LINE_TABS, IDB_HLINE, ImageKind::Line, ROLE_SYSTEM_SEPARATOR, L"",
     nullptr, nullptr},
    {&AppState::motionPage, IDC_ADD, IDB_ADD, ImageKind::Word, ROLE_SYSTEM_PUSHBUTTON, L"Add",
     L"Press", nullptr},
    // Its press takes the pointer's position.
    {&AppState::motionPage, IDC_TARGET, IDB_TARGET, ImageKind::Target, ROLE_SYSTEM_PUSHBUTTON,
     L"Pick a position", L"Press", nullptr}};
constexpr int IMAGE_SCALES = 4;

// The thread's keys for the dialogs, before the dialog manager takes them. The filter only
// decides: what a key does runs from the window's own message, posted, never inside the hook.
HHOOK g_keyFilter = nullptr;
constexpr UINT WM_WINDOW_KEY = WM_APP + 0x131;
enum WindowKey : WPARAM { FOCUS_SHOWN_KEY = 1, SWITCH_PAGE_KEY = 2 };
LRESULT CALLBACK DialogKeyFilter(int code, WPARAM wParam, LPARAM lParam);
void HearSessionChanges(HWND window, bool hear);

HWND CreatePage(HWND owner, int templateId, DLGPROC procedure, POINT origin) {
    HWND page =
        CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
    SetWindowPos(page, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return page;
}

// Makes each control of the table one of the window's pictures; their drawings go to the layout,
// which sizes them.
std::vector<ScaledImage> TakePictures() {
    std::vector<ScaledImage> images;
    for (const Picture& picture : PICTURES) {
        HWND control = GetDlgItem(g_app.*picture.window, picture.id);
        if (!control) continue;
        AttachImageControl(control, picture.kind,
                           {picture.name, picture.role, picture.defaultAction,
                            picture.page ? g_app.*picture.page : nullptr});
        ScaledImage image{control, {}};
        for (int step = 0; step < IMAGE_SCALES; ++step)
            image.bitmaps.push_back(picture.bitmap + step * IDB_SCALED_STEP);
        images.push_back(std::move(image));
    }
    return images;
}

bool MotionShown() { return (GetWindowLongPtrW(g_app.motionPage, GWL_STYLE) & WS_VISIBLE) != 0; }

// Moves the keyboard focus as the dialog manager does (the default button follows).
void FocusOn(HWND window, HWND control) {
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// A focus left in a hidden page would still take keys there (access keys, Enter, Delete), and an
// access key that nothing shown answers sends the dialog manager round that page for ever.
bool FocusHidden(HWND window) {
    HWND focus = GetFocus();
    if (!focus || !IsChild(window, focus)) return false;
    for (HWND w = focus; w != window; w = GetParent(w)) {
        if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE)) return true;
    }
    return false;
}

// Such a focus goes to the tab of the page shown. True when it had to.
bool KeepFocusShown(HWND window) {
    if (!FocusHidden(window)) return false;
    FocusOn(window, GetDlgItem(window, MotionShown() ? IDC_TAB_MOTION : IDC_TAB_ABOUT));
    return true;
}
// The window keeps the layout that RunMainWindow owns.
struct MainWindowState final : WindowState {
    explicit MainWindowState(ScaledLayout* kept) : layout(kept) {}
    std::optional<LRESULT> OnMessage(HWND, UINT, WPARAM, LPARAM) override { return std::nullopt; }
    ScaledLayout* layout;
};

ScaledLayout* LayoutOf(HWND window) {
    const auto* state = StateOf<MainWindowState>(window);
    return state ? state->layout : nullptr;
}

INT_PTR OnInitDialog(HWND window, LPARAM layout) {
    g_app.mainWindow = window;
    ReadHighContrast();
    g_app.aboutPage =
        CreatePage(window, IDD_ABOUT, GuardedDialogProc<AboutPageProc>, ABOUT_PAGE_ORIGIN);
    g_app.motionPage =
        CreatePage(window, IDD_MOTION, GuardedDialogProc<MotionPageProc>, MOTION_PAGE_ORIGIN);
    auto* scaled = reinterpret_cast<ScaledLayout*>(layout);
    KeepState(window, std::make_unique<MainWindowState>(scaled));
    scaled->Attach(window,
                   {g_app.instance,
                    {{g_app.aboutPage, ABOUT_PAGE_ORIGIN}, {g_app.motionPage, MOTION_PAGE_ORIGIN}},
                    TakePictures(),
                    IDCUR_TARGET});
    if (scaled->Cursor()) g_app.targetCursor = scaled->Cursor();
    g_keyFilter = SetWindowsHookExW(WH_MSGFILTER, DialogKeyFilter, nullptr, GetCurrentThreadId());
    HearSessionChanges(window, true);
    // The point list, where the work is, rather than the first tab stop (the Motion tab).
    FocusOn(window, GetDlgItem(g_app.motionPage, IDC_POINTS));
    return FALSE;
}

// Session changes (lock, disconnect) come to the window once it asks for them; wtsapi32 is no
// known DLL, so it comes from System32 by name.
constexpr UINT SESSION_CHANGE_MESSAGE = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM CONSOLE_DISCONNECT = 0x2, REMOTE_DISCONNECT = 0x4, SESSION_LOCK = 0x7;
constexpr DWORD FOR_THIS_SESSION = 0;  // NOTIFY_FOR_THIS_SESSION

void HearSessionChanges(HWND window, bool hear) {
    if (hear) {
        using Register = BOOL(WINAPI*)(HWND, DWORD);
        if (auto f = SystemFunction<Register>(L"wtsapi32.dll", "WTSRegisterSessionNotification"))
            f(window, FOR_THIS_SESSION);
    } else {
        using Unregister = BOOL(WINAPI*)(HWND);
        if (auto f =
                SystemFunction<Unregister>(L"wtsapi32.dll", "WTSUnRegisterSessionNotification"))
            f(window);
    }
}

// Locked or cut off, the session is not the user's to watch: a run would click on the lock
// screen, or wherever the next session's screens put its points. It does not start again by
// itself, not at unlock either.
INT_PTR OnSessionChange(WPARAM change) {
    if (change == SESSION_LOCK) StopMotionPageRun(STOPPED_LOCKED_TEXT);
    if (change == CONSOLE_DISCONNECT || change == REMOTE_DISCONNECT)
        StopMotionPageRun(STOPPED_DISCONNECTED_TEXT);
    return FALSE;
}

// Resolution, monitors or their arrangement changed: the points no longer lie where they were
// chosen.
INT_PTR OnDisplayChange() {
    StopMotionPageRun(STOPPED_SCREENS_TEXT);
    return FALSE;
}

INT_PTR OnDestroy(HWND window) {
    HearSessionChanges(window, false);
    if (g_keyFilter) UnhookWindowsHookEx(g_keyFilter);
    g_keyFilter = nullptr;
    return FALSE;
}

// High contrast may have come or gone: the pictures follow it.
INT_PTR OnSystemLookChanged(HWND window) {
    ReadHighContrast();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return FALSE;  // and the dialog manager's own handling
}

// Moved to a monitor of another DPI: the content is laid out again for it, and the window takes
// the place and size the system suggests (which is the size given below, where it asks).
INT_PTR OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    ScaledLayout* layout = LayoutOf(window);
    if (!layout) return FALSE;
    layout->ChangeDpi(LOWORD(wParam));
    if (layout->Cursor()) g_app.targetCursor = layout->Cursor();
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

INT_PTR OnGetDpiScaledSize(HWND window, WPARAM wParam, LPARAM lParam) {
    ScaledLayout* layout = LayoutOf(window);
    if (!layout) return FALSE;
    auto* size = reinterpret_cast<SIZE*>(lParam);
    const bool told = layout->SizeForDpi(static_cast<UINT>(wParam), *size);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, told ? TRUE : FALSE);
    return TRUE;
}

void ShowMotionTab(HWND window) {
    ShowWindow(g_app.aboutPage, SW_HIDE);
    ShowWindow(g_app.motionPage, SW_SHOWNORMAL);
    KeepFocusShown(window);
}

// Leaving the Motion page saves the settings; a page already hidden has nothing new to save. A
// failed save is not shown here: the list stays in the window, and Close saves again.
void ShowAboutTab(HWND window) {
    // Saved while the page still shows, so that a question stands over the list it asks about.
    if (MotionShown()) SaveMotionPageSettingsAsking(g_app.motionPage, window, false);
    ShowWindow(g_app.motionPage, SW_HIDE);
    ShowWindow(g_app.aboutPage, SW_SHOW);
    KeepFocusShown(window);
}

// True when the settings reached the file, or the user chose to close without them; false when
// the user chose to stay.
bool SavedOrLetGo(HWND window) {
    const std::optional<SettingsTrouble> failure =
        SaveMotionPageSettingsAsking(g_app.motionPage, window, true);
    if (!failure) return true;
    if (failure->listChanged) return false;
    const std::wstring question = L"The settings could not be saved to\n" + failure->file +
                                  L"\n\n" + failure->reason + L"\n\nClose without saving them?";
    return MessageBoxW(window, question.c_str(), MESSAGE_CAPTION,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// Told once, as the window shows, so that it shows behind the message. (A modal window shows when
// its queue first runs empty, after this message.)
INT_PTR OnSettingsUnread(HWND window) {
    const std::optional<SettingsTrouble> unread = UnreadSettings();
    if (!unread) return TRUE;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    const std::wstring text = L"The settings file\n" + unread->file + L"\ncould not be read:\n" +
                              unread->reason +
                              L"\n\nVarrel starts without its saved settings. It leaves that file "
                              L"as it is unless you agree to replace it when you close Varrel "
                              L"with the Close tab.";
    MessageBoxW(window, text.c_str(), MESSAGE_CAPTION, MB_OK | MB_ICONWARNING);
    return TRUE;
}

// Told once, as the window shows (as above): the other copy's saves and this one's go to one file.
INT_PTR OnSettingsShared(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    const std::wstring text =
        L"Another copy of Varrel is running from this folder. Both keep their settings in\n" +
        ConfigFilePath() +
        L"\n\nWhen one of them saves a point list, the other asks before it replaces that list.";
    MessageBoxW(window, text.c_str(), MESSAGE_CAPTION, MB_OK | MB_ICONINFORMATION);
    return TRUE;
}

// The file that could not be read at start is replaced only with the user's word: Yes replaces
// it, No closes without saving, Cancel (the default) keeps the program as it was. Nothing is lost
// by a slip of the Enter key.
enum class Replace { Yes, No, Cancel };
Replace ReplaceUnreadSettings(HWND window) {
    const std::optional<SettingsTrouble> unread = UnreadSettings();
    if (!unread) return Replace::Yes;
    const std::wstring question =
        L"The settings file\n" + unread->file + L"\ncould not be read when Varrel started:\n" +
        unread->reason +
        L"\n\nReplace it with the settings shown now?\n(No closes Varrel and leaves the file as "
        L"it is.)";
    const int answer = MessageBoxW(window, question.c_str(), MESSAGE_CAPTION,
                                   MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3);
    if (answer == IDYES) AllowReplacingUnreadSettings();
    return answer == IDYES ? Replace::Yes : answer == IDNO ? Replace::No : Replace::Cancel;
}

// The run ends before anything else, so that no pointer event follows the user's Close. The
// settings are saved whichever page shows: a save that failed on the way to the About page is
// tried again. Declining to close without them keeps the program as it was.
void CloseByTab(HWND window) {
    EndMotionPageRun();
    const Replace replace = ReplaceUnreadSettings(window);
    if (replace == Replace::Cancel || (replace == Replace::Yes && !SavedOrLetGo(window))) return;
    EndDialog(window, 0);
}

// Enter acts on the focused control as a click on it would; a page's controls are the page's.
void OnEnterKey(HWND window) {
    HWND focus = GetFocus();
    if (!focus || !IsChild(window, focus) || KeepFocusShown(window)) return;
    if (GetParent(focus) == window) {
        PressImageControl(focus);
    } else {
        SendMessageW(GetParent(focus), WM_ENTER_KEY, reinterpret_cast<WPARAM>(focus), 0);
    }
}

// The notification code is not looked at: a click and a double-click on a tab do the same. Esc
// arrives as IDCANCEL and ends nothing. Enter arrives as IDOK, or as the command of the push
// button that the dialog manager holds for the default one, from a page (not a control of this
// window).
INT_PTR OnCommand(HWND window, int id, HWND control) {
    switch (id) {
        case IDC_TAB_MOTION:
            ShowMotionTab(window);
            break;
        case IDC_TAB_ABOUT:
            ShowAboutTab(window);
            break;
        case IDC_TAB_CLOSE:
            CloseByTab(window);
            break;
        case IDCANCEL:
            break;
        default:
            if (!control || GetParent(control) != window) OnEnterKey(window);
            break;
    }
    return TRUE;
}

// Ctrl+Tab and Ctrl+Shift+Tab: the other page, as its tab does, with the focus in it.
void SwitchPageByKeyboard(HWND window) {
    const bool toAbout = MotionShown();
    OnCommand(window, toAbout ? IDC_TAB_ABOUT : IDC_TAB_MOTION, nullptr);
    // The About page has nothing to focus: its tab takes it.
    FocusOn(window,
            toAbout ? GetDlgItem(window, IDC_TAB_ABOUT) : GetDlgItem(g_app.motionPage, IDC_POINTS));
    SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// The window's keys before the dialog manager's: a key for a hidden control is dropped (the focus
// comes back to what is shown), and Ctrl+Tab switches pages (the dialog manager takes it for Tab).
// Only looks: what the key does is posted.
bool OnWindowKey(HWND window, const MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
    WPARAM key = 0;
    if (FocusHidden(window)) {
        key = FOCUS_SHOWN_KEY;
    } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        key = SWITCH_PAGE_KEY;
    }
    return key && PostMessageW(window, WM_WINDOW_KEY, key, 0);
}

INT_PTR OnPostedKey(HWND window, WPARAM key) {
    if (key == FOCUS_SHOWN_KEY) KeepFocusShown(window);
    if (key == SWITCH_PAGE_KEY) SwitchPageByKeyboard(window);
    return TRUE;
}

LRESULT CALLBACK DialogKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    const bool taken = Guarded(false, [&] {
        return code == MSGF_DIALOGBOX && g_app.mainWindow &&
               OnWindowKey(g_app.mainWindow, *reinterpret_cast<const MSG*>(lParam));
    });
    return taken ? TRUE : CallNextHookEx(nullptr, code, wParam, lParam);
}

// The close box and Alt+F4 end the program at once, without hiding (and so saving) the page; a
// run ends first, before the window goes.
INT_PTR OnClose(HWND window) {
    EndMotionPageRun();
    EndDialog(window, 0);
    return TRUE;
}

// The session ends (log off, a restart; WM_QUERYENDSESSION before it is left to the dialog
// manager, which agrees): the user chose no discard, so the run ends and the settings are saved
// as the Close tab saves them, but with no question, as nobody is there to answer one: a file
// that could not be read at start is left as it is, and a list that another copy saved meanwhile
// gives way to this copy's, the last the user here did. The system ends the program once this
// returns.
INT_PTR OnEndSession(HWND window, bool ending) {
    if (ending) {
        EndMotionPageRun();
        SaveMotionPageSettings(g_app.motionPage, ChangedList::Replace);
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window, lParam);
        case WM_COMMAND:
            return OnCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            return OnSystemLookChanged(window);
        case WM_DESTROY:
            return OnDestroy(window);
        case SESSION_CHANGE_MESSAGE:
            return OnSessionChange(wParam);
        case WM_DISPLAYCHANGE:
            return OnDisplayChange();
        case WM_CLOSE:
            return OnClose(window);
        case WM_SETTINGS_UNREAD:
            return OnSettingsUnread(window);
        case WM_SETTINGS_SHARED:
            return OnSettingsShared(window);
        case WM_ENDSESSION:
            return OnEndSession(window, wParam != FALSE);
        case WM_WINDOW_KEY:
            return OnPostedKey(window, wParam);
        case DPI_CHANGED_MESSAGE:
            return OnDpiChanged(window, wParam, lParam);
        case GET_DPI_SCALED_SIZE_MESSAGE:
            return OnGetDpiScaledSize(window, wParam, lParam);
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR RunMainWindow(HINSTANCE instance) {
    // Owns the fonts, images and cursor of the window's scale; they go once the window has gone.
    const HCURSOR entryCursor = g_app.targetCursor;
    ScaledLayout layout;
    // For the annotations a screen reader reads (the status line's live region).
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                        GuardedDialogProc<MainWindowProc>, reinterpret_cast<LPARAM>(&layout));
    g_app.targetCursor = entryCursor;  // the layout's goes with it
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

// A page is a modeless dialog: it ends by DestroyWindow.
INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK) return FALSE;
            DestroyWindow(page);
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(page);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace varrel
