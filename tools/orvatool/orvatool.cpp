#include "orvatool.h"

#include <charconv>
#include <cstring>
#include <filesystem>

#include "container_writer.h"
#include "document/orva_reader.h"
#include "files.h"
#include "image_io.h"

namespace orvatool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage:\n"
    "  orvatool pack [--rle|--raw] [--dpi N] [--title TEXT] -o OUT.orva PAGE...\n"
    "      pages are PNG or binary PPM (P6, maxval 255) images, in page order\n"
    "  orvatool info FILE\n"
    "      prints the header, title and page index and checks every page\n"
    "  orvatool extract FILE OUTDIR [--png]\n"
    "      writes every page as OUTDIR/page-001.ppm (or .png), ...\n";

int usageError(std::ostream& err, const std::string& message) {
    err << "orvatool: " << message << "\n" << kUsage;
    return 2;
}

int pack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PackOptions options;
    std::string output;
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--rle") {
            options.runLength = true;
        } else if (arg == "--raw") {
            options.runLength = false;
        } else if (arg == "--dpi" && hasValue) {
            const std::string& text = args[++i];
            unsigned value = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc{} || end != text.data() + text.size() || value > 65535) {
                return usageError(err, "--dpi needs a number from 0 to 65535, not \"" + text + "\"");
            }
            options.dpi = static_cast<std::uint16_t>(value);
        } else if (arg == "--title" && hasValue) {
            options.title = args[++i];
        } else if (arg == "-o" && hasValue) {
            output = args[++i];
        } else if (arg.starts_with("-")) {
            return usageError(err, "pack: unknown or incomplete option " + arg);
        } else {
            inputs.push_back(arg);
        }
    }
    if (output.empty()) return usageError(err, "pack: no output file (-o OUT.orva)");
    if (inputs.empty()) return usageError(err, "pack: no page images");

    std::vector<Image> pages;
    for (const std::string& input : inputs) {
        auto bytes = readWholeFile(pathFromUtf8(input));
        if (!bytes) {
            err << "orvatool: " << bytes.error() << "\n";
            return 1;
        }
        auto image = decodeImage(*bytes);
        if (!image) {
            err << "orvatool: " << input << ": " << image.error() << "\n";
            return 1;
        }
        pages.push_back(std::move(*image));
    }
    auto container = buildContainer(options, pages);
    if (!container) {
        err << "orvatool: " << output << ": " << container.error() << "\n";
        return 1;
    }
    if (auto written = writeFileReplacing(pathFromUtf8(output), *container); !written) {
        err << "orvatool: " << written.error() << "\n";
        return 1;
    }
    out << output << ": " << pages.size() << " pages, " << container->size() << " bytes, "
        << (options.runLength ? "run-length" : "raw") << "\n";
    return 0;
}

// The whole file as a source, with the header changed so that the reader sees
// a one-page document made of a single index entry: each page is then checked
// by exactly the code that opens documents.
class OnePageView final : public orva::ByteSource {
public:
    OnePageView(std::span<const std::uint8_t> file, std::uint64_t entryOffset) : file_(file) {
        std::memcpy(header_, file.data(), orva::kOrvaHeaderSize);
        orva::storeLittle<4>(header_ + orva::orva_header::kPageCount, 1u);
        orva::storeLittle<8>(header_ + orva::orva_header::kIndexOffset, entryOffset);
    }
    orva::Result<std::size_t> read(std::span<std::uint8_t> destination) override {
        std::size_t done = 0;
        while (done < destination.size() && position_ < file_.size()) {
            const std::size_t at = static_cast<std::size_t>(position_);
            const std::uint8_t* from = at < orva::kOrvaHeaderSize ? header_ + at : file_.data() + at;
            const std::size_t limit = at < orva::kOrvaHeaderSize ? orva::kOrvaHeaderSize : file_.size();
            const std::size_t count = std::min(destination.size() - done, limit - at);
            std::memcpy(destination.data() + done, from, count);
            done += count;
            position_ += count;
        }
        return done;
    }
    orva::Status seek(std::uint64_t offset) override {
        position_ = offset;
        return {};
    }

private:
    std::span<const std::uint8_t> file_;
    std::uint8_t header_[orva::kOrvaHeaderSize];
    std::uint64_t position_ = 0;
};

std::string printable(std::string_view text) {
    std::string shown;
    for (const char c : text) shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    return shown;
}

