// Feeds arbitrary bytes to the PPM reader through memory, as one block or in
// short reads, and checks what every successful read promises and that every
// read, successful or not, gives back all it took. Also reads the input as a
// work-folder file name and as a page count report.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "pdf/page_count_report.h"
#include "pdf/ppm_page_key.h"
#include "pdf/ppm_reader.h"

namespace {

using namespace orva;

using fuzz::check;

// Serves memory in reads of at most `chunk` bytes after the first.
class ChoppedSource final : public ByteSource {
public:
    ChoppedSource(std::span<const std::uint8_t> bytes, std::size_t chunk) : memory_(bytes), chunk_(chunk) {}
    Result<std::size_t> read(std::span<std::uint8_t> destination) override {
        if (!first_ && destination.size() > chunk_) destination = destination.first(chunk_);
        first_ = false;
        return memory_.read(destination);
    }
    Status seek(std::uint64_t offset) override { return memory_.seek(offset); }

private:
    MemorySource memory_;
    std::size_t chunk_;
    bool first_ = true;
};

void readOnce(const std::uint8_t* data, std::size_t size, std::size_t chunk, std::size_t failAt) {
    Allocator allocator;
    allocator.failAllocation(failAt);
    {
        ChoppedSource source({data, size}, chunk);
        auto image = readPpm(source, allocator);
        if (image) {
            check(image->present, "a read image is present");
            check(image->length() == std::uint64_t{image->width} * image->height * 3, "length is w*h*3");
            check(image->length() <= size, "no more pixel bytes than the input holds");
        } else {
            check(failAt != 0 || image.error() != ErrorCode::OutOfMemory, "no memory failure unless injected");
        }
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A header of a few bytes may legitimately claim gigabytes of pixels;
    // such inputs are only parsed, to keep the fuzzer inside its memory.
    const std::size_t block = size < kPpmHeaderBlock ? size : kPpmHeaderBlock;
    const auto header = parsePpmHeader({data, block});
    if (!header || std::uint64_t{header->width} * header->height <= (std::uint64_t{16} << 20)) {
        readOnce(data, size, SIZE_MAX, 0);
        if (size != 0) {
            readOnce(data, size, 1 + data[size - 1] % 13, 0);
            readOnce(data, size, SIZE_MAX, 1);
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)ppmPageKey(text);
    if (auto count = parsePageCountReport(text)) check(*count != 0, "a page count is never 0");
    return 0;
}
