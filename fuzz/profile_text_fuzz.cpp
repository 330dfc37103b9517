// Fuzz target of the settings file's text: a value set with WithProfileValue reads back exactly
// with ProfileValue, and every other line and every other key stays as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "settings/profile_text.h"

namespace {

using varrel::fuzz::Check;

constexpr const char* SECTIONS[] = {"Main", "Other"};
constexpr const char* KEYS[] = {"Point", "Hide"};

// The bytes of `before` that `after` does not keep at its start or its end.
std::string Dropped(const std::string& before, const std::string& after) {
    const std::size_t most = std::min(before.size(), after.size());
    std::size_t head = 0, tail = 0;
    while (head < most && before[head] == after[head]) ++head;
    while (tail < most - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return before.substr(head, before.size() - head - tail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.PickValueInArray(SECTIONS), key = in.PickValueInArray(KEYS);
    // A value as the program sets it: one line, a C string.
    std::string value = in.ConsumeRandomLengthString(80);
    value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return !c || c == '\n'; }),
                value.end());
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string edited = varrel::WithProfileValue(text, section, key, value);
    Check(varrel::ProfileValue(edited, section, key) == value, "the value reads back exactly");
    Check(Dropped(text, edited).find('\n') == std::string::npos,
          "no byte outside the key's line is lost");
    Check(varrel::WithProfileValue(edited, section, key, value) == edited,
          "setting the value again changes nothing");
    for (const char* otherSection : SECTIONS) {
        for (const char* otherKey : KEYS) {
            if (otherSection == section && otherKey == key) continue;
            Check(varrel::ProfileValue(edited, otherSection, otherKey) ==
                      varrel::ProfileValue(text, otherSection, otherKey),
                  "every other key reads as before");
        }
    }
    return 0;
}
