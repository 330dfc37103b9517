// MainWindow: the modal top-level dialog with the logo, the three tab images and the two pages.
#pragma once

#include <windows.h>

namespace varrel {

// Shows the main window over the desktop and returns when it has ended (its result, 0).
INT_PTR RunMainWindow(HINSTANCE instance);

// The about page: a caption-less child page that only shows its text.
INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace varrel
