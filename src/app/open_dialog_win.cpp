#include "app/open_dialog.h"

#include "app/busy_window.h"
#include "base/utf.h"
#include "platform/modal_ui.h"

namespace orva {

std::optional<OwnedString> showOpenDialog(AppState& state) {
    // Each description and pattern ends in a zero; the list ends in two.
    static constexpr char kFilters[] =
        "Orva / PDF\0*.orva;*.pdf\0Orva (.orva)\0*.orva\0PDF (.pdf)\0*.pdf\0All Files\0*.*\0";
    char file[4096] = {};
    OPENFILENAMEA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = state.mainWindow;
    record.lpstrFilter = kFilters;
    record.nFilterIndex = 0;
    record.lpstrFile = file;
    record.nMaxFile = sizeof file;
    record.lpstrTitle = "Open Document";
    record.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    BOOL chosen = FALSE;
    {
        const ModalScope modal;
        chosen = modalUi().getOpenFileName(&record);
    }
    if (!chosen) return std::nullopt;
    if (file[0] == '\0' || state.allocator == nullptr) return std::nullopt;

    Allocator& allocator = *state.allocator;
    const int units = MultiByteToWideChar(CP_ACP, 0, file, -1, nullptr, 0);
    if (units <= 0) return std::nullopt;
    auto wide = OwnedArray<char16_t>::createUninitialized(allocator, static_cast<std::size_t>(units));
    if (!wide) return std::nullopt;
    if (MultiByteToWideChar(CP_ACP, 0, file, -1, reinterpret_cast<wchar_t*>(wide->data()), units) == 0) {
        return std::nullopt;
    }
    auto utf8 = utf16ToUtf8(allocator, std::u16string_view(wide->data(), static_cast<std::size_t>(units) - 1));
    if (!utf8) return std::nullopt;
    return std::move(*utf8);
}

}  // namespace orva
