// Tests of the settings file on disk: other lines kept, whole values, files missing or unreadable.
// (Paths past MAX_PATH: the end-to-end tests run the program from such a folder.)
#include "settings/profile_file_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

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
        const bool saved = SaveConfig(file, VectorPointList({"1,1"}), true);
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

// Held meanwhile by a program that shares reading and writing but not deletion, the file cannot be
// replaced by a new one: it is written in place.
TEST_F(ProfileFileTest, ValuesComeBackWholeAndTheRestOfTheFileStays) {
    std::ofstream(fs::path(path_), std::ios::binary) << "; kept\r\n[Main]\nPoint=0\n[B]\nx=1";
    ProfileFile file(path_);
    for (const bool held : {false, true}) {
        const UniqueHandle holder(held ? CreateFileW(path_.c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                     OPEN_EXISTING, 0, nullptr)
                                       : nullptr);
        for (const std::string& value :
             {std::string(1 << 20, 'v'), std::string("\xe9 \x81"), std::string()}) {
            EXPECT_TRUE(file.Write("Main", "Point", value));
            EXPECT_TRUE(ProfileFile(path_).Read("Main", "Point") == value);  // a megabyte
        }
        EXPECT_EQ(Content(), "; kept\r\n[Main]\nPoint=\n[B]\nx=1");
    }
}

// A file saved as UTF-16, either byte order (Notepad's "Unicode" and "Unicode big endian"), is
// read and stays as it was, with all its lines; one of an odd length is unreadable and kept.
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
        EXPECT_TRUE(file.Write("Main", "Hide", "1"));
        EXPECT_EQ(Content(), utf16(other + L"Hide=1\r\n"));
        std::ofstream(fs::path(path_), std::ios::binary | std::ios::app) << 'x';
        EXPECT_FALSE(ProfileFile(path_).Load(0));
        EXPECT_FALSE(Save());
        EXPECT_EQ(Content(), utf16(other + L"Hide=1\r\n") + 'x');
    }
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

}  // namespace
}  // namespace varrel
