// VarrelProcess and friends: process, input and cross-process reads for the end-to-end tests.
#include "tests/e2e/driver_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

#include "resources/resource.h"
#include "varrel_exe_path.h"

namespace varrel::e2e {

namespace {

constexpr DWORD POLL_MS = 5;
constexpr DWORD CLOSE_GRACE_MS = 3000;

INPUT MouseInput(DWORD flags, POINT at = {0, 0}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Normalized so that the platform's truncating conversion lands on this exact pixel.
        const LONGLONG width = GetSystemMetrics(SM_CXSCREEN);
        const LONGLONG height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((at.x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((at.y * 65536LL + height - 1) / height);
    }
    return input;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<INPUT> Clicks(POINT at, int count) {
    std::vector<INPUT> inputs{MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at)};
    for (int i = 0; i < count; ++i) {
        inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP));
    }
    return inputs;
}

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

// Texts cross the process boundary as UTF-16 whichever way they are asked for, so every
// message that carries one is sent as a wide message and converted here.
std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size,
                        nullptr, nullptr);
    return text;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

LRESULT SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL,
                                             DEFAULT_TIMEOUT_MS, &result);
    if (ok) *ok = sent != 0;
    return static_cast<LRESULT>(result);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    const int length = GetWindowTextLengthA(window);
    std::string caption(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextA(window, &caption[0], length + 1)));
    if (caption != MAIN_CAPTION) return TRUE;
    search->found = window;
    return FALSE;
}

struct PageSearch {
    HWND parent;
    std::vector<HWND> pages;
};

BOOL CALLBACK CollectPages(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PageSearch*>(param);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (GetParent(window) == search->parent && std::string(className) == "#32770") {
        search->pages.push_back(window);
    }
    return TRUE;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

bool WaitFor(const std::function<bool()>& pred, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (pred()) return true;
        if (GetTickCount64() >= deadline) return pred();
        Sleep(POLL_MS);
    }
}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

HANDLE Handle::Release() { return std::exchange(h_, nullptr); }

void Handle::Reset(HANDLE h) {
    if (*this) CloseHandle(h_);
    h_ = h;
}

ScratchDir::ScratchDir() {
    static std::atomic<int> serial{0};
    std::string temp(MAX_PATH + 1, '\0');
    temp.resize(GetTempPathA(static_cast<DWORD>(temp.size()), &temp[0]));
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = temp + "varrel-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(serial++);
        if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    }
    path_.clear();
}

