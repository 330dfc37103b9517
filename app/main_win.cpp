// Entry point of varrel.exe: loads the target cursor and runs the main window until it ends.
#include <windows.h>

#include "resources/resource.h"
#include "ui/app_state_win.h"
#include "ui/main_window_win.h"

// The command line is ignored: the program takes its settings only from varrel.cfg.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    varrel::g_app.instance = instance;
    varrel::g_app.targetCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDCUR_TARGET));
    varrel::RunMainWindow(instance);
    return 0;
}
