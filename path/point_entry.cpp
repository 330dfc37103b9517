// Point entry parsing, formatting, the action rule and the white-space-free form of typed text.
#include "path/point_entry.h"

#include <algorithm>
#include <limits>

namespace varrel {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Next run of non-comma characters at or after pos, as strtok with "," finds it.
bool NextToken(std::string_view text, std::size_t& pos, std::string_view& token) {
    while (pos < text.size() && text[pos] == ',') ++pos;
    if (pos >= text.size()) return false;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ',') ++pos;
    token = text.substr(start, pos - start);
    return true;
}

// A field without white space that reads as the field does. A number is read from its first
// character that is not white space up to the first non-digit, so the field can end at the first
// white space after that; a field of white space only still counts, and reads as 0. An action
// field (no leading white space) keeps its first character.
std::string WithoutSpace(std::string_view field) {
    const auto start = std::find_if_not(field.begin(), field.end(), IsSpace);
    const auto end = std::find_if(start, field.end(), IsSpace);
    return start == end ? std::string("0") : std::string(start, end);
}

char LetterOf(ActionChoice choice) {
    switch (choice) {
        case ActionChoice::Down:
            return static_cast<char>(EntryAction::Down);
        case ActionChoice::Up:
            return static_cast<char>(EntryAction::Up);
        case ActionChoice::Click:
            return static_cast<char>(EntryAction::Click);
        case ActionChoice::DoubleClick:
            return static_cast<char>(EntryAction::DoubleClick);
        default:
            return 0;
    }
}

}  // namespace

int32_t ReadInt(std::string_view text) {
    std::size_t i = 0;
    // The text ends at a NUL as a C string would.
    const std::size_t end = std::min(text.size(), text.find('\0'));
    while (i < end && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; i < end && IsDigit(text[i]); ++i) {
        if (value <= limit) value = value * 10 + (text[i] - '0');
    }
    if (negative) {
        value = -value;
        return value < std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::min()
                                                           : static_cast<int32_t>(value);
    }
    return value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                       : static_cast<int32_t>(value);
}

std::string ParseEntry(std::string_view text, ScreenPoint& record) {
    text = text.substr(0, text.find('\0'));
    std::size_t pos = 0;
    std::string_view token;
    if (NextToken(text, pos, token)) {
        record.x = ReadInt(token);
        if (NextToken(text, pos, token)) {
            record.y = ReadInt(token);
            if (NextToken(text, pos, token)) return std::string(token);
        }
    }
    return " ";
}

PointEntry FormatPosition(int32_t x, int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
}

PointEntry ApplyAction(std::string_view entry, ActionChoice choice) {
    // The entry ends at a NUL for the parser: the action goes where the parser will find it.
    entry = entry.substr(0, entry.find('\0'));
    std::string result(entry);
    std::size_t pos = 0;
    std::string_view field;
    if (choice == ActionChoice::NoChoice || !NextToken(entry, pos, field) ||
        !NextToken(entry, pos, field)) {
        return result;
    }
    const std::size_t secondFieldEnd = pos;
    const bool hasThird = NextToken(entry, pos, field);
    if (choice == ActionChoice::None) {
        if (hasThird) result.resize(secondFieldEnd);
        return result;
    }
    if (hasThird) {
        result.resize(static_cast<std::size_t>(field.data() - entry.data()));
    } else {
        result += ',';
    }
    result += LetterOf(choice);
    return result;
}

PointEntry CompactEntry(std::string_view typed) {
    typed = typed.substr(0, typed.find('\0'));
    if (std::all_of(typed.begin(), typed.end(), IsSpace)) return std::string();
    if (std::none_of(typed.begin(), typed.end(), IsSpace)) return std::string(typed);
    std::string compact;
    std::size_t pos = 0;
    std::string_view field;
    for (int index = 0; index < 3 && NextToken(typed, pos, field); ++index) {
        // An action field that starts with white space is no action: it is left out.
        if (index == 2 && IsSpace(field.front())) break;
        if (index > 0) compact += ',';
        compact += WithoutSpace(field);
    }
    return compact;
}

std::optional<PointEntry> TypedEntry(std::string_view typed) {
    PointEntry entry = CompactEntry(typed);
    if (entry.size() > MAX_ENTRY_CHARS) return std::nullopt;
    return entry;
}

}  // namespace varrel
