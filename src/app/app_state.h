#pragma once
// The whole run-time state of the program, one record for the process.
// Window handles are declared the way the system declares them, so this
// header stays free of the system's headers.
#include <cstdint>

#include "app/allocator.h"
#include "document/document.h"

struct HWND__;
struct HINSTANCE__;

namespace orva {

using WindowHandle = HWND__*;
using InstanceHandle = HINSTANCE__*;

// The last sizing command.
enum class FitMode : std::uint8_t { None = 0, FitWidth = 1, ActualSize = 2 };

struct AppState {
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
    std::uint64_t previewPage = 0;
    WindowHandle previewWindow = nullptr;
    bool previewOpen = false;
    bool previewClassRegistered = false;
};

// The process-wide record, zero at start.
AppState& app();

// Closes the open document, if any, and clears `documentLoaded` with it.
void closeDocument(AppState& state);

}  // namespace orva
