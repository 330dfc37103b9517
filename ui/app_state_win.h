// Process-wide state of varrel.exe: the few handles that the entry and the dialogs share.
#pragma once

#include <windows.h>

namespace varrel {

struct AppState {
    HINSTANCE instance = nullptr;    // the executable, for every dialog and resource
    HCURSOR targetCursor = nullptr;  // shown while a position is picked
    HWND mainWindow = nullptr;
    HWND motionPage = nullptr;
    HWND aboutPage = nullptr;
    bool anotherCopy = false;  // another copy runs from the same folder, with the same settings
};

// Set by the entry and the main window; read by the pages.
extern AppState g_app;

}  // namespace varrel
