#include "view/jump_history.h"

namespace orva {

void JumpHistory::jump(const ViewPosition& from, const ViewPosition& to) {
    if (from.page == to.page && from.scrollX == to.scrollX && from.scrollY == to.scrollY) return;
    if (size_ == 0) {
        positions_[0] = from;
        size_ = 1;
        at_ = 0;
    }
    positions_[at_] = from;
    size_ = at_ + 1;
    if (size_ == kMostPositions) {
        // The oldest goes.
        for (std::size_t i = 1; i < size_; ++i) positions_[i - 1] = positions_[i];
        --size_;
        --at_;
    }
    positions_[size_++] = to;
    at_ = size_ - 1;
}

std::optional<ViewPosition> JumpHistory::back(const ViewPosition& current) {
    if (!canGoBack()) return std::nullopt;
    positions_[at_] = current;
    return positions_[--at_];
}

std::optional<ViewPosition> JumpHistory::forward(const ViewPosition& current) {
    if (!canGoForward()) return std::nullopt;
    positions_[at_] = current;
    return positions_[++at_];
}

}  // namespace orva
