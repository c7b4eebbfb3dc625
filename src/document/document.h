#pragma once
// The one open document: its title, path, resolution and the page array that
// doubles as the page cache. Every buffer it holds comes from the program's
// allocator; releasing the document gives all of them back.
#include <cstdint>

#include "base/allocator.h"
#include "document/page_image.h"
#include "document/text_layer.h"
#include "platform/background_worker.h"

namespace orva {

enum class DocumentKind : std::uint8_t { Orva = 0, Pdf = 1 };

struct Document;

// A picture of a page at a resolution of the caller's choosing: the page
// scaled to exactly scaledWidth x scaledHeight pixels, of which only the
// part at (x, y) of width x height is drawn (cut at the page's edge).
struct PictureRequest {
    std::uint64_t page = 0;
    std::uint32_t scaledWidth = 0;
    std::uint32_t scaledHeight = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// How the pages of a document that are not in its file are produced, one at
// a time on request; a backend implements it (the PDF one runs a rasteriser).
class PageRenderer {
public:
    // Loads slot `index` of the document, or fails with the backend's code
    // and leaves the slot as it was.
    virtual Status renderPage(Document& document, std::uint64_t index) const = 0;
    // Draws the picture the request names, while the caller waits (as for
    // a page); NotSupported where the backend draws pages only at their own
    // resolution. Canceled when the tool was ended while it ran.
    virtual Result<PageImage> renderPicture(const Document&, const PictureRequest&) const {
        return fail(ErrorCode::NotSupported);
    }

protected:
    ~PageRenderer() = default;
};

// What a document keeps of its rendered pages. Pages are kept while their
// images together stay within the budget; past it, the least recently used
// ones are released (document/page_memory.h), each leaving a small copy for
// the thumbnail strip. The page the main view shows, its two neighbours and
// the pages the preview and a print job hold are never released.
inline constexpr std::uint64_t kNoPage = UINT64_MAX;
inline constexpr std::uint64_t kDefaultPageMemoryBudget = std::uint64_t{1} << 30;

enum class PagePin : std::uint8_t { Preview = 0, Print = 1 };

// A part of a page drawn at a resolution above the page's own, for a view
// that shows the page larger (document/page_parts.h): its picture is the
// part at (x, y) of the page scaled to scaledWidth x scaledHeight pixels.
struct PagePart {
    PageImage picture;
    std::uint64_t page = kNoPage;
    std::uint32_t scaledWidth = 0;
    std::uint32_t scaledHeight = 0;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint64_t lastUse = 0;
    // Numbers the parts as they come, so a copy made of one is told apart.
    std::uint64_t number = 0;
};
inline constexpr std::size_t kHeldParts = 4;

struct PageMemory {
    std::uint64_t budget = kDefaultPageMemoryBudget;
    // Counts page requests; each page remembers the count of its last one.
    std::uint64_t clock = 0;
    // The small copies of released pages, one slot a page; made with the
    // first release.
    OwnedArray<PageImage> thumbnails;
    std::uint64_t shownPage = 0;
    std::uint64_t pins[2] = {kNoPage, kNoPage};
    // The sharp parts kept, the least recently drawn going first; counted
    // in the budget and released before any page.
    PagePart parts[kHeldParts];
    std::uint64_t partsStored = 0;
};

// The text of a PDF's pages, fetched on demand, in runs of pages, by a job
// of the document's worker; never at open or on a page change. Empty for a
// container, whose pages are pictures only.
enum class TextState : std::uint8_t { NotFetched = 0, Fetching = 1, Fetched = 2, Failed = 3 };

// Why a document's text cannot be had at all.
enum class TextFailure : std::uint8_t { None = 0, ToolMissing = 1, ToolFailed = 2 };

struct DocumentText {
    // One slot a page, made with the first fetch.
    OwnedArray<PageText> pages;
    OwnedArray<TextState> states;
    // What the fetched pages hold, for the page budget.
    std::uint64_t heldBytes = 0;
    TextFailure failure = TextFailure::None;

    TextState state(std::uint64_t page) const noexcept {
        return page < states.size() ? states[page] : TextState::NotFetched;
    }
};

struct Document {
    OwnedString title;
    std::uint64_t indexOffset = 0;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
    std::uint32_t headerPageCount = 0;
    std::uint16_t dpi = 0;
    std::uint8_t encoding = 0;
    OwnedArray<PageImage> pages;
    OwnedString path;
    Allocator* allocator = nullptr;
    DocumentKind kind = DocumentKind::Orva;
    // What renders the missing pages of a PDF document; none for a container.
    const PageRenderer* renderer = nullptr;
    PageMemory memory;
    DocumentText text;
    // False where the PDF's permissions forbid copying its text.
    bool copyAllowed = true;
    // The password that opened an encrypted PDF, handed to every tool run
    // for it; empty for none. Held only while the document is open, and
    // wiped when it is released.
    OwnedString password;
    // Tells this document's jobs apart from those of any other opened in
    // this run: results carry it, and one for another document is dropped.
    std::uint64_t serial = 0;
    // Runs the document's background jobs; made with the first. Declared
    // last, so that it goes first: its jobs end before anything they were
    // for is released.
    Owned<BackgroundWorker> worker;

    std::uint64_t pageCount() const noexcept { return pages.size(); }
    bool isPdf() const noexcept { return (static_cast<std::uint8_t>(kind) & 1) != 0; }
};

// Gives back every page buffer, the page array, the title and the path, and
// leaves the record all zero; the password is wiped first.
void releaseDocument(Document& document);

// Overwrites a secret's bytes (they stay allocated, now zero), so that
// nothing of it is left in memory once it is released.
void wipeSecret(OwnedString& secret);

}  // namespace orva
