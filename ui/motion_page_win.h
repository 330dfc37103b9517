// MotionPage: the page where the path is built: the point list, Position, Add, Remove, View, Start.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace varrel {

// The blink that View shows at an entry's position.
constexpr int VIEW_BLINK_DRAWS = 6;  // each draw inverts the last: the disc shows three times
constexpr DWORD VIEW_BLINK_PAUSE_MS = 200;
constexpr int VIEW_DISC_RADIUS = 5;
// Columns of the point list that its width shows whole.
constexpr int POINT_LIST_COLUMNS = 2;

// The settings file could not be read or written: which file, and the system's reason.
struct SettingsTrouble {
    std::wstring file;  // wide: a folder name may lie outside the ANSI code page
    std::wstring reason;
};

// Posted to the main window when the settings file was there at start but could not be read: it
// tells the user once it shows.
constexpr UINT WM_SETTINGS_UNREAD = WM_APP + 0x101;

// Enter, which the dialog manager gives the main window, passed on to the page that holds the
// focus (wParam: the focused control): it does there what a click or double-click on it does.
constexpr UINT WM_ENTER_KEY = WM_APP + 0x110;

// The settings file was there at start but could not be read: no save replaces it until the user
// agrees to it (AllowReplacingUnreadSettings). Nothing once it was read, or was not there.
std::optional<SettingsTrouble> UnreadSettings();
void AllowReplacingUnreadSettings();

// Writes the point list and "Hide after start" to the settings file; what went wrong, if it did.
// Writes nothing over a file that could not be read at start, until the user agreed.
std::optional<SettingsTrouble> SaveMotionPageSettings(HWND page);

// The point list shows two whole columns: the sideways scroll bar then shows only once the entries
// fill both, where the platform's default width would show one and a part. Again after the list
// changed its size (a new display scale); the view is then fitted as FitPointListView fits it.
void FitPointListColumns(HWND page);

// After the list lost entries or changed its size: entries that fit without the sideways bar show
// without it, from the first; with the bar, the view stays filled and the selection in view.
void FitPointListView(HWND page);

// Ends the page's run, if one goes on: when this returns, no further pointer event comes.
void EndMotionPageRun();

INT_PTR CALLBACK MotionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace varrel
