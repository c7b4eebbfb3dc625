#include "platform/environment_map.h"

#include "base/utf.h"

namespace orva {

namespace {

// Walks UTF-8 text as UTF-16 code units without converting it anywhere. A
// byte that starts no valid sequence stands for itself as an unpaired low
// surrogate, so it never matches a real character.
class Utf16Units {
public:
    explicit Utf16Units(std::string_view text) : text_(text) {}

    bool next(char16_t& unit) {
        if (pendingLow_ != 0) {
            unit = pendingLow_;
            pendingLow_ = 0;
            return true;
        }
        if (at_ >= text_.size()) return false;
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(text_, at_, cp);
        if (length == 0) {
            unit = static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(text_[at_++]));
            return true;
        }
        at_ += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit = static_cast<char16_t>(0xD800 + (cp >> 10));
            pendingLow_ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            unit = static_cast<char16_t>(cp);
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    char16_t pendingLow_ = 0;
};

bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

}  // namespace

bool EnvironmentMap::sameName(std::string_view a, std::string_view b) const {
    Utf16Units left(a);
    Utf16Units right(b);
    for (;;) {
        char16_t x = 0;
        char16_t y = 0;
        const bool moreLeft = left.next(x);
        const bool moreRight = right.next(y);
        if (!moreLeft || !moreRight) return moreLeft == moreRight;
        // Surrogates are halves of characters beyond U+FFFF: compared as they are.
        if (!isSurrogate(x)) x = upcase_(x);
        if (!isSurrogate(y)) y = upcase_(y);
        if (x != y) return false;
    }
}

std::optional<std::size_t> EnvironmentMap::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (sameName(entries_[i].name.view(), name)) return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> EnvironmentMap::find(std::string_view name) const {
    const auto index = indexOf(name);
    if (!index) return std::nullopt;
    return entries_[*index].value.view();
}

Status EnvironmentMap::set(std::string_view name, std::string_view value) {
    auto copiedValue = OwnedString::copy(*allocator_, value);
    if (!copiedValue) return fail(copiedValue.error());
    if (const auto index = indexOf(name)) {
        entries_[*index].value = std::move(*copiedValue);
        return {};
    }
    auto copiedName = OwnedString::copy(*allocator_, name);
    if (!copiedName) return fail(copiedName.error());
    return entries_.push(EnvironmentEntry{std::move(*copiedName), std::move(*copiedValue)});
}

Status addEnvironmentBlock(EnvironmentMap& map, std::u16string_view block) {
    while (!block.empty() && block.front() != 0) {
        const std::size_t end = block.find(char16_t{0});
        const std::u16string_view entry = block.substr(0, end);
        block.remove_prefix(end == std::u16string_view::npos ? block.size() : end + 1);
        std::size_t equals = entry.find(u'=', 1);
        if (equals == std::u16string_view::npos) equals = entry.size();
        auto name = utf16ToUtf8(map.allocator(), entry.substr(0, equals));
        if (!name) return fail(name.error());
        auto value = utf16ToUtf8(map.allocator(), entry.substr(equals < entry.size() ? equals + 1 : equals));
        if (!value) return fail(value.error());
        if (auto stored = map.set(name->view(), value->view()); !stored) return stored;
    }
    return {};
}

Result<OwnedArray<char16_t>> buildEnvironmentBlock(Allocator& allocator, const EnvironmentMap& map) {
    constexpr std::size_t kClosingZeros = 4;
    std::size_t units = kClosingZeros;
    for (const EnvironmentEntry& entry : map.entries()) {
        auto name = utf16LengthOf(entry.name.view());
        if (!name) return fail(name.error());
        auto value = utf16LengthOf(entry.value.view());
        if (!value) return fail(value.error());
        units += *name + 1 + *value + 1;
    }
    auto block = OwnedArray<char16_t>::createUninitialized(allocator, units);
    if (!block) return block;
    std::size_t at = 0;
    const auto put = [&](std::string_view text) {
        Utf16Units walk(text);
        for (char16_t unit; walk.next(unit);) (*block)[at++] = unit;
    };
    for (const EnvironmentEntry& entry : map.entries()) {
        put(entry.name.view());
        (*block)[at++] = u'=';
        put(entry.value.view());
        (*block)[at++] = 0;
    }
    for (std::size_t i = 0; i < kClosingZeros; ++i) (*block)[at++] = 0;
    return block;
}

}  // namespace orva
