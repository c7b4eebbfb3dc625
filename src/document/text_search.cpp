#include "document/text_search.h"

#include "base/utf.h"
#include "document/text_folding.h"

namespace orva {

namespace {

constexpr char32_t kGap = U' ';
constexpr char32_t kHyphen = U'-';

// What one code point of a page or a query stands for.
struct Unit {
    enum Kind : std::uint8_t { Letters, Space, Nothing, SplitHyphen } kind;
    std::uint8_t count = 0;  // letters, for Letters
    std::uint32_t length = 1;  // bytes
    char32_t letters[3] = {};
};

Unit unitOf(DecodedCharacter decoded, bool matchCase) {
    Unit unit{Unit::Letters};
    unit.length = decoded.length;
    const char32_t c = decoded.value;
    if (isWhiteSpace(c)) {
        unit.kind = Unit::Space;
    } else if (c == 0xAD) {
        // A soft hyphen inside a line is not seen.
        unit.kind = Unit::Nothing;
    } else if (const std::u32string_view letters = ligatureLetters(c); !letters.empty()) {
        unit.count = static_cast<std::uint8_t>(letters.size());
        for (std::size_t i = 0; i < letters.size(); ++i) unit.letters[i] = letters[i];
    } else {
        unit.count = 1;
        unit.letters[0] = c == 0x2010 || c == 0x2011 ? kHyphen : matchCase ? c : foldCase(c);
    }
    return unit;
}

// A page's words as the matcher walks them, with the split hyphens at the
// ends of lines marked.
class PageWalk {
public:
    PageWalk(const PageText& page, bool matchCase) : page_(page), matchCase_(matchCase) {}

    std::uint32_t wordCount() const { return static_cast<std::uint32_t>(page_.words.size()); }

    // The word's text, empty for a word whose bytes lie outside the page's.
    std::string_view text(std::uint32_t word) const {
        const TextWord& w = page_.words[word];
        if (std::uint64_t{w.textStart} + w.textLength > page_.text.size()) return {};
        return page_.text.view().substr(w.textStart, w.textLength);
    }

    Unit unitAt(std::uint32_t word, std::string_view text, std::uint32_t at) const {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            Unit unit{Unit::Letters};
            if (byte == ' ' || (byte >= 0x09 && byte <= 0x0D)) {
                unit.kind = Unit::Space;
            } else if (byte == '-' && at + 1 == text.size() && endsSplit(word)) {
                unit.kind = Unit::SplitHyphen;
            } else {
                unit.count = 1;
                unit.letters[0] = matchCase_ || byte < 'A' || byte > 'Z' ? byte : byte + 32;
            }
            return unit;
        }
        const DecodedCharacter decoded = decodeAt(text, at);
        if (isLineEndHyphen(decoded.value) && at + decoded.length == text.size() && endsSplit(word)) {
            Unit unit{Unit::SplitHyphen};
            unit.length = decoded.length;
            return unit;
        }
        return unitOf(decoded, matchCase_);
    }

    // Moves past white space, unseen characters and the ends of words, to the
    // next thing a query character can meet (or the end of the page).
    void skipGap(std::uint32_t& word, std::uint32_t& at) const {
        while (word < wordCount()) {
            const std::string_view t = text(word);
            if (at >= t.size()) {
                if (word + 1 == wordCount()) return;
                ++word;
                at = 0;
                continue;
            }
            const Unit unit = unitAt(word, t, at);
            if (unit.kind != Unit::Space && unit.kind != Unit::Nothing) return;
            at += unit.length;
        }
    }

    // Moves past unseen characters inside the word.
    void skipNothing(std::uint32_t word, std::uint32_t& at) const {
        const std::string_view t = text(word);
        while (at < t.size()) {
            const Unit unit = unitAt(word, t, at);
            if (unit.kind != Unit::Nothing) return;
            at += unit.length;
        }
    }

    // The query from (word, at, letter); on a match, the hit's end.
    bool matchFrom(std::uint32_t word, std::uint32_t at, std::uint8_t letter, std::span<const char32_t> query,
                   TextHit& hit) const {
        std::size_t next = 0;
        while (next < query.size()) {
            if (word >= wordCount()) return false;
            const std::string_view t = text(word);
            if (at >= t.size()) {
                // Between two words: a gap, or the end of the page.
                if (word + 1 >= wordCount() || query[next] != kGap) return false;
                ++next;
                ++word;
                at = 0;
                skipGap(word, at);
                continue;
            }
            const Unit unit = unitAt(word, t, at);
            switch (unit.kind) {
                case Unit::Nothing:
                    at += unit.length;
                    break;
                case Unit::Space:
                    if (query[next] != kGap) return false;
                    ++next;
                    skipGap(word, at);
                    break;
                case Unit::SplitHyphen:
                    // "decod-" / "ing" reads as "decoding", "decod-ing" and
                    // "decod- ing" alike.
                    if (word + 1 >= wordCount()) return false;
                    if (query[next] == kHyphen) {
                        hit.lastWord = word;
                        hit.lastEnd = at + unit.length;
                        ++next;
                        ++word;
                        at = 0;
                        if (next < query.size() && query[next] == kGap) {
                            ++next;
                            skipGap(word, at);
                        } else {
                            skipNothing(word, at);
                        }
                    } else {
                        ++word;
                        at = 0;
                        skipNothing(word, at);
                    }
                    break;
                case Unit::Letters:
                    if (letter >= unit.count || unit.letters[letter] != query[next]) return false;
                    ++next;
                    hit.lastWord = word;
                    hit.lastEnd = at + unit.length;
                    if (++letter == unit.count) {
                        letter = 0;
                        at += unit.length;
                    }
                    break;
            }
        }
        return true;
    }

private:
    // Whether the word is the last of a line that ends in a split word.
    bool endsSplit(std::uint32_t word) const {
        const std::uint32_t line = page_.words[word].line;
        if (line >= page_.lines.size()) return false;
        const TextLine& l = page_.lines[line];
        return std::uint64_t{l.firstWord} + l.wordCount == std::uint64_t{word} + 1 && lineEndsInSplitWord(page_, line);
    }

