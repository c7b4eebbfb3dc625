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

struct HWND__;
struct HINSTANCE__;

namespace orva {

using WindowHandle = HWND__*;
using InstanceHandle = HINSTANCE__*;

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
};

// Replaces the status line's notice (empty text: none) and repaints the
// status line when it changed.
void setStatusNotice(Viewer& state, std::string_view text);

// Closes the open document, if any, and clears `documentLoaded` with it.
void closeDocument(Viewer& viewer);

}  // namespace orva
