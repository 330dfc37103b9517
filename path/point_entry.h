// Point entries: the text form x,y or x,y,A of one point of the path, and the rules that read and edit it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varrel {

// A position in pixels of the primary screen, origin top-left.
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

inline bool operator==(ScreenPoint a, ScreenPoint b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(ScreenPoint a, ScreenPoint b) { return !(a == b); }

// The text of one point entry. Entries made in the window are at most MAX_ENTRY_CHARS long;
// entries loaded from a file may be longer and are handled whole.
using PointEntry = std::string;
constexpr std::size_t MAX_ENTRY_CHARS = 14;

// The action letter of an entry: the first character of its third field.
enum class EntryAction : char {
    None = ' ',
    Click = 'C',
    Down = 'D',
    Up = 'U',
    DoubleClick = 'B',
};

// What the user chose in the mouse action dialog.
enum class ActionChoice {
    NoChoice,  // the dialog ended without a choice: nothing changes
    Down,
    Up,
    Click,
    DoubleClick,
    None,  // clear the action
};

// Reads a decimal integer the way atoi does (leading white space, optional sign, digits up to
// the first non-digit, no digits gives 0), saturating to the signed 32-bit range.
int32_t ReadInt(std::string_view text);

// Splits text at commas: x into record.x, y into record.y, each only when its field is present.
// Returns the action text: the third field, or " " when there is none.
std::string ParseEntry(std::string_view text, ScreenPoint& record);

// The action code of an action text: its first character.
inline char ActionCode(std::string_view actionText) {
    return actionText.empty() ? ' ' : actionText.front();
}

// The text x,y for a position (no action field).
std::string FormatPosition(int32_t x, int32_t y);

// Sets or clears the action suffix (a comma and one letter at the end) of an entry.
std::string ApplyAction(std::string_view entry, ActionChoice choice);

}  // namespace varrel
