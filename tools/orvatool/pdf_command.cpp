#include "pdf_command.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "files.h"
#include "pdf/page_count_report.h"
#include "pdf/ppm_reader.h"
#include "platform/unique_folder.h"
#include "tool_host.h"

namespace orvatool {

namespace {

namespace fs = std::filesystem;

std::optional<std::uint32_t> pageNumber(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

std::string firstLine(const orva::ByteBuffer& bytes) {
    std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const auto end = text.find_first_of("\r\n"); end != std::string::npos) text.resize(end);
    return text;
}

std::unexpected<PdfFailure> failure(std::string message) { return std::unexpected(PdfFailure{std::move(message), 0}); }

std::unexpected<PdfFailure> interrupted() { return std::unexpected(PdfFailure{"interrupted", interruption()}); }

// The one image pdftoppm wrote into the folder.
std::expected<fs::path, std::string> renderedImage(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".ppm") return it->path();
    }
    return std::unexpected("pdftoppm wrote no image");
}

// One pdftoppm run for one page into a folder of its own, on a thread of
// its own where one can be had, so that the next page renders while this
// one is read and stored.
struct PageRender {
    orva::Allocator* allocator = nullptr;
    std::uint32_t page = 0;
    fs::path folder;
    std::string folderText;
    std::vector<std::string> arguments;
    orva::Result<ToolRun> run = orva::fail(orva::ErrorCode::SpawnFailed);
    BackgroundTask task;

    static void work(void* self) {
        auto& render = *static_cast<PageRender*>(self);
        std::vector<std::string_view> views(render.arguments.begin(), render.arguments.end());
        render.run = runPdfTool(*render.allocator, views, render.folderText, false);
    }
    void begin(std::uint32_t number, const std::string& tool, const std::string& resolution, const std::string& input) {
        page = number;
        const std::string text = std::to_string(number);
        arguments = {tool, "-q", "-f", text, "-l", text, "-r", resolution, input, "page"};
        if (!task.start(work, this)) work(this);
    }
    // The run's result, once it has ended.
    orva::Result<ToolRun>& finish() {
        task.join();
        return run;
    }
};

}  // namespace

std::expected<PageRange, std::string> parsePageRange(std::string_view text) {
    const std::string problem =
        "--pages needs N, A-B or A- (pages counted from 1, A <= B), not \"" + std::string(text) + "\"";
    const auto dash = text.find('-');
    if (dash == std::string_view::npos) {
        const auto page = pageNumber(text);
        if (!page) return std::unexpected(problem);
        return PageRange{*page, *page};
    }
    const auto first = pageNumber(text.substr(0, dash));
    const std::string_view rest = text.substr(dash + 1);
    if (!first) return std::unexpected(problem);
    if (rest.empty()) return PageRange{*first, 0};
    const auto last = pageNumber(rest);
    if (!last || *last < *first) return std::unexpected(problem);
    return PageRange{*first, *last};
}

std::expected<PageRange, std::string> pagesWithin(PageRange range, std::uint32_t pageCount) {
    const std::uint32_t last = range.last == 0 ? pageCount : range.last;
    if (range.first > pageCount || last > pageCount) {
        return std::unexpected("--pages " + std::to_string(range.first) + "-" +
                               (range.last == 0 ? std::string() : std::to_string(range.last)) +
                               " reaches past the last page: the document has " + std::to_string(pageCount) +
                               (pageCount == 1 ? " page" : " pages"));
    }
    return PageRange{range.first, last};
}

