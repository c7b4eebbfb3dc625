#include "container_writer.h"

#include "document/orva_reader.h"
#include "rle_encoder.h"

namespace orvatool {

std::expected<std::vector<std::uint8_t>, std::string> buildContainer(const PackOptions& options,
                                                                      const std::vector<Image>& pages) {
    if (pages.empty()) return std::unexpected("a document needs at least one page");
    if (pages.size() > 0xFFFFFFFFu) return std::unexpected("too many pages");
    if (options.title.size() > 0xFFFFFFFFu) return std::unexpected("title too long");

    const std::size_t indexOffset = orva::kOrvaHeaderSize + options.title.size();
    std::vector<std::uint8_t> out(indexOffset + orva::kOrvaIndexEntrySize * pages.size(), 0);
    orva::OrvaHeader header;
    header.encoding = options.runLength ? orva::kOrvaEncodingRle : orva::kOrvaEncodingRaw;
    header.dpi = options.dpi;
    header.pageCount = static_cast<std::uint32_t>(pages.size());
    header.titleLength = static_cast<std::uint32_t>(options.title.size());
    header.indexOffset = indexOffset;
    orva::encodeOrvaHeader(header, out.data());
    std::copy(options.title.begin(), options.title.end(), out.begin() + orva::kOrvaHeaderSize);

    for (std::size_t n = 0; n < pages.size(); ++n) {
        const Image& page = pages[n];
        const std::string which = "page " + std::to_string(n + 1) + ": ";
        if (!orva::pagePixelBytes(page.width, page.height)) return std::unexpected(which + "larger than 4 GiB of pixels");
        std::vector<std::uint8_t> data = options.runLength ? encodeRle(page.bgr) : page.bgr;
        if (data.empty()) return std::unexpected(which + "an empty page can only be stored run-length encoded");
        if (data.size() > 0xFFFFFFFFu) return std::unexpected(which + "data longer than 4 GiB");
        const std::size_t entry = indexOffset + orva::kOrvaIndexEntrySize * n;
        orva::encodeOrvaIndexEntry({out.size(), static_cast<std::uint32_t>(data.size()), page.width, page.height},
                                   out.data() + entry);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

}  // namespace orvatool
