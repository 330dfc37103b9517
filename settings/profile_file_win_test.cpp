// Tests of the settings file through the real Windows profile functions, in a temp directory.
#include "settings/profile_file_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "path/point_entry.h"
#include "tests/support/long_text_match.h"
#include "tests/support/vector_point_list.h"

namespace varrel {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
using testing::SameText;
using testing::SameTexts;

// The \\?\ form of a full path, which the W file functions take at any length.
std::wstring LongForm(const std::string& path) {
    const std::string full = "\\\\?\\" + path;
    std::wstring wide(full.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), &wide[0],
                            static_cast<int>(wide.size()))));
    return wide;
}

std::vector<std::string> CurrentDirectoryListing() {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(fs::current_path())) {
        names.push_back(item.path().filename().string());
    }
    return names;
}

struct Loaded {
    Texts entries;
    bool hide = true;
};

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int serial = 0;
        dir_ = fs::temp_directory_path() /
               ("varrel-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial));
        fs::remove_all(dir_);
        ASSERT_TRUE(fs::create_directories(dir_));
        path_ = (dir_ / CONFIG_FILE_NAME).string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    void PutFile(const std::string& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    std::string FileBytes() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    Loaded Load() const { return Load(path_); }
    static Loaded Load(const std::string& path) {
        Loaded result;
        VectorPointList list;
        LoadConfig(ProfileFile(path), list, result.hide);
        result.entries = list.Entries();
        return result;
    }
    Loaded LoadFile(const std::string& bytes) const {
        PutFile(bytes);
        return Load();
    }
    void Save(const Texts& entries, bool hide) const { Save(entries, hide, path_); }
    static void Save(const Texts& entries, bool hide, const std::string& path) {
        ProfileFile file(path);
        SaveConfig(file, VectorPointList(entries), hide);
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(ProfileFileTest, NoFileGivesDefaultsAndCreatesNothing) {
    const Loaded loaded = Load();
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);
    EXPECT_EQ(ProfileFile(path_).Read("Main", "Point"), std::nullopt);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ProfileFileTest, SaveWritesTheFileFormat) {
    Save({"100,200", "300,200,C", "300,400"}, true);
    EXPECT_EQ(FileBytes(), "[Main]\r\nPoint=100,200 300,200,C 300,400\r\nHide=1\r\n");
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.entries, (Texts{"100,200", "300,200,C", "300,400"}));
    EXPECT_TRUE(loaded.hide);

    // Saving again replaces the values in place.
    Save({"-1,-2,D"}, false);
    EXPECT_EQ(FileBytes(), "[Main]\r\nPoint=-1,-2,D\r\nHide=0\r\n");
}

TEST_F(ProfileFileTest, EmptyListKeepsThePointKey) {
    Save({"1,1", "2,2"}, true);
    Save({}, false);
    EXPECT_EQ(FileBytes(), "[Main]\r\nPoint=\r\nHide=0\r\n");
    EXPECT_EQ(ProfileFile(path_).Read("Main", "Point"), std::optional<std::string>(""));
    EXPECT_TRUE(Load().entries.empty());
}

TEST_F(ProfileFileTest, SaveKeepsWhatElseTheFileHolds) {
    PutFile("[Other]\r\nx=1\r\n[Main]\r\nHide=1\r\nPoint=9,9\r\nExtra=keep\r\n");
    Save({"1,1", "2,2,C"}, false);
    ProfileFile file(path_);
    EXPECT_EQ(file.Read("Other", "x"), std::optional<std::string>("1"));
    EXPECT_EQ(file.Read("Main", "Extra"), std::optional<std::string>("keep"));
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.entries, (Texts{"1,1", "2,2,C"}));
    EXPECT_FALSE(loaded.hide);
}

TEST_F(ProfileFileTest, LongListSurvivesSaveAndLoad) {
    Texts entries;
    for (int i = 0; i < 5000; ++i) {
        entries.push_back(FormatPosition(i * 13 - 30000, -i) + (i % 4 == 0 ? ",C" : ""));
    }
    entries.push_back(std::string(5000, '8'));  // one entry longer than any first buffer
    Save(entries, true);
    const Loaded loaded = Load();
    EXPECT_TRUE(SameTexts(loaded.entries, entries));
    EXPECT_TRUE(loaded.hide);
}

TEST_F(ProfileFileTest, ValuesComeBackWhole) {
    // Lengths around the reader's buffer sizes, where a cut value would look whole.
    ProfileFile file(path_);
    for (std::size_t length :
         {0u, 1u, 510u, 511u, 512u, 513u, 1022u, 1023u, 1024u, 32767u, 32768u, 70000u, 1u << 20}) {
        const std::string value(length, 'v');
        file.Write("Main", "Point", value);
        EXPECT_TRUE(SameText(file.Read("Main", "Point").value_or("(missing)"), value)) << length;
    }
    // Blanks and quotes at the ends, which the reader would take off unprotected.
    for (const std::string value : {"  a b  ", "\t1,1\t", "\"q\"", "'q'", "\"q", "'a' 'b'"}) {
        file.Write("Main", "Point", value);
        EXPECT_EQ(file.Read("Main", "Point"), std::optional<std::string>(value)) << value;
    }
    const Texts quoted = {"\"1,1", "2,2\""};
    Save(quoted, false);
    EXPECT_EQ(Load().entries, quoted);
}

