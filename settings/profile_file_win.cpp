// Profile-file access through the file functions, and the path of the settings file.
#include "settings/profile_file_win.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "settings/profile_text.h"
#include "win/owned_win.h"
#include "win/text_win.h"

namespace varrel {

namespace {

constexpr DWORD FIRST_PATH_BUFFER = MAX_PATH;
constexpr DWORD MAX_IO_CHUNK = 1u << 30;
// The new text is written beside the file under this name, then moved over it.
constexpr wchar_t NEW_FILE_SUFFIX[] = L".new";

// The profile functions (Get/WritePrivateProfileString) open no path of MAX_PATH characters or
// more and take no \\?\ form, so the file is read and written here, through file functions that
// take the \\?\ form at any length.
std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsHeld(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The whole of an open file into text, from its start; 0, or the system's error code.
DWORD ReadOpen(HANDLE file, std::string& text) {
    text.clear();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return GetLastError();
    if (static_cast<unsigned long long>(size.QuadPart) >= text.max_size())
        return ERROR_NOT_ENOUGH_MEMORY;
    try {
        text.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - done, MAX_IO_CHUNK));
        DWORD got = 0;
        if (!ReadFile(file, &text[done], want, &got, nullptr)) return GetLastError();
        if (got == 0) break;  // the file got shorter meanwhile
        done += got;
    }
    text.resize(done);
    return 0;
}

// The whole file into text (others may go on reading and writing it); 0, or the system's error
// code. A missing file reads as empty text with its error.
DWORD ReadWhole(const std::wstring& path, std::string& text) {
    text.clear();
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    return ReadOpen(file.Get(), text);
}

// Ends an open file at `size` bytes, growing or cutting it.
DWORD EndAt(FileWrites& writes, HANDLE file, std::size_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !writes.SetEnd(file))
        return GetLastError();
    return 0;
}

// Writes the whole text to an open file from its start, and ends the file there.
DWORD WriteAll(FileWrites& writes, HANDLE file, const std::string& text) {
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return GetLastError();
    for (std::size_t done = 0; done < text.size();) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - done, MAX_IO_CHUNK));
        DWORD put = 0;
        if (!writes.Write(file, text.data() + done, want, put) || put == 0)
            return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        done += put;
    }
    if (const DWORD error = EndAt(writes, file, text.size())) return error;
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Writes text to a new file beside path and moves it over path: a failure leaves the file as it
// was.
DWORD WriteNewAndMove(FileWrites& writes, const std::wstring& path, const std::string& text) {
    const std::wstring fresh = LongPathForm(path + NEW_FILE_SUFFIX);
    DWORD error = 0;
    {
        UniqueHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError();
        error = WriteAll(writes, file.Get(), text);
    }
    if (!error && !MoveFileExW(fresh.c_str(), LongPathForm(path).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(fresh.c_str());
    return error;
}

// Writes text over the file where it is. The file first grows to the new length, so that a volume
// without room for it fails before a byte has changed; a write that fails after that puts the old
// bytes back.
DWORD WriteInPlace(FileWrites& writes, const std::wstring& path, const std::string& text) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    std::string old;
    DWORD error = ReadOpen(file.Get(), old);
    if (!error && text.size() > old.size()) error = EndAt(writes, file.Get(), text.size());
    if (error) return error;
    error = WriteAll(writes, file.Get(), text);
    // Where even the old bytes cannot go back (a range another program locked), the file at least
    // loses the length it was grown by.
    if (error && WriteAll(writes, file.Get(), old)) EndAt(writes, file.Get(), old.size());
    return error;
}

// A new file moved over the old one, so that a failed write leaves it whole; where that cannot be
// (another program holds the file without sharing its deletion, the folder takes no new file, the
// volume has no room for a second copy), the file is written in place, which fails as safely. A
// file not there yet has no place: the new file's failure is the one that counts.
DWORD ReplaceWhole(FileWrites& writes, const std::wstring& path, const std::string& text) {
    const DWORD error = WriteNewAndMove(writes, path, text);
    if (!error) return 0;
    const DWORD inPlace = WriteInPlace(writes, path, text);
    return IsMissing(inPlace) ? error : inPlace;
}

// A file saved as UTF-16 is read as UTF-8 text and written back as it came, so that every line
// stays. One of an odd length is no UTF-16 that could be written back whole, and one without its
// byte-order mark cannot be told from bytes for sure: both count as unreadable.
DWORD Decode(std::string& text, TextEncoding& encoding) {
    encoding = TextEncoding::Bytes;
    if (text.size() < 2) return 0;
    if (text[0] == '\xFF' && text[1] == '\xFE') {
        encoding = TextEncoding::Utf16Le;
    } else if (text[0] == '\xFE' && text[1] == '\xFF') {
        encoding = TextEncoding::Utf16Be;
    } else {
        return LooksLikeUnmarkedUtf16(text) ? ERROR_NO_UNICODE_TRANSLATION : 0;
    }
    if (text.size() % 2) return ERROR_INVALID_DATA;
    const std::size_t low = encoding == TextEncoding::Utf16Le ? 0 : 1;
    std::wstring wide((text.size() - 2) / 2, L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[2 + 2 * i + low]) |
                                       static_cast<unsigned char>(text[3 + 2 * i - low]) << 8);
    }
    text = Narrow(wide, CP_UTF8);
    return 0;
}

