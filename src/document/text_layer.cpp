#include "document/text_layer.h"

#include "document/text_folding.h"

namespace orva {

namespace {

// The code point that ends `text`, walking back over continuation bytes.
DecodedCharacter lastCharacter(std::string_view text, std::size_t& start) {
    std::size_t at = text.size() - 1;
    for (std::size_t back = 0; back < 3 && at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++back) --at;
    DecodedCharacter decoded = decodeAt(text, at);
    if (at + decoded.length != text.size()) {
        at = text.size() - 1;
        decoded = {0xFFFD, 1};
    }
    start = at;
    return decoded;
}

}  // namespace

bool lineEndsInSplitWord(const PageText& page, std::uint32_t line) noexcept {
    if (line + 1 >= page.lines.size()) return false;
    const TextLine& here = page.lines[line];
    const TextLine& next = page.lines[line + 1];
    if (here.block != next.block || here.wordCount == 0 || next.wordCount == 0) return false;
    const std::uint64_t last = std::uint64_t{here.firstWord} + here.wordCount - 1;
    if (last >= page.words.size() || next.firstWord >= page.words.size()) return false;
    const TextWord& lastWord = page.words[last];
    const TextWord& nextWord = page.words[next.firstWord];
    if (std::uint64_t{lastWord.textStart} + lastWord.textLength > page.text.size() ||
        std::uint64_t{nextWord.textStart} + nextWord.textLength > page.text.size()) {
        return false;
    }
    const std::string_view before = page.wordText(static_cast<std::uint32_t>(last));
    const std::string_view after = page.wordText(next.firstWord);
    if (before.empty() || after.empty()) return false;
    std::size_t hyphen = 0;
    if (!isLineEndHyphen(lastCharacter(before, hyphen).value) || hyphen == 0) return false;
    std::size_t letter = 0;
    if (!isWordCharacter(lastCharacter(before.substr(0, hyphen), letter).value)) return false;
    return isWordCharacter(decodeAt(after, 0).value);
}

}  // namespace orva
