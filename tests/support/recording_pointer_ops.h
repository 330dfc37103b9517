// A PointerOps that records every call, for tests of the walk and the worker loop.
#pragma once

#include <cstdint>
#include <vector>

#include "motion/pointer_ops.h"

namespace varrel::testing {

struct PointerCall {
    enum Kind { Move, Press, Release, Sleep, Segment } kind;
    double x = 0;
    double y = 0;
    int ms = 0;
};

class RecordingPointerOps : public PointerOps {
  public:
    // The first `pausesBeforeEnd` pauses run their course; from the next one on the run counts as
    // ended. -1: it never ends.
    explicit RecordingPointerOps(long pausesBeforeEnd = -1) : pausesBeforeEnd_(pausesBeforeEnd) {}

    void BeginSegment() override { calls.push_back({PointerCall::Segment, 0, 0, 0}); }
    void MoveTo(double x, double y) override { calls.push_back({PointerCall::Move, x, y, 0}); }
    void PressLeft(int32_t x, int32_t y) override {
        calls.push_back({PointerCall::Press, double(x), double(y), 0});
    }
    void ReleaseLeft(int32_t x, int32_t y) override {
        calls.push_back({PointerCall::Release, double(x), double(y), 0});
    }
    bool Sleep(int ms) override {
        calls.push_back({PointerCall::Sleep, 0, 0, ms});
        ++pauses_;
        return pausesBeforeEnd_ < 0 || pauses_ <= pausesBeforeEnd_;
    }

    std::vector<PointerCall> Of(PointerCall::Kind kind) const {
        std::vector<PointerCall> out;
        for (const auto& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }

    std::vector<PointerCall> calls;

  private:
    long pausesBeforeEnd_;
    long pauses_ = 0;
};

}  // namespace varrel::testing
