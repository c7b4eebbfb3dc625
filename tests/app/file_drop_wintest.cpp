// Files dropped on the real main window: a WM_DROPFILES carrying an HDROP
// laid out as the shell lays it out (a DROPFILES header, then the wide file
// names, each ended by a zero, the list by another).
#include <gtest/gtest.h>

#include "base/win32.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/open_document.h"
#include "support/main_window_fixture_win.h"
#include "support/orva_bytes.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

// DragFinish gave the block back: its handle no longer names memory.
bool finished(HGLOBAL drop) { return GlobalFlags(drop) == GMEM_INVALID_HANDLE; }

class FileDrop : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"orva-drop-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        for (const auto& f : files_) DeleteFileW(f.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    std::wstring write(const std::wstring& name, const Bytes& bytes) {
        const std::wstring path = folder_ + L"\\" + name;
        EXPECT_TRUE(writeBytesToFile(narrow(path), bytes));
        files_.push_back(path);
        return path;
    }
    // A container of two pages.
    std::wstring container(const std::wstring& name, const std::string& title) {
        OrvaBytes file;
        file.title = title;
        for (std::uint32_t seed : {1u, 2u}) {
            OrvaPageBytes page;
            page.width = 40;
            page.height = 30;
            page.data = patternPixels(40, 30, seed);
            file.pages.push_back(std::move(page));
        }
        return write(name, file.build());
    }

    // Drops the files on the main window, now or (posted) when messages are
    // next dispatched; a drop handled now must have been finished.
    HGLOBAL drop(const std::vector<std::wstring>& files, bool post = false) {
        HGLOBAL memory = makeDrop(files);
        if (post) {
            PostMessageW(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        } else {
            send(WM_DROPFILES, reinterpret_cast<WPARAM>(memory));
            EXPECT_TRUE(finished(memory)) << "the drop was not finished";
        }
        return memory;
    }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : ui.messages) texts.push_back(m.text);
        return texts;
    }

    std::wstring folder_;
    std::vector<std::wstring> files_;
};

// Whatever the file, a drop ends as the open flow ends for the same path:
// the same title, the same messages; a second file dropped with it is not
// looked at.
TEST_F(FileDrop, EndsAsTheOpenFlowEndsForTheFirstPath) {
    const std::wstring second = container(L"second.orva", "Second");
    const std::vector<std::wstring> paths = {
        container(L"titled.orva", "Dropped report"),
        container(L"\u03b1\u03c1\u03c7\u03b5\u03af\u03bf \u6587\u4ef6.orva", ""),
        write(L"notes.txt", Bytes{'h', 'i'}),
        folder_ + L"\\missing.orva",
        write(L"broken.orva", Bytes{'N', 'O', 'P', 'E'}),
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(narrow(path));
        openDocument(state(), narrow(path));
        const std::string openedTitle = title();
        const auto openedMessages = messageTexts();
        const bool openedLoaded = state().documentLoaded;
        ui.messages.clear();
        openDocument(state(), narrow(folder_ + L"\\missing.orva"));  // back to no document
        ui.messages.clear();

        drop({path, second});
        EXPECT_EQ(title(), openedTitle);
        EXPECT_EQ(messageTexts(), openedMessages);
        EXPECT_EQ(state().documentLoaded, openedLoaded);
        ui.messages.clear();
    }
}

// A message box owns the main window and holds it disabled; a drop that
// arrives meanwhile is finished and ignored, and once the box is gone the
// same drop opens as usual.
TEST_F(FileDrop, IsIgnoredWhileAModalBoxHoldsTheWindow) {
    const std::wstring before = container(L"before.orva", "Before");
    const std::wstring dropped = container(L"dropped.orva", "Dropped");
    drop({before});
    const std::string shown = title();

    static bool enabledDuringBox;
    enabledDuringBox = true;
    const HGLOBAL posted = drop({dropped}, true);
    // Posted messages come before timers: the drop is dispatched in the
    // box's own message loop, then the timer closes the box.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        enabledDuringBox = IsWindowEnabled(app().mainWindow) != FALSE;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM) {
            char name[16] = {};
            GetClassNameA(w, name, sizeof name);
            if (std::string(name) == "#32770") PostMessageA(w, WM_COMMAND, IDOK, 0);
            return TRUE;
        }, 0);
    });
    MessageBoxA(window(), "A box that holds the window", "OrvaReader", MB_OK);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(enabledDuringBox);
    EXPECT_TRUE(finished(posted)) << "the drop was not finished";
    EXPECT_EQ(title(), shown);
    EXPECT_EQ(state().document.path.view(), narrow(before));

    drop({dropped});
    EXPECT_EQ(title().substr(0, 19), "Dropped - Page 1/2 ");
}

}  // namespace
}  // namespace orva::testing
