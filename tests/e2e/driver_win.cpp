// VarrelProcess and friends: process, messages, input and files for the end-to-end tests.
#include "tests/e2e/driver_win.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "varrel_exe_path.h"

namespace varrel::e2e {

namespace fs = std::filesystem;

namespace {

std::string Narrow(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
    return text;
}

std::wstring Widen(const std::string& text) {
    const int n =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// A text that a WM_GETTEXT-like message fills, whole: its length first, then the text.
std::string ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index) {
    const LRESULT length = SendServed(window, lengthMessage, index).value_or(-1);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const bool isText = textMessage == WM_GETTEXT;
    const LRESULT got = SendServed(window, textMessage, isText ? text.size() : index,
                                   reinterpret_cast<LPARAM>(text.data()))
                            .value_or(0);
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    return Narrow(text);
}

void SendMouse(std::initializer_list<std::pair<DWORD, POINT>> events) {
    std::vector<INPUT> inputs;
    const LONGLONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    for (const auto& [button, at] : events) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        // Rounded up, so that the system's truncating conversion lands on this very pixel.
        input.mi.dx = static_cast<LONG>((at.x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((at.y * 65536LL + height - 1) / height);
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

struct WindowSearch {
    DWORD processId;
    std::string caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || TextOf(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectPage(HWND window, LPARAM param) {
    auto* pages = reinterpret_cast<std::vector<HWND>*>(param);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770") pages->push_back(window);
    return TRUE;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

std::string TextOf(HWND window) { return ReadText(window, WM_GETTEXTLENGTH, WM_GETTEXT, 0); }

void SetTextOf(HWND window, const std::string& text) {
    const std::wstring wide = Widen(text);
    SendServed(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::vector<std::string> ListBoxEntries(HWND listBox) {
    std::vector<std::string> entries;
    const LRESULT count = SendServed(listBox, LB_GETCOUNT).value_or(0);
    for (LRESULT i = 0; i < count; ++i)
        entries.push_back(ReadText(listBox, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i)));
    return entries;
}

std::optional<LRESULT> SendServed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, PATIENCE_MS, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

bool Sync(HWND window) { return SendServed(window, WM_NULL).has_value(); }

HWND WaitForWindow(DWORD processId, const std::string& caption) {
    WindowSearch search{processId, caption, nullptr};
    WaitFor([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

POINT CentreOf(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void PressAt(POINT screen) { SendMouse({{MOUSEEVENTF_LEFTDOWN, screen}}); }
void MoveTo(POINT screen) { SendMouse({{0, screen}}); }
void ReleaseAt(POINT screen) { SendMouse({{MOUSEEVENTF_LEFTUP, screen}}); }
void PinnedClickAt(POINT at) {
    SendMouse({{0, at}, {MOUSEEVENTF_LEFTDOWN, at}, {MOUSEEVENTF_LEFTUP, at}});
}
void PinnedDoubleClickAt(POINT at) {
    SendMouse({{0, at},
               {MOUSEEVENTF_LEFTDOWN, at},
               {MOUSEEVENTF_LEFTUP, at},
               {MOUSEEVENTF_LEFTDOWN, at},
               {MOUSEEVENTF_LEFTUP, at}});
}

void PressShiftEscape() {
    INPUT keys[4] = {};
    const WORD vk[4] = {VK_SHIFT, VK_ESCAPE, VK_ESCAPE, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = vk[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
}

bool ShiftEscapeIsFree() {
    constexpr int PROBE_ID = 0x7A11;
    if (!RegisterHotKey(nullptr, PROBE_ID, MOD_SHIFT, VK_ESCAPE)) return false;
    UnregisterHotKey(nullptr, PROBE_ID);
    return true;
}

VarrelProcess::VarrelProcess(std::optional<std::string> config, const std::wstring& folder) {
    static std::atomic<int> serial{0};
    dir_ = fs::temp_directory_path() / (L"varrel-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                                        L"-" + std::to_wstring(serial++) + folder);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const char* fromEnvironment = std::getenv("VARREL_EXE");
    fs::copy_file(fromEnvironment && *fromEnvironment ? fromEnvironment : VARREL_EXE_PATH,
                  dir_ / "varrel.exe");
    if (config) WriteWholeFile(ConfigPath(), *config);
}

VarrelProcess::~VarrelProcess() {
    if (Running()) {
        // A program whose window never came up cannot be asked: it is terminated at once.
        if (!main_ || !PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0) || !WaitForExit(5000))
            TerminateProcess(process_.Get(), 1);
        WaitForExit(5000);
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

bool VarrelProcess::Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring exe = (dir_ / "varrel.exe").wstring();
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir_.c_str(), &startup, &info))
        return false;
    UniqueHandle thread(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    return WaitFor([this] { return !Running() || FindWindows(); }) && Running() && Sync(main_) &&
           Sync(motion_);
}

bool VarrelProcess::FindWindows() {
    main_ = nullptr;
    WindowSearch search{processId_, MAIN_CAPTION, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return false;
    std::vector<HWND> pages;
    EnumChildWindows(search.found, CollectPage, reinterpret_cast<LPARAM>(&pages));
    for (HWND page : pages) (GetDlgItem(page, IDC_POINTS) ? motion_ : about_) = page;
    main_ = search.found;
    return motion_ && about_;
}

bool VarrelProcess::Tab(int tabId) {
    return SendServed(main_, WM_COMMAND, MAKEWPARAM(tabId, STN_CLICKED),
                      reinterpret_cast<LPARAM>(MainControl(tabId)))
        .has_value();
}

void VarrelProcess::PostTab(int tabId) {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(tabId, STN_CLICKED),
                 reinterpret_cast<LPARAM>(MainControl(tabId)));
}

bool VarrelProcess::Command(int id, int code) {
    return SendServed(motion_, WM_COMMAND, MAKEWPARAM(id, code),
                      reinterpret_cast<LPARAM>(MotionControl(id)))
        .has_value();
}

void VarrelProcess::SetPosition(const std::string& text) {
    SetTextOf(MotionControl(IDC_POSITION), text);
}

bool VarrelProcess::Add(const std::string& text) {
    SetPosition(text);
    return Command(IDC_ADD, STN_CLICKED);
}

bool VarrelProcess::Select(int index) {
    return SendServed(MotionControl(IDC_POINTS), LB_SETCURSEL, static_cast<WPARAM>(index)) ==
               index &&
           Command(IDC_POINTS, LBN_SELCHANGE);
}

HWND VarrelProcess::OpenActionDialog(int index) {
    // Posted: the page's handler runs the dialog's modal loop and returns only when it ends.
    if (!Select(index)) return nullptr;
    PostMessageW(motion_, WM_COMMAND, MAKEWPARAM(IDC_POINTS, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(MotionControl(IDC_POINTS)));
    return WaitForWindow(processId_, "Mouse action");
}

std::string VarrelProcess::StartCaption() const { return TextOf(MotionControl(IDC_START)); }

bool VarrelProcess::WaitForStartCaption(const std::string& caption) const {
    return WaitFor([&] { return StartCaption() == caption; });
}

bool VarrelProcess::MoveMainWindowTo(POINT topLeft) {
    SetWindowPos(main_, nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return WaitFor([&] {
        RECT box{};
        GetWindowRect(main_, &box);
        return box.left == topLeft.x && box.top == topLeft.y;
    });
}

bool VarrelProcess::Settle() const {
    const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
    return Sync(main_) && WaitFor([thread] {
               GUITHREADINFO info{};
               info.cbSize = sizeof info;
               return GetGUIThreadInfo(thread, &info) && info.hwndCapture == nullptr;
           });
}

std::vector<std::string> VarrelProcess::Entries() const {
    return ListBoxEntries(MotionControl(IDC_POINTS));
}

std::optional<int> VarrelProcess::Selection() const {
    const LRESULT index = SendServed(MotionControl(IDC_POINTS), LB_GETCURSEL).value_or(LB_ERR);
    return index < 0 ? std::nullopt : std::optional<int>(static_cast<int>(index));
}

std::string VarrelProcess::Position() const { return TextOf(MotionControl(IDC_POSITION)); }

bool VarrelProcess::HideAfterStart() const {
    return SendServed(MotionControl(IDC_HIDE_AFTER_START), BM_GETCHECK) == BST_CHECKED;
}

bool VarrelProcess::WaitForConfig(const std::string& expected) const {
    return WaitFor([&] { return Config() == expected; });
}

void VarrelProcess::CloseByCloseBox() { PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool VarrelProcess::WaitForExit(DWORD timeoutMs) {
    return !process_ || WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool VarrelProcess::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> VarrelProcess::ExitCode() const {
    DWORD code = 0;
    if (Running() || !process_ || !GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
}

}  // namespace varrel::e2e
