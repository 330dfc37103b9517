// A ProfileStore in memory that records every write, for tests and fuzzing of the settings logic.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/config_file.h"

namespace varrel::testing {

struct ProfileWrite {
    std::string section;
    std::string key;
    std::string value;
};

inline bool operator==(const ProfileWrite& a, const ProfileWrite& b) {
    return a.section == b.section && a.key == b.key && a.value == b.value;
}

class MemoryProfileStore : public ProfileStore {
  public:
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override {
        const auto it = values_.find({section, key});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        values_[{section, key}] = value;
        writes_.push_back({section, key, value});
        return true;
    }

    // Sets a value as a file edited by hand would hold it; not recorded as a write.
    void Set(const std::string& section, const std::string& key, const std::string& value) {
        values_[{section, key}] = value;
    }
    const std::vector<ProfileWrite>& Writes() const { return writes_; }

  private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
    std::vector<ProfileWrite> writes_;
};

}  // namespace varrel::testing
