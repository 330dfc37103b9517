// VarrelProcess and friends: start the real varrel.exe in a scratch folder, drive it by window
// messages (and by real input where input is the point), read its state and its settings file.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "motion/unique_handle_win.h"
#include "resources/resource.h"
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel::e2e {

using testing::WaitFor;
using Texts = std::vector<std::string>;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

// A message sent to another process's window and served; nothing when it was not served in time.
std::optional<LRESULT> SendServed(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
inline bool Sync(HWND window) { return SendServed(window, WM_NULL).has_value(); }
// The command control `id` of `parent` sends: sent and served, or posted (for a command whose
// handler runs a modal loop, a dialog or a message box).
bool Command(HWND parent, int id, int code = 0);
void PostCommand(HWND parent, int id, int code = 0);
// Texts go with the wide messages and are converted in the ANSI code page, as the program keeps
// them.
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);
Texts ListBoxEntries(HWND listBox);
// A visible top-level window of the thread with this caption, once it shows; null on time-out.
HWND WaitForWindow(DWORD threadId, const std::string& caption);

// Real input: each event carries its own absolute position (flags 0: a move), so a pointer that
// something else moves meanwhile cannot shift where it lands.
void Mouse(std::initializer_list<std::pair<DWORD, POINT>> events);
inline void Click(POINT at) {
    Mouse({{0, at}, {MOUSEEVENTF_LEFTDOWN, at}, {MOUSEEVENTF_LEFTUP, at}});
}
POINT CentreOf(HWND window);
void PressKeys(std::initializer_list<WORD> keys);  // pressed in order, released in reverse
inline void PressShiftEscape() { PressKeys({VK_SHIFT, VK_ESCAPE}); }
bool ShiftEscapeIsFree();  // no program holds the hotkey

// One run of varrel.exe, copied into a fresh folder of its own (so its varrel.cfg is its own).
class VarrelProcess {
  public:
    // With config, writes it there as varrel.cfg first; folder: more of the folder's name.
    explicit VarrelProcess(std::optional<std::string> config = std::nullopt,
                           const std::wstring& folder = L"");
    VarrelProcess(const VarrelProcess&) = delete;
    VarrelProcess& operator=(const VarrelProcess&) = delete;
    ~VarrelProcess();  // ends a program still running, removes the folder

    // Starts the program and waits until its main window and both pages exist.
    bool Start();
    HWND Main() const { return main_; }
    HWND Motion() const { return motion_; }
    HWND About() const { return about_; }
    HWND Control(int id) const { return GetDlgItem(motion_, id); }
    DWORD ThreadId() const { return threadId_; }

    bool Add(const std::string& text);
    bool Select(int index);  // as a click on the entry does, its notification included
    HWND OpenActionDialog(int index);
    bool PressStart() { return Command(motion_, IDC_START); }
    std::string StartCaption() const { return TextOf(Control(IDC_START)); }
    bool WaitForStartCaption(const char* caption) const;
    bool MoveTo(POINT topLeft);
    // The program has served its input and no control of it holds the mouse capture.
    bool Settle() const;

    Texts Entries() const { return ListBoxEntries(Control(IDC_POINTS)); }
    std::optional<int> Selection() const;
    std::string Position() const { return TextOf(Control(IDC_POSITION)); }
    bool HideAfterStart() const;

    std::filesystem::path ConfigPath() const { return dir_ / "varrel.cfg"; }
    std::optional<std::string> Config() const { return ReadWholeFile(ConfigPath()); }

    bool WaitForExit(DWORD timeoutMs = 60000);
    bool Running() const;
    std::optional<DWORD> ExitCode() const;

  private:
    std::filesystem::path dir_;
    UniqueHandle process_;
    DWORD threadId_ = 0;
    HWND main_ = nullptr, motion_ = nullptr, about_ = nullptr;
};

}  // namespace varrel::e2e
