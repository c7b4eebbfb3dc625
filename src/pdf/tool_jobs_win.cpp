#include "pdf/tool_jobs.h"

#include "base/fixed_text.h"
#include "pdf/password_options.h"
#include "pdf/tool_locator.h"

namespace orva {

namespace {

// The arguments of one run, collected as they are named.
class JobArguments {
public:
    explicit JobArguments(Allocator& allocator) : allocator_(allocator), items_(allocator) {}

    JobArguments& add(std::string_view argument) {
        if (!failed_) {
            auto copy = OwnedString::copy(allocator_, argument);
            failed_ = !copy || !items_.push(std::move(*copy));
        }
        return *this;
    }
    JobArguments& addPage(std::uint64_t index) { return addNumber(index + 1); }
    JobArguments& addNumber(std::uint64_t value) {
        FixedText<24> number;
        number.appendDecimal(value);
        return add(number.view());
    }
    // An encrypted document opens only with its password.
    JobArguments& addPassword(const Document& document) {
        const PasswordOptions options(document.password.view());
        for (std::string_view item : options.items()) add(item);
        return *this;
    }
    Result<OwnedArray<OwnedString>> take() {
        if (failed_) return fail(ErrorCode::OutOfMemory);
        return items_.take();
    }

private:
    Allocator& allocator_;
    GrowableArray<OwnedString> items_;
    bool failed_ = false;
};

Result<ToolJob> jobFor(Allocator& allocator, const OwnedString& tool, JobArguments& arguments) {
    ToolJob job;
    auto taken = arguments.take();
    if (!taken) return fail(taken.error());
    job.arguments = std::move(*taken);
    auto environment = makeToolEnvironment(allocator, tool.view());
    if (!environment) return fail(ErrorCode::OutOfMemory);
    job.environment.emplace(std::move(*environment));
    return job;
}

}  // namespace

Result<ToolJob> makePictureJob(Allocator& allocator, const Document& document, const PictureRequest& request) {
    auto tool = locateTool(allocator, kPdftoppmName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    JobArguments arguments(allocator);
    arguments.add(tool->view()).add("-scale-to-x").addNumber(request.scaledWidth);
    arguments.add("-scale-to-y").addNumber(request.scaledHeight);
    arguments.add("-x").addNumber(request.x).add("-y").addNumber(request.y);
    arguments.add("-W").addNumber(request.width).add("-H").addNumber(request.height);
    arguments.add("-f").addPage(request.page).add("-l").addPage(request.page);
    // No output root: the image goes to standard output.
    arguments.addPassword(document).add(document.path.view());
    auto job = jobFor(allocator, *tool, arguments);
    if (!job) return job;
    job->key[0] = request.page;
    job->key[1] = std::uint64_t{request.scaledWidth} | std::uint64_t{request.scaledHeight} << 32;
    job->key[2] = std::uint64_t{request.x} | std::uint64_t{request.y} << 32;
    job->key[3] = std::uint64_t{request.width} | std::uint64_t{request.height} << 32;
    return job;
}

Result<ToolJob> makeThumbnailJob(Allocator& allocator, const Document& document, std::uint64_t first,
                                 std::uint64_t last) {
    auto tool = locateTool(allocator, kPdftoppmName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    JobArguments arguments(allocator);
    arguments.add(tool->view()).add("-scale-to").addNumber(kThumbnailRunSide);
    arguments.add("-f").addPage(first).add("-l").addPage(last);
    arguments.addPassword(document).add(document.path.view());
    auto job = jobFor(allocator, *tool, arguments);
    if (!job) return job;
    job->key[0] = first;
    job->key[1] = last;
    return job;
}

Result<ToolJob> makeTextJob(Allocator& allocator, const Document& document, std::uint64_t first, std::uint64_t last) {
    auto tool = locateCompanionTool(allocator, kPdftotextName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    JobArguments arguments(allocator);
    arguments.add(tool->view()).add("-bbox-layout").add("-enc").add("UTF-8").add("-f").addPage(first).add("-l").addPage(last);
    arguments.addPassword(document).add(document.path.view()).add("-");
    auto job = jobFor(allocator, *tool, arguments);
    if (!job) return job;
    job->key[0] = first;
    job->key[1] = last;
    return job;
}

namespace {

Result<ToolJob> htmlJob(Allocator& allocator, const Document& document, std::uint64_t first, std::uint64_t last) {
    auto tool = locateCompanionTool(allocator, kPdftohtmlName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    JobArguments arguments(allocator);
    // -q: without it the tool also prints its progress to standard output;
    // -i: no image files written beside the document.
    arguments.add(tool->view()).add("-xml").add("-i").add("-q").add("-stdout").add("-nodrm");
    arguments.add("-f").addPage(first).add("-l").addPage(last);
    arguments.addPassword(document).add(document.path.view());
    auto job = jobFor(allocator, *tool, arguments);
    if (!job) return job;
    job->key[0] = first;
    job->key[1] = last;
    return job;
}

}  // namespace

Result<ToolJob> makeOutlineJob(Allocator& allocator, const Document& document) {
    return htmlJob(allocator, document, 0, 0);
}

Result<ToolJob> makeLinksJob(Allocator& allocator, const Document& document, std::uint64_t page) {
    return htmlJob(allocator, document, page, page);
}

Result<OwnedString> htmlReportName(Allocator& allocator, std::string_view documentPath) {
    std::string_view name = documentPath;
    if (const auto cut = name.find_last_of("\\/"); cut != std::string_view::npos) name.remove_prefix(cut + 1);
    if (name.ends_with(".pdf") || name.ends_with(".PDF")) name.remove_suffix(4);
    FixedText<520> html;
    html.append(name);
    html.append(".html");
    if (!html.fits()) return fail(ErrorCode::NameTooLong);
    return OwnedString::copy(allocator, html.view());
}

}  // namespace orva
