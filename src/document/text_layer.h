#pragma once
// The text of one page as the reader finds, selects and copies it: its words
// with their boxes, in reading order (flow, block, line, word), the boxes in
// page-image pixels (origin top left of the page as rendered). Containers and
// pages without words have an empty layer. Every buffer comes from the
// program's allocator.
#include <cstdint>

#include "base/allocator.h"

namespace orva {

struct TextBox {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// A point of the page image, in its pixels.
struct ImagePoint {
    float x = 0;
    float y = 0;
};

struct TextWord {
    // The word's UTF-8 text: bytes [textStart, textStart + textLength) of
    // PageText::text.
    std::uint32_t textStart = 0;
    std::uint32_t textLength = 0;
    TextBox box;
    // Index of the line the word stands on (PageText::lines).
    std::uint32_t line = 0;
};

struct TextLine {
    std::uint32_t firstWord = 0;
    std::uint32_t wordCount = 0;
    // Index of the block the line belongs to (PageText::blocks).
    std::uint32_t block = 0;
};

// A paragraph-like group of lines; blocks of all flows, in reading order.
struct TextBlock {
    std::uint32_t firstLine = 0;
    std::uint32_t lineCount = 0;
};

struct PageText {
    // Every word's text, one after the other, with nothing between them.
    OwnedString text;
    OwnedArray<TextWord> words;
    OwnedArray<TextLine> lines;
    OwnedArray<TextBlock> blocks;

    bool empty() const noexcept { return words.empty(); }
    // What the layer holds in memory, for the page budget.
    std::uint64_t heldBytes() const noexcept {
        return text.size() + words.size() * sizeof(TextWord) + lines.size() * sizeof(TextLine) +
               blocks.size() * sizeof(TextBlock);
    }
    std::string_view wordText(std::uint32_t index) const noexcept {
        const TextWord& word = words[index];
        return text.view().substr(word.textStart, word.textLength);
    }
};

// Whether `line` ends in the first half of a word split by a hyphen, whose
// second half starts the next line of the same block ("decod-" / "ing"): its
// last word ends in '-', U+2010 or a soft hyphen that follows a letter, and
// the next line's first word starts with a letter. The search and the
// reflowed copy join such halves; anything out of range is no such line.
bool lineEndsInSplitWord(const PageText& page, std::uint32_t line) noexcept;

}  // namespace orva
