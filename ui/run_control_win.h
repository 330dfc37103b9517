// RunControl: Start/Stop of the motion page and the Shift+Esc stop hotkey.
#pragma once

#include <windows.h>

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
    // window that "Hide after start" minimizes.
    RunControl(HWND page, HWND mainWindow);
    // Ends a running worker and gives the hotkey and its atom back.
    ~RunControl();
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    void OnStartStop();                           // IDC_START command
    void OnHotKey(WPARAM wParam, LPARAM lParam);  // WM_HOTKEY
    void ReleaseHotKey();                         // unregisters Shift+Esc and deletes the atom
    // Stops a run that goes on, as the Stop button does; nothing while idle.
    void EndRun();

  private:
    void Start();
    void Stop();
    void RegisterStopHotKey();

    HWND page_;
    HWND mainWindow_;
    ListBoxPointList list_;
    RunList run_;
    MotionWorker worker_;
    ATOM atom_ = 0;
    bool hotKeyRegistered_ = false;
};

}  // namespace varrel
