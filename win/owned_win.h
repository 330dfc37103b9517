// Owned and friends: move-only owners of kernel handles, GDI objects, cursors and drawing contexts.
#pragma once

#include <windows.h>

#include <utility>

namespace varrel {

// The one owner of a handle that Free releases when the owner goes. Null, and the
// INVALID_HANDLE_VALUE some kernel functions return for a failure, both mean "none".
template <typename Handle, BOOL(WINAPI* Free)(Handle)>
class Owned {
  public:
    Owned() = default;
    explicit Owned(Handle h) : h_(None(h) ? nullptr : h) {}
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    Handle Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(Handle h = nullptr) {
        if (h_) Free(h_);
        h_ = None(h) ? nullptr : h;
    }

  private:
    static bool None(Handle h) { return !h || static_cast<const void*>(h) == INVALID_HANDLE_VALUE; }
    Handle h_ = nullptr;
};

using UniqueHandle = Owned<HANDLE, CloseHandle>;
using GdiObject = Owned<HGDIOBJ, DeleteObject>;
using OwnedCursor = Owned<HCURSOR, DestroyCursor>;
using MemoryDc = Owned<HDC, DeleteDC>;  // from CreateCompatibleDC

// The whole screen's drawing context, given back when it goes.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// An object selected into a drawing context until this goes, when the one it replaced comes back.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selected() {
        if (old_) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace varrel
