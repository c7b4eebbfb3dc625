// Reads arbitrary bytes as the HTML tool's report and checks what an
// outline and a page's links promise: depths that rise one at a time from
// the top, UTF-8 titles and targets, kinds that agree with the targets,
// boxes that are numbers with their edges in order. Then reads again with
// an allocation failing: nothing may be left either way.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "base/allocator.h"
#include "base/utf.h"
#include "pdf/html_report.h"

namespace {

using namespace orva;

using fuzz::check;

constexpr std::string_view kHtmlName = "libtasn1.html";

bool startsCaseless(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        // Only letters fold: 0x1A | 0x20 would be ':'.
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] | 0x20) : text[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

void checkOutline(const Outline& outline) {
    check(outline.entries.size() <= kMostOutlineEntries, "no more entries than the limit");
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < outline.entries.size(); ++i) {
        const OutlineEntry& entry = outline.entries[i];
        check(i == 0 ? entry.depth == 0 : entry.depth <= previous + 1, "an entry is a child of the one before at most");
        check(entry.depth < kMostOutlineDepth, "no deeper than the limit");
        check(utf16LengthOf(entry.title.view()).has_value(), "a title is UTF-8");
        previous = entry.depth;
    }
}

void checkLinks(const PageLinks& links) {
    check(links.links.size() <= kMostLinksPerPage, "no more links than the limit");
    for (const PageLink& link : links.links) {
        const std::string_view target = link.target.view();
        check(utf16LengthOf(target).has_value(), "a target is UTF-8");
        const bool web = startsCaseless(target, "http:") || startsCaseless(target, "https:");
        const bool mail = startsCaseless(target, "mailto:");
        switch (link.kind) {
            case LinkKind::Page:
                check(link.page != 0 && target.starts_with(kHtmlName) && target.size() > kHtmlName.size() + 1 &&
                          target[kHtmlName.size()] == '#',
                      "a page link names this document and a page");
                break;
            case LinkKind::Web: check(web && link.page == 0, "a web link is http: or https:"); break;
            case LinkKind::Mail: check(mail && link.page == 0, "a mail link is mailto:"); break;
            case LinkKind::Other: check(!web && !mail && link.page == 0, "other links are neither"); break;
            default: check(false, "a known kind");
        }
        check(std::isfinite(link.box.left) && std::isfinite(link.box.right) && std::isfinite(link.box.top) &&
                  std::isfinite(link.box.bottom) && link.box.left <= link.box.right && link.box.top <= link.box.bottom,
              "a box is finite and in order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    Allocator allocator;
    {
        auto outline = parseOutlineReport(allocator, report);
        auto links = parseLinkReport(allocator, report, kHtmlName, 150.0f / 108);
        check(outline || outline.error() != ErrorCode::OutOfMemory, "no memory failure unless injected");
        check(links || links.error() != ErrorCode::OutOfMemory, "no memory failure unless injected");
        if (outline) checkOutline(*outline);
        if (links) checkLinks(*links);
        // The two readers agree on whether the markup is sound, unless one
        // of them ran past a limit of what it keeps.
        if (!outline && outline.error() != ErrorCode::Overflow) check(!links, "a report broken for one is broken for both");
        if (!links && links.error() != ErrorCode::Overflow) check(!outline, "a report broken for one is broken for both");
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");
    if (size != 0) {
        allocator.failAllocation(1 + data[size - 1] % 16);
        (void)parseOutlineReport(allocator, report);
        allocator.failAllocation(1 + data[0] % 16);
        (void)parseLinkReport(allocator, report, kHtmlName, 150.0f / 108);
    }
    check(allocator.liveBlocks() == 0, "nothing left after a failed allocation");
    return 0;
}
