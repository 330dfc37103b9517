// Fuzz target of entry reading: ParseEntry and ReadInt against the C library's strtok and strtoll,
// and the point an entry gives kept through FormatPosition and ApplyAction.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "path/point_entry.h"

namespace {

using varrel::ScreenPoint;
using varrel::fuzz::Check;

// A number as the C library reads it, clamped to 32 bits.
int32_t LibraryReading(const char* field) {
    return static_cast<int32_t>(
        std::clamp<long long>(std::strtoll(field, nullptr, 10), INT32_MIN, INT32_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Check(varrel::ReadInt(text) == LibraryReading(text.c_str()), "ReadInt reads as strtoll");
    std::string buffer = text;  // strtok writes into it, and ends at its first NUL
    std::vector<const char*> fields;
    for (char* t = std::strtok(buffer.data(), ","); t; t = std::strtok(nullptr, ","))
        fields.push_back(t);
    const ScreenPoint start{-7, -9};
    ScreenPoint point = start;
    const std::string action = varrel::ParseEntry(text, point);
    Check(point.x == (fields.empty() ? start.x : LibraryReading(fields[0])), "x of the 1st field");
    Check(point.y == (fields.size() < 2 ? start.y : LibraryReading(fields[1])),
          "y of the 2nd field");
    Check(action == (fields.size() < 3 ? " " : fields[2]), "the action is the 3rd field");

    // Written back and read again from another record: the same point and action.
    ScreenPoint again{8, 6};
    const std::string written = varrel::FormatPosition(point.x, point.y) + "," + action;
    Check(varrel::ParseEntry(written, again) == action, "the action read back");
    Check(again == point, "the point read back");

    // An action set or cleared on an entry of two fields leaves its point where it was.
    if (fields.size() < 2) return 0;
    for (auto [choice, code] : {std::pair{varrel::ActionChoice::Click, 'C'},
                                std::pair{varrel::ActionChoice::None, ' '}}) {
        ScreenPoint edited = start;
        const std::string edit = varrel::ApplyAction(text, choice);
        Check(varrel::ActionCode(varrel::ParseEntry(edit, edited)) == code, "the action set");
        Check(edited == point, "the point kept by the action");
    }
    return 0;
}
