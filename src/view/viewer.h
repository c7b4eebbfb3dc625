#pragma once
// What the view works on: the main window, the one open document and how it
// is shown (page, zoom, scroll positions, the thumbnail strip). The print
// layer extends this record with the preview's state, and the application
// with the rest of its own; every operation takes the smallest part it needs.
// Window handles are declared the way the system declares them, so this
// header stays free of the system's headers.
#include <cstdint>

#include "base/allocator.h"
#include "base/fixed_text.h"
#include "document/document.h"
#include "document/text_search.h"
#include "document/text_selection.h"
#include "view/page_picture.h"

struct HWND__;
struct HINSTANCE__;

namespace orva {

using WindowHandle = HWND__*;
using InstanceHandle = HINSTANCE__*;

// What is marked on the shown page's text: the find bar's hits (the
// current one drawn apart) and the words the reader selected.
inline constexpr std::uint32_t kNoHit = UINT32_MAX;

struct TextMarks {
    std::uint64_t page = kNoPage;
    OwnedArray<TextHit> hits;
    std::uint32_t currentHit = kNoHit;
    bool hasSelection = false;
    WordRange selection;
};

// The last sizing command.
enum class FitMode : std::uint8_t { None = 0, FitWidth = 1, ActualSize = 2 };

struct Viewer {
    WindowHandle mainWindow = nullptr;
    Document document;
    bool documentLoaded = false;
    std::uint64_t currentPage = 0;
    Allocator* allocator = nullptr;
    float zoom = 0.0f;
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
    std::int32_t sidebarScroll = 0;
    FitMode fitMode = FitMode::None;
    InstanceHandle instance = nullptr;
    // A passing word for the reader, shown in the status line after the
    // page's own status (a link's target, why nothing was copied, a reload
    // that failed); empty for none. UTF-8.
    FixedText<512> statusNotice;
    TextMarks marks;
    // The view turned by quarter turns, clockwise (0 to 3); the page images
    // stay as rendered.
    std::uint8_t quarterTurns = 0;
    // The window's dots per inch (96: every size as it always was), whether
    // it fills its monitor with the page alone, and the width of the panel
    // along its right edge (the bookmarks), which the view leaves to it.
    std::int32_t dpi = 96;
    bool fullScreen = false;
    std::int32_t panelWidth = 0;
    // The page and the thumbnails drawn with their lightness inverted (hue
    // kept); never on paper.
    bool inverted = false;
    // The turned or inverted copies of the pictures the paints draw.
    PictureCache pictures;
    // The window is closing: a flow ended for it tells nothing more, and no
    // tool is started.
    bool closing = false;
};

// How the view draws page pictures now.
inline PictureLook viewLook(const Viewer& state) { return {state.quarterTurns, state.inverted}; }

// Replaces the status line's notice (empty text: none) and repaints the
// status line when it changed.
void setStatusNotice(Viewer& state, std::string_view text);

// Closes the open document, if any, and clears `documentLoaded` with it.
void closeDocument(Viewer& viewer);

}  // namespace orva
