#pragma once
// The rules of the soak run, apart from the windows it drives: what the
// title claims, which step comes next and where a page change lands, where a
// page drawn at actual size can be compared pixel for pixel, how reference
// pages are read and when a row of measurements counts as flat.
// Header-only, so that the Windows driver and the unit tests share it.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "view/view_geometry.h"

namespace orva::soak {

// ---- The title: "NAME - Page P/N (Z%) - OrvaReader" ----------------------

struct TitleClaim {
    std::uint64_t page = 0;  // 0-based
    std::uint64_t count = 0;
    std::uint32_t zoomPercent = 0;
};

namespace detail {
inline std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty()) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}
}  // namespace detail

// The page the title names; nothing for any other title (no document, the
// loading title). The document's name may itself hold " - Page ", so the
// fields are taken from the end.
inline std::optional<TitleClaim> parseTitle(std::string_view title) {
    constexpr std::string_view tail = "%) - OrvaReader";
    if (!title.ends_with(tail)) return std::nullopt;
    title.remove_suffix(tail.size());
    const std::size_t page = title.rfind(" - Page ");
    if (page == std::string_view::npos) return std::nullopt;
    const std::string_view fields = title.substr(page + 8);  // "P/N (Z"
    const std::size_t slash = fields.find('/');
    const std::size_t open = fields.find(" (");
    if (slash == std::string_view::npos || open == std::string_view::npos || open < slash) return std::nullopt;
    const auto p = detail::number(fields.substr(0, slash));
    const auto n = detail::number(fields.substr(slash + 1, open - slash - 1));
    const auto z = detail::number(fields.substr(open + 2));
    if (!p || !n || !z || *p == 0 || *p > *n || *z > 0xFFFFFFFFu) return std::nullopt;
    return TitleClaim{*p - 1, *n, static_cast<std::uint32_t>(*z)};
}

// ---- Steps -----------------------------------------------------------------

enum class Action : std::uint8_t {
    PageDown,
    PageUp,
    Down,
    Up,
    Home,
    End,
    Thumbnail,   // click on a thumbnail in view
    ZoomIn,      // Edit > Zoom In
    ZoomOut,     // Edit > Zoom Out
    FitWidth,    // Edit > Fit Width
    ActualSize,  // Edit > Actual Size
    WheelPage,   // a wheel turn over the page: zoom
    WheelStrip,  // a wheel turn over the thumbnails: scroll the strip
    Count
};

inline constexpr std::string_view kActionNames[] = {"PageDown", "PageUp", "Down", "Up", "Home", "End", "Thumbnail",
                                                    "ZoomIn", "ZoomOut", "FitWidth", "ActualSize", "WheelPage",
                                                    "WheelStrip"};

inline bool changesPage(Action action) { return action <= Action::Thumbnail; }

// How often each action comes up, in parts of the sum.
struct ActionMix {
    unsigned weight[static_cast<int>(Action::Count)];
};

// Long runs over one document: every way of moving and zooming.
inline constexpr ActionMix kMixedSteps{{18, 10, 6, 6, 3, 3, 12, 8, 8, 4, 3, 12, 7}};
// Runs that must render new pages: mostly onwards, a little of the rest.
inline constexpr ActionMix kOnwardSteps{{62, 6, 12, 2, 0, 0, 6, 3, 3, 1, 1, 3, 1}};

struct Step {
    Action action = Action::PageDown;
    std::uint32_t pick = 0;  // which thumbnail in view; the wheel's direction (even: up)
};

// A repeatable sequence of steps (xorshift64*).
class StepPlan {
public:
    // The mix must outlive the plan (the ones above do).
    StepPlan(std::uint64_t seed, const ActionMix& mix) : state_(seed * 0x9E3779B97F4A7C15ull | 1), mix_(&mix) {}

    std::uint32_t random() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }

    Step next() {
        unsigned total = 0;
        for (unsigned w : mix_->weight) total += w;
        unsigned roll = random() % total;
        int chosen = 0;
        while (roll >= mix_->weight[chosen]) roll -= mix_->weight[chosen++];
        return Step{static_cast<Action>(chosen), random()};
    }

private:
    std::uint64_t state_;
    const ActionMix* mix_;
};

