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

// A text that a message pair fills (its length, then the text), whole, in the ANSI code page.
std::string ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index = 0) {
    const LRESULT length = SendServed(window, lengthMessage, index).value_or(-1);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const WPARAM first = textMessage == WM_GETTEXT ? wide.size() : index;
    const LRESULT got =
        SendServed(window, textMessage, first, reinterpret_cast<LPARAM>(&wide[0])).value_or(0);
    const int n = static_cast<int>(std::clamp<LRESULT>(got, 0, length));
    std::string text(static_cast<std::size_t>(n) * 2, '\0');
    text.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &text[0], n * 2, nullptr, nullptr)));
    return text;
}

struct WindowSearch {
    std::string caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!IsWindowVisible(window) || TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<LRESULT> SendServed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

bool Command(HWND parent, int id, int code) {
    return SendServed(parent, WM_COMMAND, MAKEWPARAM(id, code),
                      reinterpret_cast<LPARAM>(GetDlgItem(parent, id)))
        .has_value();
}

void PostCommand(HWND parent, int id, int code) {
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(parent, id)));
}

std::string TextOf(HWND window) { return ReadText(window, WM_GETTEXTLENGTH, WM_GETTEXT); }

void SetTextOf(HWND window, const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                            static_cast<int>(wide.size()))));
    SendServed(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

Texts ListBoxEntries(HWND listBox) {
    Texts entries;
    const LRESULT count = SendServed(listBox, LB_GETCOUNT).value_or(0);
    for (LRESULT i = 0; i < count; ++i)
        entries.push_back(ReadText(listBox, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i)));
    return entries;
}

HWND WaitForWindow(DWORD threadId, const std::string& caption) {
    WindowSearch search{caption, nullptr};
    WaitFor([&] {
        EnumThreadWindows(threadId, MatchCaption, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

void Mouse(std::initializer_list<std::pair<DWORD, POINT>> events) {
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

POINT CentreOf(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs(keys.size() * 2);
    std::size_t i = 0;
    for (WORD key : keys) {
        inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = key;
        inputs[inputs.size() - 1 - i++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool ShiftEscapeIsFree() {
    if (!RegisterHotKey(nullptr, 0x7A11, MOD_SHIFT, VK_ESCAPE)) return false;
    return UnregisterHotKey(nullptr, 0x7A11);
}

VarrelProcess::VarrelProcess(std::optional<std::string> config, const std::wstring& folder) {
    static std::atomic<int> serial{0};
    dir_ = fs::temp_directory_path() / (L"varrel-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                                        L"-" + std::to_wstring(serial++) + folder);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const char* exe = std::getenv("VARREL_EXE");
    fs::copy_file(exe && *exe ? exe : VARREL_EXE_PATH, dir_ / "varrel.exe");
    if (config) WriteWholeFile(ConfigPath(), *config);
}

VarrelProcess::~VarrelProcess() {
    // A program whose window never came up cannot be asked: it is terminated at once.
    if (Running() &&
        (!main_ || !PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0) || !WaitForExit(5000)))
        TerminateProcess(process_.Get(), 1);
    WaitForExit(5000);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

bool VarrelProcess::Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring exe = (dir_ / "varrel.exe").wstring();
    std::wstring commandLine = L"\"" + exe + L"\"";
    // Started from another folder, so that only its own path leads it to its settings file.
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir_.parent_path().c_str(), &startup, &info))
        return false;
    UniqueHandle thread(info.hThread);
    process_.Reset(info.hProcess);
    threadId_ = info.dwThreadId;
    main_ = WaitForWindow(threadId_, "-= Varrel =-");
    for (HWND page = nullptr; main_ && (page = FindWindowExW(main_, page, L"#32770", nullptr));)
        (GetDlgItem(page, IDC_POINTS) ? motion_ : about_) = page;
    return motion_ && about_ && Sync(motion_);
}

bool VarrelProcess::Add(const std::string& text) {
    SetTextOf(Control(IDC_POSITION), text);
    return Command(motion_, IDC_ADD, STN_CLICKED);
}

bool VarrelProcess::Select(int index) {
    return SendServed(Control(IDC_POINTS), LB_SETCURSEL, static_cast<WPARAM>(index)) == index &&
           Command(motion_, IDC_POINTS, LBN_SELCHANGE);
}

HWND VarrelProcess::OpenActionDialog(int index) {
    if (!Select(index)) return nullptr;
    PostCommand(motion_, IDC_POINTS, LBN_DBLCLK);
    return WaitForWindow(threadId_, "Mouse action");
}

bool VarrelProcess::WaitForStartCaption(const char* caption) const {
    return WaitFor([&] { return StartCaption() == caption; });
}

bool VarrelProcess::MoveTo(POINT topLeft) {
    SetWindowPos(main_, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return WaitFor([&] {
        RECT box{};
        GetWindowRect(main_, &box);
        return box.left == topLeft.x && box.top == topLeft.y;
    });
}

bool VarrelProcess::Settle() const {
    return Sync(main_) && WaitFor([this] {
               GUITHREADINFO info{};
               info.cbSize = sizeof info;
               return GetGUIThreadInfo(threadId_, &info) && !info.hwndCapture;
           });
}

std::optional<int> VarrelProcess::Selection() const {
    const LRESULT index = SendServed(Control(IDC_POINTS), LB_GETCURSEL).value_or(LB_ERR);
    return index < 0 ? std::nullopt : std::optional<int>(static_cast<int>(index));
}

bool VarrelProcess::HideAfterStart() const {
    return SendServed(Control(IDC_HIDE_AFTER_START), BM_GETCHECK) == BST_CHECKED;
}

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
