#pragma once
// Back and forward through the reader's jumps (a link, a bookmark, Go to
// Page, Home and End, a thumbnail): each jump remembers where the view was
// and where it went; going back returns there, keeping where the reader had
// scrolled to, and a jump after going back drops what lay ahead. Paging on
// with Page Up and Page Down is no jump. Plain data, bounded.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orva {

struct ViewPosition {
    std::uint64_t page = 0;
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
};

class JumpHistory {
public:
    static constexpr std::size_t kMostPositions = 100;

    // The view goes from `from` to `to`. A jump to where the view is already
    // is none.
    void jump(const ViewPosition& from, const ViewPosition& to);
    // Where Back or Forward goes from `current` (which is remembered in
    // place of the position left); nothing at either end.
    std::optional<ViewPosition> back(const ViewPosition& current);
    std::optional<ViewPosition> forward(const ViewPosition& current);
    void clear() { size_ = 0, at_ = 0; }

    bool canGoBack() const { return size_ > 0 && at_ > 0; }
    bool canGoForward() const { return at_ + 1 < size_; }

private:
    ViewPosition positions_[kMostPositions]{};
    std::size_t size_ = 0;
    std::size_t at_ = 0;
};

}  // namespace orva
