// Point entries: the text form x,y or x,y,A of one path point, and the rules that read and edit it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
PointEntry FormatPosition(int32_t x, int32_t y);

// Sets or clears the action of an entry: its third field, as ParseEntry finds it. A letter
// replaces that field and all after it, or follows a comma when the entry has just two fields;
// None cuts from the separator before the third field to the end. An entry of fewer than two
// fields can carry no action and comes back unchanged, as every entry does for NoChoice.
PointEntry ApplyAction(std::string_view entry, ActionChoice choice);

// The typed text as an entry without white space that ParseEntry reads as it reads the text:
// the same x and y, each present or not, and the same action code (an action field that starts
// with white space is no action). " 12 , 34 " gives "12,34", "10 20" gives "10". Text without
// white space comes back as it is; text of white space only, like no text, gives "" (nothing was
// typed).
PointEntry CompactEntry(std::string_view typed);

// What Add makes of typed text: its compact form (empty when nothing was typed), or nothing when
// that does not fit an entry. Never a cut of it: a cut could make another point or drop the action.
std::optional<PointEntry> TypedEntry(std::string_view typed);

}  // namespace varrel
