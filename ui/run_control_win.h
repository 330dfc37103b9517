// RunControl: Start/Stop of the motion page, the Shift+Esc stop hotkey, and the stops a run makes
// by itself (the pointer taken, the session locked, the screens changed).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "motion/motion_worker_win.h"
#include "path/run_list.h"
#include "ui/list_box_point_list_win.h"
#include "ui/status_board.h"

namespace varrel {

constexpr char START_CAPTION[] = "&Start";
constexpr char STOP_CAPTION[] = "&Stop";
constexpr wchar_t HOTKEY_ATOM_NAME[] = L"Varrel";

// What the status line says about runs.
constexpr char NO_STOP_KEY_TEXT[] = "Shift+Esc won't stop this run; Stop will.";
constexpr char STOPPED_MOVED_TEXT[] = "Stopped: the mouse was moved.";
constexpr char STOPPED_LOCKED_TEXT[] = "Stopped: the session was locked.";
constexpr char STOPPED_DISCONNECTED_TEXT[] = "Stopped: the session was disconnected.";
constexpr char STOPPED_SCREENS_TEXT[] = "Stopped: the screens changed.";
constexpr char NOT_STARTED_TEXT[] = "Not started: the point list could not be read.";

// Posted to the page by the worker when it has news (wParam: the run's serial).
constexpr UINT WM_RUN_NEWS = WM_APP + 0x120;
// Ends the time after an unasked stop in which Start starts nothing.
constexpr UINT_PTR START_GUARD_TIMER = 0x5647;  // 'VG'

// The caption of the Start button is the run state: "&Start" idle, "&Stop" running.
class RunControl {
  public:
    // page: the motion page (owner of the button, the list and the hotkey); mainWindow: the
    // window that "Hide after start" minimizes; status: the page's status line, whose `told`
    // shows it anew; runChanging: called once a run has started or ended, before the caption
    // changes or the window is minimized.
    RunControl(HWND page, HWND mainWindow, StatusBoard& status, std::function<void()> told,
               std::function<void()> runChanging = {});
    // Ends a running worker and gives the hotkey and its atom back.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    void OnStartStop();                           // IDC_START command
    void OnHotKey(WPARAM wParam, LPARAM lParam);  // WM_HOTKEY
    void OnRunNews(WPARAM serial);                // WM_RUN_NEWS
    void OnGuardTimer();                          // START_GUARD_TIMER
    void ReleaseHotKey();                         // unregisters Shift+Esc and deletes the atom
    // Stops a run that goes on, as the Stop button does; nothing while idle.
    void EndRun();
    // Stops a run that goes on because the program is no longer in charge, saying why.
    void StopBecause(const char* why);
    // The last Start could not register Shift+Esc (another program, or another copy, holds it):
    // only the button stops the run. Stays so until a Start registers it.
    bool StopKeyMissing() const { return stopKeyMissing_; }

  private:
    void Start();
    void Stop(bool byUser);
    void RegisterStopHotKey();
    void Tell(const RunNotice& notice);

    HWND page_;
    HWND mainWindow_;
    StatusBoard& status_;
    std::function<void()> told_;
    std::function<void()> runChanging_;
    ListBoxPointList list_;
    RunList run_;
    MotionWorker worker_;
    StartGuard guard_;
    bool focusMoved_ = false;  // the guard took the focus from the disabled button
    ATOM atom_ = 0;
    bool hotKeyRegistered_ = false;
    bool stopKeyMissing_ = false;
};

}  // namespace varrel
