#pragma once
// Pages of text for the search and selection tests: blocks of lines of
// words, each word's box laid out on a grid (10 pixels a character, one
// space between words, 20 pixels a line, an empty line between blocks).
#include <string>
#include <vector>

#include "document/text_layer.h"

namespace orva::test {

using Lines = std::vector<std::vector<std::string>>;
using Blocks = std::vector<Lines>;

inline PageText makePage(Allocator& allocator, const Blocks& blocks) {
    std::string text;
    std::vector<TextWord> words;
    std::vector<TextLine> lines;
    std::vector<TextBlock> kept;
    float top = 0;
    for (const Lines& block : blocks) {
        kept.push_back({static_cast<std::uint32_t>(lines.size()), static_cast<std::uint32_t>(block.size())});
        for (const auto& line : block) {
            lines.push_back({static_cast<std::uint32_t>(words.size()), static_cast<std::uint32_t>(line.size()),
                             static_cast<std::uint32_t>(kept.size() - 1)});
            float left = 0;
            for (const std::string& word : line) {
                const float width = 10.0f * static_cast<float>(word.size());
                words.push_back({static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(word.size()),
                                 {left, top, left + width, top + 15}, static_cast<std::uint32_t>(lines.size() - 1)});
                text += word;
                left += width + 10;
            }
            top += 20;
        }
        top += 20;
    }
    PageText page;
    page.text = *OwnedString::copy(allocator, text);
    page.words = *OwnedArray<TextWord>::copyOf(allocator, words);
    page.lines = *OwnedArray<TextLine>::copyOf(allocator, lines);
    page.blocks = *OwnedArray<TextBlock>::copyOf(allocator, kept);
    return page;
}

}  // namespace orva::test
