// Text in the ANSI code page to and from wide text, as the A functions and messages convert it:
// every byte of the code page comes back as it went in.
#pragma once

#include <windows.h>

#include <string>

namespace varrel {

inline std::wstring Widen(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength > 0 ? wideLength : 0), L'\0');
    if (!wide.empty()) MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], wideLength);
    return wide;
}

inline std::string Narrow(const std::wstring& wide) {
    const int length = static_cast<int>(wide.size());
    const int narrowLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(narrowLength > 0 ? narrowLength : 0), '\0');
    if (!text.empty())
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &text[0], narrowLength, nullptr,
                            nullptr);
    return text;
}

}  // namespace varrel
