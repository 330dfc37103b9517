// Guarded: the one barrier between Windows and the program's callbacks, so that no C++ exception
// unwinds through user32, oleacc or kernel32 frames (which it must never cross).
#pragma once

#include <windows.h>

#include <exception>
#include <utility>

namespace varrel {

// Runs body and returns what it returns; when it throws (memory ran out, most likely), returns
// `failed` instead: for a window procedure "not handled", for a COM method E_OUTOFMEMORY. What
// the body changed before it threw is its own to undo; the window goes on answering.
template <typename Result, typename Body>
Result Guarded(Result failed, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failed;
    }
}

// A dialog procedure behind the barrier: a throw answers "not handled" (FALSE).
template <INT_PTR(CALLBACK* Procedure)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(FALSE, [&] { return Procedure(window, message, wParam, lParam); });
}

}  // namespace varrel
