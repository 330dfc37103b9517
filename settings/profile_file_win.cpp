// Profile-file access through the Windows profile functions, and the path of the settings file.
#include "settings/profile_file_win.h"

#include <windows.h>

#include <optional>
#include <string>

#include "win/text_win.h"

namespace varrel {

namespace {

constexpr DWORD FIRST_VALUE_BUFFER = 512;
constexpr DWORD FIRST_PATH_BUFFER = MAX_PATH;

// The W profile functions are used throughout, with section, key and value converted in the ANSI
// code page as the A functions convert them inside (the file name stays wide: a folder's name may
// lie outside that code page), because the A functions have limits the list outgrows:
// WritePrivateProfileStringA keeps only a value's length modulo 32,768 characters (it passes a
// counted string with a 16-bit byte length), and neither takes a file name of MAX_PATH or more.

// The profile functions open no file name of MAX_PATH characters or more, and take no \\?\ form
// (Wine then even writes to a file of a garbled name): a longer name is used in its short (8.3)
// form, which exists where the volume keeps short names, and otherwise not at all.
std::optional<std::wstring> FileNameForApi(const std::wstring& wide) {
    if (wide.size() < MAX_PATH) return wide;
    const bool drivePath = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    if (!drivePath) return std::nullopt;
    const std::size_t slash = wide.rfind(L'\\');
    const std::wstring directory = L"\\\\?\\" + wide.substr(0, slash + 1);
    std::wstring shortName(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(shortName.size());
        const DWORD length = GetShortPathNameW(directory.c_str(), &shortName[0], size);
        if (length == 0) return std::nullopt;
        if (length < size) {
            shortName.resize(length);
            break;
        }
        shortName.assign(length, L'\0');  // the size it asked for, its NUL included
    }
    if (shortName.compare(0, 4, L"\\\\?\\") == 0) shortName.erase(0, 4);
    const std::wstring shortPath = shortName + wide.substr(slash + 1);
    if (shortPath.size() >= MAX_PATH) return std::nullopt;
    return shortPath;
}

// Reads the value with the given default into a buffer that grows until the value fits: a value
// that was cut comes back as size - 1 characters, so only a shorter result is known to be whole.
std::wstring ReadWithDefault(const std::wstring& file, const std::wstring& section,
                             const std::wstring& key, const wchar_t* fallback) {
    std::wstring buffer(FIRST_VALUE_BUFFER, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback,
                                                      &buffer[0], size, file.c_str());
        if (length + 1 < size) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(static_cast<std::size_t>(size) * 2, L'\0');
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The reader drops blanks around a value and one pair of matching quotes around it; a value that
// would lose either is written inside quotes, which the reader then takes off.
bool NeedsQuotes(const std::string& value) {
    if (value.empty()) return false;
    const char first = value.front();
    const char last = value.back();
    if (IsBlank(first) || IsBlank(last)) return true;
    return value.size() >= 2 && (first == '"' || first == '\'') && last == first;
}

}  // namespace

std::optional<std::string> ProfileFile::Read(const std::string& section,
                                             const std::string& key) const {
    // A value cannot tell a missing key from a stored value equal to the default, so read with
    // two defaults: a key that gives back each default in turn is not there.
    static const wchar_t FIRST_DEFAULT[] = L"\x01missing";
    static const wchar_t SECOND_DEFAULT[] = L"\x02missing";
    const std::optional<std::wstring> file = FileNameForApi(path_);
    if (!file) return std::nullopt;
    const std::wstring wideSection = Widen(section);
    const std::wstring wideKey = Widen(key);
    const std::wstring value = ReadWithDefault(*file, wideSection, wideKey, FIRST_DEFAULT);
    if (value != FIRST_DEFAULT ||
        ReadWithDefault(*file, wideSection, wideKey, SECOND_DEFAULT) != SECOND_DEFAULT) {
        return Narrow(value);
    }
    return std::nullopt;
}

bool ProfileFile::Write(const std::string& section, const std::string& key,
                        const std::string& value) {
    const std::optional<std::wstring> file = FileNameForApi(path_);
    if (!file) {
        lastError_ = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    const std::string stored = NeedsQuotes(value) ? '"' + value + '"' : value;
    if (WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                   Widen(stored).c_str(), file->c_str())) {
        return true;
    }
    // A failure that names no reason still needs one for the user.
    lastError_ = GetLastError();
    if (!lastError_) lastError_ = ERROR_WRITE_FAULT;
    return false;
}

std::wstring ConfigFilePath() {
    // The exe's path may be longer than MAX_PATH; a cut path fills the whole buffer.
    std::wstring path(FIRST_PATH_BUFFER, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
        if (length == 0) return L".\\" + Widen(CONFIG_FILE_NAME);
        if (length < size) {
            path.resize(length);
            break;
        }
        path.assign(static_cast<std::size_t>(size) * 2, L'\0');
    }
    const std::size_t slash = path.rfind(L'\\');
    const std::wstring directory = slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
    return directory + Widen(CONFIG_FILE_NAME);
}

}  // namespace varrel
