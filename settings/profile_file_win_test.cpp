// Tests of the settings file on disk: UTF-16 kept, paths past MAX_PATH, files missing or
// unreadable, failed writes. (Whole values, 8-bit bytes, UTF-16 that cannot be read: the end-to-end
// tests.)
#include "settings/profile_file_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/support/vector_point_list.h"
#include "win/owned_win.h"

namespace varrel {
namespace {

namespace fs = std::filesystem;

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        ASSERT_TRUE(fs::create_directories(dir_));
    }
    void TearDown() override { fs::remove_all(dir_); }
    // Whether the save reached the file; the system's reason is kept when it did not.
    bool Save() {
        ProfileFile file(path_);
        std::optional<std::string> known;
        const bool saved = SaveConfig(file, VectorPointList({"1,1"}), {true, true}, known,
                                      ChangedList::Replace) == SaveResult::Saved;
        EXPECT_EQ(file.LastError() != 0, !saved);
        return saved;
    }

    std::string Content() const {
        std::ifstream in(fs::path(path_), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_ = fs::temp_directory_path() / ("varrel-" + std::to_string(GetCurrentProcessId()));
    std::wstring path_ = (dir_ / CONFIG_FILE_NAME).wstring();
};

// A volume where a file grows to `limit` bytes and no further (a full disk), and where the write
// that would pass byte `brokenAt` fails there, once (a failing disk); each puts down what fits.
// It counts the bytes written.
struct FullVolume : FileWrites {
    FullVolume(LONGLONG limit, LONGLONG brokenAt) : limit(limit), brokenAt(brokenAt) {}
    static LONGLONG At(HANDLE file) {
        LARGE_INTEGER at{};
        SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT);
        return at.QuadPart;
    }
    static bool Full() {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    bool Write(HANDLE file, const char* data, DWORD size, DWORD& put) override {
        const LONGLONG room = std::min(limit, brokenAt) - At(file);
        const bool whole = size <= room;
        const bool wrote = FileWrites::Write(
            file, data, whole ? size : static_cast<DWORD>(std::max(room, 0LL)), put);
        written += put;
        if (whole) return wrote;
        brokenAt = LLONG_MAX;
        return Full();
    }
    bool SetEnd(HANDLE file) override {
        return At(file) <= limit ? FileWrites::SetEnd(file) : Full();
    }
    LONGLONG limit, brokenAt, written = 0;
};

// A file saved as UTF-16, either byte order (Notepad's "Unicode" and "Unicode big endian"), is
// read and stays as it was, with all its lines.
TEST_F(ProfileFileTest, AUtf16FileIsReadAndStaysUtf16) {
    for (const int high : {1, 0}) {
        auto utf16 = [high](const std::wstring& text) {
            std::string bytes;
            for (const wchar_t c : L"\xFEFF" + text) {
                bytes += high ? std::string{char(c & 0xFF), char(c >> 8)}
                              : std::string{char(c >> 8), char(c & 0xFF)};
            }
            return bytes;
        };
        const std::wstring other = L"[\u03A9]\r\nx=\u6F22\r\n[Main]\r\nPoint=1,2\r\n";
        std::ofstream(fs::path(path_), std::ios::binary) << utf16(other);
        ProfileFile file(path_);
        EXPECT_EQ(file.Read("Main", "Point"), "1,2");
        EXPECT_TRUE(file.Write("Main", {{"Hide", "1"}}));
        EXPECT_EQ(Content(), utf16(other + L"Hide=1\r\n"));
    }
}

// Deeper than MAX_PATH, in folders no ANSI code page can name: written and read as any other.
TEST_F(ProfileFileTest, AFilePastMaxPathIsWrittenAndRead) {
    std::vector<std::wstring> folders{L"\\\\?\\" + dir_.wstring()};  // the \\?\ form: any length
    while (folders.back().size() < 2 * MAX_PATH) {
        folders.push_back(folders.back() + L"\\\u03A9\u0416\u6F22");
        CreateDirectoryW(folders.back().c_str(), nullptr);
    }
    const std::wstring path = folders.back().substr(4) + L"\\varrel.cfg";
    ProfileFile file(path);
    ASSERT_TRUE(file.Write("Main", {{"Point", "1,1"}})) << "error " << file.LastError();
    EXPECT_EQ(ProfileFile(path).Read("Main", "Point"), "1,1");
    DeleteFileW((L"\\\\?\\" + path).c_str());
    for (; folders.size() > 1; folders.pop_back()) RemoveDirectoryW(folders.back().c_str());
}

// Missing: every key missing, nothing made. Held without sharing: waited for, then given up, and
// not written; or read once let go. A folder of that name: unreadable, and not written.
TEST_F(ProfileFileTest, LoadTellsAMissingFileFromOneThatIsThereButCannotBeRead) {
    ProfileFile missing(path_);
    EXPECT_TRUE(missing.Load(0));
    EXPECT_EQ(missing.Read("Main", "Point"), std::nullopt);
    EXPECT_FALSE(fs::exists(path_));
    ASSERT_TRUE(Save());
    UniqueHandle held(
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ProfileFile file(path_);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(file.Load(300));
    EXPECT_GE(GetTickCount64() - start, 300u);
    EXPECT_EQ(file.LastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(Save());
    std::thread release([&held] {
        Sleep(200);
        held.Reset();
    });
    EXPECT_TRUE(file.Load(60000));
    release.join();
    EXPECT_EQ(file.Read("Main", "Point"), "1,1");
    fs::remove(path_);
    fs::create_directory(path_);
    EXPECT_FALSE(ProfileFile(path_).Load(0));
    EXPECT_FALSE(Save());
}

// Where no new file can be put beside it (a folder has that name), the file is written in place. A
// volume too full for the new text (any of it, or Hide after Point), or a write failing part-way,
// leaves the file as it was and fails the write; where it could not grow, nothing was written.
TEST_F(ProfileFileTest, AWriteInPlaceThatCannotCompleteLeavesTheFileAsItWas) {
    const std::string other = "[Other]\r\nx=" + std::string(3400, 'x') + "\r\n";
    const std::string old = "[Main]\r\nPoint=1,1\r\n" + other;
    const std::string saved = "[Main]\r\nPoint=1,1 -10000,-10000,C\r\nHide=1\r\n" + other;
    const LONGLONG size = static_cast<LONGLONG>(old.size()), never = LLONG_MAX;
    ASSERT_TRUE(fs::create_directory(path_ + L".new"));
    for (const auto& [limit, brokenAt] :
         {std::pair{size, never}, {size + 16, never}, {never, 20LL}, {never, never}}) {
        std::ofstream(fs::path(path_), std::ios::binary) << old;
        SCOPED_TRACE("limit " + std::to_string(limit) + ", broken at " + std::to_string(brokenAt));
        FullVolume volume(limit, brokenAt);
        ProfileFile file(path_, volume);
        const bool ok = file.Write("Main", {{"Point", "1,1 -10000,-10000,C"}, {"Hide", "1"}});
        EXPECT_EQ(ok, limit == never && brokenAt == never);
        EXPECT_EQ(volume.written != 0, limit == never);
        const std::string now = Content();  // not printed whole: 3,400 bytes
        EXPECT_TRUE(now == (ok ? saved : old)) << now.size() << " bytes, " << now.substr(0, 40);
    }
}

}  // namespace
}  // namespace varrel
