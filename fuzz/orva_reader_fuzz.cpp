// Feeds arbitrary bytes to the container reader through memory and checks
// what every successful read promises, and that every read, successful or
// not, gives back all it took. Also decodes the input as one run-length page.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "document/orva_reader.h"

namespace {

using namespace orva;

// A run-length page of a few bytes may legitimately claim gigabytes of
// pixels; such inputs are skipped to keep the fuzzer inside its memory.
bool claimsTooMuch(const std::uint8_t* data, std::size_t size) {
    constexpr std::uint64_t kBudget = std::uint64_t{4} << 20;
    if (size < kOrvaHeaderSize) return false;
    const OrvaHeader header = decodeOrvaHeader(data);
    const std::uint64_t indexOffset = header.indexOffset;
    std::uint64_t total = 0;
    for (std::uint64_t n = 0; n < header.pageCount; ++n) {
        const std::uint64_t at = indexOffset + n * kOrvaIndexEntrySize;
        if (at < indexOffset || at > size || size - at < kOrvaIndexEntrySize) break;
        const OrvaIndexEntry entry = decodeOrvaIndexEntry(data + at);
        total += std::uint64_t{entry.width} * entry.height * 3;
        if (total > kBudget) return true;
    }
    return false;
}

using fuzz::check;

void readOnce(const std::uint8_t* data, std::size_t size, std::size_t failAt) {
    Allocator allocator;
    allocator.failAllocation(failAt);
    {
        MemorySource source({data, size});
        auto contents = readOrva(source, allocator);
        if (contents) {
            check(contents->pages.size() == contents->pageCount, "one page image per index entry");
            check(contents->pageCount != 0, "at least one page");
            for (const PageImage& page : contents->pages) {
                check(page.present, "every page present");
                check(page.length() == std::uint64_t{page.width} * page.height * 3, "length is w*h*3");
            }
        } else {
            check(failAt != 0 || contents.error() != ErrorCode::OutOfMemory, "no memory failure unless injected");
        }
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");
}

void decodeAsOnePage(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const std::size_t pixels = (std::size_t{data[0]} << 8 | data[1]) + 1;
    Allocator allocator;
    {
        auto page = decodeRlePage(allocator, {data + 2, size - 2}, static_cast<std::uint32_t>(pixels), 1);
        check(!page || page->size() == pixels * 3, "decoded page has its full size");
    }
    check(allocator.liveBlocks() == 0, "decoder leaves nothing behind");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (claimsTooMuch(data, size)) return 0;
    readOnce(data, size, 0);
    // Then once more with one allocation failing, chosen by the input.
    if (size != 0) readOnce(data, size, 1 + data[size - 1] % 8);
    decodeAsOnePage(data, size);
    return 0;
}
