// A PointerOps that notes its calls as text, "| P1,2 H10 R1,2 M1,2 S20 ", for the motion tests.
#pragma once

#include <sstream>
#include <stdexcept>

#include "motion/pointer_ops.h"

namespace varrel::testing {

// Pause endAfter + 1 (by default, beyond any test) reports the end of the run; one more throws.
struct RecordingPointerOps : PointerOps {
    explicit RecordingPointerOps(long endAfter = 1 << 20) : left(endAfter) { trace.precision(17); }
    void BeginSegment() override { trace << "| "; }
    void MoveTo(double x, double y) override { trace << 'M' << x << ',' << y << ' '; }
    void PressLeft(int32_t x, int32_t y) override { trace << 'P' << x << ',' << y << ' '; }
    void ReleaseLeft(int32_t x, int32_t y) override { trace << 'R' << x << ',' << y << ' '; }
    bool Sleep(int ms) override { return Pause('S', ms); }
    bool Hold(int ms) override { return Pause('H', ms); }
    bool Pause(char kind, int ms) {
        trace << kind << ms << ' ';
        return left-- > 0 || (left < -1 ? throw std::logic_error("a pause after the end") : false);
    }

    std::ostringstream trace;
    long left;
};

}  // namespace varrel::testing
