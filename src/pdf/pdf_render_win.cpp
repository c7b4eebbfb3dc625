// One PDF page rendered by the rasteriser into the work folder and read back.
#include "base/fixed_text.h"
#include "base/scoped_win.h"
#include "base/utf.h"
#include "document/absolute_path.h"
#include "pdf/pdf_backend.h"
#include "pdf/password_options.h"
#include "pdf/ppm_page_key.h"
#include "pdf/ppm_reader.h"
#include "pdf/tool_jobs.h"
#include "pdf/tool_locator.h"
#include "pdf/tool_paths.h"
#include "pdf/work_folder.h"
#include "platform/final_path.h"
#include "platform/tool_runner.h"

namespace orva {

namespace {

Result<OwnedString> decimalText(Allocator& allocator, std::uint64_t value) {
    FixedText<24> text;
    text.appendDecimal(value);
    return OwnedString::copy(allocator, text.view());
}

// Names of the regular files in the folder that end in ".ppm" exactly, in
// listing order. Folders and links do not count, nor ".PPM".
Result<OwnedArray<OwnedString>> listPpmFiles(Allocator& allocator, std::string_view folder) {
    auto pattern = joinPaths(allocator, {folder, "*"});
    if (!pattern) return fail(pattern.error());
    auto widePattern = toWidePath(allocator, pattern->view());
    if (!widePattern) return fail(widePattern.error());
    GrowableArray<OwnedString> names(allocator);
    WIN32_FIND_DATAW entry;
    const FindHandle listing(FindFirstFileExW(wideChars(*widePattern), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                              nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!listing) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return names.take();
        return fail(errorFromWin32(error));
    }
    constexpr DWORD kNotRegular = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    Status listed;
    do {
        const std::u16string_view name(reinterpret_cast<const char16_t*>(entry.cFileName));
        if ((entry.dwFileAttributes & kNotRegular) != 0 || !name.ends_with(u".ppm")) continue;
        auto utf8 = utf16ToUtf8(allocator, name);
        if (!utf8) {
            listed = fail(utf8.error());
            break;
        }
        if (listed = names.push(std::move(*utf8)); !listed) break;
    } while (FindNextFileW(listing.get(), &entry));
    const DWORD error = listed ? GetLastError() : ERROR_SUCCESS;
    if (!listed) return fail(listed.error());
    if (error != ERROR_NO_MORE_FILES) return fail(errorFromWin32(error));
    return names.take();
}

}  // namespace

Status renderPdfPage(Document& document, std::uint64_t index) {
    Allocator& allocator = *document.allocator;
    auto input = makeAbsolutePath(allocator, document.path.view());
    if (!input) return fail(input.error());
    auto folder = prepareWorkFolder(allocator);
    if (!folder) return fail(folder.error());
    // From here on the work folder is removed on every way out.
    auto pageNumber = decimalText(allocator, static_cast<std::uint32_t>(index + 1));
    if (!pageNumber) return fail(ErrorCode::OutOfMemory);
    auto tool = locateTool(allocator, kPdftoppmName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    auto resolution = decimalText(allocator, document.dpi);
    if (!resolution) return fail(ErrorCode::OutOfMemory);
    std::string_view arguments[16] = {
        tool->view(), "-q", "-f", pageNumber->view(), "-l", pageNumber->view(), "-r", resolution->view()};
    std::size_t count = 8;
    const PasswordOptions password(document.password.view());
    for (std::string_view item : password.items()) arguments[count++] = item;
    arguments[count++] = input->view();
    arguments[count++] = "page";
    {
        auto environment = makeToolEnvironment(allocator, tool->view());
        if (!environment) return fail(ErrorCode::PdftoppmNotFound);
        auto run = runTool(allocator, std::span(arguments, count), folder->outputPath(), &*environment, false,
                           StandardError::Drain);
        // A run ended on purpose says so; any other failure is the tool's.
        if (!run && run.error() == ErrorCode::Canceled) return fail(ErrorCode::Canceled);
        if (!run || run->exitCode != 0) return fail(ErrorCode::PdftoppmFailed);
    }

    auto names = listPpmFiles(allocator, folder->outputPath());
    if (!names) return fail(names.error());
    if (names->empty()) return fail(ErrorCode::NoPages);
    sortByPpmPageKey(names->span());
    // Every file is read, and the first failure ends the render; only the
    // first image in page order is kept.
    PageImage first;
    for (const OwnedString& name : *names) {
        auto path = joinPaths(allocator, {folder->outputPath(), name.view()});
        if (!path) return fail(path.error());
        auto image = readPpmFile(allocator, path->view());
        if (!image) return fail(image.error());
        if (!first.present) first = std::move(*image);
    }
    folder->remove();
    document.pages[index] = std::move(first);
    return {};
}

Result<PageImage> renderPdfPicture(const Document& document, const PictureRequest& request) {
    Allocator& allocator = *document.allocator;
    auto job = makePictureJob(allocator, document, request);
    if (!job) return fail(job.error());
    auto arguments = OwnedArray<std::string_view>::create(allocator, job->arguments.size());
    if (!arguments) return fail(arguments.error());
    for (std::size_t i = 0; i < job->arguments.size(); ++i) (*arguments)[i] = job->arguments[i].view();
    // The picture comes on standard output: no work folder, no turn to wait for.
    auto run = runTool(allocator, arguments->span(), ".", &*job->environment, true, StandardError::Drain);
    if (!run && run.error() == ErrorCode::Canceled) return fail(ErrorCode::Canceled);
    if (!run || run->exitCode != 0) return fail(ErrorCode::PdftoppmFailed);
    auto image = readPpmBytes(allocator, run->standardOutput.span());
    if (!image) return fail(image.error());
    return std::move(image->image);
}

namespace {

class PdfPageRenderer final : public PageRenderer {
public:
    Status renderPage(Document& document, std::uint64_t index) const override { return renderPdfPage(document, index); }
    Result<PageImage> renderPicture(const Document& document, const PictureRequest& request) const override {
        return renderPdfPicture(document, request);
    }
};

}  // namespace

const PageRenderer& pdfPageRenderer() {
    static const PdfPageRenderer renderer;
    return renderer;
}

}  // namespace orva
