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

// Only a hang runs into this: every wait watches state that comes much sooner.
constexpr DWORD PATIENCE_MS = 60000;
constexpr char MAIN_CAPTION[] = "-= Varrel =-";

using testing::WaitFor;

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

// Texts of another process's windows, read and written with the wide messages and converted in
// the ANSI code page, as the program keeps them.
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);
std::vector<std::string> ListBoxEntries(HWND listBox);
// A message sent and served (SendMessageTimeout); nothing when it was not served in time.
std::optional<LRESULT> SendServed(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Returns once the window's thread has served everything sent to it before.
bool Sync(HWND window);
// A visible top-level window of the process with this caption, once it shows; null on time-out.
HWND WaitForWindow(DWORD processId, const std::string& caption);

// Real input: every event carries its own absolute position, so a pointer that something else
// moves meanwhile cannot shift where it lands.
POINT CentreOf(HWND window);
void PressAt(POINT screen);
void MoveTo(POINT screen);
void ReleaseAt(POINT screen);
void PinnedClickAt(POINT screen);
void PinnedDoubleClickAt(POINT screen);
void PressShiftEscape();

// True while Shift+Esc can be registered, i.e. no program holds it.
bool ShiftEscapeIsFree();

// One run of varrel.exe, copied into a fresh folder of its own (so its varrel.cfg is its own).
class VarrelProcess {
  public:
    // With config, writes it there as varrel.cfg first. folder: the scratch folder's own name.
    explicit VarrelProcess(std::optional<std::string> config = std::nullopt,
                           const std::wstring& folder = L"");
    VarrelProcess(const VarrelProcess&) = delete;
    VarrelProcess& operator=(const VarrelProcess&) = delete;
    // Ends a program still running, and removes the folder.
    ~VarrelProcess();

    // Starts the program and waits until its main window and both pages exist.
    bool Start();

    HWND MainWindow() const { return main_; }
    HWND MotionPage() const { return motion_; }
    HWND AboutPage() const { return about_; }
    HWND MainControl(int id) const { return GetDlgItem(main_, id); }
    HWND MotionControl(int id) const { return GetDlgItem(motion_, id); }
    DWORD ProcessId() const { return processId_; }

    // Gestures by the command their control sends; true once the program has served it.
    bool Tab(int tabId);  // not the Close tab, which may ask a question: PostTab
    void PostTab(int tabId);
    bool Command(int motionControlId, int code = BN_CLICKED);
    bool PressStart() { return Command(IDC_START); }
    void SetPosition(const std::string& text);
    bool Add(const std::string& text);
    // Selects the entry as a click does (the list box's notification included).
    bool Select(int index);
    // Selects the entry and double-clicks it; returns the "Mouse action" dialog once it shows.
    HWND OpenActionDialog(int index);

    std::string StartCaption() const;
    bool WaitForStartCaption(const std::string& caption) const;
    bool MoveMainWindowTo(POINT topLeft);
    // The program has served its input and no control of it holds the mouse capture.
    bool Settle() const;

    std::vector<std::string> Entries() const;
    std::optional<int> Selection() const;
    std::string Position() const;
    bool HideAfterStart() const;

    std::filesystem::path ConfigPath() const { return dir_ / "varrel.cfg"; }
    std::optional<std::string> Config() const { return ReadWholeFile(ConfigPath()); }
    bool WaitForConfig(const std::string& expected) const;

    void CloseByCloseBox();  // the command the caption's close box sends
    bool WaitForExit(DWORD timeoutMs = PATIENCE_MS);
    bool Running() const;
    std::optional<DWORD> ExitCode() const;

  private:
    bool FindWindows();

    std::filesystem::path dir_;
    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    HWND motion_ = nullptr;
    HWND about_ = nullptr;
};

}  // namespace varrel::e2e
