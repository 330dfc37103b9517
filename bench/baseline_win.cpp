// Naive baseline for the end-to-end benchmark: a window whose Start walks the square with
// Sleep(20), and whose click walk holds each click with Sleep(10).
#include "baseline_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

using varrel::bench::BASELINE_CLICKS_ID;
using varrel::bench::BASELINE_IDLE_CAPTION;
using varrel::bench::BASELINE_RUNNING_CAPTION;
using varrel::bench::BASELINE_START_ID;
using varrel::bench::BASELINE_STOP_ID;

constexpr POINT SQUARE[] = {{600, 400}, {700, 400}, {700, 500}, {600, 500}};
constexpr int CORNERS = 4;
constexpr POINT CLICKS[] = {{600, 400}, {604, 400}};

std::atomic<bool> g_stop{false};
std::thread g_walker;

void Send(DWORD flags, LONG x, LONG y) {
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    mouse_event(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                static_cast<DWORD>((x * 65536LL + width - 1) / width),
                static_cast<DWORD>((y * 65536LL + height - 1) / height), 0, 0);
}

void MoveTo(LONG x, LONG y) { Send(0, x, y); }

// A click at each point (press, Sleep(10), release), then one pixel a step to the other.
void WalkClicks() {
    for (int at = 0;; at = 1 - at) {
        const POINT from = CLICKS[at];
        const POINT to = CLICKS[1 - at];
        Send(MOUSEEVENTF_LEFTDOWN, from.x, from.y);
        Sleep(10);
        Send(MOUSEEVENTF_LEFTUP, from.x, from.y);
        const LONG steps = std::labs(to.x - from.x);
        for (LONG i = 0; i < steps; ++i) {
            MoveTo(from.x + (to.x - from.x) * i / steps, from.y);
            Sleep(20);
            if (g_stop) return;
        }
    }
}

// One pixel a step along each side, its end excluded, and a plain Sleep after every move.
void Walk() {
    for (int corner = 0;; corner = (corner + 1) % CORNERS) {
        const POINT from = SQUARE[corner];
        const POINT to = SQUARE[(corner + 1) % CORNERS];
        const LONG steps = std::max(std::labs(to.x - from.x), std::labs(to.y - from.y));
        for (LONG i = 0; i < steps; ++i) {
            MoveTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
            Sleep(20);
            if (g_stop) return;
        }
    }
}

void StopWalk() {
    g_stop = true;
    if (g_walker.joinable()) g_walker.join();
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if ((LOWORD(wParam) == BASELINE_START_ID || LOWORD(wParam) == BASELINE_CLICKS_ID) &&
                !g_walker.joinable()) {
                g_stop = false;
                g_walker = std::thread(LOWORD(wParam) == BASELINE_START_ID ? Walk : WalkClicks);
                SetWindowTextA(window, BASELINE_RUNNING_CAPTION);
            } else if (LOWORD(wParam) == BASELINE_STOP_ID) {
                StopWalk();
                SetWindowTextA(window, BASELINE_IDLE_CAPTION);
            }
            return 0;
        case WM_DESTROY:
            StopWalk();
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "VarrelBaseline";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VarrelBaseline", BASELINE_IDLE_CAPTION, WS_OVERLAPPEDWINDOW, 40,
                                40, 220, 120, nullptr, nullptr, instance, nullptr);
    CreateWindowA("BUTTON", "Start", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 30, window,
                  reinterpret_cast<HMENU>(BASELINE_START_ID), instance, nullptr);
    CreateWindowA("BUTTON", "Stop", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 110, 10, 80, 30, window,
                  reinterpret_cast<HMENU>(BASELINE_STOP_ID), instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
