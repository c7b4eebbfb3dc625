#include "container_writer.h"

#include <system_error>

#include "document/orva_reader.h"
#include "files.h"
#include "rle_encoder.h"

namespace orvatool {

namespace {

// Hands the encoder's tokens on to the container, counting them.
class CountingSink final : public ByteSink {
public:
    explicit CountingSink(ContainerSink& sink) : sink_(sink) {}
    bool write(std::span<const std::uint8_t> bytes) override {
        auto appended = sink_.append(bytes);
        if (!appended) {
            error_ = appended.error();
            return false;
        }
        count_ += bytes.size();
        return true;
    }
    std::uint64_t count() const { return count_; }
    const std::string& error() const { return error_; }

private:
    ContainerSink& sink_;
    std::uint64_t count_ = 0;
    std::string error_;
};

class MemorySink final : public ContainerSink {
public:
    std::expected<void, std::string> append(std::span<const std::uint8_t> bytes) override {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return {};
    }
    std::expected<void, std::string> overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
        std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
        return {};
    }
    std::uint64_t size() const override { return bytes_.size(); }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

std::expected<ContainerWriter, std::string> ContainerWriter::begin(ContainerSink& sink, orva::Allocator& allocator,
                                                                   const PackOptions& options, std::size_t pageCount) {
    if (pageCount == 0) return std::unexpected("a document needs at least one page");
    if (pageCount > 0xFFFFFFFFu) return std::unexpected("too many pages");
    if (options.title.size() > 0xFFFFFFFFu) return std::unexpected("title too long");
    auto index = orva::ByteBuffer::create(allocator, orva::kOrvaIndexEntrySize * pageCount);
    if (!index) return std::unexpected("out of memory");
    if (sink.size() != 0) return std::unexpected("a container starts at the beginning of its file");
    const std::uint8_t room[orva::kOrvaHeaderSize] = {};
    if (auto written = sink.append(room); !written) return std::unexpected(written.error());
    const auto* title = reinterpret_cast<const std::uint8_t*>(options.title.data());
    if (auto written = sink.append({title, options.title.size()}); !written) return std::unexpected(written.error());
    const std::uint64_t indexOffset = sink.size();
    if (auto written = sink.append(index->span()); !written) return std::unexpected(written.error());
    return ContainerWriter(sink, allocator, options, std::move(*index), indexOffset);
}

std::expected<void, std::string> ContainerWriter::addPage(std::uint32_t width, std::uint32_t height,
                                                          std::span<const std::uint8_t> bgr) {
    const std::string which = "page " + std::to_string(added_ + 1) + ": ";
    if (added_ * orva::kOrvaIndexEntrySize >= index_.size()) return std::unexpected(which + "more pages than announced");
    const auto pixelBytes = orva::pagePixelBytes(width, height);
    if (!pixelBytes) return std::unexpected(which + "larger than 4 GiB of pixels");
    if (bgr.size() != *pixelBytes) return std::unexpected(which + "pixel data does not match the page's size");
    const std::uint64_t offset = sink_->size();
    std::uint64_t length = 0;
    if (options_.runLength) {
        CountingSink counting(*sink_);
        if (auto encoded = encodeRleTo(*allocator_, bgr, counting); !encoded) {
            if (encoded.error() == orva::ErrorCode::OutOfMemory) return std::unexpected(which + "out of memory");
            return std::unexpected(counting.error());
        }
        length = counting.count();
    } else {
        if (bgr.empty()) return std::unexpected(which + "an empty page can only be stored run-length encoded");
        if (auto written = sink_->append(bgr); !written) return std::unexpected(written.error());
        length = bgr.size();
    }
    if (length > 0xFFFFFFFFu) return std::unexpected(which + "data longer than 4 GiB");
    orva::encodeOrvaIndexEntry({offset, static_cast<std::uint32_t>(length), width, height},
                               index_.data() + added_ * orva::kOrvaIndexEntrySize);
    ++added_;
    return {};
}

std::expected<void, std::string> ContainerWriter::finish() {
    const std::size_t pageCount = index_.size() / orva::kOrvaIndexEntrySize;
    if (added_ != pageCount) {
        return std::unexpected(std::to_string(added_) + " of " + std::to_string(pageCount) + " pages were added");
    }
    if (auto written = sink_->overwrite(indexOffset_, index_.span()); !written) return written;
    orva::OrvaHeader header;
    header.encoding = options_.runLength ? orva::kOrvaEncodingRle : orva::kOrvaEncodingRaw;
    header.dpi = options_.dpi;
    header.pageCount = static_cast<std::uint32_t>(pageCount);
    header.titleLength = static_cast<std::uint32_t>(options_.title.size());
    header.indexOffset = indexOffset_;
    std::uint8_t bytes[orva::kOrvaHeaderSize];
    orva::encodeOrvaHeader(header, bytes);
    return sink_->overwrite(0, bytes);
}

std::expected<std::vector<std::uint8_t>, std::string> buildContainer(const PackOptions& options,
                                                                      const std::vector<Image>& pages) {
    MemorySink sink;
    orva::Allocator allocator;
    auto writer = ContainerWriter::begin(sink, allocator, options, pages.size());
    if (!writer) return std::unexpected(writer.error());
    for (const Image& page : pages) {
        if (auto added = writer->addPage(page.width, page.height, page.bgr); !added) return std::unexpected(added.error());
    }
    if (auto finished = writer->finish(); !finished) return std::unexpected(finished.error());
    return sink.take();
}

std::expected<PartialFile, std::string> PartialFile::create(const std::filesystem::path& target) {
    std::filesystem::path partial = target;
    partial += ".partial";
    std::FILE* file = openFile(partial, true);
    if (file == nullptr) return std::unexpected(utf8(target) + ": cannot create " + utf8(partial));
    return PartialFile(target, std::move(partial), file);
}

PartialFile::PartialFile(PartialFile&& other) noexcept
    : target_(std::move(other.target_)),
      partial_(std::move(other.partial_)),
      file_(other.file_),
      size_(other.size_),
      failed_(other.failed_) {
    other.file_ = nullptr;
    other.partial_.clear();
}

PartialFile::~PartialFile() { discard(); }

std::string PartialFile::failure() const { return utf8(target_) + ": cannot be written"; }

std::expected<void, std::string> PartialFile::append(std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr || failed_) return std::unexpected(failure());
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        failed_ = true;
        return std::unexpected(failure());
    }
    size_ += bytes.size();
    return {};
}

std::expected<void, std::string> PartialFile::overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr || failed_) return std::unexpected(failure());
    const bool ok = seekTo(file_, offset) && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
                    seekTo(file_, size_);
    if (!ok) {
        failed_ = true;
        return std::unexpected(failure());
    }
    return {};
}

std::expected<void, std::string> PartialFile::commit() {
    if (file_ == nullptr) return std::unexpected(failure());
    bool ok = !failed_ && std::fflush(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    std::error_code error;
    if (ok) std::filesystem::rename(partial_, target_, error);
    if (!ok || error) {
        discard();
        return std::unexpected(failure());
    }
    partial_.clear();
    return {};
}

void PartialFile::discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!partial_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(partial_, ignored);
        partial_.clear();
    }
}

}  // namespace orvatool
