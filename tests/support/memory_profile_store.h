// A ProfileStore in memory that notes every write, for tests of the settings logic.
#pragma once

#include <map>

#include "settings/config_file.h"

namespace varrel::testing {

struct MemoryProfileStore : ProfileStore {
    using Text = const std::string&;
    std::optional<std::string> Read(Text section, Text key) const override {
        const auto it = values.find("[" + section + "]" + key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool Write(Text s, const ProfileValues& set) override {
        writes += "[" + s + "]\n";
        for (const auto& [k, v] : set) writes += Set(s, k, v);
        return true;
    }
    std::string Set(Text s, Text k, Text v) {
        return k + "=" + (values["[" + s + "]" + k] = v) + "\n";
    }

    std::map<std::string, std::string> values;  // by "[section]key"
    std::string writes;  // each write as "[section]\nkey=value\n…", in order
};

}  // namespace varrel::testing
