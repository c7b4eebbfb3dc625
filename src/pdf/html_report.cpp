#include "pdf/html_report.h"

#include <cmath>

#include "pdf/markup_scan.h"

namespace orva {

namespace {

// Positions in pixels at 108 dpi; a page is at most a few tens of thousands.
constexpr double kLargestPosition = 1e7;
// pdf2xml, page, text and the markup inside it, or the outlines.
constexpr std::size_t kMostNesting = kMostOutlineDepth + 16;

enum class Element : std::uint8_t { None, Root, Page, Fontspec, Image, Text, Bold, Italic, Anchor, Outline, Item };

struct ElementRule {
    std::string_view name;
    Element element;
};

constexpr ElementRule kRules[] = {
    {"pdf2xml", Element::Root}, {"page", Element::Page},   {"fontspec", Element::Fontspec},
    {"image", Element::Image},  {"text", Element::Text},   {"b", Element::Bold},
    {"i", Element::Italic},     {"a", Element::Anchor},    {"outline", Element::Outline},
    {"item", Element::Item},
};

Element elementFor(std::string_view name) {
    for (const ElementRule& rule : kRules) {
        if (rule.name == name) return rule.element;
    }
    return Element::None;
}

bool inText(Element e) { return e == Element::Text || e == Element::Bold || e == Element::Italic || e == Element::Anchor; }

bool allowedIn(Element child, Element parent) {
    switch (child) {
        case Element::Root: return parent == Element::None;
        case Element::Page: return parent == Element::Root;
        case Element::Fontspec:
        case Element::Image:
        case Element::Text: return parent == Element::Page;
        case Element::Bold:
        case Element::Italic:
        case Element::Anchor: return inText(parent);
        case Element::Outline: return parent == Element::Root || parent == Element::Outline;
        case Element::Item: return parent == Element::Outline;
        case Element::None: return false;
    }
    return false;
}

// Whether `text` starts with `prefix`, letter case ignored.
bool startsWithCaseless(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

// The page of an href "<htmlName>#N", N a plain decimal from 1 up.
std::uint32_t internalPage(std::string_view target, std::string_view htmlName) {
    if (!target.starts_with(htmlName) || target.size() <= htmlName.size() + 1 || target[htmlName.size()] != '#') return 0;
    const std::string_view digits = target.substr(htmlName.size() + 1);
    std::uint64_t page = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        page = page * 10 + static_cast<std::uint64_t>(c - '0');
        if (page > UINT32_MAX) return 0;
    }
    return static_cast<std::uint32_t>(page);
}

Result<std::uint32_t> pageNumber(std::string_view text) {
    if (text.empty()) return fail(ErrorCode::InvalidCharacter);
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return fail(ErrorCode::InvalidCharacter);
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > UINT32_MAX) return fail(ErrorCode::Overflow);
    }
    return static_cast<std::uint32_t>(value);
}

struct Wanted {
    bool outline;
    bool links;
    std::string_view htmlName;
    float scale;
};

class HtmlReportReader {
public:
    HtmlReportReader(Allocator& allocator, Wanted wanted)
        : allocator_(allocator), wanted_(wanted), entries_(allocator), links_(allocator), scratch_(allocator) {}

    Status read(std::string_view report) {
        if (auto utf8 = checkUtf8(report); !utf8) return utf8;
        MarkupScanner scanner(report);
        for (;;) {
            auto token = scanner.next();
            if (!token) return fail(token.error());
            Status step;
            switch (token->kind) {
                case MarkupToken::End: return rootClosed_ ? Status{} : fail(ErrorCode::InvalidCharacter);
                case MarkupToken::Text: step = onText(token->text); break;
                case MarkupToken::Open: step = onOpen(*token); break;
                case MarkupToken::Empty:
                    step = onOpen(*token);
                    if (step) step = onClose(token->name);
                    break;
                case MarkupToken::Close: step = onClose(token->name); break;
            }
            if (!step) return step;
        }
    }

    OwnedArray<OutlineEntry> takeEntries() { return entries_.take(); }
    OwnedArray<PageLink> takeLinks() { return links_.take(); }

private:
    Element current() const { return depth_ == 0 ? Element::None : stack_[depth_ - 1]; }

