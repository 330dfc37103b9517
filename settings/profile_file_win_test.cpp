// Tests of the settings file through the real Windows profile functions: the bytes on disk, values
// of any length and byte, missing keys, and paths longer than MAX_PATH.
#include "settings/profile_file_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/long_text_match.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir_);
        ASSERT_TRUE(fs::create_directories(dir_));
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Bytes() const {
        std::ifstream in(fs::path(path_), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Whether the save reached the file; the system's reason is kept when it did not.
    bool Save(const Texts& entries, bool hide, const std::wstring& path = L"") {
        ProfileFile file(path.empty() ? path_ : path);
        const bool saved = SaveConfig(file, VectorPointList(entries), hide);
        EXPECT_EQ(file.LastError() != 0, !saved);
        return saved;
    }
    std::pair<Texts, bool> Load(const std::wstring& path = L"") const {
        VectorPointList list;
        bool hide = true;
        LoadConfig(ProfileFile(path.empty() ? path_ : path), list, hide);
        return {list.Entries(), hide};
    }

    fs::path dir_ =
        fs::temp_directory_path() / ("varrel-settings-" + std::to_string(GetCurrentProcessId()));
    std::wstring path_ = (dir_ / CONFIG_FILE_NAME).wstring();
};

TEST_F(ProfileFileTest, TheFileHoldsTheListAndTheOptionInItsFormat) {
    EXPECT_EQ(Load(), std::make_pair(Texts{}, false));
    EXPECT_FALSE(fs::exists(path_)) << "loading creates nothing";
    EXPECT_TRUE(Save({"100,200", "300,200,C", "300,400"}, true));
    EXPECT_EQ(Bytes(), "[Main]\r\nPoint=100,200 300,200,C 300,400\r\nHide=1\r\n");
    EXPECT_EQ(Load(), std::make_pair(Texts{"100,200", "300,200,C", "300,400"}, true));
    // Saved again: the values are replaced in place, the key stays for an empty list, and what
    // else the file holds is kept.
    std::ofstream(fs::path(path_), std::ios::app | std::ios::binary) << "Extra=keep\r\n";
    Save({}, false);
    EXPECT_EQ(Bytes(), "[Main]\r\nPoint=\r\nHide=0\r\nExtra=keep\r\n");
    EXPECT_EQ(ProfileFile(path_).Read("Main", "Point"), std::optional<std::string>(""));
    EXPECT_EQ(ProfileFile(path_).Read("Main", "Nothing"), std::nullopt);
    EXPECT_EQ(ProfileFile(path_).Read("Other", "Point"), std::nullopt);
}

TEST_F(ProfileFileTest, ValuesComeBackWholeWhateverTheirLengthAndBytes) {
    ProfileFile file(path_);
    // Lengths around the reader's buffer sizes and the writer's 32,768, where a cut value would
    // look whole; blanks, quotes and bytes outside ASCII that a reader could alter.
    for (std::size_t length :
         {0u, 1u, 511u, 512u, 513u, 1023u, 1024u, 32767u, 32768u, 70000u, 1u << 20}) {
        const std::string value(length, 'v');
        file.Write("Main", "Point", value);
        EXPECT_TRUE(testing::SameText(file.Read("Main", "Point").value_or("-"), value)) << length;
    }
    for (const std::string value : {"  a b  ", "\t1,1\t", "\"q\"", "'q'", "\"q", "'a' 'b'",
                                    "\x01missing", "\xe9,\xff 1,1,\x80 \x81\x8d\x8f\x90\x9d"}) {
        file.Write("Main", "Point", value);
        EXPECT_EQ(file.Read("Main", "Point"), std::optional<std::string>(value)) << value;
    }
    const Texts entries = {"\xe9,\xff", "\"1,1", "2,2\"", "\xc3\xa9\xc3\xa8"};
    Save(entries, false);
    EXPECT_EQ(Bytes(), "[Main]\r\nPoint=\xe9,\xff \"1,1 2,2\" \xc3\xa9\xc3\xa8\r\nHide=0\r\n");
    EXPECT_EQ(Load().first, entries);
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
    Save({"1,1", "2,2,C"}, true, deep);
    EXPECT_EQ(Load(deep), std::make_pair(Texts{"1,1", "2,2,C"}, true));
    // A file that cannot be made says so, keeps nothing, and nothing is written anywhere else.
    EXPECT_FALSE(Save({"3,3"}, true, deep + L"x\\varrel.cfg"));
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
    ProfileFile file(ConfigFilePath());
    SaveConfig(file, VectorPointList({"1,2", "3,4,C"}), true);
    EXPECT_TRUE(fs::exists(beside));
    VectorPointList list;
    bool hide = false;
    LoadConfig(file, list, hide);
    EXPECT_EQ(list.Entries(), (Texts{"1,2", "3,4,C"}));
    EXPECT_TRUE(hide);
    fs::remove(beside);
}

}  // namespace
}  // namespace varrel
