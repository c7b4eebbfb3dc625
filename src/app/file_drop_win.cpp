#include "app/file_drop.h"

#include "app/busy_window.h"
#include "app/open_document.h"
#include "base/scoped_win.h"
#include "base/utf.h"

#include <optional>

namespace orva {

namespace {

constexpr UINT kFileCount = 0xFFFFFFFF;

std::optional<OwnedString> firstFile(Allocator& allocator, HDROP drop) {
    if (DragQueryFileW(drop, kFileCount, nullptr, 0) == 0) return std::nullopt;
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0) return std::nullopt;
    auto wide = OwnedArray<char16_t>::createUninitialized(allocator, std::size_t{length} + 1);
    if (!wide) return std::nullopt;
    if (DragQueryFileW(drop, 0, reinterpret_cast<wchar_t*>(wide->data()), length + 1) != length) return std::nullopt;
    auto utf8 = utf16ToUtf8(allocator, std::u16string_view(wide->data(), length));
    if (!utf8) return std::nullopt;
    return std::move(*utf8);
}

}  // namespace

void openDroppedFile(AppState& state, HDROP drop) {
    const DroppedFiles files(drop);
    if (windowBusy(state) || state.allocator == nullptr) return;
    if (auto path = firstFile(*state.allocator, files.get())) openDocument(state, path->view());
}

}  // namespace orva
