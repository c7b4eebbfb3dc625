#include "pdf/text_report.h"

#include <cmath>

#include "pdf/markup_scan.h"

namespace orva {

namespace {

// Coordinates in points; a page is at most a few thousand.
constexpr double kLargestCoordinate = 1e6;

enum class Element : std::uint8_t { None, Html, Head, Title, Meta, Body, Doc, Page, Flow, Block, Line, Word };

struct ElementRule {
    std::string_view name;
    Element element;
    Element parent;
};

constexpr ElementRule kRules[] = {
    {"html", Element::Html, Element::None},  {"head", Element::Head, Element::Html},
    {"title", Element::Title, Element::Head}, {"meta", Element::Meta, Element::Head},
    {"body", Element::Body, Element::Html},  {"doc", Element::Doc, Element::Body},
    {"page", Element::Page, Element::Doc},   {"flow", Element::Flow, Element::Page},
    {"block", Element::Block, Element::Flow}, {"line", Element::Line, Element::Block},
    {"word", Element::Word, Element::Line},
};

const ElementRule* ruleFor(std::string_view name) {
    for (const ElementRule& rule : kRules) {
        if (rule.name == name) return &rule;
    }
    return nullptr;
}

Result<float> coordinate(const std::optional<std::string_view>& value, float scale) {
    if (!value) return fail(ErrorCode::InvalidCharacter);
    auto number = parseMarkupNumber(*value, kLargestCoordinate);
    if (!number) return fail(number.error());
    const float scaled = static_cast<float>(*number * scale);
    if (!std::isfinite(scaled)) return fail(ErrorCode::Overflow);
    return scaled;
}

// The page being read, its parts growing as the report goes.
class PageBuilder {
public:
    explicit PageBuilder(Allocator& allocator) : allocator_(allocator), text_(allocator), words_(allocator),
                                                 lines_(allocator), blocks_(allocator) {}

    void startLine() { lineStart_ = static_cast<std::uint32_t>(words_.size()); }
    void startBlock() { blockStart_ = static_cast<std::uint32_t>(lines_.size()); }

    Status startWord(std::string_view attributes, float scale) {
        if (words_.size() >= kMostWordsPerPage) return fail(ErrorCode::Overflow);
        static constexpr std::string_view kNames[] = {"xMin", "yMin", "xMax", "yMax"};
        std::optional<std::string_view> values[4];
        if (auto read = readAttributes(attributes, kNames, values); !read) return read;
        float corners[4];
        for (int i = 0; i < 4; ++i) {
            auto value = coordinate(values[i], scale);
            if (!value) return fail(value.error());
            corners[i] = *value;
        }
        word_ = TextWord{};
        word_.textStart = static_cast<std::uint32_t>(text_.size());
        word_.box = {std::fmin(corners[0], corners[2]), std::fmin(corners[1], corners[3]),
                     std::fmax(corners[0], corners[2]), std::fmax(corners[1], corners[3])};
        word_.line = static_cast<std::uint32_t>(lines_.size());
        return {};
    }

    Status wordText(std::string_view raw) {
        std::size_t characters = 0;
        if (auto decoded = decodeMarkupText(raw, &text_, characters); !decoded) return decoded;
        if (text_.size() - word_.textStart > kMostWordBytes) return fail(ErrorCode::Overflow);
        return {};
    }

    // A word without text is left out, and so are lines without words and
    // blocks without lines.
    Status endWord() {
        word_.textLength = static_cast<std::uint32_t>(text_.size() - word_.textStart);
        if (word_.textLength == 0) return {};
        return words_.push(TextWord{word_});
    }

    Status endLine() {
        const auto count = static_cast<std::uint32_t>(words_.size()) - lineStart_;
        if (count == 0) return {};
        return lines_.push(TextLine{lineStart_, count, static_cast<std::uint32_t>(blocks_.size())});
    }

    Status endBlock() {
        const auto count = static_cast<std::uint32_t>(lines_.size()) - blockStart_;
        if (count == 0) return {};
        return blocks_.push(TextBlock{blockStart_, count});
    }

