// Splits arbitrary text as a Windows command line and checks what the
// splitter promises: element 0 is the program name (up to the closing quote,
// or up to the first blank); every element is UTF-8, where a lone surrogate
// travels in its generalised three-byte form; quoting the elements again and
// splitting that gives the same elements; an allocation failure anywhere is
// OutOfMemory; nothing is left behind either way.
//
// The input is read as UTF-8 (three-byte surrogate forms included); a byte
// that starts no such sequence stands for the code unit of its own value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "app/command_line.h"

namespace {

using namespace orva;

using fuzz::check;

bool isHigh(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the sequence at text[at] (0 when none starts there) and its code
// point; surrogates are accepted in their three-byte form.
std::size_t decode(std::string_view text, std::size_t at, char32_t& point) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                                                             : lead >= 0xF0 && lead < 0xF5   ? 4
                                                                                                             : 0;
    if (length == 0 || text.size() - at < length) return 0;
    point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        point = point << 6 | (byte(k) & 0x3F);
    }
    if ((length == 3 && point < 0x800) || (length == 4 && (point < 0x10000 || point > 0x10FFFF))) return 0;
    return length;
}

// Appends the UTF-16 form of a code point.
void put(char16_t*& out, char32_t point) {
    if (point >= 0x10000) {
        *out++ = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
        *out++ = static_cast<char16_t>(point);
    }
}

// Checks one element's UTF-8 and appends its UTF-16 form. With `strict`, no
// surrogate may appear at all; otherwise only one that has no partner.
void toUtf16(std::string_view element, bool strict, char16_t*& out) {
    char32_t previous = 0;
    for (std::size_t at = 0; at < element.size();) {
        char32_t point = 0;
        const std::size_t length = decode(element, at, point);
        check(length != 0, "every element is UTF-8");
        check(!strict || !(isHigh(point) || isLow(point)), "no surrogate in an element unless the line has a lone one");
        check(!(isHigh(previous) && isLow(point)), "a surrogate pair is written as one four-byte sequence");
        put(out, point);
        previous = point;
        at += length;
    }
}

std::u16string_view programName(std::u16string_view line) {
    if (!line.empty() && line[0] == u'"') {
        const std::size_t end = line.find(u'"', 1);
        return line.substr(1, end == std::u16string_view::npos ? line.size() - 1 : end - 1);
    }
    return line.substr(0, line.find_first_of(u" \t"));
}

// The quoting that gives `argument` back: inside quotes, a quote follows an
// odd number of backslashes, and backslashes before a quote are doubled.
void quote(std::u16string_view argument, char16_t*& out) {
    *out++ = u'"';
    std::size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
        } else {
            const std::size_t times = c == u'"' ? 2 * backslashes + 1 : backslashes;
            for (std::size_t k = 0; k < times; ++k) *out++ = u'\\';
            *out++ = c;
            backslashes = 0;
        }
    }
    for (std::size_t k = 0; k < 2 * backslashes; ++k) *out++ = u'\\';
    *out++ = u'"';
}

bool sameElements(const OwnedArray<OwnedString>& a, const OwnedArray<OwnedString>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].view() != b[i].view()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The harness's own buffers, kept apart from the counted splits.
    Allocator harness;
    auto lineUnits = OwnedArray<char16_t>::createUninitialized(harness, size + 1);
    check(bool(lineUnits), "harness line buffer");
    char16_t* end = lineUnits->data();
    for (std::size_t at = 0; at < size;) {
        char32_t point = 0;
        const std::size_t length = decode(text, at, point);
        if (length == 0) point = static_cast<unsigned char>(text[at]);
        put(end, point);
        at += length == 0 ? 1 : length;
    }
    const std::u16string_view line(lineUnits->data(), static_cast<std::size_t>(end - lineUnits->data()));
    bool loneSurrogate = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (isHigh(line[i]) && i + 1 < line.size() && isLow(line[i + 1])) {
            ++i;
        } else if (isHigh(line[i]) || isLow(line[i])) {
            loneSurrogate = true;
        }
    }

    Allocator allocator;
    std::size_t allocations = 0;
    {
        auto elements = splitCommandLine(allocator, line);
        check(bool(elements), "a split fails only when memory does");
        allocations = allocator.allocationCount();
        check(elements->size() >= 1, "element 0 is always there");

        // Back to UTF-16, every element checked on the way; the elements
        // together never hold more code units than the line.
        std::size_t bytes = 0;
        for (const OwnedString& element : *elements) bytes += element.size();
        auto units = OwnedArray<char16_t>::createUninitialized(harness, bytes + 1);
        auto lengths = OwnedArray<std::size_t>::createUninitialized(harness, elements->size());
        check(units && lengths, "harness element buffers");
        char16_t* out = units->data();
        for (std::size_t i = 0; i < elements->size(); ++i) {
            char16_t* begin = out;
            toUtf16((*elements)[i].view(), !loneSurrogate, out);
            (*lengths)[i] = static_cast<std::size_t>(out - begin);
        }
        const std::size_t total = static_cast<std::size_t>(out - units->data());
        check(total <= line.size(), "no more code units out than in");
        check(std::u16string_view(units->data(), (*lengths)[0]) == programName(line), "element 0 is the program name");

        // Quoted again, the line splits the same way. The name knows no
        // escapes: it goes inside plain quotes, or bare when it holds a quote
        // (it then has no blank and does not start with one).
        auto requoted = OwnedArray<char16_t>::createUninitialized(harness, 2 * total + 3 * elements->size() + 1);
        check(bool(requoted), "harness quoting buffer");
        char16_t* q = requoted->data();
        const char16_t* from = units->data();
        for (std::size_t i = 0; i < elements->size(); ++i) {
            const std::u16string_view element(from, (*lengths)[i]);
            from += element.size();
            if (i == 0) {
                const bool bare = element.find(u'"') != std::u16string_view::npos;
                if (!bare) *q++ = u'"';
                for (const char16_t c : element) *q++ = c;
                if (!bare) *q++ = u'"';
            } else {
                quote(element, q);
            }
            *q++ = u' ';
        }
        Allocator again;
        {
            auto resplit = splitCommandLine(again, {requoted->data(), static_cast<std::size_t>(q - requoted->data())});
            check(resplit && sameElements(*elements, *resplit), "quoting the elements again gives them back");
        }
        check(again.liveBlocks() == 0, "nothing left after a second split");
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");

    // The same split with one of its allocations failing, chosen by the input.
    if (size != 0 && allocations != 0) {
        Allocator failing;
        failing.failAllocation(1 + data[size - 1] % allocations);
        {
            auto elements = splitCommandLine(failing, line);
            check(!elements && elements.error() == ErrorCode::OutOfMemory, "an allocation failure is OutOfMemory");
        }
        check(failing.liveBlocks() == 0, "nothing left after a failed split");
    }
    return 0;
}
