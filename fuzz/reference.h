// The C library's own readings (strtok, strtol) to check the program's readers against, and
// FUZZ_CHECK, which stops the fuzzer with a message when a checked property fails.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace varrel::fuzz {

// The tokens strtok finds in text (up to its first NUL) with the given delimiters.
inline std::vector<std::string> StrtokTokens(const std::string& text, const char* delimiters) {
    std::string buffer(text.c_str());  // the C string the text would be
    std::vector<std::string> tokens;
    for (char* token = std::strtok(&buffer[0], delimiters); token != nullptr;
         token = std::strtok(nullptr, delimiters)) {
        tokens.emplace_back(token);
    }
    return tokens;
}

// atoi's reading, saturated to 32 bits: strtol saturates to long, then clamp.
inline int32_t SaturatedAtoi(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

}  // namespace varrel::fuzz
