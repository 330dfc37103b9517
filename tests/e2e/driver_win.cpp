// VarrelProcess and friends: process, messages, input and files for the end-to-end tests.
#include "tests/e2e/driver_win.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "varrel_exe_path.h"
#include "win/text_win.h"

namespace varrel::e2e {

namespace fs = std::filesystem;
using testing::Texts, testing::WaitFor;

namespace {

// A text that a message pair fills (its length, then the text), whole, in the ANSI code page.
std::string ReadText(HWND window, UINT lengthMessage, UINT textMessage, WPARAM index = 0) {
    const LRESULT length = SendServed(window, lengthMessage, index).value_or(-1);
    if (length <= 0) return {};
    // Room to spare: an entry the program replaces between the two messages may have grown.
    std::wstring wide(static_cast<std::size_t>(length) + 64, L'\0');
    const WPARAM first = textMessage == WM_GETTEXT ? wide.size() : index;
    const LRESULT got =
        SendServed(window, textMessage, first, reinterpret_cast<LPARAM>(&wide[0])).value_or(0);
    wide.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    return Narrow(wide);
}

// The \\?\ form, which the file functions take at any length.
fs::path Long(const fs::path& path) { return L"\\\\?\\" + path.wstring(); }

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream in(Long(path), std::ios::binary);
    return in ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}

std::string TextOf(HWND window) { return ReadText(window, WM_GETTEXTLENGTH, WM_GETTEXT); }

HWND WaitForWindow(DWORD threadId, const std::string& caption) {
    HWND found = nullptr;
    WaitFor([&] {
        while ((found = FindWindowExA(nullptr, found, nullptr, caption.c_str())))
            if ((!threadId || GetWindowThreadProcessId(found, nullptr) == threadId) &&
                IsWindowVisible(found))
                return true;
        return false;
    });
    return found;
}

VarrelProcess::VarrelProcess(std::optional<std::string> config, const std::wstring& folder) {
    static int serial = 0;
    const std::wstring name = L"varrel-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(serial++) + folder;
    dir_ = fs::temp_directory_path() / name;
    top_ = fs::temp_directory_path() / name.substr(0, name.find(L'\\'));
    std::error_code ignored;
    fs::remove_all(Long(top_), ignored);  // any depth and length
    fs::path level;
    for (const fs::path& part : dir_) CreateDirectoryW(Long(level /= part).c_str(), nullptr);
    const char* exe = std::getenv("VARREL_EXE");  // a folder not made fails the copy
    if (!CopyFileW(fs::path(exe && *exe ? exe : VARREL_EXE_PATH).c_str(),
                   Long(dir_ / "varrel.exe").c_str(), FALSE))
        unready_ = "copying varrel.exe failed, error " + std::to_string(GetLastError());
    if (config && !(std::ofstream(Long(ConfigPath()), std::ios::binary) << *config))
        unready_ = "writing its varrel.cfg failed";
}

VarrelProcess::~VarrelProcess() {
    // A program whose window never came up cannot be asked: it is terminated at once.
    if (Running() &&
        (!main_ || !PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0) || !WaitForExit(5000)))
        TerminateProcess(process_.Get(), 1);
    WaitForExit(5000);
    std::error_code ignored;
    if (ownsFolder_) fs::remove_all(Long(top_), ignored);
}

Result VarrelProcess::Start() {
    if (!unready_.empty()) return Result(false) << unready_;
    std::wstring commandLine = L"\"" + (dir_ / "varrel.exe").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Started from another folder, so that only its own path leads it to its settings file.
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        top_.parent_path().c_str(), &startup, &info))
        return Result(false) << "it did not start (error " << GetLastError() << ")";
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    threadId_ = info.dwThreadId;
    main_ = WaitForWindow(threadId_, MAIN_CAPTION);
    if (!main_) return Result(false) << "its main window did not show";
    for (HWND page = nullptr; (page = FindWindowExW(main_, page, L"#32770", nullptr));)
        (GetDlgItem(page, IDC_POINTS) ? motion_ : about_) = page;
    return Result(motion_ && about_ && Sync(motion_)) << "its pages did not answer";
}

Result VarrelProcess::Add(const std::string& text, int code) {
    if (!SendMessageTimeoutA(Control(IDC_POSITION), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 60000, nullptr))
        return Result(false) << "Position did not take \"" << text << '"';
    return Command(motion_, IDC_ADD, code);
}

Result VarrelProcess::Select(int index) {
    const LRESULT got = SendServed(Control(IDC_POINTS), LB_SETCURSEL, index).value_or(-2);
    if (got != index) return Result(false) << "selecting " << index << " gave " << got;
    return Command(motion_, IDC_POINTS, LBN_SELCHANGE);
}

HWND VarrelProcess::OpenActionDialog(int index) {
    if (!Select(index)) return nullptr;
    PostCommand(motion_, IDC_POINTS, LBN_DBLCLK);
    return WaitForWindow(threadId_, "Mouse action");
}

Result VarrelProcess::Answer(int button, const std::string& saying, bool byKeys) {
    HWND box = WaitForWindow(threadId_, "Varrel");
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += TextOf(c);
    if (!box || text.find(saying) == std::string::npos)
        return Result(false) << "the message box says \"" << text << "\", without \"" << saying
                             << '"';
    const WORD key = button == IDOK       ? VK_RETURN
                     : button == IDCANCEL ? VK_ESCAPE
                     : button == IDYES    ? 'Y'
                                          : 'N';
    if (byKeys) PressKeys({key});
    return Result((byKeys || PostMessageW(box, WM_COMMAND, button, 0)) &&
                  WaitFor([&] { return !IsWindow(box); }))
           << "the message box stayed";
}

Result VarrelProcess::MoveTo(POINT topLeft) {
    SetWindowPos(main_, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT box{};
    return Result(WaitFor([&] {
               return GetWindowRect(main_, &box) && box.left == topLeft.x && box.top == topLeft.y;
           }))
           << "the window stayed at " << box.left << "," << box.top;
}

Result VarrelProcess::Settle() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!Sync(main_)) return Result(false) << "the program does not answer";
    return Result(WaitFor([&] { return GetGUIThreadInfo(threadId_, &info) && !info.hwndCapture; }))
           << "window " << info.hwndCapture << " keeps the capture";
}

Texts VarrelProcess::Entries() const {
    Texts entries(std::max<LRESULT>(SendServed(Control(IDC_POINTS), LB_GETCOUNT).value_or(0), 0));
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = ReadText(Control(IDC_POINTS), LB_GETTEXTLEN, LB_GETTEXT, i);
    return entries;
}

std::optional<DWORD> VarrelProcess::WaitForExit(DWORD timeoutMs) const {
    DWORD code = 0;
    const bool ended = process_ && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
    return ended && GetExitCodeProcess(process_.Get(), &code) ? std::optional(code) : std::nullopt;
}

}  // namespace varrel::e2e