    // The page with its buffers at their exact sizes.
    Result<PageText> finish() {
        PageText page;
        auto text = OwnedArray<char>::copyOf(
            allocator_, std::span(reinterpret_cast<const char*>(text_.bytes().data()), text_.size()));
        if (!text) return fail(text.error());
        page.text = OwnedString::adopt(std::move(*text));
        auto words = OwnedArray<TextWord>::copyOf(allocator_, words_.span());
        if (!words) return fail(words.error());
        page.words = std::move(*words);
        auto lines = OwnedArray<TextLine>::copyOf(allocator_, lines_.span());
        if (!lines) return fail(lines.error());
        page.lines = std::move(*lines);
        auto blocks = OwnedArray<TextBlock>::copyOf(allocator_, blocks_.span());
        if (!blocks) return fail(blocks.error());
        page.blocks = std::move(*blocks);
        return page;
    }

private:
    Allocator& allocator_;
    ByteBuilder text_;
    GrowableArray<TextWord> words_;
    GrowableArray<TextLine> lines_;
    GrowableArray<TextBlock> blocks_;
    TextWord word_;
    std::uint32_t lineStart_ = 0;
    std::uint32_t blockStart_ = 0;
};

class ReportReader {
public:
    ReportReader(Allocator& allocator, float scale) : allocator_(allocator), scale_(scale), pages_(allocator) {}

    Status read(std::string_view report) {
        if (auto utf8 = checkUtf8(report); !utf8) return utf8;
        MarkupScanner scanner(report);
        for (;;) {
            auto token = scanner.next();
            if (!token) return fail(token.error());
            switch (token->kind) {
                case MarkupToken::End:
                    // The whole document, closed.
                    return rootClosed_ ? Status{} : fail(ErrorCode::InvalidCharacter);
                case MarkupToken::Text:
                    if (auto text = onText(token->text); !text) return text;
                    break;
                case MarkupToken::Open:
                case MarkupToken::Empty:
                    if (auto opened = onOpen(*token); !opened) return opened;
                    if (token->kind == MarkupToken::Empty) {
                        if (auto closed = onClose(token->name); !closed) return closed;
                    }
                    break;
                case MarkupToken::Close:
                    if (auto closed = onClose(token->name); !closed) return closed;
                    break;
            }
        }
    }

    OwnedArray<PageText> take() { return pages_.take(); }

private:
    Element current() const { return depth_ == 0 ? Element::None : stack_[depth_ - 1]; }

    Status onText(std::string_view raw) {
        std::size_t characters = 0;
        switch (current()) {
            case Element::Word: return page_->wordText(raw);
            case Element::Title: return decodeMarkupText(raw, nullptr, characters);
            default: return isBlankText(raw) ? Status{} : fail(ErrorCode::InvalidCharacter);
        }
    }

    Status onOpen(const MarkupToken& token) {
        const ElementRule* rule = ruleFor(token.name);
        if (rule == nullptr || rule->parent != current() || rootClosed_ || depth_ == kDepth) {
            return fail(ErrorCode::InvalidCharacter);
        }
        stack_[depth_++] = rule->element;
        switch (rule->element) {
            case Element::Page: {
                if (pages_.size() >= kMostPagesPerReport) return fail(ErrorCode::Overflow);
                static constexpr std::string_view kNames[] = {"width", "height"};
                std::optional<std::string_view> size[2];
                if (auto read = readAttributes(token.attributes, kNames, size); !read) return read;
                for (const auto& value : size) {
                    if (auto number = coordinate(value, 1); !number) return fail(number.error());
                }
                page_.emplace(allocator_);
                return {};
            }
            case Element::Block: page_->startBlock(); return {};
            case Element::Line: page_->startLine(); return {};
            case Element::Word: return page_->startWord(token.attributes, scale_);
            default: return {};
        }
    }

    Status onClose(std::string_view name) {
        const ElementRule* rule = ruleFor(name);
        if (rule == nullptr || depth_ == 0 || rule->element != current()) return fail(ErrorCode::InvalidCharacter);
        --depth_;
        switch (rule->element) {
            case Element::Html: rootClosed_ = true; return {};
            case Element::Word: return page_->endWord();
            case Element::Line: return page_->endLine();
            case Element::Block: return page_->endBlock();
            case Element::Page: {
                auto page = page_->finish();
                page_.reset();
                if (!page) return fail(page.error());
                return pages_.push(std::move(*page));
            }
            default: return {};
        }
    }

    static constexpr std::size_t kDepth = 8;
    Allocator& allocator_;
    float scale_;
    GrowableArray<PageText> pages_;
    std::optional<PageBuilder> page_;
    Element stack_[kDepth] = {};
    std::size_t depth_ = 0;
    bool rootClosed_ = false;
};

}  // namespace

Result<OwnedArray<PageText>> parseTextReport(Allocator& allocator, std::string_view report, float pixelsPerPoint) {
    if (!std::isfinite(pixelsPerPoint) || pixelsPerPoint <= 0) return fail(ErrorCode::InvalidArgument);
    ReportReader reader(allocator, pixelsPerPoint);
    if (auto read = reader.read(report); !read) return fail(read.error());
    return reader.take();
}

}  // namespace orva
