// MainWindow: creates the pages, switches between them on the tab images, and ends the program.
#include "ui/main_window_win.h"

#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "ui/app_state_win.h"
#include "ui/motion_page_win.h"
#include "ui/scaled_layout_win.h"

namespace varrel {

namespace {

// Where the pages sit in the main window's client area, in pixels at 96 DPI.
constexpr POINT ABOUT_PAGE_ORIGIN = {50, 50};
constexpr POINT MOTION_PAGE_ORIGIN = {45, 25};
constexpr wchar_t MESSAGE_CAPTION[] = L"Varrel";
// The main window's images in the template's order (the logo and the lines have no id), and the
// motion page's by id; each drawn for 100, 125, 150 and 200 %, IDB_SCALED_STEP apart.
constexpr int MAIN_IMAGES[] = {IDB_LOGO,  IDB_TAB_MOTION, IDB_TAB_ABOUT, IDB_TAB_CLOSE,
                               IDB_VLINE, IDB_VLINE,      IDB_HLINE,     IDB_HLINE};
constexpr std::pair<int, int> MOTION_IMAGES[] = {{IDC_ADD, IDB_ADD}, {IDC_TARGET, IDB_TARGET}};
constexpr int IMAGE_SCALES = 4;

HWND CreatePage(HWND owner, int templateId, DLGPROC procedure, POINT origin) {
    HWND page =
        CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
    SetWindowPos(page, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return page;
}

ScaledImage Image(HWND control, int bitmap) {
    ScaledImage image{control, {}};
    for (int step = 0; step < IMAGE_SCALES; ++step)
        image.bitmaps.push_back(bitmap + step * IDB_SCALED_STEP);
    return image;
}

std::vector<ScaledImage> Images(HWND window) {
    std::vector<ScaledImage> images;
    std::size_t next = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c && next < std::size(MAIN_IMAGES);
         c = GetWindow(c, GW_HWNDNEXT)) {
        const bool image = (GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
        if (image && c != g_app.aboutPage && c != g_app.motionPage)
            images.push_back(Image(c, MAIN_IMAGES[next++]));
    }
    for (const auto& [id, bitmap] : MOTION_IMAGES)
        images.push_back(Image(GetDlgItem(g_app.motionPage, id), bitmap));
    return images;
}

ScaledLayout* LayoutOf(HWND window) {
    return reinterpret_cast<ScaledLayout*>(GetWindowLongPtrA(window, DWLP_USER));
}

INT_PTR OnInitDialog(HWND window, LPARAM layout) {
    g_app.mainWindow = window;
    g_app.aboutPage = CreatePage(window, IDD_ABOUT, AboutPageProc, ABOUT_PAGE_ORIGIN);
    g_app.motionPage = CreatePage(window, IDD_MOTION, MotionPageProc, MOTION_PAGE_ORIGIN);
    SetWindowLongPtrA(window, DWLP_USER, layout);
    ScaledLayout* scaled = LayoutOf(window);
    scaled->Attach(window,
                   {g_app.instance,
                    {{g_app.aboutPage, ABOUT_PAGE_ORIGIN}, {g_app.motionPage, MOTION_PAGE_ORIGIN}},
                    Images(window),
                    IDCUR_TARGET});
    if (scaled->Cursor()) g_app.targetCursor = scaled->Cursor();
    return TRUE;  // the dialog manager sets the first focus
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
    SetWindowLongPtrA(window, DWLP_MSGRESULT, told ? TRUE : FALSE);
    return TRUE;
}

void ShowMotionTab() {
    ShowWindow(g_app.aboutPage, SW_HIDE);
    ShowWindow(g_app.motionPage, SW_SHOWNORMAL);
}

void ShowAboutTab() {
    ShowWindow(g_app.motionPage, SW_HIDE);  // hiding the motion page saves the settings
    ShowWindow(g_app.aboutPage, SW_SHOW);
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

// The notification code is not looked at: a click and a double-click on a tab do the same.
// Enter and Esc arrive as IDOK and IDCANCEL and are ignored like every other command.
INT_PTR OnCommand(HWND window, int id) {
    switch (id) {
        case IDC_TAB_MOTION:
            ShowMotionTab();
            break;
        case IDC_TAB_ABOUT:
            ShowAboutTab();
            break;
        case IDC_TAB_CLOSE:
            CloseByTab(window);
            break;
        default:
            break;
    }
    return TRUE;
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
    SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window, lParam);
        case WM_COMMAND:
            return OnCommand(window, LOWORD(wParam));
        case WM_CLOSE:
            return OnClose(window);
        case WM_SETTINGS_UNREAD:
            return OnSettingsUnread(window);
        case WM_SETTINGS_SHARED:
            return OnSettingsShared(window);
        case WM_ENDSESSION:
            return OnEndSession(window, wParam != FALSE);
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
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                                           MainWindowProc, reinterpret_cast<LPARAM>(&layout));
    g_app.targetCursor = entryCursor;  // the layout's goes with it
    return result;
}

INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK) return FALSE;
            EndDialog(page, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(page, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace varrel
