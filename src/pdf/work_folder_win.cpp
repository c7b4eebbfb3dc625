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

// The full final path of an open file or folder, as "\\?\C:\..." text.
Result<OwnedArray<char16_t>> finalPathOf(Allocator& allocator, HANDLE file) {
    const DWORD units = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    if (units == 0) return fail(errorFromWin32(GetLastError()));
    auto path = OwnedArray<char16_t>::createUninitialized(allocator, units);
    if (!path) return path;
    const DWORD written = GetFinalPathNameByHandleW(file, reinterpret_cast<wchar_t*>(path->data()), units,
                                                    FILE_NAME_NORMALIZED);
    if (written == 0 || written >= units) return fail(ErrorCode::Unexpected);
    (*path)[written] = 0;
    return path;
}

std::u16string_view terminatedView(const OwnedArray<char16_t>& text) {
    return std::u16string_view(text.data());
}

bool sameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                                reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The path names the work folder itself or something inside it.
bool isWithin(std::u16string_view path, std::u16string_view root) {
    if (path.size() < root.size() || !sameText(path.substr(0, root.size()), root)) return false;
    return path.size() == root.size() || path[root.size()] == u'\\';
}

void deleteEntry(Allocator& allocator, const OwnedArray<char16_t>& path, std::u16string_view root, int depth);

// Lists the folder through the handle already checked, not by its name again
// (which a second open could not share with the handle's delete access).
void deleteFolderContents(Allocator& allocator, HANDLE folder, const OwnedArray<char16_t>& path,
                          std::u16string_view root, int depth) {
    constexpr std::size_t kListingBytes = 16 * 1024;
    auto buffer = OwnedArray<std::uint64_t>::createUninitialized(allocator, kListingBytes / sizeof(std::uint64_t));
    if (!buffer) return;
    FILE_INFO_BY_HANDLE_CLASS next = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder, next, buffer->data(), kListingBytes)) {
        next = FileFullDirectoryInfo;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer->data());
        for (;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
            const std::u16string_view name(reinterpret_cast<const char16_t*>(entry->FileName),
                                           entry->FileNameLength / sizeof(char16_t));
            if (name != u"." && name != u"..") {
                if (auto child = childPath(allocator, viewOf(path), name)) {
                    deleteEntry(allocator, *child, root, depth + 1);
                }
            }
            if (entry->NextEntryOffset == 0) break;
            bytes += entry->NextEntryOffset;
        }
    }
}

// Deletes the entry through a handle to the entry itself, never to what it
// points to: a symbolic link or junction is opened and removed as a link.
// Where the system resolves a link anyway (Wine follows the host's links),
// the handle's final path gives it away: whatever does not lie inside the
// work folder is left alone.
void deleteEntry(Allocator& allocator, const OwnedArray<char16_t>& path, std::u16string_view root, int depth) {
    const UniqueHandle entry(CreateFileW(wide(path),
                                         DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
    if (!entry) return;
    auto finalPath = finalPathOf(allocator, entry.get());
    if (!finalPath || !isWithin(terminatedView(*finalPath), root)) return;
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) return;
    const DWORD attributes = basic.FileAttributes;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !link && depth < kDeepestFolder) {
        deleteFolderContents(allocator, entry.get(), path, root, depth);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition);
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
    // Where the entry must turn out to lie once opened: the parent's final
    // path and the entry's own name.
    auto parentPath = finalPathOf(allocator, parentFolder.get());
    if (!parentPath) return;
    std::u16string_view name = viewOf(*widePath).substr(viewOf(*wideParent).size());
    while (!name.empty() && (name.front() == u'\\' || name.front() == u'/')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == u'\\' || name.back() == u'/')) name.remove_suffix(1);
    std::u16string_view parentFinal = terminatedView(*parentPath);
    if (parentFinal.ends_with(u'\\')) parentFinal.remove_suffix(1);
    auto root = childPath(allocator, parentFinal, name);
    if (!root) return;
    deleteEntry(allocator, *widePath, terminatedView(*root), 0);
}

}  // namespace orva
