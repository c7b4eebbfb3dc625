// The page count of a PDF file, from the report of the information tool.
#include "document/absolute_path.h"
#include "pdf/page_count_report.h"
#include "pdf/password_options.h"
#include "pdf/pdf_backend.h"
#include "pdf/tool_locator.h"
#include "platform/final_path.h"
#include "platform/tool_runner.h"

namespace orva {

Result<PdfInfo> queryPdfInfo(Allocator& allocator, std::string_view path, std::string_view password) {
    auto input = makeAbsolutePath(allocator, path);
    if (!input) return fail(input.error());
    auto tool = locateTool(allocator, kPdfinfoName);
    if (!tool) return fail(ErrorCode::PdftoppmNotFound);
    Result<ToolRunResult> run = fail(ErrorCode::PdfInfoFailed);
    {
        auto environment = makeToolEnvironment(allocator, tool->view());
        if (!environment) return fail(ErrorCode::PdfInfoFailed);
        // Not quiet: a wrong or missing password is told only on standard
        // error, of which the first few lines are read.
        std::string_view arguments[7] = {tool->view()};
        std::size_t count = 1;
        const PasswordOptions options(password);
        for (std::string_view item : options.items()) arguments[count++] = item;
        arguments[count++] = input->view();
        run = runTool(allocator, std::span(arguments, count), ".", &*environment, true, StandardError::Head);
    }
    if (!run && run.error() == ErrorCode::Canceled) return fail(ErrorCode::Canceled);
    if (run && run->exitCode != 0) {
        const auto& errors = run->standardError;
        const std::string_view said(reinterpret_cast<const char*>(errors.data()), errors.size());
        if (said.find(kIncorrectPasswordReport) != std::string_view::npos) return fail(ErrorCode::PdfPasswordRequired);
    }
    if (!run || run->exitCode != 0) return fail(ErrorCode::PdfInfoFailed);
    const auto& bytes = run->standardOutput;
    const std::string_view report(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    auto count = parsePageCountReport(report);
    if (!count) return fail(count.error());
    return PdfInfo{*count, reportAllowsCopying(report)};
}

Result<std::uint32_t> queryPdfPageCount(Allocator& allocator, std::string_view path) {
    auto info = queryPdfInfo(allocator, path);
    if (!info) return fail(info.error());
    return info->pageCount;
}

}  // namespace orva
