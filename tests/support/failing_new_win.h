// A seam for the program's allocations: the next one made on a chosen thread throws, as an
// allocation does when memory runs out.
#pragma once

#include <windows.h>

namespace varrel::testing {

// The next allocation by operator new on `thread` throws std::bad_alloc; those after it succeed.
void FailNextAllocation(DWORD thread);
// Whether the allocation armed last has failed yet.
bool AllocationFailed();

}  // namespace varrel::testing
