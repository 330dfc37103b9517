// PointList: the ordered list of point entries, as the window's list box or another holder has it.
#pragma once

#include <optional>
#include <string>

namespace varrel {

class PointList {
  public:
    virtual ~PointList() = default;

    // Number of entries, or nothing when the list cannot tell.
    virtual std::optional<int> Count() const = 0;
    // Text of the entry at index, whole; nothing when the index is not there.
    virtual std::optional<std::string> TextAt(int index) const = 0;
    virtual void Append(const std::string& text) = 0;
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Remove(int index) = 0;
    // Index of the selected entry, or nothing when none is selected.
    virtual std::optional<int> Selected() const = 0;
    virtual void Select(int index) = 0;
};

}  // namespace varrel
