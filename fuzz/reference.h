// The C library's own readings (strtok, strtol) to check the program's readers against, and
// FUZZ_CHECK, which stops the fuzzer with a message when a checked property fails.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : (std::fprintf(stderr, "check failed: %s\n", #condition), std::abort()))

namespace varrel::fuzz {

// The tokens strtok finds in text (up to its first NUL) with the given delimiters.
inline std::vector<std::string> StrtokTokens(const std::string& text, const char* delimiters) {
    std::string buffer(text.c_str());  // the C string the text would be
    std::vector<std::string> tokens;
    for (char* t = std::strtok(&buffer[0], delimiters); t; t = std::strtok(nullptr, delimiters))
        tokens.emplace_back(t);
    return tokens;
}

// atoi's reading, saturated to 32 bits: strtol saturates to a 64-bit long, then clamp.
inline int32_t SaturatedAtoi(const std::string& text) {
    return static_cast<int32_t>(
        std::clamp<long long>(std::strtoll(text.c_str(), nullptr, 10), INT32_MIN, INT32_MAX));
}

}  // namespace varrel::fuzz
