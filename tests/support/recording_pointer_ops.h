// A PointerOps that notes its calls as text, "| P1,2 S10 R1,2 M1,2 S20 ", for the motion tests.
#pragma once

#include <sstream>

#include "motion/pointer_ops.h"

namespace varrel::testing {

// "|" begins a segment. The pauses after the first endAfter report that the run has ended.
struct RecordingPointerOps : PointerOps {
    explicit RecordingPointerOps(long endAfter = -1) : end(endAfter) { trace.precision(17); }
    void BeginSegment() override { trace << "| "; }
    void MoveTo(double x, double y) override { trace << 'M' << x << ',' << y << ' '; }
    void PressLeft(int32_t x, int32_t y) override { trace << 'P' << x << ',' << y << ' '; }
    void ReleaseLeft(int32_t x, int32_t y) override { trace << 'R' << x << ',' << y << ' '; }
    bool Sleep(int ms) override {
        trace << 'S' << ms << ' ';
        return end < 0 || ++pauses <= end;
    }

    std::ostringstream trace;
    long end, pauses = 0;
};

}  // namespace varrel::testing
