// MotionPage: the page where the path is built: the point list, Position, Add, Remove, View, Start.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/config_file.h"

namespace varrel {

// The page's status line shows the newest of its messages that still holds: why Add added nothing
// (until Position changes), and what run control tells (run_control_win.h).
constexpr char ADD_REFUSED_TEXT[] = "Not added: more than 14 characters.";

// Columns of the point list that its width shows whole.
constexpr int POINT_LIST_COLUMNS = 2;

// The settings file could not be read or written: which file, and the system's reason. Or
// (listChanged) nothing was written because the list in the file changed since this copy of the
// program last read or wrote it, and the user was not asked, or chose to stay.
struct SettingsTrouble {
    std::wstring file;
    std::wstring reason;
    bool listChanged = false;
};

// Posted to the main window when the settings file was there at start but could not be read: it
// tells the user once it shows.
constexpr UINT WM_SETTINGS_UNREAD = WM_APP + 0x101;
// Posted to the main window when another copy of the program runs from the same folder, sharing
// the settings file: it tells the user once it shows.
constexpr UINT WM_SETTINGS_SHARED = WM_APP + 0x102;

// Enter, which the dialog manager gives the main window, passed on to the page that holds the
// focus (wParam: the focused control): it does there what a click or double-click on it does.
constexpr UINT WM_ENTER_KEY = WM_APP + 0x110;

// The settings file was there at start but could not be read: no save replaces it until the user
// agrees to it (AllowReplacingUnreadSettings): the next save then puts a new file in its place
// without reading it. Nothing once it was read, or was not there.
std::optional<SettingsTrouble> UnreadSettings();
void AllowReplacingUnreadSettings();

// Writes the point list and "Hide after start" to the settings file in one write; what went wrong,
// if it did. Writes nothing over a file that could not be read at start, until the user agreed.
// onChanged: what becomes of a list that changed in the file since this copy read or wrote it.
std::optional<SettingsTrouble> SaveMotionPageSettings(HWND page, ChangedList onChanged);

// Saves, but asks first (a message owned by owner) whether to replace a list that changed in the
// file since this copy read or wrote it: No, the default, keeps the file's list. Where the user
// can stay, Cancel saves nothing (a listChanged trouble).
std::optional<SettingsTrouble> SaveMotionPageSettingsAsking(HWND page, HWND owner, bool canStay);

// The point list shows two whole columns: the sideways scroll bar then shows only once the entries
// fill both, where the platform's default width would show one and a part. Again after the list
// changed its size (a new display scale); the view is then fitted as FitPointListView fits it.
void FitPointListColumns(HWND page);

// After the list lost entries or changed its size: entries that fit without the sideways bar show
// without it, from the first; with the bar, the view stays filled and the selection in view.
void FitPointListView(HWND page);

// Ends the page's run, if one goes on, and a View blink: when this returns, no further pointer
// event comes and the screen is as it was.
void EndMotionPageRun();

// Stops a run that goes on, as EndMotionPageRun does, because the program is no longer in charge
// of the pointer (the session was locked, the screens changed); the status line says why.
void StopMotionPageRun(const char* why);

INT_PTR CALLBACK MotionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace varrel