namespace {

// The page count pdfinfo gives for the document.
std::expected<std::uint32_t, PdfFailure> countPages(orva::Allocator& allocator, const PdfJob& job,
                                                    const std::string& info, const std::string& inputText) {
    const std::string_view arguments[] = {info, inputText};
    auto run = runPdfTool(allocator, arguments, ".", true);
    if (!run && run.error() == orva::ErrorCode::Canceled) return interrupted();
    if (!run) return failure(info + " could not be run: " + std::string(orva::errorName(run.error())));
    if (run->exitCode != 0) {
        const std::string said = firstLine(run->standardError);
        return failure(job.input + ": pdfinfo cannot read it (exit status " + std::to_string(run->exitCode) + ")" +
                       (said.empty() ? "" : ": " + said));
    }
    const auto& report = run->standardOutput;
    const auto count = orva::parsePageCountReport({reinterpret_cast<const char*>(report.data()), report.size()});
    if (!count) {
        return failure(job.input + ": no page count from pdfinfo: " + std::string(orva::errorName(count.error())));
    }
    return *count;
}

// A new folder only this run uses, in the system's temporary folder.
std::expected<fs::path, std::string> makePrivateFolder(orva::Allocator& allocator) {
    std::error_code error;
    const fs::path root = fs::temp_directory_path(error);
    if (error) return std::unexpected("no temporary folder (TMPDIR; on Windows TMP or TEMP)");
    auto folder = orva::makeUniqueFolder(allocator, utf8(root), "orvatool-");
    if (!folder) return std::unexpected(utf8(root) + ": cannot make a folder there for the rendered pages");
    return pathFromUtf8(std::string(folder->view()));
}

// Renders the pages one pdftoppm run each, in two folders inside `work` that
// take turns, and adds each to the container as it comes.
std::expected<void, PdfFailure> storePages(orva::Allocator& allocator, const PdfJob& job, PageRange pages,
                                           const std::string& render, const std::string& inputText,
                                           const fs::path& work, ContainerWriter& writer, PdfProgress* progress) {
    const std::uint32_t total = pages.last - pages.first + 1;
    std::error_code error;
    // Two pages in flight at most: the one being stored and the next,
    // rendered meanwhile into the other folder.
    PageRender renders[2];
    for (int i = 0; i < 2; ++i) {
        renders[i].allocator = &allocator;
        renders[i].folder = work / (i == 0 ? "a" : "b");
        renders[i].folderText = utf8(renders[i].folder);
        if (!fs::create_directory(renders[i].folder, error)) return failure(utf8(work) + ": cannot be written");
    }
    const std::string resolution = std::to_string(job.pack.dpi);
    renders[0].begin(pages.first, render, resolution, inputText);
    for (std::uint32_t page = pages.first; page <= pages.last; ++page) {
        PageRender& current = renders[(page - pages.first) % 2];
        auto& run = current.finish();
        if (interruption() != 0) return interrupted();
        if (page < pages.last) renders[(page - pages.first + 1) % 2].begin(page + 1, render, resolution, inputText);
        const std::string which = job.input + ": page " + std::to_string(page) + ": ";
        if (!run && run.error() == orva::ErrorCode::Canceled) return interrupted();
        if (!run) return failure(render + " could not be run: " + std::string(orva::errorName(run.error())));
        if (run->exitCode != 0) {
            return failure(which + "pdftoppm failed (exit status " + std::to_string(run->exitCode) + ")");
        }
        auto image = renderedImage(current.folder);
        if (!image) return failure(which + image.error());
        {
            auto pixels = orva::readPpmFile(allocator, utf8(*image));
            fs::remove(*image, error);
            if (!pixels) return failure(which + "the rendered image cannot be read: " +
                                        std::string(orva::errorName(pixels.error())));
            if (auto added = writer.addPage(pixels->width, pixels->height, pixels->pixels.span()); !added) {
                return failure(job.output + ": " + added.error());
            }
        }
        if (progress != nullptr) progress->pageDone(page, page - pages.first + 1, total);
    }
    return {};
}

}  // namespace

std::expected<PdfOutcome, PdfFailure> convertPdf(const PdfJob& job, orva::Allocator& allocator,
                                                 PdfProgress* progress) {
    std::error_code error;
    const fs::path input = fs::absolute(pathFromUtf8(job.input), error);
    if (error || !fs::is_regular_file(input, error)) return failure(job.input + ": no such file");
    const std::string inputText = utf8(input);

    auto info = findPdfTool(allocator, PdfTool::Info);
    if (!info) return failure(info.error());
    auto render = findPdfTool(allocator, PdfTool::Render);
    if (!render) return failure(render.error());
    const auto pageCount = countPages(allocator, job, *info, inputText);
    if (!pageCount) return std::unexpected(pageCount.error());
    const auto pages = pagesWithin(job.pages, *pageCount);
    if (!pages) return failure(job.input + ": " + pages.error());
    const std::uint32_t total = pages->last - pages->first + 1;

    auto folder = makePrivateFolder(allocator);
    if (!folder) return failure(folder.error());
    const FolderGuard work(*folder);
    auto file = PartialFile::create(pathFromUtf8(job.output));
    if (!file) return failure(file.error());
    auto writer = ContainerWriter::begin(*file, allocator, job.pack, total);
    if (!writer) return failure(job.output + ": " + writer.error());
    if (auto stored = storePages(allocator, job, *pages, *render, inputText, work.path(), *writer, progress); !stored) {
        return std::unexpected(stored.error());
    }
    if (auto finished = writer->finish(); !finished) return failure(job.output + ": " + finished.error());
    if (interruption() != 0) return interrupted();
    const std::uint64_t bytes = file->size();
    if (auto committed = file->commit(); !committed) return failure(committed.error());
    return PdfOutcome{total, bytes};
}

}  // namespace orvatool
