// Texts of Windows: ANSI and wide conversions, a window's text, the system's words for an error.
#pragma once

#include <windows.h>

#include <string>

namespace varrel {

// Text in the ANSI code page to and from wide text, as the A functions and messages convert it:
// every byte of the code page comes back as it went in.
// Another code page (CP_UTF8, say) may be named.
std::wstring Widen(const std::string& text, UINT codePage = CP_ACP);
std::string Narrow(const std::wstring& wide, UINT codePage = CP_ACP);

// A window's whole text, in the ANSI code page; empty when it has none.
std::string WindowText(HWND window);

// The system's own words for an error code, without the line end it adds; "Error N." when it has
// none.
std::wstring SystemMessage(DWORD error);

}  // namespace varrel
