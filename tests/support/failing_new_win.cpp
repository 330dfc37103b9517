// The program's operator new and delete, over malloc, with a switch that fails one allocation.
#include "tests/support/failing_new_win.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace varrel::testing {
namespace {

std::atomic<DWORD> g_armed{0};  // the thread whose next allocation fails; 0: none
std::atomic<bool> g_failed{false};

bool FailsNow() {
    DWORD thread = GetCurrentThreadId();
    return g_armed.load() == thread && g_armed.compare_exchange_strong(thread, 0);
}

}  // namespace

void FailNextAllocation(DWORD thread) {
    g_failed = false;
    g_armed = thread;
}

bool AllocationFailed() { return g_failed; }

}  // namespace varrel::testing

// The array, aligned-free and nothrow forms of the library come here through these.
void* operator new(std::size_t size) {
    if (varrel::testing::FailsNow()) {
        varrel::testing::g_failed = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