// The page a page-changing action leads to from `current`; `thumbnail` is
// the page of the thumbnail clicked. Other actions leave the page as it is.
inline std::uint64_t pageAfter(Action action, std::uint64_t current, std::uint64_t count, std::uint64_t thumbnail) {
    switch (action) {
        case Action::PageDown:
        case Action::Down: return std::min(current + 1, count - 1);
        case Action::PageUp:
        case Action::Up: return current == 0 ? 0 : current - 1;
        case Action::Home: return 0;
        case Action::End: return count - 1;
        case Action::Thumbnail: return thumbnail;
        default: return current;
    }
}

// Thumbnails whose whole frame lies inside the strip's area, where a click
// on the frame's middle picks that page.
inline std::vector<std::uint64_t> clickableThumbnails(const ClientArea& client, std::int32_t stripScroll,
                                                      std::uint64_t count) {
    std::vector<std::uint64_t> pages;
    const PageRange range = visibleThumbnails(client, stripScroll, count);
    for (std::uint64_t page = range.first; page < range.end; ++page) {
        const std::int64_t top = thumbnailTop(client, stripScroll, page);
        if (top >= client.top + BandHeight && top + ThumbnailHeight <= client.bottom - BandHeight) pages.push_back(page);
    }
    return pages;
}

// ---- Where a page at actual size can be compared ------------------------

// A rectangle in the client area and the page pixel shown at its top-left.
struct CompareRegion {
    std::int32_t left = 0, top = 0, width = 0, height = 0;  // client coordinates
    std::int32_t pageX = 0, pageY = 0;                      // page coordinates of (left, top)
    bool empty() const { return width <= 0 || height <= 0; }
};

// The part of a page drawn at zoom 1 and no scrolling that shows on screen:
// inside the client area below the top band and above the status line, kept
// `inset` pixels away from the page's outline and the area's edges.
inline CompareRegion actualSizeRegion(const ClientArea& client, std::uint32_t pageWidth, std::uint32_t pageHeight,
                                      std::int32_t inset = 3) {
    const DisplayedSize shown{static_cast<std::int32_t>(pageWidth), static_cast<std::int32_t>(pageHeight)};
    const Point origin = pageOrigin(client, shown, 0, 0);
    const std::int32_t left = std::max(origin.x, client.left) + inset;
    const std::int32_t top = std::max(origin.y, client.top + BandHeight) + inset;
    const std::int32_t right = std::min(origin.x + shown.width, client.right) - inset;
    const std::int32_t bottom = std::min(origin.y + shown.height, client.bottom - BandHeight) - inset;
    return CompareRegion{left, top, right - left, bottom - top, left - origin.x, top - origin.y};
}

// The same part of the page in a client area of another size: pages are
// centred in the page view, so the part moves with the view's middle. A
// region found for the smallest client area the window can have (both
// scroll bars shown) is on screen in every larger one.
inline CompareRegion placedRegion(const ClientArea& client, std::uint32_t pageWidth, std::uint32_t pageHeight,
                                  const CompareRegion& region) {
    const DisplayedSize shown{static_cast<std::int32_t>(pageWidth), static_cast<std::int32_t>(pageHeight)};
    const Point origin = pageOrigin(client, shown, 0, 0);
    CompareRegion placed = region;
    placed.left = origin.x + region.pageX;
    placed.top = origin.y + region.pageY;
    return placed;
}

// A point and small square near the top of the page in the middle of the page
// view, inside the page at every zoom for pages of at least 20 x 20 pixels
// at the smallest zoom: a page narrower than the view is centred there, a
// wider one is centred there too before any sideways scrolling.
inline CompareRegion colourProbe(const ClientArea& client) {
    const std::int32_t centre = client.left + SidebarWidth + pageViewWidth(client) / 2;
    return CompareRegion{centre - 2, client.top + PageTopOffset + 6, 5, 5, 0, 0};
}

// ---- Reference pages ---------------------------------------------------

// A page as the rasteriser or the container holds it, 0xRRGGBB a pixel.
struct PageImageRef {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(std::uint32_t x, std::uint32_t y) const { return pixels[std::size_t{y} * width + x]; }
    // The one colour of a page filled with a single colour.
    std::optional<std::uint32_t> solidColour() const {
        if (pixels.empty()) return std::nullopt;
        const std::uint32_t first = pixels.front();
        for (std::uint32_t p : pixels)
            if (p != first) return std::nullopt;
        return first;
    }
};

