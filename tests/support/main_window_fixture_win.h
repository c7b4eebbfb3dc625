#pragma once
// A real main window in the test process, driven by real messages and read
// back the way a person would see it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/win32.h"
#include "platform/tool_wait.h"
#include "support/fake_poppler_win.h"
#include "support/painted_bitmap_win.h"
#include "support/recording_ui_win.h"

namespace orva::testing {

inline constexpr std::uint32_t rgb(int r, int g, int b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}

// Holds keys down in the thread's key state for as long as it lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};

// An HDROP laid out as the shell lays it out (a DROPFILES header, then the
// wide file names), for a WM_DROPFILES.
HGLOBAL makeDrop(const std::vector<std::wstring>& files);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Resizes the window so that its client area is width x height.
    void setClientSize(int width, int height);
    RECT clientRect() const;
    std::string title() const;
    // Sends a message to the main window and returns its result.
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void command(std::uint16_t id) const { send(WM_COMMAND, id); }
    // Dispatches whatever is queued for this thread.
    void pumpMessages() const;
    // Dispatches messages as they arrive until `done` holds (checked after
    // each one) or `ms` have passed; returns whether it holds.
    bool pumpUntil(const std::function<bool()>& done, DWORD ms = 20000) const;
    // Dispatches messages until the open document's background jobs (of
    // any kind) are all done and taken up, or `ms` have passed.
    bool settleJobs(DWORD ms = 20000) const;
    // The client area as the paint draws it.
    void paint(PaintedBitmap& bitmap);
    // Scroll range of one bar (SB_HORZ or SB_VERT) as {min, max}.
    std::pair<int, int> scrollRange(int bar) const;
    int scrollPos(int bar) const;

    AppState& state() const { return app(); }
    HWND window() const { return app().mainWindow; }

    Allocator allocator;
    RecordingUi ui;
};

// A main window whose tools are the stand-in's (pdfinfo, pdftoppm and
// pdftotext), waited for as the program waits for them.
class FakeToolWindowTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    FakePoppler fake;

private:
    ToolWait* previous_ = nullptr;
};

}  // namespace orva::testing
