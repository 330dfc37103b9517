// AccessibleName: what a control tells a screen reader, where its own text does not say it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace varrel {

// What the control's accessible object says instead of the standard one; nothing keeps that part.
struct AccessibleLook {
    std::optional<std::wstring> name;
    long role = 0;  // ROLE_SYSTEM_*; 0 keeps the standard role
    // What a screen reader may do to it ("Press"); null for nothing. Asked to, the object posts the
    // control WM_DEFAULT_ACTION, so that the control does it once the call has returned.
    const wchar_t* defaultAction = nullptr;
    HWND page = nullptr;  // a page tab's page: the tab is the selected one while the page shows
};

// Posted to a control whose default action a screen reader asked for: its procedure does it.
constexpr UINT WM_DEFAULT_ACTION = WM_APP + 0x130;

// The control answers WM_GETOBJECT for its client area with the standard object wearing `look`.
// (Dynamic annotation would do it without a subclass, but not every system has it.)
void GiveAccessibleLook(HWND control, AccessibleLook look);

// The answer to WM_GETOBJECT for a control's client area with `look`; 0 when it cannot be made, and
// the standard object then answers. For a control that has a subclass procedure of its own.
LRESULT AccessibleAnswer(HWND control, WPARAM wParam, LPARAM objectId, const AccessibleLook& look);

}  // namespace varrel