    const PageText& page_;
    bool matchCase_;
};

}  // namespace

Result<PreparedQuery> prepareQuery(Allocator& allocator, std::string_view query, bool matchCase) {
    // Every code point gives at most three characters.
    std::size_t count = 0;
    bool gap = false;
    GrowableArray<char32_t> characters(allocator);
    for (std::size_t at = 0; at < query.size();) {
        char32_t c = 0;
        const std::size_t length = decodeUtf8(query, at, c);
        if (length == 0 || (c >= 0xD800 && c <= 0xDFFF)) return fail(ErrorCode::InvalidUtf8);
        at += length;
        const Unit unit = unitOf({c, static_cast<std::uint32_t>(length)}, matchCase);
        if (unit.kind == Unit::Space) {
            gap = count != 0;
            continue;
        }
        if (unit.kind != Unit::Letters) continue;
        if (gap) {
            if (auto pushed = characters.push(char32_t{kGap}); !pushed) return fail(pushed.error());
            gap = false;
        }
        for (std::uint8_t i = 0; i < unit.count; ++i) {
            if (auto pushed = characters.push(char32_t{unit.letters[i]}); !pushed) return fail(pushed.error());
            ++count;
        }
    }
    PreparedQuery prepared;
    prepared.matchCase = matchCase;
    auto taken = characters.take();
    if (!taken.empty()) {
        auto exact = OwnedArray<char32_t>::copyOf(allocator, taken.span());
        if (!exact) return fail(exact.error());
        prepared.characters = std::move(*exact);
    }
    return prepared;
}

Result<OwnedArray<TextHit>> findOnPage(Allocator& allocator, const PageText& page, const PreparedQuery& query) {
    GrowableArray<TextHit> hits(allocator);
    const std::span<const char32_t> q = query.characters.span();
    if (q.empty()) return hits.take();
    const PageWalk walk(page, query.matchCase);
    const char32_t first = q[0];
    const bool firstIsAscii = first < 0x80;
    std::uint32_t word = 0;
    std::uint32_t at = 0;
    std::string_view t = walk.wordCount() == 0 ? std::string_view{} : walk.text(0);
    while (word < walk.wordCount()) {
        if (at >= t.size()) {
            if (++word < walk.wordCount()) t = walk.text(word);
            at = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(t[at]);
        // Most of a page is ASCII that does not start the query.
        if (byte < 0x80 && byte != '-') {
            const char32_t c = query.matchCase || byte < 'A' || byte > 'Z' ? byte : byte + 32;
            if (c != first) {
                ++at;
                continue;
            }
        } else if (byte >= 0x80 && firstIsAscii && first != kHyphen && (first < 'f' || first > 't')) {
            // Only ligatures (f, i, l, s, t), hyphens, the long s and the
            // Kelvin sign give ASCII.
            at += decodeAt(t, at).length;
            continue;
        }
        const Unit unit = walk.unitAt(word, t, at);
        bool found = false;
        TextHit hit{word, at, word, at};
        if (unit.kind == Unit::Letters) {
            for (std::uint8_t letter = 0; letter < unit.count && !found; ++letter) {
                found = unit.letters[letter] == first && walk.matchFrom(word, at, letter, q, hit);
            }
        } else if (unit.kind == Unit::SplitHyphen) {
            found = first == kHyphen && walk.matchFrom(word, at, 0, q, hit);
        }
        if (!found) {
            at += unit.length;
            continue;
        }
        if (auto pushed = hits.push(TextHit{hit}); !pushed) return fail(pushed.error());
        // Go on after the hit, from its end in the word it ends in.
        if (hit.lastWord != word) {
            word = hit.lastWord;
            t = walk.text(word);
        }
        at = hit.lastEnd;
    }
    return hits.take();
}

std::size_t hitBoxes(const PageText& page, const TextHit& hit, std::span<TextBox> out) {
    if (hit.firstWord > hit.lastWord || hit.lastWord >= page.words.size()) return 0;
    const PageWalk walk(page, true);
    std::size_t written = 0;
    for (std::uint32_t word = hit.firstWord; word <= hit.lastWord && written < out.size(); ++word) {
        const std::string_view t = walk.text(word);
        TextBox box = page.words[word].box;
        const std::size_t from = word == hit.firstWord ? std::min<std::size_t>(hit.firstOffset, t.size()) : 0;
        const std::size_t to = word == hit.lastWord ? std::min<std::size_t>(hit.lastEnd, t.size()) : t.size();
        if ((from != 0 || to != t.size()) && !t.empty()) {
            const float total = static_cast<float>(countCharacters(t));
            const float width = box.right - box.left;
            const float start = static_cast<float>(countCharacters(t.substr(0, from))) / total;
            const float end = static_cast<float>(countCharacters(t.substr(0, std::max(from, to)))) / total;
            box.right = box.left + width * end;
            box.left = box.left + width * start;
        }
        out[written++] = box;
    }
    return written;
}

}  // namespace orva
