// Loading and saving the point list and the window's options through a profile store.
#include "settings/config_file.h"

#include "path/point_entry.h"

namespace varrel {

std::vector<std::string> SplitPointValue(std::string_view value) {
    // A value read from a file ends at a NUL, as the C string it came from would.
    value = value.substr(0, value.find('\0'));
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (pos < value.size()) {
        while (pos < value.size() && value[pos] == ' ') ++pos;
        if (pos >= value.size()) break;
        const std::size_t start = pos;
        while (pos < value.size() && value[pos] != ' ') ++pos;
        tokens.emplace_back(value.substr(start, pos - start));
    }
    return tokens;
}

std::optional<std::string> JoinPointList(const PointList& list) {
    const std::optional<int> count = list.Count();
    if (!count || *count < 0) return std::nullopt;
    std::string joined;
    for (int i = 0; i < *count; ++i) {
        // A list that cannot give one of its entries would be saved with that entry missing:
        // keep the file as it is instead.
        const std::optional<std::string> text = list.TextAt(i);
        if (!text) return std::nullopt;
        if (i > 0) joined += ' ';
        joined += *text;
    }
    return joined;
}

namespace {

// An option as "Hide" has always been read: the number it starts with, anything but 0 setting it.
bool ReadOption(const ProfileStore& store, const char* key, const char* missing) {
    return ReadInt(store.Read(CONFIG_SECTION, key).value_or(missing)) != 0;
}

}  // namespace

std::optional<std::string> LoadConfig(const ProfileStore& store, PointList& list,
                                      ConfigOptions& options) {
    std::optional<std::string> points = store.Read(CONFIG_SECTION, CONFIG_KEY_POINT);
    if (points) {
        for (const std::string& token : SplitPointValue(*points)) list.Append(token);
    }
    options.hideAfterStart = ReadOption(store, CONFIG_KEY_HIDE, CONFIG_HIDE_DEFAULT);
    options.stopOnMove = ReadOption(store, CONFIG_KEY_STOP_ON_MOVE, CONFIG_STOP_ON_MOVE_DEFAULT);
    return points;
}

SaveResult SaveConfig(ProfileStore& store, const PointList& list, const ConfigOptions& options,
                      std::optional<std::string>& known, ChangedList onChanged) {
    const std::optional<std::string> joined = JoinPointList(list);
    if (!joined) return SaveResult::Failed;
    const std::optional<std::string> stored = store.Read(CONFIG_SECTION, CONFIG_KEY_POINT);
    const bool changed = stored && stored != known && stored != joined;
    // A copy whose list is still the one it read or wrote has nothing of its own to put over a
    // list saved since by another: that one stays, unasked (also at the session's end).
    const bool edited = SplitPointValue(known.value_or("")) != SplitPointValue(*joined);
    if (changed && edited && onChanged == ChangedList::Ask) return SaveResult::ListChanged;
    const bool keep = changed && (!edited || onChanged == ChangedList::Keep);
    ProfileValues values;
    if (!keep) values.emplace_back(CONFIG_KEY_POINT, *joined);
    values.emplace_back(CONFIG_KEY_HIDE, options.hideAfterStart ? "1" : "0");
    values.emplace_back(CONFIG_KEY_STOP_ON_MOVE, options.stopOnMove ? "1" : "0");
    if (!store.Write(CONFIG_SECTION, values)) return SaveResult::Failed;
    if (!keep) known = joined;
    return SaveResult::Saved;
}

}  // namespace varrel
