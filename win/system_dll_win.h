// SystemDll: DLLs loaded at run time from System32 only, never from the exe's folder or the
// current one (where a planted copy would run inside the program).
#pragma once

#include <windows.h>

namespace varrel {

// Keeps every later load by name to System32 (and the exe's own manifest's side-by-side DLLs):
// called first thing at start. Where the system lacks that (Windows 7 without its update), at least
// the current folder is taken out of the search.
void RestrictDllSearch();

// The DLL `name` (a bare file name such as L"winmm.dll") from System32, kept loaded for the
// process's life; null when it is not there or the name holds a path.
HMODULE SystemDll(const wchar_t* name);

// A function of a System32 DLL, or null where the DLL or the function is missing.
template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = SystemDll(dll);
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

}  // namespace varrel
