// Profile text: the lines of sections and keys found as the profile functions find them.
#include "settings/profile_text.h"

#include <cctype>

namespace varrel {

namespace {

constexpr char NEW_LINE[] = "\r\n";

// What the profile functions take for white space around lines, names and values (^Z included,
// the end mark of old DOS files).
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

// A name as the profile functions compare it: a C string, so up to a NUL.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

bool SameName(std::string_view a, std::string_view b) {
    a = UpToNul(a);
    b = UpToNul(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Where the key's line lies in the text, as far as it was found.
struct KeyPlace {
    bool sectionFound = false;
    std::size_t afterSection = std::string::npos;  // after the section's last line not blank
    bool keyFound = false;
    std::size_t lineStart = 0;  // the key line without the blanks before it
    std::size_t lineEnd = 0;    // before its CR LF, or LF, or the end of the text
    std::size_t nameEnd = 0;    // the key's name as written, without blanks after it
    std::size_t valueStart = 0, valueEnd = 0;
    bool hasValue = false;  // the line has an '='
};

KeyPlace Find(std::string_view text, std::string_view section, std::string_view key) {
    KeyPlace place;
    // A file saved as UTF-8 may start with its byte-order mark, which the profile functions skip.
    const std::string_view utf8Mark = "\xEF\xBB\xBF";
    for (std::size_t next = text.substr(0, 3) == utf8Mark ? 3 : 0; next < text.size();) {
        const std::size_t newLine = text.find('\n', next);
        const std::size_t lineEnd = newLine == std::string::npos ? text.size() : newLine;
        const std::size_t after = newLine == std::string::npos ? text.size() : newLine + 1;
        std::size_t start = next, end = lineEnd;
        next = after;
        while (start < end && IsBlank(text[start])) ++start;
        while (end > start && IsBlank(text[end - 1])) --end;
        if (start == end) continue;
        const std::string_view line = text.substr(start, end - start);
        const std::size_t close = line.rfind(']');
        if (line.front() == '[' && close != std::string_view::npos) {
            if (place.sectionFound) break;  // only the first section of that name counts
            place.sectionFound = SameName(line.substr(1, close - 1), section);
            place.afterSection = after;
            continue;
        }
        if (!place.sectionFound) continue;
        place.afterSection = after;
        if (place.keyFound) continue;
        const std::size_t equals = line.find('=');
        std::size_t nameEnd = equals == std::string_view::npos ? line.size() : equals;
        while (nameEnd > 0 && IsBlank(line[nameEnd - 1])) --nameEnd;
        if (!SameName(line.substr(0, nameEnd), key)) continue;
        place.keyFound = true;
        place.lineStart = start;
        place.lineEnd = lineEnd > start && text[lineEnd - 1] == '\r' && newLine != std::string::npos
                            ? lineEnd - 1
                            : lineEnd;
        place.nameEnd = start + nameEnd;
        place.hasValue = equals != std::string_view::npos;
        if (place.hasValue) {
            place.valueStart = start + equals + 1;
            while (place.valueStart < end && IsBlank(text[place.valueStart])) ++place.valueStart;
            place.valueEnd = end;
        }
    }
    return place;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back())) return true;
    return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

}  // namespace

std::optional<std::string> ProfileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    const KeyPlace place = Find(text, section, key);
    if (!place.keyFound || !place.hasValue) return std::nullopt;
    std::string_view value =
        UpToNul(text.substr(place.valueStart, place.valueEnd - place.valueStart));
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
    const std::string stored =
        NeedsQuotes(value) ? '"' + std::string(value) + '"' : std::string(value);
    const KeyPlace place = Find(text, section, key);
    std::string result(text);
    if (place.keyFound) {
        const std::string name(text.substr(place.lineStart, place.nameEnd - place.lineStart));
        return result.replace(place.lineStart, place.lineEnd - place.lineStart,
                              name + "=" + stored);
    }
    std::string lines = std::string(key) + "=" + stored + NEW_LINE;
    if (!place.sectionFound) lines = "[" + std::string(section) + "]" + NEW_LINE + lines;
    const std::size_t at = place.sectionFound ? place.afterSection : text.size();
    // A last line without its line end gets one before anything follows it.
    if (at == text.size() && !text.empty() && text.back() != '\n') lines = NEW_LINE + lines;
    return result.insert(at, lines);
}

bool LooksLikeUnmarkedUtf16(std::string_view text) {
    if (text.size() < 2) return false;
    std::size_t nuls[2] = {0, 0};
    for (std::size_t i = 0; i < text.size(); ++i) nuls[i % 2] += text[i] == '\0';
    // Each parity holds at least size / 2 places.
    const std::size_t half = text.size() / 2;
    return 2 * nuls[0] >= half || 2 * nuls[1] >= half;
}

}  // namespace varrel