std::string Encode(const std::string& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Bytes) return text;
    const std::wstring wide = L"\xFEFF" + Widen(text, CP_UTF8);
    const std::size_t low = encoding == TextEncoding::Utf16Le ? 0 : 1;
    std::string bytes(2 * wide.size(), '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i + low] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1 - low] = static_cast<char>((wide[i] >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace

bool FileWrites::Write(HANDLE file, const char* data, DWORD size, DWORD& put) {
    return WriteFile(file, data, size, &put, nullptr) != FALSE;
}

bool FileWrites::SetEnd(HANDLE file) { return SetEndOfFile(file) != FALSE; }

FileWrites& SystemFileWrites() {
    static FileWrites system;
    return system;
}

bool ProfileFile::Load(DWORD lockWaitMs) { return ReadText(lockWaitMs); }

bool ProfileFile::ReadText(DWORD lockWaitMs) const {
    std::string text;
    const ULONGLONG until = GetTickCount64() + lockWaitMs;
    DWORD error = ReadWhole(path_, text);
    while (IsHeld(error) && GetTickCount64() < until) {
        Sleep(SETTINGS_LOCK_RETRY_MS);
        error = ReadWhole(path_, text);
    }
    if (!error) error = Decode(text, encoding_);
    lastError_ = IsMissing(error) ? 0 : error;
    unreadable_ = lastError_ != 0;
    // Nothing of a file that could not be read counts, not even a part: every key reads as missing.
    text_ = unreadable_ ? std::string() : std::move(text);
    return !unreadable_;
}

std::optional<std::string> ProfileFile::Read(const std::string& section,
                                             const std::string& key) const {
    if (!text_) ReadText(0);
    return ProfileValue(*text_, section, key);
}

bool ProfileFile::Write(const std::string& section, const ProfileValues& values) {
    if (!text_) ReadText(0);
    if (unreadable_) return false;  // LastError() says why
    std::string edited = *text_;
    DWORD error = 0;
    try {
        for (const auto& [key, value] : values)
            edited = WithProfileValue(edited, section, key, value);
        if (edited != *text_) error = ReplaceWhole(writes_, path_, Encode(edited, encoding_));
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    lastError_ = error;
    if (error) return false;
    text_ = std::move(edited);
    return true;
}

void ProfileFile::StartAfresh() {
    text_ = std::string();
    unreadable_ = false;
    encoding_ = TextEncoding::Bytes;
    lastError_ = 0;
}

std::wstring ProfileFile::Reason() const {
    // The causes of these codes here: a file marked as UTF-16 of an odd length, and UTF-16 text
    // without its mark.
    if (lastError_ == ERROR_INVALID_DATA)
        return L"The file is not text Varrel can read: it is marked as Unicode (UTF-16) text but "
               L"ends in the middle of a character.";
    if (lastError_ == ERROR_NO_UNICODE_TRANSLATION)
        return L"The file is not text Varrel can read: it looks like Unicode (UTF-16) text "
               L"without the mark at its start that says so.";
    return SystemMessage(lastError_);
}

UniqueHandle MarkSettingsInUse(const std::wstring& path, bool& another) {
    // Named after the path as the file system compares it, without regard to case, and hashed
    // (FNV-1a): the name of an object must be short and free of backslashes.
    std::wstring upper = path;
    if (!upper.empty()) CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (const wchar_t c : upper) hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ull;
    std::wstring name = L"Local\\Varrel-settings-";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    UniqueHandle mark(CreateMutexW(nullptr, FALSE, name.c_str()));
    another = mark && GetLastError() == ERROR_ALREADY_EXISTS;
    return mark;
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
