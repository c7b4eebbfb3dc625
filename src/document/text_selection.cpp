#include "document/text_selection.h"

#include <cmath>

#include "document/text_folding.h"

namespace orva {

namespace {

bool holds(const TextBox& box, float x, float y) {
    return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

// The squared distance from the point to the box (0 inside).
float distanceSquared(const TextBox& box, float x, float y) {
    const float dx = x < box.left ? box.left - x : x > box.right ? x - box.right : 0.0f;
    const float dy = y < box.top ? box.top - y : y > box.bottom ? y - box.bottom : 0.0f;
    return dx * dx + dy * dy;
}

std::string_view wordTextOf(const PageText& page, std::uint32_t index) {
    const TextWord& word = page.words[index];
    if (std::uint64_t{word.textStart} + word.textLength > page.text.size()) return {};
    return page.text.view().substr(word.textStart, word.textLength);
}

std::uint32_t blockOf(const PageText& page, std::uint32_t line) {
    return line < page.lines.size() ? page.lines[line].block : UINT32_MAX;
}

// The bytes of a line-end hyphen that ends `text` (0 when none does).
std::size_t hyphenBytes(std::string_view text) {
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length) {
        const DecodedCharacter last = decodeAt(text, text.size() - length);
        if (last.length == length) return isLineEndHyphen(last.value) ? length : 0;
    }
    return 0;
}

}  // namespace

std::optional<std::uint32_t> wordAt(const PageText& page, float x, float y) {
    for (std::uint32_t i = 0; i < page.words.size(); ++i) {
        if (holds(page.words[i].box, x, y)) return i;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> wordNearest(const PageText& page, float x, float y) {
    std::optional<std::uint32_t> nearest;
    float best = INFINITY;
    for (std::uint32_t i = 0; i < page.words.size(); ++i) {
        const float distance = distanceSquared(page.words[i].box, x, y);
        if (distance < best) {
            best = distance;
            nearest = i;
            if (distance == 0) break;
        }
    }
    // A point that is not a number is near nothing; still a word for a drag.
    if (!nearest && !page.words.empty()) nearest = 0;
    return nearest;
}

WordRange wordsBetween(std::uint32_t pressed, std::uint32_t released) {
    return pressed <= released ? WordRange{pressed, released} : WordRange{released, pressed};
}

Result<OwnedString> selectedText(Allocator& allocator, const PageText& page, WordRange words, CopyLayout layout) {
    ByteBuilder out(allocator);
    if (page.words.empty()) return OwnedString{};
    const std::uint32_t last = std::min<std::uint32_t>(std::max(words.first, words.last),
                                                       static_cast<std::uint32_t>(page.words.size() - 1));
    const std::uint32_t first = std::min(std::min(words.first, words.last), last);
    for (std::uint32_t i = first; i <= last; ++i) {
        std::string_view text = wordTextOf(page, i);
        std::string_view separator;
        if (i < last) {
            const std::uint32_t line = page.words[i].line;
            const std::uint32_t nextLine = page.words[i + 1].line;
            if (line == nextLine) {
                separator = " ";
            } else if (blockOf(page, line) != blockOf(page, nextLine)) {
                separator = "\r\n\r\n";
            } else if (layout == CopyLayout::AsShown) {
                separator = "\r\n";
            } else if (nextLine == line + 1 && lineEndsInSplitWord(page, line)) {
                text.remove_suffix(hyphenBytes(text));
            } else {
                separator = " ";
            }
        }
        if (auto appended = out.append(text); !appended) return fail(appended.error());
        if (auto appended = out.append(separator); !appended) return fail(appended.error());
    }
    auto bytes = out.take();
    auto text = OwnedArray<char>::copyOf(allocator, std::span(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!text) return fail(text.error());
    return OwnedString::adopt(std::move(*text));
}

}  // namespace orva
