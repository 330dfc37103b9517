// UniqueHandle: the one owner of a kernel handle, closed when the owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace varrel {

class UniqueHandle {
  public:
    UniqueHandle() = default;
    // Takes h; null and INVALID_HANDLE_VALUE both mean "none".
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.h_, nullptr));
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(HANDLE h = nullptr) {
        if (h_) CloseHandle(h_);
        h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }

  private:
    HANDLE h_ = nullptr;
};

}  // namespace varrel
