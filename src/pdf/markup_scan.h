#pragma once
// A small, strict reader of the markup poppler's text and HTML tools print:
// tags, attributes in either quote, the five named entities and numeric
// ones, declarations and comments before the root. Not a general XML
// parser: no CDATA, no entities of a DTD, no namespaces beyond a colon in a
// name. Pure and allocation-free; the reports' readers build on it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/allocator.h"

namespace orva {

struct MarkupToken {
    enum Kind : std::uint8_t { Text, Open, Close, Empty, End } kind = End;
    std::string_view name;        // Open, Close, Empty
    std::string_view attributes;  // Open, Empty: the raw text after the name
    std::string_view text;        // Text: raw, entities not decoded
};

class MarkupScanner {
public:
    explicit MarkupScanner(std::string_view input) : input_(input) {}
    // The next token; End once the input is used up. InvalidCharacter for a
    // tag, comment or declaration that is broken or cut short.
    Result<MarkupToken> next();

private:
    std::string_view input_;
    std::size_t at_ = 0;
    bool rootSeen_ = false;
};

// Finds the attributes `names` in a tag's attribute text and stores their
// raw values (between the quotes) in `values`, nullopt for those absent.
// InvalidCharacter for an attribute named twice.
Status readAttributes(std::string_view attributes, std::span<const std::string_view> names,
                      std::span<std::optional<std::string_view>> values);

// Whether the text is nothing but white space (between elements).
bool isBlankText(std::string_view text) noexcept;

// Checks that a whole report is UTF-8 (no overlong forms, no surrogates).
Status checkUtf8(std::string_view text) noexcept;

// Decodes a text's or attribute's entities, appending the bytes to `out`
// (which may be null: then the text is only checked); adds the code points
// written to `characters`. InvalidCharacter for an unknown or malformed
// entity, a stray '&' or a numeric one that is no Unicode scalar value (or 0).
Status decodeMarkupText(std::string_view raw, ByteBuilder* out, std::size_t& characters);

// A decimal number as the tools print them: an optional '-', digits, and an
// optional fraction ("518.970000", "-3", "12."); no exponent, no blanks.
// InvalidCharacter when it is none; Overflow past `largest` in size.
Result<double> parseMarkupNumber(std::string_view text, double largest);

}  // namespace orva
