// The work folder's deletion on a real file system: everything inside goes,
// nothing outside does, even when links inside point out of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "pdf/work_folder.h"
#include "support/fake_poppler_win.h"

namespace orva {
namespace {

using testing::FakePoppler;
using testing::fileExists;
using testing::makeLink;
using testing::widen;
using testing::writeTextFile;

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

// Prepares the work folder on a thread of its own, so that the lock this
// thread may hold counts as another program's.
Result<std::string> prepareElsewhere(std::uint32_t waitMilliseconds) {
    Result<std::string> outcome = fail(ErrorCode::Unexpected);
    std::thread([&] {
        Allocator allocator;
        auto folder = prepareWorkFolder(allocator, waitMilliseconds);
        if (folder) {
            outcome = std::string(folder->path());
        } else {
            outcome = fail(folder.error());
        }
    }).join();
    return outcome;
}

TEST_F(WorkFolderTest, EverySpellingOfTheTemporaryFolderMeetsTheSameTurn) {
    const std::string temp = fake.path("temp");
    const std::string longName = fake.path("Temporary Folder");
    std::filesystem::create_directories(widen(longName));
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW(widen(longName).c_str(), shortName, MAX_PATH);
    std::string upper = temp;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    std::string otherDrive = testing::hostPath(temp);
    std::replace(otherDrive.begin(), otherDrive.end(), '/', '\\');
    const std::string link = fake.path("link-to-temp");
    const struct {
        const char* what;
        std::string first, second;
    } cases[] = {
        {"letter case", temp, upper},
        {"a symbolic link", temp, makeLink(link, temp, true) ? link : ""},
        {"a short name", longName, testing::narrow(shortName)},
        {"another drive letter", temp, otherDrive.empty() ? "" : "Z:" + otherDrive},
    };
    for (const auto& c : cases) {
        if (c.second.empty() || c.second == c.first) {
            ADD_FAILURE() << c.what << ": no second spelling on this system";
            continue;
        }
        testing::ScopedVariable first(L"TEMP", widen(c.first));
        auto held = prepareWorkFolder(allocator);
        ASSERT_TRUE(held) << c.what << ": " << errorName(held.error());
        testing::ScopedVariable second(L"TEMP", widen(c.second));
        const DWORD before = GetTickCount();
        EXPECT_EQ(prepareElsewhere(300).error(), ErrorCode::Timeout) << c.what << " took another turn";
        EXPECT_LT(GetTickCount() - before, 5000u) << c.what;
        held->remove();
        auto after = prepareElsewhere(300);
        ASSERT_TRUE(after) << c.what << ": " << errorName(after.error());
        EXPECT_EQ(*after, c.second + "\\Orva\\work") << c.what;
    }
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
