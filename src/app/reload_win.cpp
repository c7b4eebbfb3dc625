#include "app/reload.h"

#include <algorithm>

#include "app/busy_window.h"
#include "app/find.h"
#include "app/open_document.h"
#include "base/fixed_text.h"
#include "base/scoped_win.h"
#include "document/page_request.h"
#include "document/path_rules.h"
#include "view/messages.h"
#include "view/view.h"

namespace orva {

namespace {

constexpr UINT kLookEveryMs = 100;
constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

// What tells one version of the file from another; none for a missing file.
struct FileStamp {
    bool present = false;
    std::uint64_t size = 0;
    std::uint64_t written = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(Allocator& allocator, std::string_view path) {
    FileStamp stamp;
    auto wide = toWidePath(allocator, path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!wide || !GetFileAttributesExW(wideChars(*wide), GetFileExInfoStandard, &data)) return stamp;
    stamp.present = true;
    stamp.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    stamp.written = std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

// The one document's watch: its folder's notification, the version of the
// file last read, and where a change stands.
struct Watch {
    ChangeWatch folder;
    std::uint64_t serial = 0;
    FileStamp loaded;
    bool pending = false;
    ULONGLONG changedAt = 0;
    ULONGLONG retryAt = 0;
    int failures = 0;
};

Watch gWatch;

void noteFailure(AppState& state, ErrorCode code) {
    FixedText<160> notice;
    notice.append("The file changed but could not be read again (").append(errorName(code));
    notice.append("); this is the version read before");
    setStatusNotice(state, notice.view());
    if (++gWatch.failures > kReloadRetries) {
        gWatch.pending = false;  // until the next change
        return;
    }
    gWatch.retryAt = GetTickCount64() + kReloadRetryMs;
}

}  // namespace

void watchDocument(AppState& state) {
    endDocumentWatch(state);
    if (!state.documentLoaded) return;
    Allocator& allocator = *state.allocator;
    const std::string_view path = state.document.path.view();
    const std::string_view name = lastPathComponent(path);
    auto folder = toWidePath(allocator, path.substr(0, path.size() - name.size()));
    if (!folder) return;
    gWatch.folder = ChangeWatch(FindFirstChangeNotificationW(wideChars(*folder), FALSE, kWatchedChanges));
    if (!gWatch.folder) return;
    gWatch.serial = state.document.serial;
    gWatch.loaded = stampOf(allocator, path);
    SetTimer(state.mainWindow, kReloadTimer, kLookEveryMs, nullptr);
}

void endDocumentWatch(AppState& state) {
    if (state.mainWindow != nullptr) KillTimer(state.mainWindow, kReloadTimer);
    gWatch = Watch{};
}

void onReloadTimer(AppState& state) {
    if (!state.documentLoaded || state.document.serial != gWatch.serial || !gWatch.folder) {
        endDocumentWatch(state);
        return;
    }
    const ULONGLONG now = GetTickCount64();
    if (WaitForSingleObject(gWatch.folder.get(), 0) == WAIT_OBJECT_0) {
        FindNextChangeNotification(gWatch.folder.get());
        // Something in the folder changed; it counts when it is this file.
        if (stampOf(*state.allocator, state.document.path.view()) != gWatch.loaded || gWatch.pending) {
            gWatch.pending = true;
            gWatch.changedAt = now;
            gWatch.retryAt = 0;
            gWatch.failures = 0;
        }
    }
    if (!gWatch.pending || now - gWatch.changedAt < kReloadSettleMs || now < gWatch.retryAt) return;
    reloadDocument(state);
}

bool reloadDocument(AppState& state) {
    if (!state.documentLoaded || windowBusy(state)) return false;
    const std::uint64_t page = state.currentPage;
    const float zoom = state.zoom;
    const std::int32_t scrollX = state.scrollX, scrollY = state.scrollY, sidebarScroll = state.sidebarScroll;
    const FitMode fitMode = state.fitMode;
    auto fresh = readDocumentAgain(state);
    if (!fresh) {
        noteFailure(state, fresh.error());
        return false;
    }
    // The search and the text of the old version go with it.
    stopSearch(state);
    closeDocument(state);
    installDocument(state, std::move(*fresh));
    const std::uint64_t last = state.document.pageCount() - 1;
    state.currentPage = std::min(page, last);
    state.zoom = zoom;
    state.fitMode = fitMode;
    state.scrollX = scrollX;
    state.scrollY = scrollY;
    state.sidebarScroll = sidebarScroll;
    if (ensurePageLoaded(state.document, state.currentPage) && fitMode == FitMode::FitWidth) {
        fitWidthZoom(state, state.document.pages[state.currentPage]);
    }
    if (state.previewOpen) {
        state.previewPage = std::min(state.previewPage, last);
        InvalidateRect(state.previewWindow, nullptr, FALSE);
    }
    updateWindowTitle(state);
    updateScrollBars(state);
    clampSidebarScroll(state);
    invalidateMainWindow(state, true);
    watchDocument(state);
    return true;
}

}  // namespace orva
