// Shared helpers of the run, picker and action dialog end-to-end tests: hook records as text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/mouse_hook_recorder_win.h"

namespace varrel::e2e {

using testing::MouseEvent;

// "M100,100" for a move, "D…" for a press, "U…" for a release, "?…" for anything else.
inline std::string EventText(const MouseEvent& e) {
    const char* kind = e.kind == MouseEvent::Move       ? "M"
                       : e.kind == MouseEvent::LeftDown ? "D"
                       : e.kind == MouseEvent::LeftUp   ? "U"
                                                        : "?";
    return kind + std::to_string(e.pt.x) + "," + std::to_string(e.pt.y);
}

inline std::vector<std::string> EventTexts(const std::vector<MouseEvent>& events) {
    std::vector<std::string> out;
    for (const MouseEvent& e : testing::WithoutMovesIntoButtons(events))
        out.push_back(EventText(e));
    return out;
}

inline int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The events stamped after `since`.
inline std::vector<MouseEvent> After(const std::vector<MouseEvent>& events, int64_t since) {
    std::vector<MouseEvent> out;
    for (const MouseEvent& e : events)
        if (e.time > since) out.push_back(e);
    return out;
}

// The events after the first release at `at` (the driver's own click there), or all of them.
inline std::vector<MouseEvent> AfterReleaseAt(const std::vector<MouseEvent>& events, POINT at) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MouseEvent& e = events[i];
        if (e.kind == MouseEvent::LeftUp && e.pt.x == at.x && e.pt.y == at.y)
            return std::vector<MouseEvent>(events.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                           events.end());
    }
    return events;
}

// The events that are not at `at`: the driver's own clicks there, and the move the system
// reports there after such a click.
inline std::vector<MouseEvent> Elsewhere(const std::vector<MouseEvent>& events, POINT at) {
    std::vector<MouseEvent> out;
    for (const MouseEvent& e : events)
        if (e.pt.x != at.x || e.pt.y != at.y) out.push_back(e);
    return out;
}

// The moves from (x0, y) towards x1, the last one step short of x1.
inline std::vector<std::string> MovesAlong(int x0, int x1, int y) {
    std::vector<std::string> out;
    const int step = x1 > x0 ? 1 : -1;
    for (int x = x0; x != x1; x += step)
        out.push_back("M" + std::to_string(x) + "," + std::to_string(y));
    return out;
}

}  // namespace varrel::e2e
