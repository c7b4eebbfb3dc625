#include "container_writer.h"

#include "document/orva_reader.h"
#include "rle_encoder.h"

namespace orvatool {

namespace {

void put(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::expected<std::vector<std::uint8_t>, std::string> buildContainer(const PackOptions& options,
                                                                      const std::vector<Image>& pages) {
    if (pages.empty()) return std::unexpected("a document needs at least one page");
    if (pages.size() > 0xFFFFFFFFu) return std::unexpected("too many pages");
    if (options.title.size() > 0xFFFFFFFFu) return std::unexpected("title too long");

    const std::size_t indexOffset = orva::kOrvaHeaderSize + options.title.size();
    std::vector<std::uint8_t> out(indexOffset + orva::kOrvaIndexEntrySize * pages.size(), 0);
    std::copy(std::begin("ORVA"), std::begin("ORVA") + 4, out.begin());
    out[4] = 1;
    out[5] = options.runLength ? orva::kOrvaEncodingRle : 0;
    put(out, 6, options.dpi, 2);
    put(out, 8, pages.size(), 4);
    put(out, 12, options.title.size(), 4);
    put(out, 16, indexOffset, 8);
    std::copy(options.title.begin(), options.title.end(), out.begin() + orva::kOrvaHeaderSize);

    for (std::size_t n = 0; n < pages.size(); ++n) {
        const Image& page = pages[n];
        const std::string which = "page " + std::to_string(n + 1) + ": ";
        if (!orva::pagePixelBytes(page.width, page.height)) return std::unexpected(which + "larger than 4 GiB of pixels");
        std::vector<std::uint8_t> data = options.runLength ? encodeRle(page.bgr) : page.bgr;
        if (data.empty()) return std::unexpected(which + "an empty page can only be stored run-length encoded");
        if (data.size() > 0xFFFFFFFFu) return std::unexpected(which + "data longer than 4 GiB");
        const std::size_t entry = indexOffset + orva::kOrvaIndexEntrySize * n;
        put(out, entry, out.size(), 8);
        put(out, entry + 8, data.size(), 4);
        put(out, entry + 12, page.width, 4);
        put(out, entry + 16, page.height, 4);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

}  // namespace orvatool
