// PointList: the ordered list of point entries, as the window's list box or another holder has it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varrel {

class PointList {
  public:
    virtual ~PointList() = default;

    // Number of entries, or nothing when the list cannot tell.
    virtual std::optional<int> Count() const = 0;
    // Text of the entry at index, whole; nothing when the index is not there.
    virtual std::optional<std::string> TextAt(int index) const = 0;
    // Texts of the count entries from first on, as TextAt gives each: one request for them all
    // where the list can answer so (a list read from another thread pays for each request).
    virtual std::vector<std::optional<std::string>> TextsAt(int first, int count) const {
        std::vector<std::optional<std::string>> texts(count > 0 ? std::size_t(count) : 0);
        for (int i = 0; i < count; ++i) texts[std::size_t(i)] = TextAt(first + i);
        return texts;
    }
    virtual void Append(const std::string& text) = 0;
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Remove(int index) = 0;
    // Index of the selected entry, or nothing when none is selected.
    virtual std::optional<int> Selected() const = 0;
    virtual void Select(int index) = 0;
};

}  // namespace varrel
