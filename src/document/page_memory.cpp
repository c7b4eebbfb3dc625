#include "document/page_memory.h"

#include <algorithm>

#include "document/page_parts.h"

namespace orva {

namespace {

bool mayRelease(const Document& document, std::uint64_t index, std::uint64_t requested) {
    const PageImage& page = document.pages[index];
    if (!page.present || page.length() == 0 || index == requested) return false;
    const std::uint64_t shown = document.memory.shownPage;
    if (shown != kNoPage && index + 1 >= shown && index <= shown + 1) return false;
    return std::ranges::find(document.memory.pins, index) == std::end(document.memory.pins);
}

// Unloads the page, keeping its copy (made now unless an earlier release
// made it: a page's content never changes); the bytes this gives back.
std::uint64_t releasePage(Document& document, std::uint64_t index) {
    PageImage& page = document.pages[index];
    PageMemory& memory = document.memory;
    std::uint64_t freed = page.length();
    // Without memory for a copy the page still goes: the strip then shows
    // its empty box, as for a page never rendered.
    if (makeThumbnailSlots(document) && !memory.thumbnails[index].present) {
        if (auto copy = shrinkPage(*document.allocator, page)) {
            freed -= copy->length();
            memory.thumbnails[index] = std::move(*copy);
        }
    }
    page = PageImage{};
    return freed;
}

}  // namespace

bool makeThumbnailSlots(Document& document) {
    PageMemory& memory = document.memory;
    if (memory.thumbnails.size() == document.pageCount()) return true;
    if (document.allocator == nullptr) return false;
    auto slots = OwnedArray<PageImage>::create(*document.allocator, document.pageCount());
    if (!slots) return false;
    memory.thumbnails = std::move(*slots);
    return true;
}

bool keepThumbnailCopy(Document& document, std::uint64_t index, PageImage&& copy) {
    if (index >= document.pageCount() || !makeThumbnailSlots(document)) return false;
    document.memory.thumbnails[index] = std::move(copy);
    return true;
}

bool hasThumbnailCopy(const Document& document, std::uint64_t index) {
    return index < document.memory.thumbnails.size() && document.memory.thumbnails[index].present;
}

std::optional<std::uint64_t> parsePageMemoryBudget(std::string_view megabytes) {
    constexpr std::uint64_t kMost = std::uint64_t{1} << 20;
    if (megabytes.empty() || megabytes.size() > 7) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : megabytes) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value == 0 || value > kMost) return std::nullopt;
    return value << 20;
}

void setShownPage(Document& document, std::uint64_t index) { document.memory.shownPage = index; }

void pinPage(Document& document, PagePin holder, std::uint64_t index) {
    document.memory.pins[static_cast<std::size_t>(holder)] = index;
}

void notePageUsed(Document& document, std::uint64_t index) {
    if (index < document.pageCount()) document.pages[index].lastUse = ++document.memory.clock;
}

std::uint64_t heldPageBytes(const Document& document) {
    std::uint64_t held = 0;
    for (const PageImage& page : document.pages) held += page.length();
    for (const PageImage& copy : document.memory.thumbnails) held += copy.length();
    return held + heldPartBytes(document) + document.text.heldBytes;
}

void keepWithinBudget(Document& document, std::uint64_t requested) {
    if (!document.isPdf() || document.allocator == nullptr) return;
    std::uint64_t held = heldPageBytes(document);
    // Sharp parts go first: the page itself still shows without them.
    while (held > document.memory.budget) {
        const std::uint64_t freed = releaseOldestPart(document);
        if (freed == 0) break;
        held -= freed;
    }
    while (held > document.memory.budget) {
        std::optional<std::uint64_t> oldest;
        for (std::uint64_t i = 0; i < document.pageCount(); ++i) {
            if (mayRelease(document, i, requested) &&
                (!oldest || document.pages[i].lastUse < document.pages[*oldest].lastUse))
                oldest = i;
        }
        if (!oldest) return;
        held -= releasePage(document, *oldest);
    }
}

const PageImage* releasedPageCopy(const Document& document, std::uint64_t index) {
    if (index >= document.pageCount() || document.pages[index].present || index >= document.memory.thumbnails.size())
        return nullptr;
    const PageImage& copy = document.memory.thumbnails[index];
    return copy.present ? &copy : nullptr;
}

Result<PageImage> shrinkPage(Allocator& allocator, const PageImage& page) {
    return shrinkPageInto(allocator, page, kThumbnailCopyWidth, kThumbnailCopyHeight);
}

Result<PageImage> shrinkPageInto(Allocator& allocator, const PageImage& page, std::uint32_t boxWidth,
                                 std::uint32_t boxHeight) {
    const std::uint64_t w = page.width, h = page.height;
    if (page.pixels.size() < w * h * 3) return fail(ErrorCode::InvalidPageData);
    PageImage copy;
    copy.present = true;
    copy.width = page.width;
    copy.height = page.height;
    if (w == 0 || h == 0) return copy;
    if (w > boxWidth || h > boxHeight) {
        // The strip's own rule for a thumbnail's size, so the copy is drawn
        // at its own size.
        const float scale = std::min(static_cast<float>(boxWidth) / static_cast<float>(w),
                                     static_cast<float>(boxHeight) / static_cast<float>(h));
        copy.width = std::clamp(static_cast<std::uint32_t>(static_cast<float>(w) * scale), 1u, page.width);
        copy.height = std::clamp(static_cast<std::uint32_t>(static_cast<float>(h) * scale), 1u, page.height);
    }
    const std::uint64_t cw = copy.width, ch = copy.height;
    auto pixels = ByteBuffer::createUninitialized(allocator, static_cast<std::size_t>(cw * ch * 3));
    if (!pixels) return fail(pixels.error());
    std::uint8_t* out = pixels->data();
    for (std::uint64_t y = 0; y < ch; ++y) {
        const std::uint64_t top = y * h / ch, bottom = (y + 1) * h / ch;
        for (std::uint64_t x = 0; x < cw; ++x) {
            const std::uint64_t left = x * w / cw, right = (x + 1) * w / cw;
            std::uint64_t sum[3] = {};
            for (std::uint64_t sy = top; sy < bottom; ++sy) {
                const std::uint8_t* in = page.pixels.data() + (sy * w + left) * 3;
                for (std::uint64_t sx = left; sx < right; ++sx, in += 3) {
                    sum[0] += in[0];
                    sum[1] += in[1];
                    sum[2] += in[2];
                }
            }
            const std::uint64_t count = (bottom - top) * (right - left);
            for (const std::uint64_t channel : sum) *out++ = static_cast<std::uint8_t>((channel + count / 2) / count);
        }
    }
    copy.pixels = std::move(*pixels);
    return copy;
}

}  // namespace orva
