#include "app/links.h"

#include "base/win32.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/document_jobs.h"
#include "app/navigation.h"
#include "app/select_text.h"
#include "base/utf.h"
#include "pdf/html_report.h"
#include "pdf/tool_jobs.h"
#include "view/view.h"

namespace orva {

namespace {

// The HTML tool gives positions at 108 dots per inch (its zoom of 1.5).
constexpr float kReportDpi = 108.0f;

bool openWithSystem(WindowHandle owner, const wchar_t* target) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", target, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

LinkOpener gOpener = openWithSystem;

const PageLink* linkUnder(const AppState& state, int x, int y) {
    const LinksState& links = state.links;
    if (!linksLive(state)) return nullptr;
    const auto placement = shownPagePlacement(state);
    if (!placement || x < sidebarWidth(viewClientArea(state)) || !onPage(*placement, x, y)) return nullptr;
    return linkAt(links.links, toImage(*placement, x, y));
}

// What the status line says of a link.
FixedText<512> describe(const PageLink& link) {
    FixedText<512> text;
    switch (link.kind) {
        case LinkKind::Page: text.append("Go to page ").appendDecimal(link.page); break;
        case LinkKind::Web:
        case LinkKind::Mail: text.append(link.target.view()); break;
        case LinkKind::Other: text.append(link.target.view()).append(" (not followed)"); break;
    }
    return text;
}

}  // namespace

bool linksLive(const AppState& state) {
    const LinksState& links = state.links;
    return state.documentLoaded && links.serial == state.document.serial && links.page == state.currentPage &&
           !links.coming;
}

void askForLinks(AppState& state) {
    Document& document = state.document;
    LinksState& links = state.links;
    if (!state.documentLoaded || !document.isPdf() || links.failedSerial == document.serial) return;
    if (state.currentPage >= document.pageCount() || !document.pages[state.currentPage].present) return;
    if (links.serial == document.serial && links.page == state.currentPage) return;
    // Only the shown page's links are wanted.
    if (links.coming && document.worker) document.worker->cancel(JobLinks);
    links.coming = false;
    links.links = PageLinks{};
    auto job = makeLinksJob(*state.allocator, document, state.currentPage);
    if (!job) {
        if (job.error() == ErrorCode::PdftoppmNotFound) links.failedSerial = document.serial;
        return;
    }
    job->kind = JobLinks;
    job->priority = PriorityPanel;
    if (!startDocumentJob(state, std::move(*job))) return;
    ++links.runs;
    links.serial = document.serial;
    links.page = state.currentPage;
    links.coming = true;
}

void linksArrived(AppState& state, ToolJob& job) {
    Document& document = state.document;
    LinksState& links = state.links;
    // Ended for another page, or late for one left.
    if (!links.coming || links.serial != document.serial || job.key[0] != links.page) return;
    links.coming = false;
    if (!job.outcome || job.exitCode != 0) {
        links.failedSerial = document.serial;
        return;
    }
    auto name = htmlReportName(*state.allocator, document.path.view());
    if (!name) return;
    const std::string_view report(reinterpret_cast<const char*>(job.output.data()), job.output.size());
    auto parsed = parseLinkReport(*state.allocator, report, name->view(), static_cast<float>(document.dpi) / kReportDpi);
    if (parsed) links.links = std::move(*parsed);
}

void linksPointerMoved(AppState& state, int x, int y) {
    LinksState& links = state.links;
    links.pointerKnown = true;
    links.pointerX = x;
    links.pointerY = y;
    // The cursor was set for the point before this move; it changes at
    // once where a link begins or ends.
    if (const PageLink* link = linkUnder(state, x, y)) {
        setStatusNotice(state, describe(*link).view());
        links.noticeShown = true;
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
    } else if (links.noticeShown) {
        setStatusNotice(state, "");
        links.noticeShown = false;
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
    }
}

bool setLinkCursor(AppState& state) {
    const LinksState& links = state.links;
    if (!links.pointerKnown || linkUnder(state, links.pointerX, links.pointerY) == nullptr) return false;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
    return true;
}

bool followLinkAt(AppState& state, int x, int y) {
    const PageLink* link = linkUnder(state, x, y);
    if (link == nullptr) return false;
    switch (link->kind) {
        case LinkKind::Page: jumpToPage(state, link->page - 1); break;
        case LinkKind::Web:
        case LinkKind::Mail: {
            auto target = utf8ToUtf16(*state.allocator, link->target.view(), true);
            if (target && gOpener(state.mainWindow, reinterpret_cast<const wchar_t*>(target->data()))) break;
            FixedText<512> said;
            said.append("Could not open ").append(link->target.view());
            setStatusNotice(state, said.view());
            break;
        }
        case LinkKind::Other: {
            FixedText<512> said;
            said.append("Not followed: ").append(link->target.view());
            setStatusNotice(state, said.view());
            break;
        }
    }
    return true;
}

LinkOpener setLinkOpener(LinkOpener opener) {
    const LinkOpener previous = gOpener;
    gOpener = opener != nullptr ? opener : openWithSystem;
    return previous;
}

}  // namespace orva
