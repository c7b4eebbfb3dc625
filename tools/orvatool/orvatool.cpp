#include "orvatool.h"

#include <cstring>
#include <filesystem>

#include "arguments.h"
#include "base/version.h"
#include "container_writer.h"
#include "document/orva_reader.h"
#include "files.h"
#include "image_io.h"
#include "pdf_command.h"
#include "tool_host.h"

namespace orvatool {

namespace {

namespace fs = std::filesystem;

struct Command;
using CommandFunction = int (*)(const ParsedArguments&, std::ostream&, std::ostream&, const RunContext&);

struct Command {
    std::string_view name;
    std::string_view usage;    // the synopsis after "orvatool "
    std::string_view summary;  // one line, for the list of commands
    std::string_view details;  // what the help says after the synopsis
    std::span<const OptionRule> options;
    CommandFunction run;
};

constexpr std::string_view kHelpLine = "show this help";

constexpr OptionRule kPackOptions[] = {
    {"-o", "OUT.orva", "the container to write (required)"},
    {"--rle", "", "store the pages run-length encoded (the default)"},
    {"--raw", "", "store the pages' pixels as they are"},
    {"--dpi", "N", "the resolution the header records, 0 to 65535 (default 150)"},
    {"--title", "TEXT", "the document's title (default none)"},
};

constexpr OptionRule kPdfOptions[] = {
    {"-o", "OUT.orva", "the container to write (required)"},
    {"--dpi", "N", "render at N dots per inch, 1 to 65535 (default 150)"},
    {"--rle", "", "store the pages run-length encoded (the default)"},
    {"--raw", "", "store the pages' pixels as they are"},
    {"--pages", "RANGE", "only these pages: N, A-B or A- (to the last); default all"},
    {"--title", "TEXT", "the document's title (default none)"},
};

constexpr OptionRule kExtractOptions[] = {
    {"--png", "", "write PNG images instead of PPM"},
};

int pack(const ParsedArguments&, std::ostream&, std::ostream&, const RunContext&);
int pdf(const ParsedArguments&, std::ostream&, std::ostream&, const RunContext&);
int info(const ParsedArguments&, std::ostream&, std::ostream&, const RunContext&);
int extract(const ParsedArguments&, std::ostream&, std::ostream&, const RunContext&);

constexpr Command kPack{
    "pack", "pack [--rle|--raw] [--dpi N] [--title TEXT] -o OUT.orva PAGE...",
    "pack PNG or PPM page images into a container",
    "Packs the page images, in the order given, into one container. A page is a\n"
    "PNG or a binary PPM (P6, maxval 255) image. OUT.orva is replaced only once\n"
    "the new file is complete.\n",
    kPackOptions, pack};

#ifdef _WIN32
#define ORVA_TOOL_SEARCH                                                            \
    "pdftoppm.exe and pdfinfo.exe are looked for where the viewer looks: the file\n" \
    "PDFTOPPM_PATH names (pdftoppm only), beside orvatool.exe and in a poppler\n"     \
    "folder beside it, in C:\\poppler\\Library\\bin and the poppler folders of\n"     \
    "Program Files, then in every folder of PATH.\n"
#else
#define ORVA_TOOL_SEARCH "pdftoppm and pdfinfo are looked for in the folders of PATH.\n"
#endif

constexpr Command kPdf{
    "pdf", "pdf IN.pdf -o OUT.orva [--dpi N] [--raw|--rle] [--pages A-B] [--title TEXT]",
    "render a PDF's pages into a container, with poppler's pdftoppm",
    "Renders the pages of IN.pdf with poppler's pdftoppm, one run a page, and\n"
    "appends each to OUT.orva as it comes, while the next one renders: memory\n"
    "holds about one page, however long the document. The page count comes from\n"
    "pdfinfo. Pages are rendered at 150 dpi and run-length encoded unless the\n"
    "options say otherwise.\n"
    "\n"
    "The container is written as OUT.orva.partial and renamed to OUT.orva once\n"
    "complete; pdftoppm writes into a folder of this run's own in the temporary\n"
    "folder. A failure, Ctrl+C or a termination request leaves neither behind,\n"
    "and an existing OUT.orva as it was. Progress is shown on standard error when\n"
    "that is a terminal.\n"
    "\n" ORVA_TOOL_SEARCH,
    kPdfOptions, pdf};

constexpr Command kInfo{
    "info", "info FILE",
    "show a container's header, title and page index, and check every page",
    "Prints the header, the title and the page index of FILE, and checks every\n"
    "page with the code the viewer opens documents with; a broken page is named\n"
    "with the error the viewer would show. Exits with 1 when the file cannot be\n"
    "opened.\n",
    {}, info};

constexpr Command kExtract{
    "extract", "extract FILE OUTDIR [--png]",
    "write a container's pages as PPM or PNG images",
    "Writes every page of FILE as OUTDIR/page-001.ppm (or .png), page-002, ...,\n"
    "making OUTDIR when it does not exist.\n",
    kExtractOptions, extract};

constexpr const Command* kCommands[] = {&kPack, &kPdf, &kInfo, &kExtract};

const Command* findCommand(std::string_view name) {
    for (const Command* command : kCommands) {
        if (command->name == name) return command;
    }
    return nullptr;
}

void writeGeneralHelp(std::ostream& out) {
    out << "usage: orvatool COMMAND [ARGUMENTS]\n"
           "       orvatool help [COMMAND]\n"
           "       orvatool --version\n"
           "\n"
           "Makes, inspects and unpacks Orva containers (.orva).\n"
           "\n"
           "commands:\n";
    for (const Command* command : kCommands) {
        out << "  " << command->name << std::string(10 - command->name.size(), ' ') << command->summary << "\n";
    }
    out << "\n"
           "'orvatool help COMMAND' or 'orvatool COMMAND --help' tells more about one.\n"
           "\n"
           "exit status: 0 done; 1 failed (standard error says why); 2 a usage error;\n"
           "128 + the signal's number when interrupted (130 after Ctrl+C).\n";
}

void writeCommandHelp(std::ostream& out, const Command& command) {
    out << "usage: orvatool " << command.usage << "\n\n" << command.details << "\noptions:\n";
    std::size_t width = std::string_view("-h, --help").size();
    for (const OptionRule& option : command.options) {
        width = std::max(width, option.name.size() + (option.value.empty() ? 0 : option.value.size() + 1));
    }
    const auto line = [&](std::string left, std::string_view help) {
        out << "  " << left << std::string(width + 2 - left.size(), ' ') << help << "\n";
    };
    for (const OptionRule& option : command.options) {
        std::string left(option.name);
        if (!option.value.empty()) left.append(" ").append(option.value);
        line(left, option.help);
    }
    line("-h, --help", kHelpLine);
}

int usageError(std::ostream& err, const std::string& message) {
    err << "orvatool: " << message << "\n"
        << "usage: orvatool COMMAND [ARGUMENTS]; 'orvatool help' lists the commands\n";
    return kExitUsage;
}

int usageError(std::ostream& err, const Command& command, const std::string& message) {
    err << "orvatool " << command.name << ": " << message << "\n"
        << "usage: orvatool " << command.usage << "\n"
        << "'orvatool help " << command.name << "' tells more\n";
    return kExitUsage;
}

int pack(const ParsedArguments& args, std::ostream& out, std::ostream& err, const RunContext&) {
    PackOptions options;
    std::string output;
    for (const auto& [name, value] : args.options) {
        if (name == "--rle") {
            options.runLength = true;
        } else if (name == "--raw") {
            options.runLength = false;
        } else if (name == "--dpi") {
            const auto dpi = parseNumber(name, value, 0, 65535);
            if (!dpi) return usageError(err, kPack, dpi.error());
            options.dpi = static_cast<std::uint16_t>(*dpi);
        } else if (name == "--title") {
            options.title = value;
        } else if (name == "-o") {
            output = value;
        }
    }
    const std::vector<std::string>& inputs = args.positional;
    if (output.empty()) return usageError(err, kPack, "no output file (-o OUT.orva)");
    if (inputs.empty()) return usageError(err, kPack, "no page images");

    std::vector<Image> pages;
    for (const std::string& input : inputs) {
        auto bytes = readWholeFile(pathFromUtf8(input));
        if (!bytes) {
            err << "orvatool: " << bytes.error() << "\n";
            return kExitFailure;
        }
        auto image = decodeImage(*bytes);
        if (!image) {
            err << "orvatool: " << input << ": " << image.error() << "\n";
            return kExitFailure;
        }
        pages.push_back(std::move(*image));
    }
    auto container = buildContainer(options, pages);
    if (!container) {
        err << "orvatool: " << output << ": " << container.error() << "\n";
        return kExitFailure;
    }
    if (auto written = writeFileReplacing(pathFromUtf8(output), *container); !written) {
        err << "orvatool: " << written.error() << "\n";
        return kExitFailure;
    }
    out << output << ": " << pages.size() << " pages, " << container->size() << " bytes, "
        << (options.runLength ? "run-length" : "raw") << "\n";
    return kExitOk;
}

// One line on the terminal, rewritten as the pages go by, and cleared at
// the end so that it never mixes with what follows.
class TerminalProgress final : public PdfProgress {
public:
    explicit TerminalProgress(std::ostream& err) : err_(err) {}
    ~TerminalProgress() override { clear(); }
    void pageDone(std::uint32_t page, std::uint32_t done, std::uint32_t total) override {
        const std::string text = "orvatool pdf: page " + std::to_string(page) + " (" + std::to_string(done) + " of " +
                                 std::to_string(total) + ")";
        err_ << "\r" << text << std::flush;
        width_ = std::max(width_, text.size());
    }
    void clear() {
        if (width_ > 0) err_ << "\r" << std::string(width_, ' ') << "\r" << std::flush;
        width_ = 0;
    }

private:
    std::ostream& err_;
    std::size_t width_ = 0;
};

int pdf(const ParsedArguments& args, std::ostream& out, std::ostream& err, const RunContext& context) {
    PdfJob job;
    for (const auto& [name, value] : args.options) {
        if (name == "--rle") {
            job.pack.runLength = true;
        } else if (name == "--raw") {
            job.pack.runLength = false;
        } else if (name == "--dpi") {
            const auto dpi = parseNumber(name, value, 1, 65535);
            if (!dpi) return usageError(err, kPdf, dpi.error());
            job.pack.dpi = static_cast<std::uint16_t>(*dpi);
        } else if (name == "--pages") {
            const auto range = parsePageRange(value);
            if (!range) return usageError(err, kPdf, range.error());
            job.pages = *range;
        } else if (name == "--title") {
            job.pack.title = value;
        } else if (name == "-o") {
            job.output = value;
        }
    }
    if (args.positional.empty()) return usageError(err, kPdf, "no PDF file");
    if (args.positional.size() > 1) {
        return usageError(err, kPdf, "one PDF file only, not " + std::to_string(args.positional.size()));
    }
    if (job.output.empty()) return usageError(err, kPdf, "no output file (-o OUT.orva)");
    job.input = args.positional[0];

    orva::Allocator allocator;
    std::expected<PdfOutcome, PdfFailure> outcome;
    {
        const InterruptCatcher catcher;
        TerminalProgress progress(err);
        outcome = convertPdf(job, allocator, context.showProgress ? &progress : nullptr);
        progress.clear();
        if (!outcome) {
            err << "orvatool: " << outcome.error().message << "\n";
            interruptionHandled();
            if (outcome.error().interruption != 0) return kExitInterrupted + outcome.error().interruption;
            return kExitFailure;
        }
    }
    out << job.output << ": " << outcome->pages << " pages, " << outcome->bytes << " bytes, "
        << (job.pack.runLength ? "run-length" : "raw") << "\n";
    return kExitOk;
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

int info(const ParsedArguments& args, std::ostream& out, std::ostream& err, const RunContext&) {
    if (args.positional.size() != 1) return usageError(err, kInfo, "info needs exactly one FILE");
    const std::string& path = args.positional[0];
    auto file = readWholeFile(pathFromUtf8(path));
    if (!file) {
        err << "orvatool: " << file.error() << "\n";
        return kExitFailure;
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
        return kExitFailure;
    }
    out << "result: ok, " << whole->pages.size() << " pages\n";
    return kExitOk;
}

int extract(const ParsedArguments& args, std::ostream& out, std::ostream& err, const RunContext&) {
    const bool png = !args.options.empty();  // --png, its only option
    const std::vector<std::string>& positional = args.positional;
    if (positional.size() != 2) return usageError(err, kExtract, "extract needs FILE and OUTDIR");
    orva::Allocator allocator;
    auto contents = orva::readOrvaFile(allocator, positional[0]);
    if (!contents) {
        err << "orvatool: " << positional[0] << ": cannot be opened: " << orva::errorName(contents.error()) << "\n";
        return kExitFailure;
    }
    const fs::path folder = pathFromUtf8(positional[1]);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        err << "orvatool: " << positional[1] << ": cannot create the folder\n";
        return kExitFailure;
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
                return kExitFailure;
            }
            encoded = std::move(*bytes);
        } else {
            encoded = encodePpm(image);
        }
        if (auto written = writeFileReplacing(target, encoded); !written) {
            err << "orvatool: " << written.error() << "\n";
            return kExitFailure;
        }
        out << utf8(target) << ": " << page.width << " x " << page.height << "\n";
    }
    return kExitOk;
}


}  // namespace

int runOrvatool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const RunContext& context) {
    if (args.empty()) return usageError(err, "no command");
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        if (args.size() == 1 || first != "help") {
            writeGeneralHelp(out);
            return kExitOk;
        }
        if (args.size() > 2) return usageError(err, "help takes one COMMAND at most");
        const Command* command = findCommand(args[1]);
        if (command == nullptr) return usageError(err, "no command named " + args[1]);
        writeCommandHelp(out, *command);
        return kExitOk;
    }
    if (first == "--version") {
        out << "orvatool " << orva::kProgramVersion << "\n";
        return kExitOk;
    }
    const Command* command = findCommand(first);
    if (command == nullptr) {
        return usageError(err, (first.starts_with("-") ? "unknown option " : "unknown command ") + first);
    }
    const std::span<const std::string> rest(args.begin() + 1, args.end());
    auto parsed = parseArguments(rest, command->options);
    if (!parsed) return usageError(err, *command, parsed.error());
    if (parsed->help) {
        writeCommandHelp(out, *command);
        return kExitOk;
    }
    return command->run(*parsed, out, err, context);
}

}  // namespace orvatool
