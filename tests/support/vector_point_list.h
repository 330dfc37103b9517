// VectorPointList: a PointList held in memory, for the tests and the benchmarks.
#pragma once

#include <vector>

#include "path/point_list.h"

namespace varrel {

struct VectorPointList : PointList {
    explicit VectorPointList(std::vector<std::string> e = {}) : entries(std::move(e)) {}
    std::optional<int> Count() const override { return static_cast<int>(entries.size()); }
    std::optional<std::string> TextAt(int i) const override {
        return i >= 0 && i < *Count() ? std::optional(entries[i]) : std::nullopt;
    }
    void Append(const std::string& text) override { entries.push_back(text); }
    auto At(int i) const { return entries.cbegin() + (i < 0 ? 0 : i > *Count() ? *Count() : i); }
    void Insert(int i, const std::string& text) override { entries.insert(At(i), text); }
    void Remove(int i) override { entries.erase(At(i), At(i + 1)); }
    std::optional<int> Selected() const override { return selected; }
    void Select(int i) override { selected = TextAt(i) ? std::optional(i) : std::nullopt; }
    const std::vector<std::string>& Entries() const { return entries; }

    std::vector<std::string> entries;
    std::optional<int> selected;
};

}  // namespace varrel
