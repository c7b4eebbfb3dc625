#include "app/app_state.h"
#include "support/main_window_fixture_win.h"

#include <algorithm>
#include <shlobj.h>

#include <cstring>
#include <iterator>

#include "app/busy_window.h"
#include "app/main_window.h"
#include "view/paint.h"

namespace orva::testing {

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(saved_);
    BYTE held[256];
    std::copy(std::begin(saved_), std::end(saved_), held);
    for (int key : keys) held[key] |= 0x80;
    SetKeyboardState(held);
}

HeldKeys::~HeldKeys() { SetKeyboardState(saved_); }

HGLOBAL makeDrop(const std::vector<std::wstring>& files) {
    std::wstring list;
    for (const auto& file : files) list += file + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

void MainWindowTest::SetUp() {
    AppState& s = app();
    closeDocument(s);
    s = AppState{};
    s.allocator = &allocator;
    s.instance = GetModuleHandleA(nullptr);
    static bool registered = false;
    if (!registered) {
        registerMainWindowClass(s);
        registered = true;
    }
    s.mainWindow = createMainWindow(s, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_NE(s.mainWindow, nullptr);
    ShowWindow(s.mainWindow, SW_SHOWDEFAULT);
    UpdateWindow(s.mainWindow);
}

void MainWindowTest::TearDown() {
    AppState& s = app();
    if (s.previewWindow != nullptr) DestroyWindow(s.previewWindow);
    if (s.mainWindow != nullptr && IsWindow(s.mainWindow)) DestroyWindow(s.mainWindow);
    // The destroyed window posted WM_QUIT; take it off the queue.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
    EXPECT_FALSE(s.documentLoaded);
    EXPECT_EQ(allocator.liveBlocks(), 0u) << "memory left live after the window closed";
    s = AppState{};
}

void FakeToolWindowTest::SetUp() {
    MainWindowTest::SetUp();
    previous_ = setToolWait(&busyWindowWait());
    for (const char* tool : {"pdfinfo.exe", "pdftoppm.exe", "pdftotext.exe"}) fake.install(std::string("bin\\") + tool);
}

void FakeToolWindowTest::TearDown() {
    closeDocument(app());
    setToolWait(previous_);
    MainWindowTest::TearDown();
}

void MainWindowTest::setClientSize(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window(), GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(window(), GWL_EXSTYLE)));
    SetWindowPos(window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    // Scroll bars and the menu take their room from the frame; settle on the
    // exact client size by correcting with what we got.
    for (int i = 0; i < 4; ++i) {
        RECT client = clientRect();
        const int dx = width - client.right, dy = height - client.bottom;
        if (dx == 0 && dy == 0) break;
        RECT window_;
        GetWindowRect(window(), &window_);
        SetWindowPos(window(), nullptr, 0, 0, window_.right - window_.left + dx, window_.bottom - window_.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
}

RECT MainWindowTest::clientRect() const {
    RECT client;
    GetClientRect(window(), &client);
    return client;
}

std::string MainWindowTest::title() const {
    char text[1024] = {};
    GetWindowTextA(window(), text, sizeof text);
    return text;
}

LRESULT MainWindowTest::send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(window(), message, wParam, lParam);
}

void MainWindowTest::pumpMessages() const {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool MainWindowTest::pumpUntil(const std::function<bool()>& done, DWORD ms) const {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        pumpMessages();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

bool MainWindowTest::settleJobs(DWORD ms) const {
    return pumpUntil(
        [] {
            const Document& document = app().document;
            if (!app().documentLoaded || !document.worker) return true;
            for (std::uint32_t kind = 1; kind < 16; ++kind)
                if (document.worker->pending(kind)) return false;
            // Settled once what finished has been handed to the window too.
            return !document.worker->anyFinished();
        },
        ms);
}

void MainWindowTest::paint(PaintedBitmap& bitmap) {
    RECT client{0, 0, bitmap.width(), bitmap.height()};
    paintClient(app(), bitmap.dc(), client);
}

std::pair<int, int> MainWindowTest::scrollRange(int bar) const {
    int low = -1, high = -1;
    GetScrollRange(window(), bar, &low, &high);
    return {low, high};
}

int MainWindowTest::scrollPos(int bar) const { return GetScrollPos(window(), bar); }

}  // namespace orva::testing
