// The work folder's deletion on a real file system: everything inside goes,
// nothing outside does, even when links inside point out of it.
#include <gtest/gtest.h>

#include <filesystem>

#include "pdf/work_folder.h"
#include "support/fake_poppler_win.h"

namespace orva {
namespace {

using testing::FakePoppler;
using testing::fileExists;
using testing::widen;
using testing::writeTextFile;

// An NT symbolic link where the system makes them. Wine accepts the call but
// makes nothing; its links are the host's, so there a host link is made with
// the host's ln, started the way Wine starts host programs.
bool makeLink(const std::string& link, const std::string& target, bool folder) {
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (CreateSymbolicLinkW(widen(link).c_str(), widen(target).c_str(), flags) && fileExists(link)) return true;
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName =
        reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return false;
    const auto hostPath = [&](const std::string& path) {
        char* name = unixName(widen(path).c_str());
        std::string text = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return text;
    };
    std::wstring line = widen("/bin/ln -s \"" + hostPath(target) + "\" \"" + hostPath(link) + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"/bin/ln", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int i = 0; i < 200 && !fileExists(link); ++i) Sleep(25);
    return fileExists(link);
}

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(widen(work + "\\a\\b"));
        std::filesystem::create_directories(widen(fake.path("outside\\folder")));
        writeTextFile(fake.path("outside\\folder\\keep.txt"), "keep");
        writeTextFile(fake.path("outside\\keep-file.txt"), "keep");
    }
    void TearDown() override { EXPECT_EQ(allocator.liveBlocks(), 0u); }

    Allocator allocator;
    FakePoppler fake;
    std::string work = fake.workFolder();
};

TEST_F(WorkFolderTest, RemovesTheFolderWithEverythingInItAndKeepsItsParent) {
    writeTextFile(work + "\\page-1.ppm", "x");
    writeTextFile(work + "\\a\\b\\deep.txt", "x");
    writeTextFile(work + "\\a\\readonly.txt", "x");
    SetFileAttributesW(widen(work + "\\a\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    removeWorkFolder(allocator, work);
    EXPECT_FALSE(fileExists(work));
    EXPECT_TRUE(fileExists(fake.path("temp\\Orva")));
    // Nothing there, or no parent at all: nothing happens.
    removeWorkFolder(allocator, work);
    removeWorkFolder(allocator, fake.path("missing\\Orva\\work"));
    removeWorkFolder(allocator, "work");
    // A file of that name goes as a file.
    writeTextFile(work, "file");
    removeWorkFolder(allocator, work);
    EXPECT_FALSE(fileExists(work));
}

TEST_F(WorkFolderTest, LinksInsideAreRemovedAsLinksAndWhatTheyPointToStays) {
    writeTextFile(work + "\\a\\own.txt", "x");
    const bool folderLink = makeLink(work + "\\a\\folder-link", fake.path("outside\\folder"), true);
    const bool fileLink = makeLink(work + "\\file-link.txt", fake.path("outside\\keep-file.txt"), false);
    if (!folderLink && !fileLink) GTEST_SKIP() << "this system makes no links";
    removeWorkFolder(allocator, work);
    EXPECT_TRUE(fileExists(fake.path("outside\\folder\\keep.txt")));
    EXPECT_TRUE(fileExists(fake.path("outside\\keep-file.txt")));
    EXPECT_FALSE(fileExists(work + "\\a\\own.txt"));
}

TEST_F(WorkFolderTest, AWorkFolderThatIsItselfALinkIsNotEmptiedThroughIt) {
    std::filesystem::remove_all(widen(work));
    if (!makeLink(work, fake.path("outside\\folder"), true)) GTEST_SKIP() << "this system makes no links";
    removeWorkFolder(allocator, work);
    EXPECT_TRUE(fileExists(fake.path("outside\\folder\\keep.txt")));
}

TEST_F(WorkFolderTest, PreparingEmptiesWhatItCanAndAcceptsWhatResists) {
    writeTextFile(work + "\\stale.ppm", "x");
    writeTextFile(work + "\\held.ppm", "x");
    // Held open without leave to delete, as another program might.
    const HANDLE held = CreateFileW(widen(work + "\\held.ppm").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        auto folder = prepareWorkFolder(allocator);
        ASSERT_TRUE(folder) << errorName(folder.error());
        EXPECT_EQ(folder->path(), work);
        EXPECT_FALSE(fileExists(work + "\\stale.ppm"));
        EXPECT_TRUE(fileExists(work + "\\held.ppm"));
    }
    CloseHandle(held);
    removeWorkFolder(allocator, work);
    EXPECT_FALSE(fileExists(work));
}

TEST_F(WorkFolderTest, ARelativeTemporaryRootIsTakenFromTheCurrentFolder) {
    testing::ScopedVariable temp(L"TEMP", L"");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(widen(fake.path("outside")).c_str());
    {
        auto folder = prepareWorkFolder(allocator);
        EXPECT_TRUE(folder);
        if (folder) {
            EXPECT_EQ(folder->path(), "Orva\\work");
        }
        EXPECT_TRUE(fileExists(fake.path("outside\\Orva\\work")));
    }
    EXPECT_FALSE(fileExists(fake.path("outside\\Orva\\work")));
    EXPECT_TRUE(fileExists(fake.path("outside\\Orva")));
    SetCurrentDirectoryW(previous);
}

}  // namespace
}  // namespace orva
