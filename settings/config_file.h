// The settings file varrel.cfg: the point list and the "Hide after start" option in a profile file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "path/point_list.h"

namespace varrel {

constexpr char CONFIG_FILE_NAME[] = "varrel.cfg";
constexpr char CONFIG_SECTION[] = "Main";
constexpr char CONFIG_KEY_POINT[] = "Point";
constexpr char CONFIG_KEY_HIDE[] = "Hide";
// What a missing "Hide" reads as: the option cleared.
constexpr char CONFIG_HIDE_DEFAULT[] = "0";

// A profile (INI) file, or anything that stores values by section and key.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The value of key in section, whole; nothing when the key is not there.
    virtual std::optional<std::string> Read(const std::string& section,
                                            const std::string& key) const = 0;
    // False when the value did not reach the store.
    virtual bool Write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

// Appends the stored entries to list and sets hideAfterStart; missing keys give the defaults.
void LoadConfig(const ProfileStore& store, PointList& list, bool& hideAfterStart);

// Writes the list's entries and the option; writes nothing when the list cannot tell its count
// or cannot give one of its entries. True when both values reached the store; a failed write
// ends the save.
bool SaveConfig(ProfileStore& store, const PointList& list, bool hideAfterStart);

// The entries of a "Point" value: the runs of characters between spaces, each whole.
std::vector<std::string> SplitPointValue(std::string_view value);

// The "Point" value for a list: its entries separated by single spaces, however long; nothing
// when the list cannot tell its count or cannot give one of its entries.
std::optional<std::string> JoinPointList(const PointList& list);

}  // namespace varrel