    Status onText(std::string_view raw) {
        const Element here = current();
        if (here == Element::Item) return decodeMarkupText(raw, wanted_.outline ? &itemTitle() : nullptr, titleCharacters_);
        if (inText(here)) return decodeMarkupText(raw, nullptr, textCharacters_);
        return isBlankText(raw) ? Status{} : fail(ErrorCode::InvalidCharacter);
    }

    ByteBuilder& itemTitle() { return scratch_; }

    Status onOpen(const MarkupToken& token) {
        const Element element = elementFor(token.name);
        const Element parent = current();
        if (!allowedIn(element, parent) || rootClosed_) return fail(ErrorCode::InvalidCharacter);
        if (depth_ == kMostNesting) return fail(ErrorCode::Overflow);
        stack_[depth_++] = element;
        switch (element) {
            case Element::Text: return openText(token.attributes);
            case Element::Anchor: return openAnchor(token.attributes);
            case Element::Outline: return openOutline(parent);
            case Element::Item: return openItem(token.attributes);
            default: return {};
        }
    }

    Status onClose(std::string_view name) {
        const Element element = elementFor(name);
        if (depth_ == 0 || element != current()) return fail(ErrorCode::InvalidCharacter);
        --depth_;
        switch (element) {
            case Element::Root: rootClosed_ = true; return {};
            case Element::Text: return closeText();
            case Element::Anchor: return closeAnchor();
            case Element::Outline:
                // What follows a child outline is its parent's next item.
                --outlineDepth_;
                afterItem_ = false;
                return {};
            case Element::Item: return closeItem();
            default: return {};
        }
    }

    Status openText(std::string_view attributes) {
        static constexpr std::string_view kNames[] = {"top", "left", "width", "height"};
        std::optional<std::string_view> values[4];
        if (auto read = readAttributes(attributes, kNames, values); !read) return read;
        double numbers[4];
        for (int i = 0; i < 4; ++i) {
            if (!values[i]) return fail(ErrorCode::InvalidCharacter);
            auto number = parseMarkupNumber(*values[i], kLargestPosition);
            if (!number) return fail(number.error());
            numbers[i] = *number;
        }
        const double left = numbers[1], top = numbers[0];
        const double right = left + numbers[2], bottom = top + numbers[3];
        textBox_ = {static_cast<float>(std::fmin(left, right)), static_cast<float>(std::fmin(top, bottom)),
                    static_cast<float>(std::fmax(left, right)), static_cast<float>(std::fmax(top, bottom))};
        textCharacters_ = 0;
        firstLinkOfText_ = links_.size();
        return {};
    }

    // Each link of the text element gets the share of its box that its
    // characters take, the whole box when it covers all of them.
    Status closeText() {
        if (!wanted_.links) return {};
        const float scale = wanted_.scale;
        const float width = textBox_.right - textBox_.left;
        for (std::size_t i = firstLinkOfText_; i < links_.size(); ++i) {
            PageLink& link = links_[i];
            // While the text was read, the box held the link's first and
            // last character.
            const float first = link.box.left, last = link.box.right;
            float from = 0, to = 1;
            if (textCharacters_ != 0 && last > first) {
                from = first / static_cast<float>(textCharacters_);
                to = last / static_cast<float>(textCharacters_);
            }
            link.box = {(textBox_.left + width * from) * scale, textBox_.top * scale,
                        (textBox_.left + width * to) * scale, textBox_.bottom * scale};
            if (!std::isfinite(link.box.left) || !std::isfinite(link.box.right) || !std::isfinite(link.box.top) ||
                !std::isfinite(link.box.bottom)) {
                return fail(ErrorCode::Overflow);
            }
        }
        return {};
    }

