// VarrelProcess and friends: the real varrel.exe in a scratch folder, driven by messages and input.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/mouse_hook_recorder_win.h"
#include "win/owned_win.h"

namespace varrel::e2e {

// A step of the driver: whether it was done, and when not, what it saw (Result(done) << "saw").
using Result = ::testing::AssertionResult;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
// A settings file as the program writes it.
inline std::string ConfigWith(const std::string& point, const char* hide = "0",
                              const char* stopOnMove = "1") {
    return "[Main]\r\nPoint=" + point + "\r\nHide=" + hide + "\r\nStopOnMove=" + stopOnMove +
           "\r\n";
}

// A message sent to another process's window and served; nothing when it was not served in time.
inline std::optional<LRESULT> SendServed(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, 60000, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}
inline bool Sync(HWND window) { return SendServed(window, WM_NULL).has_value(); }
inline bool Checked(HWND button) { return SendServed(button, BM_GETCHECK) == BST_CHECKED; }
// The command control `id` sends: sent and served, or posted (when its handler runs a modal loop).
inline Result Command(HWND parent, int id, int code = 0, bool post = false) {
    const WPARAM w = MAKEWPARAM(id, code);
    const auto l = reinterpret_cast<LPARAM>(GetDlgItem(parent, id));
    return Result(post ? PostMessageW(parent, WM_COMMAND, w, l) != FALSE
                       : SendServed(parent, WM_COMMAND, w, l).has_value())
           << "control " << id << "'s command was not " << (post ? "posted" : "served");
}
inline Result PostCommand(HWND to, int id, int code = 0) { return Command(to, id, code, true); }
// Whole, by the wide messages (the A ones overrun under Wine), in the ANSI code page as kept.
std::string TextOf(HWND window);
// The visible top-level window of the thread (0: of any) with this caption, once shown; or null.
HWND WaitForWindow(DWORD threadId, const std::string& caption);

inline POINT CentreOf(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}
inline void Click(POINT p) {
    testing::Mouse({{0, p}, {MOUSEEVENTF_LEFTDOWN, p}, {MOUSEEVENTF_LEFTUP, p}});
}
using testing::FocusOf, testing::PressKeys;

constexpr char MAIN_CAPTION[] = "-= Varrel =-";

class VarrelProcess;
struct SameFolderAs {
    const VarrelProcess& first;
};

// One run of varrel.exe, copied into a fresh folder of its own (so its varrel.cfg is its own).
class VarrelProcess {
  public:
    // config: written there first as varrel.cfg; folder: added to its name (a backslash: deeper,
    // the top folder removed at the end).
    explicit VarrelProcess(std::optional<std::string> config = std::nullopt,
                           const std::wstring& folder = L"");
    // Another copy in the folder of the first, which keeps the folder and removes it.
    explicit VarrelProcess(SameFolderAs other)
        : top_(other.first.top_), dir_(other.first.dir_), ownsFolder_(false) {}
    ~VarrelProcess();  // ends a program still running, removes the folder

    // Starts the program and waits until its main window and both pages exist; says which did not.
    Result Start();
    std::filesystem::path Folder() const { return dir_; }
    HWND Main() const { return main_; }
    HWND Motion() const { return motion_; }
    HWND About() const { return about_; }
    HWND Control(int id) const { return GetDlgItem(motion_, id); }

    Result Add(const std::string& text,
               int code = STN_CLICKED);  // code: STN_DBLCLK, a double-click
    Result Select(int index);            // as a click on the entry does, its notification included
    HWND OpenActionDialog(int index);
    // Once the program's message box shows, expects `saying` in it, answers, waits for it to go;
    // byKeys: with the button's key (Enter, Esc, Y, N), as a user without a mouse does.
    Result Answer(int button, const std::string& saying, bool byKeys = false);
    Result PressStart() { return Command(motion_, IDC_START); }
    std::string StartCaption() const { return TextOf(Control(IDC_START)); }
    Result MoveTo(POINT topLeft);
    // The program has served its input and no control of it holds the mouse capture.
    Result Settle() const;

    testing::Texts Entries() const;
    std::string Position() const { return TextOf(Control(IDC_POSITION)); }
    std::string Status() const { return TextOf(Control(IDC_STATUS)); }

    std::filesystem::path ConfigPath() const { return dir_ / "varrel.cfg"; }
    std::optional<std::string> Config() const { return ReadWholeFile(ConfigPath()); }

    // The exit code once the program has ended; nothing while it runs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 60000) const;
    bool Running() const { return process_ && !WaitForExit(0); }

  private:
    std::filesystem::path top_, dir_;  // the folder made for it, and the one it runs in
    std::string unready_;              // what went wrong in setting that folder up
    bool ownsFolder_ = true;
    UniqueHandle process_;
    DWORD threadId_ = 0;
    HWND main_ = nullptr, motion_ = nullptr, about_ = nullptr;
};

}  // namespace varrel::e2e
