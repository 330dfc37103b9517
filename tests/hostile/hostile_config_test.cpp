// Hostile settings files given to the real varrel.exe: what it loads, and what Close writes back.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "tests/e2e/driver_win.h"

namespace varrel::e2e {
namespace {

using Entries = std::vector<std::string>;

constexpr DWORD BIG_TIMEOUT_MS = 60000;  // a list of 100,000 entries takes a while to load and save

std::string ConfigWith(const std::string& point, const std::string& hide) {
    return "[Main]\r\nPoint=" + point + "\r\nHide=" + hide + "\r\n";
}

LRESULT SendToList(const VarrelProcess& app, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(app.MotionControl(IDC_POINTS), message, wParam, lParam, SMTO_NORMAL,
                             BIG_TIMEOUT_MS, &result)) {
        return LB_ERR;
    }
    return static_cast<LRESULT>(result);
}

int EntryCount(const VarrelProcess& app) { return static_cast<int>(SendToList(app, LB_GETCOUNT)); }

// One entry's text, read in the ANSI code page as the program stores it; nothing when absent.
std::optional<std::string> EntryAt(const VarrelProcess& app, int index) {
    const LRESULT length = SendToList(app, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length < 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendToList(app, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    if (got == LB_ERR || got < 0 || got > length) return std::nullopt;
    wide.resize(static_cast<std::size_t>(got));
    if (wide.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
    return text;
}

double SecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// The files are what is under test here, the gestures have their own tests: each gesture is the
// command its button sends, which needs no pointer and cannot miss under a loaded display.
bool Command(HWND window, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(window, id)), SMTO_NORMAL,
                               BIG_TIMEOUT_MS, &result) != 0;
}

bool AddEntry(VarrelProcess& app, const std::string& text) {
    const std::size_t before = app.Entries().size();
    app.SetPosition(text);
    return Command(app.MotionPage(), IDC_ADD) &&
           WaitFor([&] { return app.Entries().size() == before + 1; });
}

// The Close tab's command; expects the program to end on its own with exit code 0.
void CloseByTab(VarrelProcess& app, DWORD timeoutMs = DEFAULT_TIMEOUT_MS) {
    PostMessageW(app.MainWindow(), WM_COMMAND, MAKEWPARAM(IDC_TAB_CLOSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(app.MainControl(IDC_TAB_CLOSE)));
    ASSERT_TRUE(app.WaitForExit(timeoutMs)) << "still running after Close";
    EXPECT_EQ(app.ExitCode(), 0u);
}

// The entries a fresh run loads from the given file content.
Entries EntriesLoadedFrom(const std::string& config) {
    VarrelProcess app(config);
    if (!app.Start()) return {"(did not start)"};
    return app.Entries();
}

// The value of the first line "key=..." of a file's text, up to the line's end; nothing without
// one.
std::optional<std::string> ValueOnLine(const std::string& text, const std::string& key) {
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", line), text.size());
        if (text.compare(line, key.size() + 1, key + "=") == 0) {
            return text.substr(line + key.size() + 1, end - line - key.size() - 1);
        }
        line = end + 1;
    }
    return std::nullopt;
}

// Pseudo-random bytes of every value, NUL included, the same on every run.
std::string Garbage(std::size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// A file made read-only for the length of a scope, so that the scratch folder can go afterwards.
// Wine maps the attribute to the Unix write bits, which do not stop a superuser (as the tests
// may run), so the file is also held open with others denied writing: no one can write it then.
class ReadOnlyWhileInScope {
  public:
    explicit ReadOnlyWhileInScope(std::string path)
        : path_(std::move(path)),
          attributeSet_(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY) != 0),
          held_(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ReadOnlyWhileInScope() {
        held_.Reset();
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ReadOnlyWhileInScope(const ReadOnlyWhileInScope&) = delete;
    ReadOnlyWhileInScope& operator=(const ReadOnlyWhileInScope&) = delete;
    bool Set() const { return attributeSet_ && static_cast<bool>(held_); }

  private:
    std::string path_;
    bool attributeSet_;
    Handle held_;
};

TEST(HostileConfig, BinaryGarbageWithoutASectionLoadsNothingAndCloseAddsTheList) {
    std::string garbage = Garbage(64 * 1024, 7);
    // Without a section header the garbage holds no "Point" of [Main], whatever else it holds.
    for (char& c : garbage) {
        if (c == '[') c = '{';
    }
    VarrelProcess app(garbage);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), Entries{});
    EXPECT_FALSE(app.HideAfterStart());
    ASSERT_TRUE(AddEntry(app, "11,22"));
    ASSERT_TRUE(AddEntry(app, "33,44,C"));
    CloseByTab(app);

    const std::optional<std::string> saved = app.Config();
    ASSERT_TRUE(saved.has_value());
    EXPECT_NE(saved->find("[Main]\r\nPoint=11,22 33,44,C\r\nHide=0\r\n"), std::string::npos);
    EXPECT_EQ(EntriesLoadedFrom(*saved), (Entries{"11,22", "33,44,C"}));
}

TEST(HostileConfig, BinaryGarbageAroundTheSectionLeavesItsEntriesReadable) {
    // Garbage lines before and after (none of them starting a section), the section in between.
    std::string before = Garbage(16 * 1024, 11);
    std::string after = Garbage(16 * 1024, 13);
    for (std::string* part : {&before, &after}) {
        for (char& c : *part) {
            if (c == '[' || c == '\0') c = '#';
        }
    }
    const std::string config = before + "\r\n" + ConfigWith("10,10 20,20,C", "1") + after;
    VarrelProcess app(config);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), (Entries{"10,10", "20,20,C"}));
    EXPECT_TRUE(app.HideAfterStart());
    ASSERT_TRUE(AddEntry(app, "30,30"));
    CloseByTab(app);