// A binary PPM (P6, maximum 255), comments allowed in the header.
inline std::optional<PageImageRef> parsePpm(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    const auto skipSpace = [&] {
        for (;;) {
            while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\n' || bytes[at] == '\r' || bytes[at] == '\t'))
                ++at;
            if (at < bytes.size() && bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
                continue;
            }
            return;
        }
    };
    const auto field = [&]() -> std::optional<std::uint32_t> {
        skipSpace();
        std::uint64_t value = 0;
        const std::size_t start = at;
        while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && value <= 0xFFFFFFFFu)
            value = value * 10 + (bytes[at++] - '0');
        if (at == start || value > 0xFFFFFFFFu) return std::nullopt;
        return static_cast<std::uint32_t>(value);
    };
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
    at = 2;
    const auto width = field(), height = field(), maximum = field();
    if (!width || !height || !maximum || *maximum != 255 || *width == 0 || *height == 0) return std::nullopt;
    if (at >= bytes.size()) return std::nullopt;
    ++at;  // the single white-space character before the pixels
    const std::uint64_t count = std::uint64_t{*width} * *height;
    if ((bytes.size() - at) / 3 < count) return std::nullopt;
    PageImageRef image{*width, *height, std::vector<std::uint32_t>(static_cast<std::size_t>(count))};
    for (std::size_t i = 0; i < image.pixels.size(); ++i, at += 3)
        image.pixels[i] = (std::uint32_t{bytes[at]} << 16) | (std::uint32_t{bytes[at + 1]} << 8) | bytes[at + 2];
    return image;
}

