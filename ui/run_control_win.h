// RunControl: Start/Stop of the motion page and the Shift+Esc stop hotkey.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "motion/motion_worker_win.h"
#include "path/run_list.h"
#include "ui/list_box_point_list_win.h"

namespace varrel {

constexpr char START_CAPTION[] = "&Start";
constexpr char STOP_CAPTION[] = "&Stop";
constexpr char HOTKEY_ATOM_NAME[] = "Varrel";

// The caption of the Start button is the run state: "&Start" idle, "&Stop" running.
class RunControl {
  public:
    // page: the motion page (owner of the button, the list and the hotkey); mainWindow: the
    // window that "Hide after start" minimizes; runChanging: called once a run has started or
    // ended, before the caption changes or the window is minimized.
    RunControl(HWND page, HWND mainWindow, std::function<void()> runChanging = {});
    // Ends a running worker and gives the hotkey and its atom back.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    void OnStartStop();                           // IDC_START command
    void OnHotKey(WPARAM wParam, LPARAM lParam);  // WM_HOTKEY
    void ReleaseHotKey();                         // unregisters Shift+Esc and deletes the atom
    // Stops a run that goes on, as the Stop button does; nothing while idle.
    void EndRun();
    // The last Start could not register Shift+Esc (another program, or another copy, holds it):
    // only the button stops the run. Stays so until a Start registers it.
    bool StopKeyMissing() const { return stopKeyMissing_; }

  private:
    void Start();
    void Stop();
    void RegisterStopHotKey();

    HWND page_;
    HWND mainWindow_;
    std::function<void()> runChanging_;
    ListBoxPointList list_;
    RunList run_;
    MotionWorker worker_;
    ATOM atom_ = 0;
    bool hotKeyRegistered_ = false;
    bool stopKeyMissing_ = false;
};

}  // namespace varrel
