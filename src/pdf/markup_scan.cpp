#include "pdf/markup_scan.h"

#include "base/utf.h"

namespace orva {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; }

bool isNameCharacter(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The name that starts at text[at] (empty when none does).
std::string_view nameAt(std::string_view text, std::size_t at) {
    if (at >= text.size() || !isNameStart(text[at])) return {};
    std::size_t end = at + 1;
    while (end < text.size() && isNameCharacter(text[end])) ++end;
    return text.substr(at, end - at);
}

struct Attribute {
    std::string_view name;
    std::string_view value;
};

// Walks the attribute text of a tag: blanks, name, '=', a quoted value.
class AttributeWalk {
public:
    explicit AttributeWalk(std::string_view text) : text_(text) {}

    // False at the end; InvalidCharacter for anything that is no attribute.
    Result<bool> next(Attribute& attribute) {
        const std::size_t start = at_;
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
        if (at_ == text_.size()) return false;
        if (at_ == start && start != 0) return fail(ErrorCode::InvalidCharacter);  // no blank before it
        attribute.name = nameAt(text_, at_);
        if (attribute.name.empty()) return fail(ErrorCode::InvalidCharacter);
        at_ += attribute.name.size();
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
        if (at_ == text_.size() || text_[at_] != '=') return fail(ErrorCode::InvalidCharacter);
        ++at_;
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
        if (at_ == text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return fail(ErrorCode::InvalidCharacter);
        const char quote = text_[at_++];
        const std::size_t close = text_.find(quote, at_);
        if (close == std::string_view::npos) return fail(ErrorCode::InvalidCharacter);
        attribute.value = text_.substr(at_, close - at_);
        if (attribute.value.find('<') != std::string_view::npos) return fail(ErrorCode::InvalidCharacter);
        at_ = close + 1;
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// The text of a tag up to its closing '>', quotes respected; npos when cut short.
std::size_t tagEnd(std::string_view input, std::size_t at) {
    char quote = 0;
    for (; at < input.size(); ++at) {
        const char c = input[at];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return at;
        } else if (c == '<') {
            return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

}  // namespace

Result<MarkupToken> MarkupScanner::next() {
    MarkupToken token;
    for (;;) {
        if (at_ >= input_.size()) return token;
        if (input_[at_] != '<') {
            const std::size_t open = input_.find('<', at_);
            const std::size_t end = open == std::string_view::npos ? input_.size() : open;
            token.kind = MarkupToken::Text;
            token.text = input_.substr(at_, end - at_);
            at_ = end;
            return token;
        }
        const std::string_view rest = input_.substr(at_);
        if (rest.starts_with("<!--")) {
            const std::size_t close = rest.find("-->", 4);
            if (close == std::string_view::npos) return fail(ErrorCode::InvalidCharacter);
            at_ += close + 3;
            continue;
        }
        if (!rest.starts_with("<?") && !rest.starts_with("<!")) break;
        // The XML declaration and the document type, before the root only.
        if (rootSeen_) return fail(ErrorCode::InvalidCharacter);
        const std::size_t close = rest[1] == '?' ? rest.find("?>", 2) : tagEnd(rest, 2);
        if (close == std::string_view::npos || nameAt(rest, 2).empty()) return fail(ErrorCode::InvalidCharacter);
        at_ += close + (rest[1] == '?' ? 2 : 1);
    }
    const std::string_view rest = input_.substr(at_);
    if (rest.starts_with("</")) {
        token.kind = MarkupToken::Close;
        token.name = nameAt(rest, 2);
        if (token.name.empty()) return fail(ErrorCode::InvalidCharacter);
        std::size_t end = 2 + token.name.size();
        while (end < rest.size() && isSpace(rest[end])) ++end;
        if (end == rest.size() || rest[end] != '>') return fail(ErrorCode::InvalidCharacter);
        at_ += end + 1;
        return token;
    }
    token.name = nameAt(rest, 1);
    const std::size_t close = tagEnd(rest, 1);
    if (token.name.empty() || close == std::string_view::npos) return fail(ErrorCode::InvalidCharacter);
    const bool empty = rest[close - 1] == '/' && close - 1 > token.name.size();
    token.kind = empty ? MarkupToken::Empty : MarkupToken::Open;
    token.attributes = rest.substr(1 + token.name.size(), close - 1 - token.name.size() - (empty ? 1 : 0));
    // Check every attribute's form once, here.
    AttributeWalk walk(token.attributes);
    Attribute attribute;
    for (;;) {
        auto more = walk.next(attribute);
        if (!more) return fail(more.error());
        if (!*more) break;
    }
    rootSeen_ = true;
    at_ += close + 1;
    return token;
}

Status readAttributes(std::string_view attributes, std::span<const std::string_view> names,
                      std::span<std::optional<std::string_view>> values) {
    for (auto& value : values) value.reset();
    AttributeWalk walk(attributes);
    Attribute attribute;
    for (;;) {
        auto more = walk.next(attribute);
        if (!more) return fail(more.error());
        if (!*more) return {};
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
            if (attribute.name != names[i]) continue;
            if (values[i]) return fail(ErrorCode::InvalidCharacter);
            values[i] = attribute.value;
        }
    }
}

bool isBlankText(std::string_view text) noexcept {
    for (const char c : text) {
        if (!isSpace(c)) return false;
    }
    return true;
}

Status checkUtf8(std::string_view text) noexcept {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = decodeUtf8(text, at, c);
        if (length == 0 || (c >= 0xD800 && c <= 0xDFFF)) return fail(ErrorCode::InvalidUtf8);
        at += length;
    }
    return {};
}

namespace {

// The code point of the entity text between '&' and ';'.
std::optional<char32_t> entityValue(std::string_view entity) {
    if (entity == "amp") return U'&';
    if (entity == "lt") return U'<';
    if (entity == "gt") return U'>';
    if (entity == "quot") return U'"';
    if (entity == "apos") return U'\'';
    if (entity.size() < 2 || entity[0] != '#') return std::nullopt;
    const bool hex = entity[1] == 'x' || entity[1] == 'X';
    const std::string_view digits = entity.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            digit = static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + digit;
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return static_cast<char32_t>(value);
}

std::size_t encodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

}  // namespace

Status decodeMarkupText(std::string_view raw, ByteBuilder* out, std::size_t& characters) {
    std::size_t at = 0;
    while (at < raw.size()) {
        const std::size_t amp = raw.find('&', at);
        const std::string_view plain = raw.substr(at, amp == std::string_view::npos ? raw.size() - at : amp - at);
        for (const char c : plain) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (out != nullptr) {
            if (auto appended = out->append(plain); !appended) return appended;
        }
        if (amp == std::string_view::npos) break;
        const std::size_t semicolon = raw.find(';', amp + 1);
        if (semicolon == std::string_view::npos || semicolon - amp > 11) return fail(ErrorCode::InvalidCharacter);
        const auto value = entityValue(raw.substr(amp + 1, semicolon - amp - 1));
        if (!value) return fail(ErrorCode::InvalidCharacter);
        ++characters;
        if (out != nullptr) {
            char bytes[4];
            const std::size_t length = encodeUtf8(*value, bytes);
            if (auto appended = out->append(std::string_view(bytes, length)); !appended) return appended;
        }
        at = semicolon + 1;
    }
    return {};
}

Result<double> parseMarkupNumber(std::string_view text, double largest) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty()) return fail(ErrorCode::InvalidCharacter);
    const auto digitsOnly = [](std::string_view digits) {
        for (const char c : digits) {
            if (c < '0' || c > '9') return false;
        }
        return true;
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction)) return fail(ErrorCode::InvalidCharacter);
    double value = 0;
    for (const char c : whole) {
        value = value * 10 + (c - '0');
        if (value > largest) return fail(ErrorCode::Overflow);
    }
    // Nine places are more than a float keeps.
    double scale = 1;
    for (std::size_t i = 0; i < fraction.size() && i < 9; ++i) {
        scale /= 10;
        value += (fraction[i] - '0') * scale;
    }
    if (value > largest) return fail(ErrorCode::Overflow);
    return negative ? -value : value;
}

}  // namespace orva
