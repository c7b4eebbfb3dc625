#include "document/page_parts.h"

namespace orva {

namespace {

bool of(const PagePart& part, std::uint64_t page, ScaledSize scaled) {
    return part.picture.present && part.page == page && part.scaledWidth == scaled.width &&
           part.scaledHeight == scaled.height;
}

bool holds(const PagePart& part, const PartRect& rect) {
    const std::uint64_t right = std::uint64_t{part.x} + part.picture.width;
    const std::uint64_t bottom = std::uint64_t{part.y} + part.picture.height;
    return rect.x >= part.x && rect.y >= part.y && std::uint64_t{rect.x} + rect.width <= right &&
           std::uint64_t{rect.y} + rect.height <= bottom;
}

}  // namespace

void keepPart(Document& document, PagePart&& part) {
    PageMemory& memory = document.memory;
    PagePart* slot = &memory.parts[0];
    for (PagePart& held : memory.parts) {
        if (!held.picture.present) {
            slot = &held;
            break;
        }
        if (held.lastUse < slot->lastUse) slot = &held;
    }
    *slot = std::move(part);
    slot->lastUse = ++memory.clock;
    slot->number = ++memory.partsStored;
}

const PagePart* partHolding(Document& document, std::uint64_t page, ScaledSize scaled, const PartRect& rect) {
    for (PagePart& part : document.memory.parts) {
        if (of(part, page, scaled) && holds(part, rect)) {
            part.lastUse = ++document.memory.clock;
            return &part;
        }
    }
    return nullptr;
}

std::size_t partsOf(const Document& document, std::uint64_t page, ScaledSize scaled, std::span<const PagePart*> out) {
    std::size_t count = 0;
    for (const PagePart& part : document.memory.parts) {
        if (count == out.size()) break;
        if (!of(part, page, scaled)) continue;
        // In the order they were kept: insertion into the sorted run.
        std::size_t at = count++;
        while (at > 0 && out[at - 1]->number > part.number) {
            out[at] = out[at - 1];
            --at;
        }
        out[at] = &part;
    }
    return count;
}

std::uint64_t heldPartBytes(const Document& document) {
    std::uint64_t held = 0;
    for (const PagePart& part : document.memory.parts) held += part.picture.length();
    return held;
}

std::uint64_t releaseOldestPart(Document& document) {
    PagePart* oldest = nullptr;
    for (PagePart& part : document.memory.parts) {
        if (part.picture.present && (oldest == nullptr || part.lastUse < oldest->lastUse)) oldest = &part;
    }
    if (oldest == nullptr) return 0;
    const std::uint64_t freed = oldest->picture.length();
    *oldest = PagePart{};
    return freed;
}

}  // namespace orva