TEST_F(ProfileFileTest, MissingKeyIsNotAnEmptyValue) {
    PutFile("[Main]\r\nPoint=\r\nA=\x01missing\r\nB=\x02missing\r\n");
    ProfileFile file(path_);
    EXPECT_EQ(file.Read("Main", "Point"), std::optional<std::string>(""));
    EXPECT_EQ(file.Read("Main", "A"), std::optional<std::string>("\x01missing"));
    EXPECT_EQ(file.Read("Main", "B"), std::optional<std::string>("\x02missing"));
    EXPECT_EQ(file.Read("Main", "Hide"), std::nullopt);
    EXPECT_EQ(file.Read("Other", "Point"), std::nullopt);
}

TEST_F(ProfileFileTest, HandEditedValues) {
    Loaded loaded = LoadFile("[Main]\r\nPoint=  10,10   20,20  \r\nHide=2\r\n");
    EXPECT_EQ(loaded.entries, (Texts{"10,10", "20,20"}));
    EXPECT_TRUE(loaded.hide);

    loaded = LoadFile("[Main]\r\nPoint=    \r\nHide=-1\r\n");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_TRUE(loaded.hide);

    loaded = LoadFile("[Main]\r\nHide=abc\r\n");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);

    loaded = LoadFile("[Main]\r\nHide=99999999999999999999\r\n");
    EXPECT_TRUE(loaded.hide);

    // Section and key names are not case sensitive in a profile file.
    loaded = LoadFile("[main]\r\npoint=1,1\r\nHIDE=1\r\n");
    EXPECT_EQ(loaded.entries, Texts{"1,1"});
    EXPECT_TRUE(loaded.hide);
}

TEST_F(ProfileFileTest, LineEndsDoNotMatter) {
    const Texts expected = {"1,1", "2,2,C"};
    for (const std::string ending : {"\r\n", "\n"}) {
        const Loaded loaded =
            LoadFile("[Main]" + ending + "Point=1,1 2,2,C" + ending + "Hide=1" + ending);
        EXPECT_EQ(loaded.entries, expected);
        EXPECT_TRUE(loaded.hide);
    }
    // Mixed, and no line end after the last line.
    Loaded loaded = LoadFile("[Main]\nHide=1\r\nPoint=1,1 2,2,C");
    EXPECT_EQ(loaded.entries, expected);
    EXPECT_TRUE(loaded.hide);

    // A file with LF lines is still readable after the program has saved into it.
    PutFile("[Other]\nx=1\n[Main]\nPoint=5,5\nHide=1\n");
    Save({"6,6"}, false);
    loaded = Load();
    EXPECT_EQ(loaded.entries, Texts{"6,6"});
    EXPECT_FALSE(loaded.hide);
    EXPECT_EQ(ProfileFile(path_).Read("Other", "x"), std::optional<std::string>("1"));
}

TEST_F(ProfileFileTest, KeysOutsideTheSectionAreIgnored) {
    Loaded loaded = LoadFile("Point=1,1\r\nHide=1\r\n");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);

    loaded = LoadFile("[Other]\r\nPoint=1,1\r\nHide=1\r\n[Main]\r\n");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);

    loaded = LoadFile("");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);

    loaded = LoadFile("[Main\r\nPoint=1,1\r\n=2,2\r\nHide\r\n");
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);
}

TEST_F(ProfileFileTest, RepeatedKeysAndSectionsTakeTheFirst) {
    const Loaded loaded =
        LoadFile("[Main]\r\nPoint=1,1\r\nPoint=2,2\r\nHide=1\r\n[Main]\r\nHide=0\r\nPoint=3,3\r\n");
    EXPECT_EQ(loaded.entries, Texts{"1,1"});
    EXPECT_TRUE(loaded.hide);
}

TEST_F(ProfileFileTest, BinaryBytes) {
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string garbage;
    for (int i = 0; i < 65536; ++i) garbage += static_cast<char>(byte(rng));
    garbage.erase(std::remove(garbage.begin(), garbage.end(), '['), garbage.end());

    // Garbage alone gives the defaults; garbage before the section does not hide it.
    Loaded loaded = LoadFile(garbage);
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);
    loaded = LoadFile(garbage + "\r\n[Main]\r\nPoint=5,5 6,6\r\nHide=1\r\n");
    EXPECT_EQ(loaded.entries, (Texts{"5,5", "6,6"}));
    EXPECT_TRUE(loaded.hide);

    // Control bytes stay inside the entries; the value ends at a NUL.
    loaded = LoadFile("[Main]\r\nPoint=1,1 \x01\x02\x7f\x1b 2,2\r\nHide=1\r\n");
    EXPECT_EQ(loaded.entries, (Texts{"1,1", "\x01\x02\x7f\x1b", "2,2"}));
    loaded = LoadFile(std::string("[Main]\r\nPoint=1,1 2\0,2 3,3\r\nHide=1\r\n", 36));
    EXPECT_EQ(loaded.entries, (Texts{"1,1", "2"}));
    EXPECT_TRUE(loaded.hide);
}

