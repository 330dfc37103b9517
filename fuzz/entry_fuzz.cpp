// Fuzz target of entries and typed text: ParseEntry and ReadInt against the C library's strtok and
// strtoll, the point an entry gives kept through FormatPosition and ApplyAction, and what Add makes
// of the text typed in Position (CompactEntry, TypedEntry) read as the text typed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "path/point_entry.h"

namespace {

constexpr char WHITE_SPACE[] = " \t\n\v\f\r";
// An action field that starts with white space is no action.
char NoAction(char code) { return std::strchr(WHITE_SPACE, code) && code ? ' ' : code; }

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

    // Typed in Position (a C string): what Add takes of it (its compact form, whole or not at all)
    // reads as the text from any record.
    const std::string shown = text.substr(0, text.find('\0')), compact = varrel::CompactEntry(text);
    const bool blank = shown.find_first_not_of(WHITE_SPACE) == std::string::npos;
    Check(compact.empty() == blank, "nothing typed, and only that, gives no entry");
    Check(compact.find_first_of(WHITE_SPACE) == std::string::npos, "no white space is left");
    Check(varrel::CompactEntry(compact) == compact, "an entry is its own compact form");
    Check(shown.find_first_of(WHITE_SPACE) != std::string::npos || compact == shown,
          "text without white space is kept as typed");
    const std::optional<std::string> entry = varrel::TypedEntry(text);
    Check(entry ? *entry == compact && entry->size() <= varrel::MAX_ENTRY_CHARS
                : compact.size() > varrel::MAX_ENTRY_CHARS,
          "Add takes the whole entry when it fits, else nothing");
    for (ScreenPoint from : {start, ScreenPoint{8, 6}}) {
        ScreenPoint fromCompact = from;
        const char code = NoAction(varrel::ActionCode(varrel::ParseEntry(compact, fromCompact)));
        Check(blank || code == NoAction(varrel::ActionCode(varrel::ParseEntry(text, from))),
              "the entry's action reads as the text's");
        Check(blank || fromCompact == from, "the entry's point reads as the text's");
    }

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