int info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return usageError(err, "info needs exactly one FILE");
    const std::string& path = args[0];
    auto file = readWholeFile(pathFromUtf8(path));
    if (!file) {
        err << "orvatool: " << file.error() << "\n";
        return 1;
    }
    const std::vector<std::uint8_t>& bytes = *file;
    out << path << ": " << bytes.size() << " bytes\n";
    if (bytes.size() >= orva::kOrvaHeaderSize) {
        const std::uint8_t* h = bytes.data();
        const orva::OrvaHeader header = orva::decodeOrvaHeader(h);
        const std::uint32_t titleLength = header.titleLength;
        out << "  magic \"" << printable({reinterpret_cast<const char*>(h), 4}) << "\", version " << int{header.version}
            << ", encoding " << int{header.encoding}
            << (header.encoding == orva::kOrvaEncodingRle ? " (run-length)" : " (raw)") << ", dpi " << header.dpi
            << "\n";
        out << "  pages " << header.pageCount << ", index at " << header.indexOffset << ", reserved1 "
            << header.reserved1 << ", reserved2 " << header.reserved2 << "\n";
        out << "  title (" << titleLength << " bytes)";
        if (titleLength <= bytes.size() - orva::kOrvaHeaderSize) {
            out << " \"" << printable({reinterpret_cast<const char*>(h) + orva::kOrvaHeaderSize, titleLength}) << "\"";
        }
        out << "\n";
    }

    orva::Allocator allocator;
    const auto whole = orva::readOrvaFile(allocator, path);
    const bool headerReadable = whole || (whole.error() != orva::ErrorCode::InvalidMagic &&
                                          whole.error() != orva::ErrorCode::UnsupportedVersion &&
                                          whole.error() != orva::ErrorCode::NoPages && bytes.size() >= orva::kOrvaHeaderSize);
    if (headerReadable) {
        const orva::OrvaHeader header = orva::decodeOrvaHeader(bytes.data());
        const std::uint64_t pageCount = header.pageCount;
        const std::uint64_t indexOffset = header.indexOffset;
        out << "  page   data offset   data length      width     height  check\n";
        for (std::uint64_t n = 0; n < pageCount; ++n) {
            const std::uint64_t entry = indexOffset + n * orva::kOrvaIndexEntrySize;
            if (entry < indexOffset || entry > bytes.size() || bytes.size() - entry < orva::kOrvaIndexEntrySize) {
                out << "  (the index ends at page " << n << ": the file is cut short)\n";
                break;
            }
            const orva::OrvaIndexEntry e = orva::decodeOrvaIndexEntry(bytes.data() + entry);
            OnePageView view(bytes, entry);
            orva::Allocator pageAllocator;
            const auto page = orva::readOrva(view, pageAllocator);
            char line[128];
            std::snprintf(line, sizeof line, "  %4llu  %12llu  %12llu  %9llu  %9llu  ",
                          static_cast<unsigned long long>(n + 1), static_cast<unsigned long long>(e.dataOffset),
                          static_cast<unsigned long long>(e.dataLength), static_cast<unsigned long long>(e.width),
                          static_cast<unsigned long long>(e.height));
            out << line << (page ? std::string("ok") : std::string(orva::errorName(page.error()))) << "\n";
        }
    }
    if (!whole) {
        out << "result: " << orva::errorName(whole.error()) << "\n";
        err << "orvatool: " << path << ": cannot be opened: " << orva::errorName(whole.error()) << "\n";
        return 1;
    }
    out << "result: ok, " << whole->pages.size() << " pages\n";
    return 0;
}

int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool png = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg == "--png") {
            png = true;
        } else if (arg.starts_with("-")) {
            return usageError(err, "extract: unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) return usageError(err, "extract needs FILE and OUTDIR");
    orva::Allocator allocator;
    auto contents = orva::readOrvaFile(allocator, positional[0]);
    if (!contents) {
        err << "orvatool: " << positional[0] << ": cannot be opened: " << orva::errorName(contents.error()) << "\n";
        return 1;
    }
    const fs::path folder = pathFromUtf8(positional[1]);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        err << "orvatool: " << positional[1] << ": cannot create the folder\n";
        return 1;
    }
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(contents->pages.size()).size());
    for (std::size_t n = 0; n < contents->pages.size(); ++n) {
        const orva::PageImage& page = contents->pages[n];
        Image image{page.width, page.height, {page.pixels.begin(), page.pixels.end()}};
        std::string number = std::to_string(n + 1);
        number.insert(0, digits - number.size(), '0');
        const fs::path target = folder / pathFromUtf8("page-" + number + (png ? ".png" : ".ppm"));
        std::vector<std::uint8_t> encoded;
        if (png) {
            auto bytes = encodePng(image);
            if (!bytes) {
                err << "orvatool: " << utf8(target) << ": " << bytes.error() << "\n";
                return 1;
            }
            encoded = std::move(*bytes);
        } else {
            encoded = encodePpm(image);
        }
        if (auto written = writeFileReplacing(target, encoded); !written) {
            err << "orvatool: " << written.error() << "\n";
            return 1;
        }
        out << utf8(target) << ": " << page.width << " x " << page.height << "\n";
    }
    return 0;
}

}  // namespace

int runOrvatool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "no command");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "pack") return pack(rest, out, err);
    if (args[0] == "info") return info(rest, out, err);
    if (args[0] == "extract") return extract(rest, out, err);
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage;
        return 0;
    }
    return usageError(err, "unknown command " + args[0]);
}

}  // namespace orvatool
