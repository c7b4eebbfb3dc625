#pragma once
// The main window: its class, its menu bar and its window procedure.
#include <cstdint>

#include "app/app_state.h"
#include "base/win32.h"

namespace orva {

inline constexpr char kMainWindowClass[] = "OrvaReaderWnd";

enum MenuCommand : std::uint16_t {
    CommandOpen = 1,
    CommandPrint = 2,
    CommandExit = 3,
    CommandPrintPreview = 4,
    CommandZoomIn = 10,
    CommandZoomOut = 11,
    CommandFitWidth = 12,
    CommandActualSize = 13,
    CommandFind = 30,
    CommandFindNext = 31,
    CommandFindPrevious = 32,
    CommandCopy = 33,
    CommandCopyReflowed = 34,
    CommandSelectAll = 35,
    CommandFirstPage = 20,
    CommandPreviousPage = 21,
    CommandNextPage = 22,
    CommandLastPage = 23,
    CommandRotateLeft = 40,
    CommandRotateRight = 41,
    CommandInvertColours = 42,
    CommandGoToPage = 43,
    CommandBack = 44,
    CommandForward = 45,
    CommandBookmarks = 46,
    CommandFullScreen = 47,
    // Opens the open document again from its file, in place (app/reload.h).
    CommandReload = 50,
};

// Registers "OrvaReaderWnd" under `state.instance` (the result is not needed:
// a failed registration shows up as a failed creation).
void registerMainWindowClass(AppState& state);

// The "File", "Edit" and "View" menus.
HMENU buildMainMenu();

// Creates the main window centred on a screen of the given size.
HWND createMainWindow(AppState& state, int screenWidth, int screenHeight);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The action of one menu command id; ids outside the menu do nothing.
void runCommand(AppState& state, std::uint16_t id);

}  // namespace orva
