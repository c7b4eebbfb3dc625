#pragma once
// The print preview window: one page as a sheet of paper, paged on its own.
#include <cstdint>

#include "base/win32.h"
#include "print/print_state.h"

namespace orva {

inline constexpr char kPreviewWindowClass[] = "OrvaReaderPreviewWnd";

enum PreviewCommand : std::uint16_t {
    PreviewPrint = 100,
    PreviewClose = 101,
    PreviewPreviousPage = 102,
    PreviewNextPage = 103,
    PreviewFirstPage = 104,
    PreviewLastPage = 105,
};

LRESULT CALLBACK previewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The action of one menu command id; ids outside the menu do nothing.
void previewCommand(PrintState& state, std::uint16_t id);

// Captions `window` with the previewed page and the page count.
void updatePreviewTitle(PrintState& state, HWND window);

// WM_PAINT of the preview window.
void paintPreview(PrintState& state, HWND window);

// Everything the paint draws, onto any device context, for a client
// rectangle `client`; tests paint into a bitmap through it.
void paintPreviewClient(PrintState& state, HDC dc, const RECT& client);

}  // namespace orva
