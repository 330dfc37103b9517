// Texts of Windows: ANSI and wide conversions, a window's text, the system's words for an error.
#pragma once

#include <windows.h>

#include <string>

namespace varrel {

// The program's one rule for the A and W forms of Windows calls:
// - Its own texts (entries, settings values, captions, what a control shows) are bytes in the ANSI
//   code page, in std::string, as the settings file keeps them. A text that may hold what that
//   code page cannot (a path, the system's words, a message naming a file) is wide all the way.
// - A text goes to or from a window by the W call or message, converted here through the ANSI code
//   page (Widen, Narrow, WindowText, SetText): the same bytes the A form gives, without the fixed
//   buffers that some A forms pass through in Wine, which a long text overruns (LB_GETTEXT's).
// - A call that carries no text (a style, a count, a selection, a resource by number) takes the W
//   form too.
// - Made by the A calls, as they always were: the dialogs from their templates (ANSI windows, as
//   the texts in them are). GetProcAddress has only the A form. A procedure put in front of a
//   window's own takes the window's form, so that no message is converted (WindowState).

// Text in the ANSI code page to and from wide text, as the A functions and messages convert it:
// every byte of the code page comes back as it went in.
// Another code page (CP_UTF8, say) may be named.
std::wstring Widen(const std::string& text, UINT codePage = CP_ACP);
std::string Narrow(const std::wstring& wide, UINT codePage = CP_ACP);

// A window's whole text, in the ANSI code page; empty when it has none.
std::string WindowText(HWND window);
// Gives the window that text, in the ANSI code page.
void SetText(HWND window, const std::string& text);

// The system's own words for an error code, without the line end it adds; "Error N." when it has
// none.
std::wstring SystemMessage(DWORD error);

}  // namespace varrel
