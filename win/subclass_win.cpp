// WindowState: the window procedure in front of a window's own, and the state in its user data.
#include "win/subclass_win.h"

#include <utility>

#include "win/guard_win.h"

namespace varrel {

LRESULT CALLBACK WindowState::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowState* state = KeptState(window);
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = state->previous_;
    const bool wide = state->wide_;
    if (message != WM_NCDESTROY) {
        const std::optional<LRESULT> answer = Guarded<std::optional<LRESULT>>(
            std::nullopt, [&] { return state->OnMessage(window, message, wParam, lParam); });
        if (answer) return *answer;
    }
    const LRESULT result = wide ? CallWindowProcW(previous, window, message, wParam, lParam)
                                : CallWindowProcA(previous, window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete state;
    }
    return result;
}

bool KeepState(HWND window, std::unique_ptr<WindowState> state) {
    if (!window || !state || KeptState(window)) return false;
    // Set and passed on in the window's own form, so that no message is converted on its way.
    state->wide_ = IsWindowUnicode(window) != FALSE;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
    const auto procedure = reinterpret_cast<LONG_PTR>(&WindowState::Procedure);
    state->previous_ = reinterpret_cast<WNDPROC>(
        state->wide_ ? SetWindowLongPtrW(window, GWLP_WNDPROC, procedure)
                     : SetWindowLongPtrA(window, GWLP_WNDPROC, procedure));
    if (!state->previous_) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return false;
    }
    static_cast<void>(state.release());  // the window's now: deleted at its WM_NCDESTROY
    return true;
}

WindowState* KeptState(HWND window) {
    return window ? reinterpret_cast<WindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA))
                  : nullptr;
}

}  // namespace varrel
