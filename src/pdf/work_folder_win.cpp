#include "pdf/work_folder.h"

#include <cstring>
#include <utility>

#include "pdf/tool_locator.h"
#include "pdf/tool_paths.h"
#include "pdf/unique_handle_win.h"

namespace orva {

namespace {

// Deeper trees than this are not produced by the rasteriser; what lies below
// stays rather than risking the stack.
constexpr int kDeepestFolder = 64;

std::u16string_view viewOf(const OwnedArray<char16_t>& terminated) {
    return {terminated.data(), terminated.size() - 1};
}

// folder + "\" + name, terminated.
Result<OwnedArray<char16_t>> childPath(Allocator& allocator, std::u16string_view folder, std::u16string_view name) {
    auto path = OwnedArray<char16_t>::createUninitialized(allocator, folder.size() + 1 + name.size() + 1);
    if (!path) return path;
    std::memcpy(path->data(), folder.data(), folder.size() * sizeof(char16_t));
    (*path)[folder.size()] = u'\\';
    std::memcpy(path->data() + folder.size() + 1, name.data(), name.size() * sizeof(char16_t));
    (*path)[path->size() - 1] = 0;
    return path;
}

const wchar_t* wide(const OwnedArray<char16_t>& path) { return reinterpret_cast<const wchar_t*>(path.data()); }

void deleteFile(const wchar_t* path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(path);
}

void deleteEntry(Allocator& allocator, const OwnedArray<char16_t>& path, DWORD attributes, int depth);

void deleteFolderContents(Allocator& allocator, const OwnedArray<char16_t>& folder, int depth) {
    auto pattern = childPath(allocator, viewOf(folder), u"*");
    if (!pattern) return;
    WIN32_FIND_DATAW entry;
    HANDLE listing = FindFirstFileExW(wide(*pattern), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
    if (listing == INVALID_HANDLE_VALUE) return;
    do {
        const std::u16string_view name(reinterpret_cast<const char16_t*>(entry.cFileName));
        if (name == u"." || name == u"..") continue;
        if (auto child = childPath(allocator, viewOf(folder), name)) {
            deleteEntry(allocator, *child, entry.dwFileAttributes, depth + 1);
        }
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
}

// A link (symbolic link or junction, to a file or a folder) is removed as a
// link: what it points to lies outside the work folder and is not ours.
void deleteEntry(Allocator& allocator, const OwnedArray<char16_t>& path, DWORD attributes, int depth) {
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (folder) {
            RemoveDirectoryW(wide(path));
        } else {
            deleteFile(wide(path), attributes);
        }
        return;
    }
    if (!folder) {
        deleteFile(wide(path), attributes);
        return;
    }
    if (depth < kDeepestFolder) deleteFolderContents(allocator, path, depth);
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(wide(path), attributes & ~FILE_ATTRIBUTE_READONLY);
    RemoveDirectoryW(wide(path));
}

UniqueHandle openFolder(const wchar_t* path) {
    return UniqueHandle(CreateFileW(path, FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Creates a missing folder and, first, any missing folder above it.
// Failures are left for the caller's next step to report.
void createFolderChain(Allocator& allocator, std::string_view path, int depth = 0) {
    auto wide = toWide(allocator, path);
    if (!wide || CreateDirectoryW(wideChars(*wide), nullptr) || GetLastError() != ERROR_PATH_NOT_FOUND) return;
    const auto above = folderPart(path);
    if (!above || above->size() >= path.size() || depth >= kDeepestFolder) return;
    createFolderChain(allocator, *above, depth + 1);
    CreateDirectoryW(wideChars(*wide), nullptr);
}

// Renders of every instance that share this folder take turns: one
// system-wide mutex per folder, named after its full path in upper case.
Result<UniqueHandle> lockFolder(Allocator& allocator, std::string_view path) {
    auto wide = toWide(allocator, path);
    if (!wide) return fail(wide.error());
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&](char16_t unit) {
        hash = (hash ^ systemUpcase(unit)) * 0x100000001b3ull;
    };
    const DWORD units = GetFullPathNameW(wideChars(*wide), 0, nullptr, nullptr);
    auto full = OwnedArray<char16_t>::createUninitialized(allocator, units == 0 ? 1 : units);
    if (!full) return fail(full.error());
    const DWORD written =
        units == 0 ? 0 : GetFullPathNameW(wideChars(*wide), units, reinterpret_cast<wchar_t*>(full->data()), nullptr);
    const std::u16string_view named =
        written != 0 && written < units ? std::u16string_view(full->data(), written) : viewOf(*wide);
    for (const char16_t unit : named) mix(unit);

    wchar_t name[64] = L"Local\\OrvaReader.work.";
    std::size_t at = std::wcslen(name);
    for (int shift = 60; shift >= 0; shift -= 4) name[at++] = L"0123456789abcdef"[(hash >> shift) & 0xF];
    name[at] = 0;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, name));
    if (!mutex) return fail(errorFromWin32(GetLastError()));
    // An owner that died mid-render hands the folder over as it left it; the
    // emptying that follows deals with that.
    const DWORD waited = WaitForSingleObject(mutex.get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return fail(errorFromWin32(GetLastError()));
    return mutex;
}

void unlockFolder(void* lock) {
    if (lock == nullptr) return;
    ReleaseMutex(static_cast<HANDLE>(lock));
    CloseHandle(static_cast<HANDLE>(lock));
}

// Step 5 and 6 of the preparation: the parent opened, "work" made in it.
Status makeWorkFolder(Allocator& allocator, std::string_view path, std::string_view parent) {
    auto wideParent = toWide(allocator, parent);
    if (!wideParent) return fail(wideParent.error() == ErrorCode::InvalidUtf8 ? ErrorCode::BadPathName
                                                                               : wideParent.error());
    UniqueHandle parentFolder = openFolder(wideChars(*wideParent));
    if (!parentFolder) return fail(errorFromWin32(GetLastError()));
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(parentFolder.get(), &information) &&
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return fail(ErrorCode::NotDir);
    }
    auto widePath = toWide(allocator, path);
    if (!widePath) return fail(widePath.error() == ErrorCode::InvalidUtf8 ? ErrorCode::BadPathName : widePath.error());
    if (CreateDirectoryW(wideChars(*widePath), nullptr)) return {};
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return fail(errorFromWin32(error));
    const DWORD attributes = GetFileAttributesW(wideChars(*widePath));
    if (attributes == INVALID_FILE_ATTRIBUTES) return fail(errorFromWin32(GetLastError()));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return fail(ErrorCode::NotDir);
    return {};
}

}  // namespace

WorkFolder::WorkFolder(WorkFolder&& other) noexcept
    : allocator_(other.allocator_),
      path_(std::move(other.path_)),
      lock_(std::exchange(other.lock_, nullptr)),
      removed_(std::exchange(other.removed_, true)) {}

void WorkFolder::remove() {
    if (removed_) return;
    removed_ = true;
    removeWorkFolder(*allocator_, path_.view());
    unlockFolder(std::exchange(lock_, nullptr));
}

Result<WorkFolder> prepareWorkFolder(Allocator& allocator) {
    auto root = readEnvironmentVariable(allocator, "TEMP");
    if (!root) root = readEnvironmentVariable(allocator, "TMP");
    if (!root) return fail(ErrorCode::TempDirUnavailable);
    auto path = workFolderPathFor(allocator, root->view());
    if (!path) return fail(ErrorCode::OutOfMemory);
    auto lock = lockFolder(allocator, path->view());
    if (!lock) return fail(lock.error());
    // From here on the folder is removed again on every way out.
    WorkFolder folder(allocator, std::move(*path), lock->release());
    removeWorkFolder(allocator, folder.path());
    const auto parent = folderPart(folder.path());
    if (!parent) return fail(ErrorCode::TempDirUnavailable);
    createFolderChain(allocator, *parent);
    if (auto made = makeWorkFolder(allocator, folder.path(), *parent); !made) return fail(made.error());
    return folder;
}

void removeWorkFolder(Allocator& allocator, std::string_view path) {
    const auto parent = folderPart(path);
    if (!parent) return;
    auto wideParent = toWide(allocator, *parent);
    auto widePath = toWide(allocator, path);
    if (!wideParent || !widePath) return;
    const UniqueHandle parentFolder = openFolder(wideChars(*wideParent));
    if (!parentFolder) return;
    // The entry's own attributes, not its target's: a link is seen as a link.
    WIN32_FILE_ATTRIBUTE_DATA entry;
    if (!GetFileAttributesExW(wideChars(*widePath), GetFileExInfoStandard, &entry)) return;
    deleteEntry(allocator, *widePath, entry.dwFileAttributes, 0);
}

}  // namespace orva
