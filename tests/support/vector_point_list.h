// VectorPointList: a PointList held in memory, for the portable code paths and the benchmarks.
#pragma once

#include <string>
#include <vector>

#include "path/point_list.h"

namespace varrel::testing {

class VectorPointList : public PointList {
  public:
    VectorPointList() = default;
    explicit VectorPointList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    std::optional<int> Count() const override { return static_cast<int>(entries_.size()); }
    std::optional<std::string> TextAt(int index) const override {
        if (!Valid(index)) return std::nullopt;
        return entries_[static_cast<std::size_t>(index)];
    }
    void Append(const std::string& text) override { entries_.push_back(text); }
    void Insert(int index, const std::string& text) override {
        if (index < 0 || index > static_cast<int>(entries_.size()))
            index = static_cast<int>(entries_.size());
        entries_.insert(entries_.begin() + index, text);
    }
    void Remove(int index) override {
        if (Valid(index)) entries_.erase(entries_.begin() + index);
        if (selected_ && *selected_ >= static_cast<int>(entries_.size())) selected_.reset();
    }
    std::optional<int> Selected() const override { return selected_; }
    void Select(int index) override {
        if (Valid(index))
            selected_ = index;
        else
            selected_.reset();
    }

    const std::vector<std::string>& Entries() const { return entries_; }

  private:
    bool Valid(int index) const { return index >= 0 && index < static_cast<int>(entries_.size()); }

    std::vector<std::string> entries_;
    std::optional<int> selected_;
};

}  // namespace varrel::testing
