// ListBoxPointList: the point list as the motion page's list box holds it.
#pragma once

#include <windows.h>

#include "path/point_list.h"

namespace varrel {

// Sent to the list box's owner window by a reader on another thread; the owner's procedure
// answers it with ListBoxPointList::ServeEntryRead(lParam).
constexpr UINT WM_READ_ENTRY = WM_APP + 0x100;

// Every operation is a message to the list box, so the list may be used from another thread than
// the list box's own: each call then waits until that thread serves it.
class ListBoxPointList : public PointList {
  public:
    // owner: the window (on the list box's thread) that serves WM_READ_ENTRY; needed only when
    // entries are read from another thread.
    explicit ListBoxPointList(HWND listBox, HWND owner = nullptr)
        : listBox_(listBox), owner_(owner) {}

    std::optional<int> Count() const override;
    std::optional<std::string> TextAt(int index) const override;
    // From another thread, one request that the list box's thread serves for all count entries.
    std::vector<std::optional<std::string>> TextsAt(int first, int count) const override;
    void Append(const std::string& text) override;
    void Insert(int index, const std::string& text) override;
    void Remove(int index) override;
    std::optional<int> Selected() const override;
    void Select(int index) override;

    // Reads the entries a WM_READ_ENTRY asks for, on the list box's own thread. Returns TRUE.
    static LRESULT ServeEntryRead(LPARAM request);

  private:
    std::optional<std::string> ReadHere(int index) const;

    HWND listBox_;
    HWND owner_;
};

}  // namespace varrel
