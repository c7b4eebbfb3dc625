// Names and titles in any script, as a user meets them: the real program in
// a process of its own, documents whose file names or titles hold accented
// letters, Greek, Chinese and emoji, opened from the command line and
// through the open dialog, and the title bar read back as UTF-16. The
// program's text goes through ...A calls and the ANSI code page, which its
// manifest makes UTF-8; with any other code page these characters are lost.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "support/orva_bytes.h"
#include "support/child_process_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

std::wstring viewerPath() {
    std::wstring path = widen("Z:" ORVA_BINARY_DIR "/OrvaReader.exe");
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// A two-page container with that title (empty: the viewer names the file).
Bytes containerTitled(const std::string& utf8Title) {
    OrvaBytes container;
    container.title = utf8Title;
    for (const Pixel colour : {Pixel{0, 0, 255}, Pixel{255, 0, 0}}) {
        OrvaPageBytes page;
        page.width = 8;
        page.height = 6;
        page.data = solidPixels(48, colour);
        container.pages.push_back(std::move(page));
    }
    return container.build();
}

// A folder of the test's own under TEMP, deleted with what it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        for (int n = 0; path_.empty() || !CreateDirectoryW(path_.c_str(), nullptr); ++n) {
            path_ = std::wstring(temp) + L"orva-names-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(n);
        }
    }
    ~ScratchFolder() {
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes the bytes to folder\name and returns the full path.
    std::wstring write(const std::wstring& name, const Bytes& bytes) {
        const std::wstring path = path_ + L"\\" + name;
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size())
            << narrow(path);
        files_.push_back(path);
        return path;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

// The title of page 1 of a two-page document of that name, at whatever zoom
// fits the window, with the zoom left out: "NAME - Page 1/2 (%) - OrvaReader".
std::wstring withoutZoom(const std::wstring& title) {
    const std::size_t open = title.rfind(L" (");
    const std::size_t close = title.rfind(L"%)");
    if (open == std::wstring::npos || close == std::wstring::npos || close < open) return title;
    for (std::size_t i = open + 2; i < close; ++i)
        if (title[i] < L'0' || title[i] > L'9') return title;
    return title.substr(0, open + 2) + title.substr(close);
}
std::wstring titleOfFirstPage(const std::wstring& name) { return name + L" - Page 1/2 (%) - OrvaReader"; }

// Waits for the window to show page 1 of `name`; the title it shows then,
// zoom left out, in UTF-8 for readable failures.
std::string waitForFirstPage(HWND window, const std::wstring& name) {
    const std::wstring expected = titleOfFirstPage(name);
    return narrow(withoutZoom(
        waitForTitleWhere(window, [&](const std::wstring& title) { return withoutZoom(title) == expected; })));
}

// The viewer with the document given on its command line, its window up.
struct OpenViewer {
    explicit OpenViewer(const std::wstring& document)
        : process(viewerPath(), L"\"" + document + L"\"", withOutput(ChildOptions::Output::Inherit)) {
        if (process.started()) window = findProcessWindow(process.id(), "OrvaReaderWnd");
    }
    // Closes the window as a user does; the exit status.
    DWORD close() {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return process.waitForExit();
    }
    ChildProcess process;
    HWND window = nullptr;
};

const std::wstring kEveryScriptName = L"r\u00e9sum\u00e9-\u4e2d\u6587-\U0001F4C4.orva";

TEST(UnicodeNames, FileNameFromTheCommandLineShowsInTheTitle) {
    ScratchFolder folder;
    const std::wstring path = folder.write(kEveryScriptName, containerTitled(""));
    OpenViewer viewer(path);
    ASSERT_NE(viewer.window, nullptr);
    EXPECT_EQ(waitForFirstPage(viewer.window, kEveryScriptName), narrow(titleOfFirstPage(kEveryScriptName)));
    EXPECT_EQ(viewer.close(), 0u);
}

TEST(UnicodeNames, FileNameChosenInTheOpenDialogShowsInTheTitle) {
    ScratchFolder folder;
    const std::wstring first = folder.write(L"first.orva", containerTitled(""));
    const std::wstring path = folder.write(kEveryScriptName, containerTitled(""));
    OpenViewer viewer(first);
    ASSERT_NE(viewer.window, nullptr);
    ASSERT_EQ(waitForFirstPage(viewer.window, L"first.orva"), "first.orva - Page 1/2 (%) - OrvaReader");

    PostMessageW(viewer.window, WM_COMMAND, 1, 0);  // File > Open
    HWND dialog = findProcessWindow(viewer.process.id(), "#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowTextW(dialog), L"Open Document");
    constexpr int kFileNameBox = 0x47C;
    ASSERT_TRUE(SetDlgItemTextW(dialog, kFileNameBox, path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(waitForFirstPage(viewer.window, kEveryScriptName), narrow(titleOfFirstPage(kEveryScriptName)));
    EXPECT_EQ(viewer.close(), 0u);
}

TEST(UnicodeNames, FailureMessageNamesTheFileAsGiven) {
    const std::wstring missing = L"Z:\\no such folder\\" + kEveryScriptName;
    OpenViewer viewer(missing);
    HWND box = findProcessWindow(viewer.process.id(), "#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(windowTextW(box), L"OrvaReader");
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    EXPECT_EQ(narrow(text), narrow(L"Failed to open file:\n" + missing + L"\n\nError: FileNotFound"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_NE(viewer.window, nullptr);
    EXPECT_EQ(waitForTitle(viewer.window, L"OrvaReader"), L"OrvaReader");
    EXPECT_EQ(viewer.close(), 0u);
}

// A container's own title, in the scripts a code page of one language cannot
// hold together.
TEST(UnicodeNames, ContainerTitlesShowInTheTitleBar) {
    const std::wstring titles[] = {
        L"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5",  // Greek
        L"\u4e2d\u6587\u6587\u6863\uff1a\u7b2c\u4e00\u7248",                                // Chinese
        L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac, \u4e2d\u6587, caf\u00e9 \U0001F4DA",  // all of them
    };
    ScratchFolder folder;
    int n = 0;
    for (const std::wstring& title : titles) {
        const std::wstring path = folder.write(L"titled-" + std::to_wstring(++n) + L".orva", containerTitled(narrow(title)));
        OpenViewer viewer(path);
        ASSERT_NE(viewer.window, nullptr) << narrow(title);
        EXPECT_EQ(waitForFirstPage(viewer.window, title), narrow(titleOfFirstPage(title)));
        EXPECT_EQ(viewer.close(), 0u) << narrow(title);
    }
}

}  // namespace
}  // namespace orva::testing
