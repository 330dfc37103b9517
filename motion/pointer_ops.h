// PointerOps: what the segment walk needs from the platform to move the pointer and click.
#pragma once

#include <cstdint>

namespace varrel {

class PointerOps {
  public:
    virtual ~PointerOps() = default;

    // Told by the worker before each segment: the screen extent is read again here, so a change
    // of resolution takes effect from the next segment on.
    virtual void BeginSegment() {}

    // Places the pointer on the pixel (x, y), each truncated toward zero.
    virtual void MoveTo(double x, double y) = 0;
    // The left button goes down / up with the pointer on (x, y).
    virtual void PressLeft(int32_t x, int32_t y) = 0;
    virtual void ReleaseLeft(int32_t x, int32_t y) = 0;
    // Pauses for ms milliseconds. Returns false when the run has been asked to end: the pause
    // was cut short and the walk must send nothing more.
    virtual bool Sleep(int ms) = 0;
    // Keeps a pressed button down for ms milliseconds from now (the press has been sent), however
    // late the run is; otherwise as Sleep.
    virtual bool Hold(int ms) { return Sleep(ms); }
};

}  // namespace varrel
