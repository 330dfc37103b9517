// Entry point of varrel.exe: loads the target cursor and runs the main window until it ends.
#include <windows.h>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "ui/app_state_win.h"
#include "ui/main_window_win.h"
#include "win/system_dll_win.h"

// The command line is ignored: the program takes its settings only from varrel.cfg.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a DLL by name: none may come from the folder the exe was unzipped in.
    varrel::RestrictDllSearch();
    varrel::g_app.instance = instance;
    varrel::g_app.targetCursor = LoadCursorW(instance, MAKEINTRESOURCEW(IDCUR_TARGET));
    // Held while the program runs: a second copy started from this folder tells its user.
    const varrel::UniqueHandle mark =
        varrel::MarkSettingsInUse(varrel::ConfigFilePath(), varrel::g_app.anotherCopy);
    varrel::RunMainWindow(instance);
    return 0;
}
