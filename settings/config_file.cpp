// Loading and saving the point list and the "Hide after start" option through a profile store.
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

std::optional<std::string> LoadConfig(const ProfileStore& store, PointList& list,
                                      bool& hideAfterStart) {
    std::optional<std::string> points = store.Read(CONFIG_SECTION, CONFIG_KEY_POINT);
    if (points) {
        for (const std::string& token : SplitPointValue(*points)) list.Append(token);
    }
    const std::optional<std::string> hide = store.Read(CONFIG_SECTION, CONFIG_KEY_HIDE);
    hideAfterStart = ReadInt(hide.value_or(CONFIG_HIDE_DEFAULT)) != 0;
    return points;
}

SaveResult SaveConfig(ProfileStore& store, const PointList& list, bool hideAfterStart,
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
    values.emplace_back(CONFIG_KEY_HIDE, hideAfterStart ? "1" : "0");
    if (!store.Write(CONFIG_SECTION, values)) return SaveResult::Failed;
    if (!keep) known = joined;
    return SaveResult::Saved;
}

}  // namespace varrel
