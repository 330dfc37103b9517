// VarrelProcess and friends: start the real varrel.exe in a scratch folder, drive it with real
// input and window messages, read its state and its settings file, and end it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varrel::e2e {

constexpr DWORD DEFAULT_TIMEOUT_MS = 5000;
constexpr DWORD START_TIMEOUT_MS = 30000;  // the first program of a Wine session starts slowly
constexpr char MAIN_CAPTION[] = "-= Varrel =-";

// Polls pred until it holds or timeoutMs has passed; returns its last value.
bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs = DEFAULT_TIMEOUT_MS);

// Owns one kernel handle.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& other) noexcept : h_(other.Release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Reset(); }

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release();
    void Reset(HANDLE h = nullptr);

  private:
    HANDLE h_ = nullptr;
};

// A fresh folder under the temp folder, removed with the files in it.
class ScratchDir {
  public:
    ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir();

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// Files, whole and byte for byte.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Real input, as a user makes it, at screen pixel positions.
POINT CentreOf(HWND window);  // of its window rectangle, in screen pixels
void ClickAt(POINT screen);
void DoubleClickAt(POINT screen);
void Click(HWND window);
void DoubleClick(HWND window);
void PressKey(WORD virtualKey);
void TypeText(const std::string& text);  // each character as a Unicode key stroke

// State of a window of another process, read through messages.
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);
std::vector<std::string> ListBoxEntries(HWND listBox);
std::optional<int> ListBoxSelection(HWND listBox);
// The centre of a list box item in screen pixels, nothing when the item is not there.
std::optional<POINT> ListBoxItemCentre(HWND listBox, int index);
bool IsChecked(HWND button);
// The texts of a window's direct children, in z order.
std::vector<std::string> ChildTexts(HWND parent);
// Where a child window's top-left corner lies in its parent's client area, in pixels.
POINT OriginIn(HWND child, HWND parent);
// Brings a window to the front so that key strokes reach it; true when it is in front.
bool BringToFront(HWND window);
// The colour of a screen pixel, as anyone looking at the screen sees it.
COLORREF ScreenPixel(POINT at);
// The colours of the pixels of a screen rectangle (right and bottom excluded), row by row.
std::vector<COLORREF> ScreenPixels(RECT box);
// Waits until the window's thread has served everything before a message sent now.
bool Sync(HWND window, DWORD timeoutMs = DEFAULT_TIMEOUT_MS);

// Real input in parts, for drags. Each event carries its own absolute position, so a pointer
// that something else moves meanwhile (a running worker) cannot shift where it lands.
void PressAt(POINT screen);
void MoveTo(POINT screen);
void ReleaseAt(POINT screen);
// A click at a pinned position: press and release each carry it (see PressAt).
void PinnedClickAt(POINT screen);
void PinnedDoubleClickAt(POINT screen);
// Shift+Esc as key strokes, as a user types it; it reaches whoever has registered it.
void PressShiftEscape();
// Whether the left button is down, as the whole system sees it.
bool LeftButtonDown();

// Objects a process holds; nothing when they cannot be read. (Wine reads the handle, GDI and
// USER counts as 0; the thread count is real there too.)
struct ResourceCounts {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    DWORD threads = 0;
};
std::optional<ResourceCounts> ResourcesOf(HANDLE process);

// The path of the varrel.exe under test: VARREL_EXE from the environment, else the one built
// with these tests.
std::string VarrelExePath();

// One run of varrel.exe, in a scratch folder of its own (so its varrel.cfg is its own).
class VarrelProcess {
  public:
    // Copies the exe into a fresh folder; with config, writes it there as varrel.cfg first.
    explicit VarrelProcess(std::optional<std::string> config = std::nullopt);
    VarrelProcess(const VarrelProcess&) = delete;
    VarrelProcess& operator=(const VarrelProcess&) = delete;
    // Ends a program still running (close command, then termination as a last resort).
    ~VarrelProcess();

    // Starts the program and waits until its main window and both pages exist.
    bool Start(DWORD timeoutMs = START_TIMEOUT_MS);

    HWND MainWindow() const { return main_; }
    HWND MotionPage() const { return motion_; }
    HWND AboutPage() const { return about_; }
    HWND MainControl(int id) const { return GetDlgItem(main_, id); }
    HWND MotionControl(int id) const { return GetDlgItem(motion_, id); }
    DWORD ProcessId() const { return processId_; }

    // Gestures on the program's controls, by real input. Each first lets the program finish
    // the gesture before (see Settle), so that a control still holding the mouse cannot take it.
    void ClickTab(int tabId);
    void ClickControl(int motionControlId);
    bool ClickEntry(int index);  // false when the entry is not in the list
    void ClickAdd();
    void DoubleClickAdd();
    // Sets the Position field's text through a message: quicker than typing, same effect.
    void SetPosition(const std::string& text);
    // Sets Position and clicks Add, then waits until the list has grown by `expectedGrowth`.
    bool AddEntry(const std::string& text, int expectedGrowth = 1);

    // Waits until the program has served what it was sent so far and no control of it holds
    // the mouse capture (a list box or a button keeps it from a press until the release).
    bool Settle(DWORD timeoutMs = DEFAULT_TIMEOUT_MS) const;

    // Run control. ClickStart is a real click on the Start/Stop button; PressStart sends the
    // button's command and returns once the program has served it (no input, nothing recorded).
    void ClickStart();
    bool PressStart();
    std::string StartCaption() const;
    bool WaitForStartCaption(const std::string& caption,
                             DWORD timeoutMs = DEFAULT_TIMEOUT_MS) const;
    // Moves the main window (keeping its size) so that its controls lie clear of a path.
    bool MoveMainWindowTo(POINT topLeft);
    bool MainWindowMinimized() const { return IsIconic(main_) != FALSE; }
    // The process's handle, GDI and USER object counts.
    std::optional<ResourceCounts> Resources() const { return ResourcesOf(process_.Get()); }

    // The "Mouse action" dialog of this process once it shows, or nothing after the timeout.
    HWND WaitForActionDialog(DWORD timeoutMs = DEFAULT_TIMEOUT_MS) const;
    // A double-click on an entry by real input; false when the entry is not in the list.
    bool DoubleClickEntry(int index);
    // The target image of the position picker, in screen pixels.
    RECT TargetBox() const;

    // State of the motion page.
    std::vector<std::string> Entries() const;
    std::optional<int> Selection() const;
    std::string Position() const;
    bool HideAfterStart() const;

    // The program's settings file (beside its exe).
    std::string ConfigPath() const { return dir_.File("varrel.cfg"); }
    std::optional<std::string> Config() const { return ReadWholeFile(ConfigPath()); }
    bool WaitForConfig(const std::string& expected, DWORD timeoutMs = DEFAULT_TIMEOUT_MS) const;

    // Ending.
    void CloseByCloseBox();  // the command the caption's close box sends
    bool WaitForExit(DWORD timeoutMs = DEFAULT_TIMEOUT_MS);
    bool Running() const;
    std::optional<DWORD> ExitCode() const;  // once it has ended

  private:
    bool FindWindows();

    ScratchDir dir_;
    std::string exe_;
    Handle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    HWND motion_ = nullptr;
    HWND about_ = nullptr;
};

}  // namespace varrel::e2e
