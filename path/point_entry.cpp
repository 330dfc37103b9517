// Point entry parsing, formatting and the action suffix rule.
#include "path/point_entry.h"

#include <limits>

namespace varrel {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// isalpha in the default locale.
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Next run of non-comma characters at or after pos, as strtok with "," finds it.
bool NextToken(std::string_view text, std::size_t& pos, std::string_view& token) {
    while (pos < text.size() && text[pos] == ',') ++pos;
    if (pos >= text.size()) return false;
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ',') ++pos;
    token = text.substr(start, pos - start);
    return true;
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

std::string FormatPosition(int32_t x, int32_t y) {
    return std::to_string(x) + "," + std::to_string(y);
}

std::string ApplyAction(std::string_view entry, ActionChoice choice) {
    std::string result(entry);
    const std::size_t n = result.size();
    const bool hasSuffix = n >= 2 && result[n - 2] == ',' && IsAsciiLetter(result[n - 1]);
    if (choice == ActionChoice::NoChoice) return result;
    if (choice == ActionChoice::None) {
        if (hasSuffix) result.resize(n - 2);
        return result;
    }
    const char letter = LetterOf(choice);
    if (hasSuffix) {
        result[n - 1] = letter;
    } else {
        result += ',';
        result += letter;
    }
    return result;
}

}  // namespace varrel
