// ImageControl: an owner-drawn static that shows its picture, takes the keyboard focus and shows
// it, and in high contrast shows what its picture means in the system's colours.
#pragma once

#include <windows.h>

#include "ui/accessible_name_win.h"

namespace varrel {

// What the picture shows, drawn plainly in high contrast (or when it could not be loaded).
enum class ImageKind {
    Word,    // a tab, a button or the logo: the control's text
    Target,  // the ring and cross of the position picker
    Line,    // a separator
};

// Takes over a static of style SS_OWNERDRAW. STM_SETIMAGE and STM_GETIMAGE keep the bitmap it
// shows (the caller keeps owning it). With the focus, Space (or PressImageControl) sends the parent
// the command a click on a notify static sends; a Target's arrow keys move the pointer by 1 pixel
// (with Shift, 10) and then send it. The accessible object wears `look`; its default action, where
// the look names one, does what Space does.
void AttachImageControl(HWND control, ImageKind kind, AccessibleLook look);

// Whether the control is one of these.
bool IsImageControl(HWND control);

// Does what Space does on it: Enter comes here by way of the dialog manager.
void PressImageControl(HWND control);

}  // namespace varrel
