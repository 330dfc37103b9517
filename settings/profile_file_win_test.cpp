// Tests of the settings file through the real Windows profile functions: values, keys and paths.
#include "settings/profile_file_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// Whether the save reached the file; the system's reason is kept when it did not.
bool Save(const Texts& entries, const std::wstring& path) {
    ProfileFile file(path);
    const bool saved = SaveConfig(file, VectorPointList(entries), true);
    EXPECT_EQ(file.LastError() != 0, !saved);
    return saved;
}
std::pair<Texts, bool> Load(const std::wstring& path) {
    VectorPointList list;
    bool hide = true;
    LoadConfig(ProfileFile(path), list, hide);
    return {list.Entries(), hide};
}

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        ASSERT_TRUE(fs::create_directories(dir_));
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_ = fs::temp_directory_path() / ("varrel-" + std::to_string(GetCurrentProcessId()));
    std::wstring path_ = (dir_ / CONFIG_FILE_NAME).wstring();
};

TEST_F(ProfileFileTest, ValuesComeBackWholeWhateverTheirLengthAndBytesAndMissingKeysAsNothing) {
    ProfileFile file(path_);
    EXPECT_EQ(file.Read("Main", "Point"), std::nullopt);
    EXPECT_FALSE(fs::exists(path_)) << "reading creates nothing";
    // Blanks, quotes and bytes outside ASCII that a reader could alter, and lengths around the
    // reader's buffer sizes and the writer's 32,768, where a cut value would look whole.
    Texts values({"  a b  ", "\t1,1\t", "\"q\"", "'q'", "\"q", "'a' 'b'", "\x01missing",
                  "\xc3\xa9\xc3\xa8", "\xe9,\xff 1,1,\x80 \x81\x8d\x8f\x90\x9d"});
    for (int length : {0, 1, 511, 512, 513, 1023, 1024, 32767, 32768, 70000, 1 << 20})
        values.emplace_back(length, 'v');
    for (const std::string& value : values) {
        EXPECT_TRUE(file.Write("Main", "Point", value));
        EXPECT_TRUE(file.Read("Main", "Point") == value)  // not printed: up to a megabyte
            << value.substr(0, 20);
    }
    EXPECT_EQ(file.Read("Main", "Nothing"), std::nullopt);
    EXPECT_EQ(file.Read("Other", "Point"), std::nullopt);
}

TEST_F(ProfileFileTest, PathsLongerThanMaxPath) {
    // Made and removed level by level through the long-path form, which takes any length.
    std::vector<std::wstring> levels = {L"\\\\?\\" + dir_.wstring()};
    while (levels.back().size() < MAX_PATH + 40) {
        levels.push_back(levels.back() + L"\\a-directory-name-of-forty-characters-xx");
        ASSERT_TRUE(CreateDirectoryW(levels.back().c_str(), nullptr));
    }
    const std::wstring deep = levels.back().substr(4) + L"\\varrel.cfg";
    const auto before = std::distance(fs::directory_iterator("."), fs::directory_iterator());
    EXPECT_TRUE(Save({"1,1", "2,2,C"}, deep));
    EXPECT_EQ(Load(deep), std::make_pair(Texts{"1,1", "2,2,C"}, true));
    // A file that cannot be made says so, keeps nothing, and nothing is written anywhere else.
    EXPECT_FALSE(Save({"3,3"}, deep + L"x\\varrel.cfg"));
    EXPECT_EQ(Load(deep + L"x\\varrel.cfg"), std::make_pair(Texts{}, false));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), before);
    DeleteFileW((levels.back() + L"\\varrel.cfg").c_str());
    for (std::size_t i = levels.size() - 1; i > 0; --i)
        EXPECT_TRUE(RemoveDirectoryW(levels[i].c_str()));
}

// Also run from a directory deeper than MAX_PATH (see CMakeLists.txt).
TEST(ConfigFilePath, NamesAFileBesideTheExeThatKeepsTheSettings) {
    wchar_t exe[4096];
    const fs::path beside =
        fs::path(L"\\\\?\\" + std::wstring(exe, GetModuleFileNameW(nullptr, exe, 4096)))
            .replace_filename(L"varrel.cfg");
    fs::remove(beside);
    EXPECT_TRUE(Save({"1,2", "3,4,C"}, ConfigFilePath()));
    EXPECT_TRUE(fs::exists(beside));
    EXPECT_EQ(Load(ConfigFilePath()), std::make_pair(Texts{"1,2", "3,4,C"}, true));
    fs::remove(beside);
}

}  // namespace
}  // namespace varrel
