#include "app/command_line.h"

#include "base/utf.h"

namespace orva {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Splits into UTF-16 arguments; `sink(begin, length)` receives each one. The
// text of an argument is written back into `scratch`, which is never longer
// than the command line.
template <class Sink>
Status split(std::u16string_view line, char16_t* scratch, Sink&& sink) {
    std::size_t s = 0;
    // The program name: up to the closing quote, or up to the first blank.
    std::size_t start = 0, length = 0;
    if (s < line.size() && line[s] == u'"') {
        start = ++s;
        while (s < line.size() && line[s] != u'"') ++s;
        length = s - start;
        if (s < line.size()) ++s;
    } else {
        start = s;
        while (s < line.size() && !isBlank(line[s])) ++s;
        length = s - start;
    }
    if (auto ok = sink(line.data() + start, length); !ok) return ok;
    while (s < line.size() && isBlank(line[s])) ++s;

    while (s < line.size()) {
        char16_t* d = scratch;
        std::size_t backslashes = 0;
        int quotes = 0;  // 1 inside a quoted stretch
        while (s < line.size()) {
            const char16_t c = line[s];
            if (isBlank(c) && quotes == 0) break;
            if (c == u'\\') {
                *d++ = c;
                ++backslashes;
                ++s;
            } else if (c == u'"') {
                if (backslashes % 2 == 0) {
                    d -= backslashes / 2;  // 2n backslashes and a quote: n backslashes, quote toggles
                    ++quotes;
                } else {
                    d -= backslashes / 2 + 1;  // 2n+1: n backslashes and a literal quote
                    *d++ = u'"';
                }
                ++s;
                backslashes = 0;
                // Runs of quotes: every third one is a literal quote.
                while (s < line.size() && line[s] == u'"') {
                    if (++quotes == 3) {
                        *d++ = u'"';
                        quotes = 0;
                    }
                    ++s;
                }
                if (quotes == 2) quotes = 0;
            } else {
                *d++ = c;
                backslashes = 0;
                ++s;
            }
        }
        if (auto ok = sink(scratch, static_cast<std::size_t>(d - scratch)); !ok) return ok;
        while (s < line.size() && isBlank(line[s])) ++s;
    }
    return {};
}

}  // namespace

Result<OwnedArray<OwnedString>> splitCommandLine(Allocator& allocator, std::u16string_view commandLine) {
    auto scratch = OwnedArray<char16_t>::createUninitialized(allocator, commandLine.size() + 1);
    if (!scratch) return fail(scratch.error());

    std::size_t count = 0;
    auto counted = split(commandLine, scratch->data(), [&](const char16_t*, std::size_t) -> Status {
        ++count;
        return {};
    });
    if (!counted) return fail(counted.error());

    auto arguments = OwnedArray<OwnedString>::create(allocator, count);
    if (!arguments) return arguments;
    std::size_t index = 0;
    auto filled = split(commandLine, scratch->data(), [&](const char16_t* text, std::size_t length) -> Status {
        auto utf8 = utf16ToUtf8(allocator, std::u16string_view(text, length));
        if (!utf8) return fail(utf8.error());
        (*arguments)[index++] = std::move(*utf8);
        return {};
    });
    if (!filled) return fail(filled.error());
    return arguments;
}

}  // namespace orva
