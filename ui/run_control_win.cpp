// RunControl: starts the worker on the point list and ends it from the button, the hotkey, or
// the run's own news.
#include "ui/run_control_win.h"

#include <utility>

#include "resources/resource.h"
#include "win/text_win.h"

namespace varrel {

namespace {

std::string PointName(const RunNotice& n) {
    return "Point " + std::to_string(n.index + 1) + " (" + std::to_string(n.at.x) + "," +
           std::to_string(n.at.y) + ")";
}

void FocusOn(HWND dialog, HWND control) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

}  // namespace

RunControl::RunControl(HWND page, HWND mainWindow, StatusBoard& status, std::function<void()> told,
                       std::function<void()> runChanging)
    : page_(page),
      mainWindow_(mainWindow),
      status_(status),
      told_(std::move(told)),
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
        Stop(true);
    }
}

void RunControl::OnHotKey(WPARAM, LPARAM lParam) {
    // Only the key is looked at: Shift+Esc is the one hotkey the page registers.
    if (HIWORD(lParam) != VK_ESCAPE) return;
    if (WindowText(GetDlgItem(page_, IDC_START)) != STOP_CAPTION) return;
    Stop(true);
}

void RunControl::EndRun() {
    if (worker_.Running()) Stop(true);
}

// News of a run that has already been stopped is old.
void RunControl::OnRunNews(WPARAM serial) {
    std::vector<RunNotice> news = worker_.TakeNews();
    if (serial != worker_.Serial() || !worker_.Running()) return;
    for (const RunNotice& notice : news) Tell(notice);
}

void RunControl::Tell(const RunNotice& n) {
    switch (n.kind) {
        case RunNotice::Kind::OffScreen:
            status_.Post(Notice::OffScreen,
                         n.more > 0 ? PointName(n) + " and " + std::to_string(n.more) +
                                          " more are on no screen: no clicks there."
                                    : PointName(n) + " is on no screen: no click there.");
            break;
        case RunNotice::Kind::CannotReach:
            status_.Post(Notice::CannotReach,
                         PointName(n) + ": the window there takes no clicks from Varrel.");
            break;
        case RunNotice::Kind::Taken:
            StopBecause(STOPPED_MOVED_TEXT);
            break;
        case RunNotice::Kind::BuildFailed:
            if (!worker_.Running()) break;
            Stop(true);
            status_.Post(Notice::Stopped, NOT_STARTED_TEXT);
            break;
    }
    if (told_) told_();
}

// The hand that took the mouse may be on its way to Stop: the button rests a moment, so that
// the press meant for Stop starts nothing.
void RunControl::StopBecause(const char* why) {
    if (!worker_.Running()) return;
    Stop(false);
    status_.Post(Notice::Stopped, why);
    HWND button = GetDlgItem(page_, IDC_START);
    // A disabled button keeps no focus: the neighbour takes it for that time, and gives it back.
    focusMoved_ = GetFocus() == button;
    if (focusMoved_) FocusOn(mainWindow_, GetDlgItem(page_, IDC_STOP_ON_MOVE));
    EnableWindow(button, FALSE);
    SetTimer(page_, START_GUARD_TIMER, static_cast<UINT>(START_GUARD_MS), nullptr);
    if (told_) told_();
}

void RunControl::OnGuardTimer() {
    KillTimer(page_, START_GUARD_TIMER);
    HWND button = GetDlgItem(page_, IDC_START);
    EnableWindow(button, TRUE);
    if (focusMoved_ && GetFocus() == GetDlgItem(page_, IDC_STOP_ON_MOVE))
        FocusOn(mainWindow_, button);
    focusMoved_ = false;
}

// The worker is started first: when its thread cannot be created, nothing shows a run, the
// caption stays "&Start" and the next Start tries again. A press that comes too soon after an
// unasked stop (the button was disabled, but a message may still come) starts nothing.
void RunControl::Start() {
    if (!guard_.Allows(static_cast<int64_t>(GetTickCount64()))) return;
    RegisterStopHotKey();
    stopKeyMissing_ = !hotKeyRegistered_;
    RunSettings settings;
    settings.watchPointer = IsDlgButtonChecked(page_, IDC_STOP_ON_MOVE) == BST_CHECKED;
    settings.notify = page_;
    settings.message = WM_RUN_NEWS;
    if (!worker_.Start(list_, run_, std::move(settings))) return;
    for (Notice done : {Notice::OffScreen, Notice::CannotReach, Notice::Stopped})
        status_.Withdraw(done);
    if (stopKeyMissing_) {
        status_.Post(Notice::NoStopKey, NO_STOP_KEY_TEXT);
    } else {
        status_.Withdraw(Notice::NoStopKey);
    }
    if (told_) told_();
    if (runChanging_) runChanging_();
    SetText(GetDlgItem(page_, IDC_START), STOP_CAPTION);
    // Minimized, the window could not say that Shift+Esc will not stop this run: it stays in view.
    if (!stopKeyMissing_ && IsDlgButtonChecked(page_, IDC_HIDE_AFTER_START) == BST_CHECKED) {
        ShowWindow(mainWindow_, SW_MINIMIZE);
    }
}

void RunControl::Stop(bool byUser) {
    worker_.End();
    run_.Release();
    guard_.Stopped(byUser, static_cast<int64_t>(GetTickCount64()));
    if (runChanging_) runChanging_();
    SetText(GetDlgItem(page_, IDC_START), START_CAPTION);
}

void RunControl::RegisterStopHotKey() {
    // The atom is added once and the hotkey stays in force until the program ends; a start after
    // a failed registration (another program held Shift+Esc) tries again.
    if (!atom_) atom_ = GlobalAddAtomW(HOTKEY_ATOM_NAME);
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
