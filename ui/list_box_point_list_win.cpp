// ListBoxPointList: list-box messages behind the PointList operations.
#include "ui/list_box_point_list_win.h"

#include <algorithm>
#include <string>

#include "win/text_win.h"

namespace varrel {

namespace {

struct EntryReadRequest {
    const ListBoxPointList* list;
    int first;
    int count;
    std::vector<std::optional<std::string>> texts;
};

}  // namespace

std::optional<int> ListBoxPointList::Count() const {
    const LRESULT n = SendMessageW(listBox_, LB_GETCOUNT, 0, 0);
    if (n == LB_ERR || n < 0) return std::nullopt;
    return static_cast<int>(n);
}

std::optional<std::string> ListBoxPointList::TextAt(int index) const {
    std::vector<std::optional<std::string>> texts = TextsAt(index, 1);
    return texts.empty() ? std::nullopt : std::move(texts.front());
}

std::vector<std::optional<std::string>> ListBoxPointList::TextsAt(int first, int count) const {
    // Reading an entry takes two requests (its length, then its text). From another thread the
    // list could change in between and the text outgrow the buffer, so the owner reads the
    // entries whole on the list box's own thread; and each request across threads costs far more
    // than the reading itself, so one request serves them all.
    EntryReadRequest request{this, first, count, {}};
    if (owner_ && GetWindowThreadProcessId(listBox_, nullptr) != GetCurrentThreadId()) {
        // Not served (the owner failed, or has gone): no texts at all, which a snapshot refuses.
        if (SendMessageW(owner_, WM_READ_ENTRY, 0, reinterpret_cast<LPARAM>(&request)) != TRUE)
            request.texts.clear();
    } else {
        ServeEntryRead(reinterpret_cast<LPARAM>(&request));
    }
    return std::move(request.texts);
}

std::optional<std::string> ListBoxPointList::ReadHere(int index) const {
    // The buffer is sized from the entry's own length: entries loaded from a file may be long.
    const LRESULT length = SendMessageW(listBox_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(listBox_, LB_GETTEXT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&text[0]));
    if (got == LB_ERR || got < 0) return std::nullopt;
    text.resize(std::min(static_cast<std::size_t>(got), static_cast<std::size_t>(length)));
    return Narrow(text);
}

LRESULT ListBoxPointList::ServeEntryRead(LPARAM request) {
    auto* r = reinterpret_cast<EntryReadRequest*>(request);
    if (!r) return TRUE;
    r->texts.clear();
    for (int i = 0; i < r->count; ++i) r->texts.push_back(r->list->ReadHere(r->first + i));
    return TRUE;
}

void ListBoxPointList::Append(const std::string& text) {
    SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void ListBoxPointList::Insert(int index, const std::string& text) {
    SendMessageW(listBox_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void ListBoxPointList::Remove(int index) {
    SendMessageW(listBox_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

std::optional<int> ListBoxPointList::Selected() const {
    const LRESULT index = SendMessageW(listBox_, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index < 0) return std::nullopt;
    return static_cast<int>(index);
}

void ListBoxPointList::Select(int index) {
    SendMessageW(listBox_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace varrel