    Status openAnchor(std::string_view attributes) {
        for (std::size_t i = 0; i + 1 < depth_; ++i) {
            if (stack_[i] == Element::Anchor) return fail(ErrorCode::InvalidCharacter);
        }
        static constexpr std::string_view kNames[] = {"href"};
        std::optional<std::string_view> href[1];
        if (auto read = readAttributes(attributes, kNames, href); !read) return read;
        anchorIsLink_ = href[0].has_value();
        if (!anchorIsLink_ || !wanted_.links) {
            std::size_t characters = 0;
            return href[0] ? decodeMarkupText(*href[0], nullptr, characters) : Status{};
        }
        if (links_.size() >= kMostLinksPerPage) return fail(ErrorCode::Overflow);
        ByteBuilder target(allocator_);
        std::size_t characters = 0;
        if (auto decoded = decodeMarkupText(*href[0], &target, characters); !decoded) return decoded;
        auto owned = OwnedString::copy(allocator_, target.text());
        if (!owned) return fail(owned.error());
        PageLink link;
        link.target = std::move(*owned);
        const std::string_view written = link.target.view();
        link.page = internalPage(written, wanted_.htmlName);
        if (link.page != 0) {
            link.kind = LinkKind::Page;
        } else if (startsWithCaseless(written, "http:") || startsWithCaseless(written, "https:")) {
            link.kind = LinkKind::Web;
        } else if (startsWithCaseless(written, "mailto:")) {
            link.kind = LinkKind::Mail;
        } else {
            link.kind = LinkKind::Other;
        }
        link.box.left = static_cast<float>(textCharacters_);
        return links_.push(std::move(link));
    }

    Status closeAnchor() {
        if (anchorIsLink_ && wanted_.links) links_[links_.size() - 1].box.right = static_cast<float>(textCharacters_);
        anchorIsLink_ = false;
        return {};
    }

    Status openOutline(Element parent) {
        if (parent == Element::Root) {
            // One outline, and that at the end.
            if (outlineSeen_) return fail(ErrorCode::InvalidCharacter);
            outlineSeen_ = true;
        } else if (!afterItem_) {
            // A child outline follows the item it belongs to.
            return fail(ErrorCode::InvalidCharacter);
        }
        if (outlineDepth_ == kMostOutlineDepth) return fail(ErrorCode::Overflow);
        ++outlineDepth_;
        afterItem_ = false;
        return {};
    }

    Status openItem(std::string_view attributes) {
        if (entries_.size() >= kMostOutlineEntries) return fail(ErrorCode::Overflow);
        static constexpr std::string_view kNames[] = {"page"};
        std::optional<std::string_view> page[1];
        if (auto read = readAttributes(attributes, kNames, page); !read) return read;
        itemPage_ = 0;
        if (page[0]) {
            auto number = pageNumber(*page[0]);
            if (!number) return fail(number.error());
            itemPage_ = *number;
        }
        scratch_ = ByteBuilder(allocator_);
        titleCharacters_ = 0;
        return {};
    }

    Status closeItem() {
        afterItem_ = true;
        if (!wanted_.outline) return {};
        auto title = OwnedString::copy(allocator_, scratch_.text());
        scratch_ = ByteBuilder(allocator_);
        if (!title) return fail(title.error());
        OutlineEntry entry;
        entry.title = std::move(*title);
        entry.page = itemPage_;
        entry.depth = outlineDepth_ - 1;
        return entries_.push(std::move(entry));
    }

    Allocator& allocator_;
    Wanted wanted_;
    GrowableArray<OutlineEntry> entries_;
    GrowableArray<PageLink> links_;
    ByteBuilder scratch_;
    Element stack_[kMostNesting] = {};
    std::size_t depth_ = 0;
    bool rootClosed_ = false;
    // The text element being read.
    TextBox textBox_;
    std::size_t textCharacters_ = 0;
    std::size_t firstLinkOfText_ = 0;
    bool anchorIsLink_ = false;
    // The outline.
    bool outlineSeen_ = false;
    bool afterItem_ = false;
    std::uint32_t outlineDepth_ = 0;
    std::uint32_t itemPage_ = 0;
    std::size_t titleCharacters_ = 0;
};

}  // namespace

Result<Outline> parseOutlineReport(Allocator& allocator, std::string_view report) {
    HtmlReportReader reader(allocator, Wanted{true, false, {}, 1});
    if (auto read = reader.read(report); !read) return fail(read.error());
    Outline outline;
    outline.entries = reader.takeEntries();
    return outline;
}

Result<PageLinks> parseLinkReport(Allocator& allocator, std::string_view report, std::string_view htmlName,
                                  float pixelsPerUnit) {
    if (!std::isfinite(pixelsPerUnit) || pixelsPerUnit <= 0) return fail(ErrorCode::InvalidArgument);
    HtmlReportReader reader(allocator, Wanted{false, true, htmlName, pixelsPerUnit});
    if (auto read = reader.read(report); !read) return fail(read.error());
    PageLinks links;
    links.links = reader.takeLinks();
    return links;
}

}  // namespace orva