ScratchDir::~ScratchDir() {
    if (path_.empty()) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(File("*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileA(File(found.cFileName).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

POINT CentreOf(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void ClickAt(POINT screen) { Send(Clicks(screen, 1)); }
void DoubleClickAt(POINT screen) { Send(Clicks(screen, 2)); }
void Click(HWND window) { ClickAt(CentreOf(window)); }
void DoubleClick(HWND window) { DoubleClickAt(CentreOf(window)); }

void PressKey(WORD virtualKey) {
    Send({KeyInput(virtualKey, 0, 0), KeyInput(virtualKey, 0, KEYEVENTF_KEYUP)});
}

void TypeText(const std::string& text) {
    std::vector<INPUT> inputs;
    for (unsigned char c : text) {
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    Send(std::move(inputs));
}

std::string TextOf(HWND window) {
    const LRESULT length = SendTimed(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendTimed(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    return Narrow(text);
}

void SetTextOf(HWND window, const std::string& text) {
    const std::wstring wide = Widen(text);
    SendTimed(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::vector<std::string> ListBoxEntries(HWND listBox) {
    std::vector<std::string> entries;
    const LRESULT count = SendTimed(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendTimed(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) break;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT got = SendTimed(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                                      reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
        entries.push_back(Narrow(text));
    }
    return entries;
}

std::optional<int> ListBoxSelection(HWND listBox) {
    const LRESULT index = SendTimed(listBox, LB_GETCURSEL, 0, 0);
    if (index < 0) return std::nullopt;
    return static_cast<int>(index);
}

std::optional<POINT> ListBoxItemCentre(HWND listBox, int index) {
    RECT item{};
    bool ok = false;
    const LRESULT result = SendTimed(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&item), &ok);
    if (!ok || result == LB_ERR) return std::nullopt;
    POINT centre{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(listBox, &centre);
    return centre;
}

bool IsChecked(HWND button) { return SendTimed(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

namespace {

BOOL CALLBACK CollectChildText(HWND window, LPARAM param) {
    auto* texts = reinterpret_cast<std::pair<HWND, std::vector<std::string>>*>(param);
    if (GetParent(window) == texts->first) texts->second.push_back(TextOf(window));
    return TRUE;
}

}  // namespace

std::vector<std::string> ChildTexts(HWND parent) {
    std::pair<HWND, std::vector<std::string>> texts{parent, {}};
    EnumChildWindows(parent, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    return texts.second;
}

POINT OriginIn(HWND child, HWND parent) {
    RECT box{};
    GetWindowRect(child, &box);
    POINT origin{box.left, box.top};
    ScreenToClient(parent, &origin);
    return origin;
}

bool BringToFront(HWND window) {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    return WaitFor([window] { return GetForegroundWindow() == window; });
}

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::vector<COLORREF> ScreenPixels(RECT box) {
    std::vector<COLORREF> colours;
    HDC screen = GetDC(nullptr);
    for (LONG y = box.top; y < box.bottom; ++y) {
        for (LONG x = box.left; x < box.right; ++x) colours.push_back(GetPixel(screen, x, y));
    }
    ReleaseDC(nullptr, screen);
    return colours;
}

bool Sync(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

namespace {

INPUT PinnedMouseInput(DWORD button, POINT at) {
    return MouseInput(button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at);
}

struct ProcessWindowSearch {
    DWORD processId;
    std::string caption;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void PressAt(POINT screen) { Send({PinnedMouseInput(MOUSEEVENTF_LEFTDOWN, screen)}); }
void MoveTo(POINT screen) { Send({PinnedMouseInput(0, screen)}); }
void ReleaseAt(POINT screen) { Send({PinnedMouseInput(MOUSEEVENTF_LEFTUP, screen)}); }

void PinnedClickAt(POINT screen) {
    Send({PinnedMouseInput(0, screen), PinnedMouseInput(MOUSEEVENTF_LEFTDOWN, screen),
          PinnedMouseInput(MOUSEEVENTF_LEFTUP, screen)});
}

void PinnedDoubleClickAt(POINT screen) {
    Send({PinnedMouseInput(0, screen), PinnedMouseInput(MOUSEEVENTF_LEFTDOWN, screen),
          PinnedMouseInput(MOUSEEVENTF_LEFTUP, screen),
          PinnedMouseInput(MOUSEEVENTF_LEFTDOWN, screen),
          PinnedMouseInput(MOUSEEVENTF_LEFTUP, screen)});
}

void PressShiftEscape() {
    Send({KeyInput(VK_SHIFT, 0, 0), KeyInput(VK_ESCAPE, 0, 0),
          KeyInput(VK_ESCAPE, 0, KEYEVENTF_KEYUP), KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP)});
}

bool LeftButtonDown() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

std::optional<ResourceCounts> ResourcesOf(HANDLE process) {
    ResourceCounts counts;
    if (!process || !GetProcessHandleCount(process, &counts.handles)) return std::nullopt;
    counts.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    counts.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD processId = GetProcessId(process);
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return std::nullopt;
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot.Get(), &thread); more;
         more = Thread32Next(snapshot.Get(), &thread)) {
        if (thread.th32OwnerProcessID == processId) ++counts.threads;
    }
    return counts;
}

std::string VarrelExePath() {
    const char* fromEnvironment = std::getenv("VARREL_EXE");
    return WithBackslashes(fromEnvironment && *fromEnvironment ? fromEnvironment : VARREL_EXE_PATH);
}

VarrelProcess::VarrelProcess(std::optional<std::string> config) {
    exe_ = dir_.File("varrel.exe");
    CopyFileA(VarrelExePath().c_str(), exe_.c_str(), FALSE);
    if (config) WriteWholeFile(ConfigPath(), *config);
}

VarrelProcess::~VarrelProcess() {
    if (Running()) {
        // A program whose window never came up cannot be asked: it is terminated at once.
        const bool asked = main_ && PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!asked || !WaitForExit(CLOSE_GRACE_MS)) {
            TerminateProcess(process_.Get(), 1);
            WaitForSingleObject(process_.Get(), CLOSE_GRACE_MS);
        }
    }
}

bool VarrelProcess::Start(DWORD timeoutMs) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = Quoted(exe_);
    if (!CreateProcessA(exe_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir_.Path().c_str(), &startup, &info)) {
        return false;
    }
    Handle thread(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    // Ready once the windows exist and the program waits for input with nothing left to do.
    WaitForInputIdle(process_.Get(), timeoutMs);
    return WaitFor([this] { return !Running() || FindWindows(); }, timeoutMs) && Running() &&
           Sync(main_) && Sync(motion_);
}

bool VarrelProcess::FindWindows() {
    WindowSearch search{processId_, nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return false;
    PageSearch pages{search.found, {}};
    EnumChildWindows(search.found, CollectPages, reinterpret_cast<LPARAM>(&pages));
    HWND motion = nullptr;
    HWND about = nullptr;
    for (HWND page : pages.pages) {
        (GetDlgItem(page, IDC_POINTS) ? motion : about) = page;
    }
    if (!motion || !about) return false;
    main_ = search.found;
    motion_ = motion;
    about_ = about;
    return true;
}

bool VarrelProcess::Settle(DWORD timeoutMs) const {
    if (!Sync(main_, timeoutMs)) return false;
    const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
    return WaitFor(
        [thread] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
        },
        timeoutMs);
}

void VarrelProcess::ClickTab(int tabId) {
    Settle();
    Click(MainControl(tabId));
}

void VarrelProcess::ClickControl(int motionControlId) {
    Settle();
    Click(MotionControl(motionControlId));
}

bool VarrelProcess::ClickEntry(int index) {
    Settle();
    const std::optional<POINT> centre = ListBoxItemCentre(MotionControl(IDC_POINTS), index);
    if (!centre) return false;
    ClickAt(*centre);
    return true;
}

void VarrelProcess::ClickAdd() { ClickControl(IDC_ADD); }

void VarrelProcess::DoubleClickAdd() {
    Settle();
    DoubleClick(MotionControl(IDC_ADD));
}

void VarrelProcess::SetPosition(const std::string& text) {
    SetTextOf(MotionControl(IDC_POSITION), text);
}

bool VarrelProcess::AddEntry(const std::string& text, int expectedGrowth) {
    const std::size_t before = Entries().size();
    SetPosition(text);
    ClickAdd();
    return WaitFor([&] { return Entries().size() == before + expectedGrowth; });
}

void VarrelProcess::ClickStart() {
    Settle();
    PinnedClickAt(CentreOf(MotionControl(IDC_START)));
}

bool VarrelProcess::PressStart() {
    bool served = false;
    SendTimed(motion_, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
              reinterpret_cast<LPARAM>(MotionControl(IDC_START)), &served);
    return served;
}

std::string VarrelProcess::StartCaption() const { return TextOf(MotionControl(IDC_START)); }

bool VarrelProcess::WaitForStartCaption(const std::string& caption, DWORD timeoutMs) const {
    return WaitFor([&] { return StartCaption() == caption; }, timeoutMs);
}

bool VarrelProcess::MoveMainWindowTo(POINT topLeft) {
    if (!SetWindowPos(main_, nullptr, topLeft.x, topLeft.y, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        return false;
    }
    return WaitFor([&] {
        RECT box{};
        GetWindowRect(main_, &box);
        return box.left == topLeft.x && box.top == topLeft.y;
    });
}

HWND VarrelProcess::WaitForActionDialog(DWORD timeoutMs) const {
    ProcessWindowSearch search{processId_, "Mouse action", nullptr};
    WaitFor(
        [&] {
            search.found = nullptr;
            EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

bool VarrelProcess::DoubleClickEntry(int index) {
    Settle();
    const std::optional<POINT> centre = ListBoxItemCentre(MotionControl(IDC_POINTS), index);
    if (!centre) return false;
    PinnedDoubleClickAt(*centre);
    return true;
}

RECT VarrelProcess::TargetBox() const {
    RECT box{};
    GetWindowRect(MotionControl(IDC_TARGET), &box);
    return box;
}

std::vector<std::string> VarrelProcess::Entries() const {
    return ListBoxEntries(MotionControl(IDC_POINTS));
}

std::optional<int> VarrelProcess::Selection() const {
    return ListBoxSelection(MotionControl(IDC_POINTS));
}

std::string VarrelProcess::Position() const { return TextOf(MotionControl(IDC_POSITION)); }

bool VarrelProcess::HideAfterStart() const {
    return IsChecked(MotionControl(IDC_HIDE_AFTER_START));
}

bool VarrelProcess::WaitForConfig(const std::string& expected, DWORD timeoutMs) const {
    return WaitFor([&] { return Config() == expected; }, timeoutMs);
}

void VarrelProcess::CloseByCloseBox() { PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool VarrelProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) return true;
    return WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool VarrelProcess::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> VarrelProcess::ExitCode() const {
    DWORD code = 0;
    if (!process_ || Running() || !GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
}

}  // namespace varrel::e2e
