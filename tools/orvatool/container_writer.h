#pragma once
// Composes a container: header, title, page index, then the pages' data in
// page order. The pages go out one at a time, as they come: the header and
// the index are written last, into room kept for them at the start.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/allocator.h"
#include "image_io.h"

namespace orvatool {

struct PackOptions {
    bool runLength = true;
    std::uint16_t dpi = 150;
    std::string title;
};

// Where a container's bytes go: appended in order, and written again over
// bytes already appended.
class ContainerSink {
public:
    virtual ~ContainerSink() = default;
    virtual std::expected<void, std::string> append(std::span<const std::uint8_t> bytes) = 0;
    virtual std::expected<void, std::string> overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
    virtual std::uint64_t size() const = 0;
};

class ContainerWriter {
public:
    // Room for the header (left zero until `finish`, so that an unfinished
    // file is never taken for a container), the title and `pageCount` index
    // entries.
    static std::expected<ContainerWriter, std::string> begin(ContainerSink& sink, orva::Allocator& allocator,
                                                             const PackOptions& options, std::size_t pageCount);

    // The next page, `bgr` holding width x height pixels; run-length encoded
    // on the way out when the options say so.
    std::expected<void, std::string> addPage(std::uint32_t width, std::uint32_t height,
                                             std::span<const std::uint8_t> bgr);

    // The index and the header, once every page has been added.
    std::expected<void, std::string> finish();

    std::size_t pagesAdded() const { return added_; }

private:
    ContainerWriter(ContainerSink& sink, orva::Allocator& allocator, const PackOptions& options,
                    orva::ByteBuffer&& index, std::uint64_t indexOffset)
        : sink_(&sink), allocator_(&allocator), options_(options), index_(std::move(index)), indexOffset_(indexOffset) {}

    ContainerSink* sink_;
    orva::Allocator* allocator_;
    PackOptions options_;
    orva::ByteBuffer index_;  // the encoded entries
    std::uint64_t indexOffset_;
    std::size_t added_ = 0;
};

// A container in memory.
std::expected<std::vector<std::uint8_t>, std::string> buildContainer(const PackOptions& options,
                                                                      const std::vector<Image>& pages);

// A container written to TARGET.partial and renamed to TARGET by `commit`;
// the partial file is removed by `discard`, and on destruction unless
// committed. So TARGET is either the complete new file or as it was.
class PartialFile final : public ContainerSink {
public:
    static std::expected<PartialFile, std::string> create(const std::filesystem::path& target);
    PartialFile(PartialFile&& other) noexcept;
    PartialFile& operator=(PartialFile&&) = delete;
    ~PartialFile() override;

    std::expected<void, std::string> append(std::span<const std::uint8_t> bytes) override;
    std::expected<void, std::string> overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
    std::uint64_t size() const override { return size_; }

    std::expected<void, std::string> commit();
    void discard();

    const std::filesystem::path& partialPath() const { return partial_; }

private:
    PartialFile(std::filesystem::path target, std::filesystem::path partial, std::FILE* file)
        : target_(std::move(target)), partial_(std::move(partial)), file_(file) {}
    std::string failure() const;

    std::filesystem::path target_;
    std::filesystem::path partial_;
    std::FILE* file_;
    std::uint64_t size_ = 0;
    bool failed_ = false;
};

}  // namespace orvatool
