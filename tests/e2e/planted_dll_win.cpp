// A DLL planted beside varrel.exe under a name it might load: once loaded, leaves NAME.dll.loaded.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    static wchar_t path[32768];
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    const DWORD length = GetModuleFileNameW(self, path, 32760);
    if (length == 0 || length >= 32760) return TRUE;
    lstrcatW(path, L".loaded");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
