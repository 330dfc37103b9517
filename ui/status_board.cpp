// StatusBoard and StartGuard: the newest message standing, and the time after an unasked stop.
#include "ui/status_board.h"

#include <utility>

namespace varrel {

void StatusBoard::Post(Notice kind, std::string text) {
    Message& m = messages_[static_cast<std::size_t>(kind)];
    m.text = std::move(text);
    m.order = ++posted_;
}

void StatusBoard::Withdraw(Notice kind) { messages_[static_cast<std::size_t>(kind)] = Message{}; }

const std::string& StatusBoard::Shown() const {
    static const std::string none;
    const Message* newest = nullptr;
    for (const Message& m : messages_) {
        if (m.order && (!newest || m.order > newest->order)) newest = &m;
    }
    return newest ? newest->text : none;
}

void StartGuard::Stopped(bool byUser, int64_t nowMs) {
    armed_ = !byUser;
    stoppedAt_ = nowMs;
}

bool StartGuard::Allows(int64_t nowMs) const {
    return !armed_ || nowMs - stoppedAt_ >= START_GUARD_MS;
}

}  // namespace varrel
