// The settings file varrel.cfg: the point list and the window's two options in a profile file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "path/point_list.h"

namespace varrel {

constexpr char CONFIG_FILE_NAME[] = "varrel.cfg";
constexpr char CONFIG_SECTION[] = "Main";
constexpr char CONFIG_KEY_POINT[] = "Point";
constexpr char CONFIG_KEY_HIDE[] = "Hide";
constexpr char CONFIG_KEY_STOP_ON_MOVE[] = "StopOnMove";
// What a missing key reads as: "Hide after start" cleared, "Stop when the mouse moves" set.
constexpr char CONFIG_HIDE_DEFAULT[] = "0";
constexpr char CONFIG_STOP_ON_MOVE_DEFAULT[] = "1";

// The options saved beside the list.
struct ConfigOptions {
    bool hideAfterStart = false;
    bool stopOnMove = true;
};

// Values of one section, set together.
using ProfileValues = std::vector<std::pair<std::string, std::string>>;

// A profile (INI) file, or anything that stores values by section and key.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The value of key in section, whole; nothing when the key is not there.
    virtual std::optional<std::string> Read(const std::string& section,
                                            const std::string& key) const = 0;
    // Sets the values in one write: false when it did not reach the store, which then holds none
    // of them.
    virtual bool Write(const std::string& section, const ProfileValues& values) = 0;
};

// What a save does with a list that changed in the store since this copy of the program last read
// or wrote it: another copy, or another program, saved its own list there meanwhile.
enum class ChangedList {
    Ask,      // writes nothing, so that the user can be asked
    Replace,  // writes this copy's list over it
    Keep,     // keeps the store's list and writes the options
};

enum class SaveResult { Saved, Failed, ListChanged };

// Appends the stored entries to list and sets the options; missing keys give the defaults.
// Returns the "Point" value as read (nothing: there was none), which later saves compare with.
std::optional<std::string> LoadConfig(const ProfileStore& store, PointList& list,
                                      ConfigOptions& options);

// Writes the list's entries and the options in one write, in that order; writes nothing when the
// list cannot tell its count or cannot give one of its entries. `known` is the "Point" value this
// copy last read or wrote (nothing: none); where the store now holds another list, neither that one
// nor this copy's, onChanged decides (a store without a list has none to lose). A save that writes
// the list makes it the known one.
SaveResult SaveConfig(ProfileStore& store, const PointList& list, const ConfigOptions& options,
                      std::optional<std::string>& known, ChangedList onChanged);

// The entries of a "Point" value: the runs of characters between spaces, each whole.
std::vector<std::string> SplitPointValue(std::string_view value);

// The "Point" value for a list: its entries separated by single spaces, however long; nothing
// when the list cannot tell its count or cannot give one of its entries.
std::optional<std::string> JoinPointList(const PointList& list);

}  // namespace varrel
