// SystemDll: the DLL search kept to System32, and loads by flag from there.
#include "win/system_dll_win.h"

#include <cwchar>
#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace varrel {

namespace {

using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);

// kernel32 is a known DLL, always loaded from System32 already.
template <typename Function>
Function Kernel32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

bool SearchFlagsWork() {
    // The flags came with SetDefaultDllDirectories (Windows 8, and 7 with KB2533623).
    static const bool work =
        Kernel32Function<SetDefaultDllDirectoriesCall>("SetDefaultDllDirectories") != nullptr;
    return work;
}

}  // namespace

void RestrictDllSearch() {
    if (auto restrict = Kernel32Function<SetDefaultDllDirectoriesCall>("SetDefaultDllDirectories"))
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

HMODULE SystemDll(const wchar_t* name) {
    // A path would take the load out of System32 (the flag only guides a search by bare name).
    if (!name || !*name || wcspbrk(name, L"\\/:")) return nullptr;
    if (SearchFlagsWork()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the flags, by its full path in System32.
    std::wstring path(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(&path[0], MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    path.resize(length);
    path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace varrel