TEST_F(ProfileFileTest, MegabyteLine) {
    std::string value;
    Texts expected;
    for (int i = 0; value.size() < (1u << 20); ++i) {
        expected.push_back(FormatPosition(i, -i));
        value += expected.back() + "  ";
    }
    Loaded loaded = LoadFile("[Main]\r\nPoint=" + value + "\r\nHide=1\r\n");
    EXPECT_TRUE(SameTexts(loaded.entries, expected));
    EXPECT_TRUE(loaded.hide);

    // One token of a megabyte loads whole, and a megabyte line of its own is skipped over.
    const std::string token(1 << 20, '5');
    loaded = LoadFile(std::string(1 << 20, 'x') + "\r\n[Main]\r\nPoint=" + token + "\r\n");
    EXPECT_TRUE(SameTexts(loaded.entries, Texts{token}));
    EXPECT_FALSE(loaded.hide);
}

TEST_F(ProfileFileTest, NonAsciiBytes) {
    const Texts entries = {"\xe9,\xff", "1,1,\x80", "\xc3\xa9\xc3\xa8", "\x81\x8d\x8f\x90\x9d"};
    Save(entries, true);
    EXPECT_EQ(FileBytes(),
              "[Main]\r\nPoint=\xe9,\xff 1,1,\x80 \xc3\xa9\xc3\xa8 "
              "\x81\x8d\x8f\x90\x9d\r\nHide=1\r\n");
    EXPECT_EQ(Load().entries, entries);

    const Loaded loaded = LoadFile("[Main]\r\nPoint=\xa0\xa0 1,1\r\n");
    EXPECT_EQ(loaded.entries, (Texts{"\xa0\xa0", "1,1"}));
}

TEST_F(ProfileFileTest, PathsLongerThanMaxPath) {
    // Directories deeper than MAX_PATH, made and removed through the long-path form.
    std::vector<std::string> levels = {dir_.string()};
    while (levels.back().size() < MAX_PATH + 40) {
        levels.push_back(levels.back() + "\\a-directory-name-of-forty-characters-xx");
        ASSERT_TRUE(CreateDirectoryW(LongForm(levels.back()).c_str(), nullptr));
    }
    const std::string deep = levels.back() + "\\varrel.cfg";
    const std::vector<std::string> before = CurrentDirectoryListing();

    Save({"1,1", "2,2,C"}, true, deep);
    Loaded loaded = Load(deep);
    EXPECT_EQ(loaded.entries, (Texts{"1,1", "2,2,C"}));
    EXPECT_TRUE(loaded.hide);

    // A file that cannot be opened keeps nothing.
    const std::string nowhere = levels.back() + "\\not-there\\varrel.cfg";
    Save({"3,3"}, true, nowhere);
    loaded = Load(nowhere);
    EXPECT_TRUE(loaded.entries.empty());
    EXPECT_FALSE(loaded.hide);

    // Nothing was written anywhere else.
    EXPECT_EQ(CurrentDirectoryListing(), before);

    DeleteFileW(LongForm(deep).c_str());
    for (std::size_t i = levels.size() - 1; i > 0; --i) {
        EXPECT_TRUE(RemoveDirectoryW(LongForm(levels[i]).c_str())) << i;
    }
}

TEST(ConfigFilePath, NamesTheFileBesideTheExe) {
    const std::string path = ConfigFilePath();
    const std::string suffix = "\\varrel.cfg";
    ASSERT_GT(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
    EXPECT_EQ(path[1], ':') << path;
    const std::string directory = path.substr(0, path.size() - suffix.size() + 1);
    // The exe may lie deeper than MAX_PATH: ask with the long-path form of the name.
    const DWORD attributes =
        GetFileAttributesW(LongForm(directory + "settings_win_tests.exe").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << directory;
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// Also run from a directory deeper than MAX_PATH (see CMakeLists.txt).
TEST(ConfigFilePath, TheFileThereKeepsTheSettings) {
    ProfileFile file(ConfigFilePath());
    SaveConfig(file, VectorPointList({"1,2", "3,4,C"}), true);
    VectorPointList list;
    bool hide = false;
    LoadConfig(file, list, hide);
    EXPECT_EQ(list.Entries(), (Texts{"1,2", "3,4,C"}));
    EXPECT_TRUE(hide);
    DeleteFileA(file.Path().c_str());  // fails for a long path, whose directory goes as a whole
}

}  // namespace
}  // namespace varrel
