#include "app/startup.h"

#include "base/win32.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/open_dialog.h"
#include "app/open_document.h"
#include "document/page_memory.h"
#include "platform/environment.h"
#include "app/busy_window.h"
#include "platform/tool_wait.h"

namespace orva {

namespace {

void openFirstDocument(AppState& state, const OwnedArray<OwnedString>& arguments) {
    if (arguments.size() < 2) {
        if (auto path = showOpenDialog(state)) openDocument(state, path->view());
        return;
    }
    openDocument(state, arguments[1].view());
}

void runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) >= 1) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

void readPageMemoryBudget(AppState& state) {
    auto text = readEnvironmentVariable(*state.allocator, "ORVA_PAGE_MEMORY_MB");
    if (!text) return;
    if (auto budget = parsePageMemoryBudget(text->view())) state.pageMemoryBudget = *budget;
}

void writeStartupError(HANDLE stream, ErrorCode code) {
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) return;
    const std::string_view name = errorName(code);
    DWORD written;
    WriteFile(stream, "error: ", 7, &written, nullptr);
    WriteFile(stream, name.data(), static_cast<DWORD>(name.size()), &written, nullptr);
    WriteFile(stream, "\n", 1, &written, nullptr);
}

Result<OwnedArray<OwnedString>> buildArgumentList(Allocator& allocator, const wchar_t* commandLine) {
    return splitCommandLine(allocator, reinterpret_cast<const char16_t*>(commandLine));
}

int runApplication() {
    static Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;

    auto arguments = buildArgumentList(allocator, GetCommandLineW());
    if (!arguments) {
        writeStartupError(GetStdHandle(STD_ERROR_HANDLE), arguments.error());
        return 1;
    }

    readPageMemoryBudget(state);
    state.instance = GetModuleHandleA(nullptr);
    if (state.instance == nullptr) return 0;

    // While a tool runs, the windows keep answering and Esc ends the tool.
    setToolWait(&busyWindowWait());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    registerMainWindowClass(state);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND window = createMainWindow(state, screenWidth, screenHeight);
    if (window == nullptr) return 0;
    state.mainWindow = window;
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);

    openFirstDocument(state, *arguments);
    runMessageLoop();
    return 0;
}

}  // namespace orva
