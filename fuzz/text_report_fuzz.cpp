// Reads arbitrary bytes as the text tool's report and checks what a read
// page promises: words, lines and blocks that index each other in order,
// word text inside the page's text and UTF-8, boxes that are numbers with
// their edges in order. Then searches every page for a word of the input
// and selects all of it, and reads again with an allocation failing.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "base/allocator.h"
#include "base/utf.h"
#include "document/text_search.h"
#include "document/text_selection.h"
#include "pdf/text_report.h"

namespace {

using namespace orva;

using fuzz::check;

void checkPage(const PageText& page) {
    check(page.words.size() <= kMostWordsPerPage, "no more words than the limit");
    check(utf16LengthOf(page.text.view()).has_value(), "the page's text is UTF-8");
    std::uint64_t nextWord = 0, nextLine = 0, textEnd = 0;
    for (std::uint32_t b = 0; b < page.blocks.size(); ++b) {
        const TextBlock& block = page.blocks[b];
        check(block.firstLine == nextLine && block.lineCount != 0, "blocks take the lines in order");
        for (std::uint32_t l = block.firstLine; l < block.firstLine + block.lineCount; ++l) {
            check(l < page.lines.size(), "a block's lines exist");
            const TextLine& line = page.lines[l];
            check(line.block == b && line.firstWord == nextWord && line.wordCount != 0, "lines take the words in order");
            for (std::uint32_t w = line.firstWord; w < line.firstWord + line.wordCount; ++w) {
                check(w < page.words.size(), "a line's words exist");
                const TextWord& word = page.words[w];
                check(word.line == l, "a word names its line");
                check(word.textStart == textEnd && word.textLength != 0 && word.textLength <= kMostWordBytes,
                      "words take the text in order, none empty or too long");
                textEnd += word.textLength;
                check(std::isfinite(word.box.left) && std::isfinite(word.box.top) && std::isfinite(word.box.right) &&
                          std::isfinite(word.box.bottom) && word.box.left <= word.box.right && word.box.top <= word.box.bottom,
                      "a box is finite and in order");
            }
            nextWord += line.wordCount;
        }
        nextLine += block.lineCount;
    }
    check(nextWord == page.words.size() && nextLine == page.lines.size() && textEnd == page.text.size(),
          "every word, line and byte belongs somewhere");
}

void searchAndSelect(Allocator& allocator, const PageText& page, std::string_view query, bool matchCase) {
    auto prepared = prepareQuery(allocator, query, matchCase);
    if (!prepared) return;
    auto hits = findOnPage(allocator, page, *prepared);
    check(hits.has_value(), "a search without failing allocations succeeds");
    std::uint64_t after = 0;  // word * 2^32 + offset where the last hit ended
    TextBox boxes[64];
    for (const TextHit& hit : *hits) {
        const std::uint64_t start = (std::uint64_t{hit.firstWord} << 32) | hit.firstOffset;
        const std::uint64_t end = (std::uint64_t{hit.lastWord} << 32) | hit.lastEnd;
        check(start >= after && end > start, "hits in reading order, not overlapping, not empty");
        check(hit.lastWord < page.words.size() && hit.lastEnd <= page.words[hit.lastWord].textLength &&
                  hit.firstOffset < page.words[hit.firstWord].textLength,
              "a hit lies inside its words");
        const std::size_t count = hitBoxes(page, hit, boxes);
        check(count == std::min<std::size_t>(64, hit.lastWord - hit.firstWord + 1), "a box a word");
        for (std::size_t i = 0; i < count; ++i) check(boxes[i].left <= boxes[i].right, "a hit's box is in order");
        after = end;
    }
    if (page.words.empty()) return;
    const WordRange all{0, static_cast<std::uint32_t>(page.words.size() - 1)};
    auto shown = selectedText(allocator, page, all, CopyLayout::AsShown);
    auto reflowed = selectedText(allocator, page, all, CopyLayout::Reflowed);
    check(shown && reflowed, "a selection without failing allocations succeeds");
    check(shown->size() >= page.text.size() && reflowed->size() <= shown->size(),
          "the copy holds every word; reflowing never lengthens it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    Allocator allocator;
    ErrorCode first{};
    {
        auto pages = parseTextReport(allocator, report, 150.0f / 72);
        check(pages || pages.error() != ErrorCode::OutOfMemory, "no memory failure unless injected");
        if (!pages) first = pages.error();
        if (pages) {
            for (const PageText& page : *pages) {
                checkPage(page);
                // A query from the input's last bytes, and one from a word.
                searchAndSelect(allocator, page, report.substr(size - std::min<std::size_t>(size, 6)), size % 2 == 0);
                if (!page.words.empty()) {
                    searchAndSelect(allocator, page, page.wordText(static_cast<std::uint32_t>(size % page.words.size())),
                                    false);
                }
            }
        }
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");
    if (size != 0) {
        allocator.failAllocation(1 + data[0] % 32);
        auto again = parseTextReport(allocator, report, 150.0f / 72);
        const ErrorCode error = again ? ErrorCode{} : again.error();
        check(error == first || error == ErrorCode::OutOfMemory, "a failing allocation gives OutOfMemory or changes nothing");
    }
    check(allocator.liveBlocks() == 0, "nothing left after a failed allocation");
    return 0;
}
