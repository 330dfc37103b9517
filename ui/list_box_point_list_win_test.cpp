// Tests of ListBoxPointList with the motion worker: a stop while the worker reads a big list that
// this thread serves.
#include "ui/list_box_point_list_win.h"

#include <gtest/gtest.h>

#include "motion/motion_worker_win.h"
#include "path/point_entry.h"
#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel {
namespace {

// A hidden list box of this thread, whose owner serves the worker's entry reads.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_READ_ENTRY) return ListBoxPointList::ServeEntryRead(lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(ListBoxPointList, EndWhileTheWorkerReadsTenThousandEntriesFromThisThread) {
    testing::MouseHookRecorder hook;
    ASSERT_TRUE(hook.Installed());
    HWND owner = CreateWindowW(L"STATIC", L"", 0, 0, 0, 9, 9, {}, {}, {}, {});
    SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc));
    HWND box = CreateWindowW(L"LISTBOX", L"", WS_CHILD, 0, 0, 9, 9, owner, {}, {}, {});
    ListBoxPointList list(box, owner);
    for (int i = 0; i < 10000; ++i) list.Append(FormatPosition(100 + i % 300, 100 + i / 300));
    // Ended while this thread serves nothing (the worker waits in its first read), then while it
    // serves the reads as they come: what was built is always a true prefix, and nothing is sent.
    for (int serveMs : {0, 0, 1, 30}) {
        RunList run;
        MotionWorker worker;
        ASSERT_TRUE(worker.Start(list, run));
        for (const ULONGLONG until = GetTickCount64() + serveMs; GetTickCount64() < until;)
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        worker.End();
        ASSERT_LE(run.count, serveMs ? 10000 : 1);
        for (int i = 0; i < run.count; ++i)
            ASSERT_EQ(run.points[i], (ScreenPoint{100 + i % 300, 100 + i / 300})) << i;
        run.Release();
    }
    EXPECT_TRUE(hook.Injected().empty());
    DestroyWindow(owner);
}

}  // namespace
}  // namespace varrel
