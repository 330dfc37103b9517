// The performance counter as the benchmarks read it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace varrel::bench {

inline int64_t Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Counter ticks in seconds.
inline double Seconds(int64_t ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

}  // namespace varrel::bench
