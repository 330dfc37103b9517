// WindowState: the program's own state of a window, kept with a procedure in front of the window's.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

namespace varrel {

// The one way the program keeps state for a window (the pictures, the controls given a name, the
// main window): the state sits in the window's user data (GWLP_USERDATA), and a window procedure
// of the program's, put in front of the window's own, answers what the state wants to answer and
// deletes the state at WM_NCDESTROY. Not the other ways, because:
// - comctl32's subclasses (SetWindowSubclass) and window properties each cost a trip to Wine's
//   server on every message: with them, a list of 100,000 entries took seconds to fill and read;
// - the 64-bit mingw-w64 import library lacks GetWindowSubclass, so such a subclass cannot be
//   found again from the window;
// - the user data of a standard control, and of a dialog, is the program's (their classes keep
//   their own state elsewhere); a dialog's DWLP_USER would be a second way, for dialogs alone.
// Nothing else in the program uses a window's user data.
class WindowState {
  public:
    WindowState() = default;
    WindowState(const WindowState&) = delete;
    WindowState& operator=(const WindowState&) = delete;
    virtual ~WindowState() = default;

    // A message for the window before its own procedure has it, in the window's own form (A or
    // W): the answer, or nothing to pass it on as it came. A throw passes it on too.
    virtual std::optional<LRESULT> OnMessage(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) = 0;

  private:
    friend bool KeepState(HWND window, std::unique_ptr<WindowState> state);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC previous_ = nullptr;
    bool wide_ = false;  // the window's procedure is a Unicode one
};

// The window keeps `state` until it is destroyed. False, and `state` gone, where the window has a
// state already or takes no procedure in front of its own.
bool KeepState(HWND window, std::unique_ptr<WindowState> state);

// The state the window keeps; null for none.
WindowState* KeptState(HWND window);

// The state the window keeps when it is a State; null otherwise.
template <typename State>
State* StateOf(HWND window) {
    return dynamic_cast<State*>(KeptState(window));
}

}  // namespace varrel
