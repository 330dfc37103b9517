// An exe as varrel.exe must not be: it imports winmm, and comctl32 with no manifest.
#include <windows.h>

// As <commctrl.h> and <mmsystem.h> declare them (both need <windows.h> first).
extern "C" __declspec(dllimport) void WINAPI InitCommonControls();
extern "C" __declspec(dllimport) DWORD WINAPI timeGetTime();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    return timeGetTime() == 0;
}