    const std::optional<std::string> saved = app.Config();
    ASSERT_TRUE(saved.has_value());
    EXPECT_NE(saved->find("Point=10,10 20,20,C 30,30\r\n"), std::string::npos);
    EXPECT_EQ(EntriesLoadedFrom(*saved), (Entries{"10,10", "20,20,C", "30,30"}));
}

TEST(HostileConfig, MegabytePointValueLoadsWholeAndIsSavedWhole) {
    const std::string huge = "5,6," + std::string(1024 * 1024, 'x');
    const std::string config = ConfigWith("1,1 " + huge + " 3,3", "0");
    VarrelProcess app(config);
    ASSERT_TRUE(app.Start(BIG_TIMEOUT_MS));
    ASSERT_EQ(EntryCount(app), 3);
    EXPECT_EQ(EntryAt(app, 0), "1,1");
    const std::optional<std::string> loaded = EntryAt(app, 1);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->size(), huge.size());
    EXPECT_TRUE(*loaded == huge) << "the long entry differs from the file's";
    EXPECT_EQ(EntryAt(app, 2), "3,3");

    CloseByTab(app, BIG_TIMEOUT_MS);
    const std::optional<std::string> saved = app.Config();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->size(), config.size());
    EXPECT_TRUE(*saved == config) << "the saved file differs from the loaded one";
}

TEST(HostileConfig, HundredThousandEntriesAllLoadAndAreSavedWhole) {
    constexpr int COUNT = 100000;
    std::vector<std::string> entries;
    std::string point;
    for (int i = 0; i < COUNT; ++i) {
        entries.push_back(std::to_string(i) + "," + std::to_string(i * 7 % 1000) +
                          (i % 3 == 0 ? ",C" : ""));
        if (i > 0) point += ' ';
        point += entries.back();
    }
    const std::string config = ConfigWith(point, "1");

    // The same start with an empty list, for comparison: the difference is the loading.
    {
        VarrelProcess empty(ConfigWith("", "0"));
        const LARGE_INTEGER started = Now();
        ASSERT_TRUE(empty.Start());
        std::cout << "[ figure   ] start with an empty list: " << SecondsSince(started) * 1000
                  << " ms\n";
    }
    VarrelProcess app(config);
    const LARGE_INTEGER started = Now();
    ASSERT_TRUE(app.Start(BIG_TIMEOUT_MS));
    std::cout << "[ figure   ] start with " << COUNT << " entries (" << config.size()
              << " bytes): " << SecondsSince(started) * 1000 << " ms\n";

    ASSERT_EQ(EntryCount(app), COUNT);
    for (int i : {0, 1, 2, 999, 50000, 77777, COUNT - 2, COUNT - 1}) {
        EXPECT_EQ(EntryAt(app, i), entries[static_cast<std::size_t>(i)]) << "entry " << i;
    }
    EXPECT_TRUE(app.HideAfterStart());

    const LARGE_INTEGER closing = Now();
    CloseByTab(app, BIG_TIMEOUT_MS);
    std::cout << "[ figure   ] Close with " << COUNT
              << " entries (save and end): " << SecondsSince(closing) * 1000 << " ms\n";
    const std::optional<std::string> saved = app.Config();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->size(), config.size());
    EXPECT_TRUE(*saved == config) << "the saved file differs from the loaded one";
}

