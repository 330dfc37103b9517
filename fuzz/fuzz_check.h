// The fuzz targets' check: a broken rule is a crash, named, that libFuzzer keeps the input of.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace varrel::fuzz {

inline void Check(bool holds, const char* rule) {
    if (holds) return;
    static_cast<void>(std::fprintf(stderr, "broken: %s\n", rule));
    std::abort();
}

}  // namespace varrel::fuzz
