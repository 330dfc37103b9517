// RunControl: starts the worker on the point list and ends it from the button or the hotkey.
#include "ui/run_control_win.h"

#include <utility>

#include "resources/resource.h"
#include "win/text_win.h"

namespace varrel {

RunControl::RunControl(HWND page, HWND mainWindow, std::function<void()> runChanging)
    : page_(page),
      mainWindow_(mainWindow),
      runChanging_(std::move(runChanging)),
      list_(GetDlgItem(page, IDC_POINTS), page) {}

RunControl::~RunControl() {
    worker_.End();
    run_.Release();
    ReleaseHotKey();
}

void RunControl::OnStartStop() {
    if (WindowText(GetDlgItem(page_, IDC_START)) == START_CAPTION) {
        Start();
    } else {
        Stop();
    }
}

void RunControl::OnHotKey(WPARAM, LPARAM lParam) {
    // Only the key is looked at: Shift+Esc is the one hotkey the page registers.
    if (HIWORD(lParam) != VK_ESCAPE) return;
    if (WindowText(GetDlgItem(page_, IDC_START)) != STOP_CAPTION) return;
    Stop();
}

void RunControl::EndRun() {
    if (worker_.Running()) Stop();
}

// The worker is started first: when its thread cannot be created, nothing shows a run, the
// caption stays "&Start" and the next Start tries again.
void RunControl::Start() {
    RegisterStopHotKey();
    stopKeyMissing_ = !hotKeyRegistered_;
    if (!worker_.Start(list_, run_)) return;
    if (runChanging_) runChanging_();
    SetDlgItemTextA(page_, IDC_START, STOP_CAPTION);
    // Minimized, the window could not say that Shift+Esc will not stop this run: it stays in view.
    if (!stopKeyMissing_ && IsDlgButtonChecked(page_, IDC_HIDE_AFTER_START) == BST_CHECKED) {
        ShowWindow(mainWindow_, SW_MINIMIZE);
    }
}

void RunControl::Stop() {
    worker_.End();
    run_.Release();
    if (runChanging_) runChanging_();
    SetDlgItemTextA(page_, IDC_START, START_CAPTION);
}

void RunControl::RegisterStopHotKey() {
    // The atom is added once and the hotkey stays in force until the program ends; a start after
    // a failed registration (another program held Shift+Esc) tries again.
    if (!atom_) atom_ = GlobalAddAtomA(HOTKEY_ATOM_NAME);
    if (atom_ && !hotKeyRegistered_) {
        hotKeyRegistered_ = RegisterHotKey(page_, atom_, MOD_SHIFT, VK_ESCAPE) != FALSE;
    }
}

void RunControl::ReleaseHotKey() {
    if (hotKeyRegistered_) UnregisterHotKey(page_, atom_);
    hotKeyRegistered_ = false;
    if (atom_) GlobalDeleteAtom(atom_);
    atom_ = 0;
}

}  // namespace varrel