TEST(HostileConfig, NonAsciiBytesComeBackByteForByte) {
    // Bytes above 127 in entries and in the action field (no known action letter), and the bytes
    // of a UTF-8 character, which the program takes as two ANSI characters.
    const Entries odd = {"1,1,\xE9", "\xC4\xD6,5", "2,2,\xC3\xA9", "\x80\xA0\xFF", "7,\xDF"};
    std::string point;
    for (const std::string& entry : odd) point += (point.empty() ? "" : " ") + entry;
    const std::string config = ConfigWith(point, "0");
    VarrelProcess app(config);
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), odd);
    CloseByTab(app);
    EXPECT_EQ(app.Config(), config);
}

TEST(HostileConfig, LineEndingsOfAnyMixReadTheSameValues) {
    struct Case {
        std::string config;
        Entries entries;
        bool hide;
    };
    const Case cases[] = {
        {"[Main]\nPoint=1,1 2,2\nHide=1\n", {"1,1", "2,2"}, true},
        {"[Main]\r\nPoint=1,1 2,2\nHide=1\r\n", {"1,1", "2,2"}, true},
        {"\n\r\n[Main]\n\r\nPoint=3,3,C\r\n\nHide=1", {"3,3,C"}, true},
        {"[Main]\r\r\nPoint=4,4 5,5\r\r\nHide=0\r\r\n", {"4,4", "5,5"}, false},
        {"[Main]\r\nPoint=6,6 7,7", {"6,6", "7,7"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        VarrelProcess app(c.config);
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.Entries(), c.entries);
        EXPECT_EQ(app.HideAfterStart(), c.hide);
        // An edit makes it write the file again: the values come back whole on their lines.
        ASSERT_TRUE(AddEntry(app, "9,9"));
        CloseByTab(app);
        std::string point;
        for (const std::string& entry : c.entries) point += entry + " ";
        const std::string saved = app.Config().value_or("");
        EXPECT_EQ(ValueOnLine(saved, "Point"), point + "9,9") << saved;
        EXPECT_EQ(ValueOnLine(saved, "Hide"), c.hide ? "1" : "0") << saved;
    }
}

TEST(HostileConfig, ReadOnlyFileKeepsTheProgramWorkingAndIsLeftIntact) {
    const std::string config = ConfigWith("1,1 2,2,C", "0");
    VarrelProcess app(config);
    const ReadOnlyWhileInScope readOnly(app.ConfigPath());
    ASSERT_TRUE(readOnly.Set());
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Entries(), (Entries{"1,1", "2,2,C"}));

    // A save that cannot write (About hides the page) changes nothing, and the page goes on.
    ASSERT_TRUE(AddEntry(app, "3,3"));
    ASSERT_TRUE(Command(app.MainWindow(), IDC_TAB_ABOUT));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(app.MotionPage()); }));
    ASSERT_TRUE(Command(app.MainWindow(), IDC_TAB_MOTION));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(app.MotionPage()); }));
    ASSERT_TRUE(AddEntry(app, "4,4"));
    ASSERT_EQ(SendToList(app, LB_SETCURSEL, 0), 0);
    ASSERT_TRUE(Command(app.MotionPage(), IDC_REMOVE));
    ASSERT_TRUE(WaitFor([&] {
        return app.Entries() == Entries{"2,2,C", "3,3", "4,4"};
    })) << ::testing::PrintToString(app.Entries());
    EXPECT_EQ(app.Config(), config);

    // Close asks whether to leave without saving; Yes ends the program and keeps the file.
    PostMessageW(app.MainWindow(), WM_COMMAND, MAKEWPARAM(IDC_TAB_CLOSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(app.MainControl(IDC_TAB_CLOSE)));
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return (question = GetLastActivePopup(app.MainWindow())) != app.MainWindow(); }));
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.Config(), config);
    // Nothing beside it either: no temporary or backup copy left behind.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((app.ConfigPath() + "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        ++files;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace varrel::e2e
