// The program as a user starts it: a separate process, its window found by
// class, its dialogs answered, closed, and its exit status read.
#include <gtest/gtest.h>

#include <string>

#include "base/win32.h"
#include "support/fake_poppler_win.h"

namespace {

std::string readerPath() {
    std::string path = "Z:" ORVA_BINARY_DIR "/OrvaReader.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

using orva::testing::findProcessWindow;
using orva::testing::waitForTitle;
using orva::testing::windowText;

// The viewer started as a user starts it, with `arguments` after its name;
// ended if it still runs when the test is over.
class Reader {
public:
    explicit Reader(const std::string& arguments)
        : process_(readerPath(), arguments, orva::testing::withOutput(orva::testing::ChildOptions::Output::Inherit)) {}
    bool started() const { return process_.started(); }
    DWORD id() const { return process_.id(); }
    // Exit status, or 259 (still active) after the time-out.
    DWORD waitForExit(DWORD ms = 20000) { return process_.waitForExit(ms); }

private:
    orva::testing::ChildProcess process_;
};

TEST(EndToEnd, StartsWithTheOpenDialogAndClosesWithStatusZero) {
    Reader reader("");
    ASSERT_TRUE(reader.started());
    HWND main = findProcessWindow(reader.id(), "OrvaReaderWnd");
    ASSERT_NE(main, nullptr);
    HWND dialog = findProcessWindow(reader.id(), "#32770");
    ASSERT_NE(dialog, nullptr) << "the open dialog should be up";
    EXPECT_EQ(windowText(dialog), "Open Document");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
    EXPECT_EQ(windowText(main), "OrvaReader");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(reader.waitForExit(), 0u);
}

TEST(EndToEnd, OpensOnlyTheFirstArgumentAndReportsItsFailure) {
    Reader reader("missing-first.orva missing-second.orva third");
    ASSERT_TRUE(reader.started());
    HWND box = findProcessWindow(reader.id(), "#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(windowText(box), "OrvaReader");
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "Failed to open file:\nmissing-first.orva\n\nError: FileNotFound");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = findProcessWindow(reader.id(), "OrvaReaderWnd");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(waitForTitle(main, L"OrvaReader", 5000), L"OrvaReader");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(reader.waitForExit(), 0u);
}

// A viewer whose render waits on another program's tool that hangs does
// not hang with it: its open fails with a message within its bound, and
// once the other program is gone, it opens the document on a second try.
TEST(EndToEnd, AnotherProgramsHungToolDoesNotHangTheViewer) {
    const std::string pdf = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
    if (!orva::testing::fileExists(pdf) || !orva::testing::fileExists("Z:\\usr\\bin\\pdfinfo")) {
        GTEST_SKIP() << "no PDF or no pdfinfo on the host";
    }
    orva::testing::FakePoppler fake;
    const std::string tool = fake.install("bin\\pdftoppm.exe");
    orva::testing::ScopedVariable override(L"PDFTOPPM_PATH", orva::testing::widen(tool));
    fake.control("sleep 60000\n");
    orva::testing::ChildProcess other(orva::testing::testProgramFolder() + "\\pdf_probe.exe",
                                        "render \"" + pdf + "\" 1 1");
    for (int i = 0; i < 400 && fake.runs().empty(); ++i) Sleep(25);
    ASSERT_EQ(fake.runs().size(), 1u) << "the other program's tool never started";
    fake.control("ppm page-{page}.ppm 40 30\n");

    const DWORD started = GetTickCount();
    Reader reader("\"" + pdf + "\"");
    ASSERT_TRUE(reader.started());
    HWND box = findProcessWindow(reader.id(), "#32770", 40000);
    ASSERT_NE(box, nullptr) << "the viewer is still waiting";
    EXPECT_LT(GetTickCount() - started, 30000u);
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text), "Failed to open file:\n" + pdf + "\n\nError: Timeout");
    other.terminate();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = findProcessWindow(reader.id(), "OrvaReaderWnd");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(waitForTitle(main, L"OrvaReader", 5000), L"OrvaReader");

    // Again, through the open dialog.
    PostMessageA(main, WM_COMMAND, 1, 0);
    HWND dialog = findProcessWindow(reader.id(), "#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), "Open Document");
    constexpr int kFileNameBox = 0x47C;
    SetDlgItemTextA(dialog, kFileNameBox, pdf.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 400 && windowText(main).find("Page 1/36") == std::string::npos; ++i) Sleep(50);
    EXPECT_EQ(windowText(main).substr(0, 22), "libtasn1 - Page 1/36 (") << windowText(main);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(reader.waitForExit(), 0u);
}

}  // namespace