// Colours equal within `tolerance` in every channel.
inline bool closeColours(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

// Two pages of one colour each whose colours cannot be told apart within
// `tolerance`, as 0-based page numbers: a picture of either would pass for
// the other. Pages of more than one colour are left out.
inline std::optional<std::pair<std::size_t, std::size_t>> lookAlikePages(
    const std::vector<std::optional<std::uint32_t>>& colours, int tolerance) {
    for (std::size_t a = 0; a < colours.size(); ++a)
        for (std::size_t b = a + 1; b < colours.size(); ++b)
            if (colours[a] && colours[b] && closeColours(*colours[a], *colours[b], tolerance))
                return std::pair{a, b};
    return std::nullopt;
}

// ---- What the viewer holds, and when growth counts ----------------------

// The page images a PDF viewer has rendered and keeps: the first page on
// opening, then each page it shows together with its two neighbours. An
// Orva container holds every page from the start and adds nothing.
class PageCacheModel {
public:
    PageCacheModel(bool rendersOnDemand, std::vector<std::uint64_t> pageBytes)
        : renders_(rendersOnDemand), pageBytes_(std::move(pageBytes)) {
        if (renders_ && !pageBytes_.empty()) load(0);
    }
    void shown(std::uint64_t page) {
        if (!renders_ || page >= pageBytes_.size()) return;
        if (page > 0) load(page - 1);
        load(page);
        if (page + 1 < pageBytes_.size()) load(page + 1);
    }
    std::uint64_t bytes() const { return bytes_; }
    std::size_t pages() const { return loaded_.size(); }

private:
    void load(std::uint64_t page) {
        if (loaded_.insert(page).second) bytes_ += pageBytes_[page];
    }
    bool renders_;
    std::vector<std::uint64_t> pageBytes_;
    std::set<std::uint64_t> loaded_;
    std::uint64_t bytes_ = 0;
};

struct Sample {
    std::uint64_t privateBytes = 0;
    std::uint64_t workingSet = 0;
    std::uint32_t handles = 0;
    std::uint32_t gdiObjects = 0;
};

// What "flat" allows between the middle of a run (after its warm-up) and its
// end: the page images the viewer was seen to add in that time, plus a
// little slack for the system's own heaps and handles. The first message
// boxes of a process make the system create the dialog's fonts, brushes and
// icon bitmaps once and keep them (32 objects under Wine, half with the first
// box and half with the second, the same after every later box); when one of
// those two boxes came after the middle, so much more is allowed.
struct Tolerance {
    std::uint64_t memoryFloor = 8ull << 20;  // bytes
    std::uint32_t memoryPercent = 5;         // of the middle value, when larger than the floor
    std::uint32_t handles = 6;
    std::uint32_t gdiObjects = 2;
    std::uint32_t firstDialogGdiObjects = 40;
};

inline std::uint64_t memorySlack(std::uint64_t middle, const Tolerance& tolerance) {
    return std::max(tolerance.memoryFloor, middle / 100 * tolerance.memoryPercent);
}

// Each measure that grew past its allowance, as "name +growth" words.
inline std::vector<std::string> growthPastAllowance(const Sample& middle, const Sample& end, std::uint64_t cacheGrowth,
                                                    bool firstDialogAfterMiddle, const Tolerance& tolerance = {}) {
    std::vector<std::string> out;
    const auto memory = [&](const char* name, std::uint64_t m, std::uint64_t e) {
        if (e > m + cacheGrowth + memorySlack(m, tolerance))
            out.push_back(std::string(name) + " +" + std::to_string((e - m) >> 10) + "K");
    };
    const auto count = [&](const char* name, std::uint32_t m, std::uint32_t e, std::uint32_t slack) {
        if (e > m + slack) out.push_back(std::string(name) + " +" + std::to_string(e - m));
    };
    memory("private", middle.privateBytes, end.privateBytes);
    memory("working-set", middle.workingSet, end.workingSet);
    count("handles", middle.handles, end.handles, tolerance.handles);
    count("gdi", middle.gdiObjects, end.gdiObjects,
          tolerance.gdiObjects + (firstDialogAfterMiddle ? tolerance.firstDialogGdiObjects : 0));
    return out;
}

// Everything a viewer's phase ends with, as far as the verdict goes.
struct Outcome {
    std::string failure;  // it did not start, hung or would not close
    std::uint32_t exitCode = 0;
    Sample middle, end;
    std::uint64_t cacheGrowth = 0;  // page images added between middle and end
    bool firstDialogAfterMiddle = false;
    std::uint64_t checks = 0;
    std::uint64_t wrongPages = 0;
    std::uint64_t titleMismatches = 0;
    std::uint64_t expectedMessages = 0;    // render failures while TEMP was full
    std::uint64_t unexpectedMessages = 0;
    std::uint32_t filesLeft = 0;
    bool fillsTemp = false;  // the phase filled TEMP for a while
    bool recovered = false;  // and a page change worked once space was back
};

// Why the row fails; nothing when it passes.
inline std::vector<std::string> failures(const Outcome& o, const Tolerance& tolerance = {}) {
    std::vector<std::string> reasons;
    if (!o.failure.empty()) reasons.push_back(o.failure);
    if (o.exitCode != 0) reasons.push_back("exit status " + std::to_string(o.exitCode));
    for (auto& growth : growthPastAllowance(o.middle, o.end, o.cacheGrowth, o.firstDialogAfterMiddle, tolerance))
        reasons.push_back("not flat: " + growth);
    if (o.wrongPages) reasons.push_back(std::to_string(o.wrongPages) + " wrong pages");
    if (o.titleMismatches) reasons.push_back(std::to_string(o.titleMismatches) + " titles naming another page");
    if (o.unexpectedMessages) reasons.push_back(std::to_string(o.unexpectedMessages) + " unexpected messages");
    if (o.filesLeft) reasons.push_back(std::to_string(o.filesLeft) + " files left");
    if (o.failure.empty() && o.checks == 0) reasons.push_back("nothing was checked");
    if (o.fillsTemp && o.expectedMessages == 0) reasons.push_back("no message while TEMP was full");
    if (o.fillsTemp && !o.recovered) reasons.push_back("no page shown after space came back");
    return reasons;
}

// Name pdftoppm gives page `page` (1-based) of a document of `count` pages
// for the output root "page": the number padded to the digits of the count.
inline std::string rasteriserFileName(std::uint64_t page, std::uint64_t count) {
    const std::string digits = std::to_string(page);
    const std::size_t width = std::to_string(count).size();
    return "page-" + std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits + ".ppm";
}

}  // namespace orva::soak
