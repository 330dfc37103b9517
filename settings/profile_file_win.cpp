// Profile-file access through the Windows profile functions, and the path of the settings file.
#include "settings/profile_file_win.h"

#include <windows.h>

#include <string>

namespace varrel {

namespace {

constexpr DWORD FIRST_VALUE_BUFFER = 512;
constexpr DWORD FIRST_PATH_BUFFER = MAX_PATH;

// Reads the value with the given default into a buffer that grows until the value fits: a value
// that was cut comes back as size - 1 characters, so only a shorter result is known to be whole.
std::string ReadWithDefault(const std::string& path, const std::string& section,
                            const std::string& key, const char* fallback) {
    std::string buffer(FIRST_VALUE_BUFFER, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback,
                                                      &buffer[0], size, path.c_str());
        if (length + 1 < size) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(static_cast<std::size_t>(size) * 2, '\0');
    }
}

// The text in the ANSI code page as UTF-16, the conversion the A functions make inside.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (wideLength <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], wideLength);
    return wide;
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
    static const char FIRST_DEFAULT[] = "\x01missing";
    static const char SECOND_DEFAULT[] = "\x02missing";
    std::string value = ReadWithDefault(path_, section, key, FIRST_DEFAULT);
    if (value != FIRST_DEFAULT) return value;
    if (ReadWithDefault(path_, section, key, SECOND_DEFAULT) != SECOND_DEFAULT) return value;
    return std::nullopt;
}

void ProfileFile::Write(const std::string& section, const std::string& key,
                        const std::string& value) {
    const std::string stored = NeedsQuotes(value) ? '"' + value + '"' : value;
    // WritePrivateProfileStringA keeps only the value's length modulo 32,768 characters (it
    // goes through a counted string with a 16-bit byte length): a long list would be cut. The
    // W function has no such limit, and the conversion is the one the A function makes.
    WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(stored).c_str(),
                               Widen(path_).c_str());
}

std::string ConfigFilePath() {
    // The exe's path may be longer than MAX_PATH; a cut path fills the whole buffer.
    std::string path(FIRST_PATH_BUFFER, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameA(nullptr, &path[0], size);
        if (length == 0) return CONFIG_FILE_NAME;
        if (length < size) {
            path.resize(length);
            break;
        }
        path.assign(static_cast<std::size_t>(size) * 2, '\0');
    }
    const std::size_t slash = path.rfind('\\');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return directory + CONFIG_FILE_NAME;
}

}  // namespace varrel
