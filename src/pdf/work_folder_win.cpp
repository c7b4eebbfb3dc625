#include "pdf/work_folder.h"

#include <cstring>
#include <utility>

#include "base/scoped_win.h"
#include "pdf/tool_locator.h"
#include "pdf/tool_paths.h"
#include "platform/tool_wait.h"
#include "platform/unique_folder.h"

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

// Creates a missing folder and, first, any missing folder above it. What
// stands in the way is reported: a file where a folder should be (NotDir),
// a folder that may not be written (AccessDenied, ReadOnlyFileSystem), ...
Status createFolderChain(Allocator& allocator, std::string_view path, int depth = 0) {
    auto wide = toWidePath(allocator, path);
    if (!wide) return fail(wide.error());
    if (CreateDirectoryW(wideChars(*wide), nullptr)) return {};
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
        const auto above = folderPart(path);
        if (!above || above->size() >= path.size() || depth >= kDeepestFolder) return fail(errorFromWin32(error));
        if (auto made = createFolderChain(allocator, *above, depth + 1); !made) return made;
        if (CreateDirectoryW(wideChars(*wide), nullptr)) return {};
        error = GetLastError();
    }
    // Some systems report a name that is taken as a refusal to write there.
    const DWORD attributes = GetFileAttributesW(wideChars(*wide));
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Status{} : fail(ErrorCode::NotDir);
    }
    return fail(errorFromWin32(error));
}

// What the file system says a folder is, whatever it was called: the same
// for every spelling of its path (letter case, short names, links, junctions,
// another drive letter for the same place).
Result<FILE_ID_INFO> folderIdentity(HANDLE folder) {
    FILE_ID_INFO identity{};
    if (GetFileInformationByHandleEx(folder, FileIdInfo, &identity, sizeof identity)) return identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(folder, &information)) return fail(errorFromWin32(GetLastError()));
    identity.VolumeSerialNumber = information.dwVolumeSerialNumber;
    const std::uint64_t index = std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow;
    std::memcpy(identity.FileId.Identifier, &index, sizeof index);
    return identity;
}

// Renders of every instance that share a work folder take turns: one mutex
// per folder, named after the identity of its parent (the work folder itself
// comes and goes), in the logon session's own namespace (Local\). A TEMP
// folder is one user's, used from that user's session; a Global\ name would
// need a privilege that ordinary users lack in a remote session, and would
// let any other session make the name first and lock this one out. Programs
// of two logon sessions that share one TEMP do not take turns. A render that waits longer than
// `waitMilliseconds` for its turn gives up with Timeout, so that another
// program's hung tool does not hang this one.
Result<HeldMutex> lockFolder(HANDLE parent, std::uint32_t waitMilliseconds) {
    auto identity = folderIdentity(parent);
    if (!identity) return fail(identity.error());
    wchar_t name[96] = L"Local\\OrvaReader.work.";
    std::size_t at = std::wcslen(name);
    const auto hex = [&](const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = count; i-- > 0;) {
            name[at++] = L"0123456789abcdef"[bytes[i] >> 4];
            name[at++] = L"0123456789abcdef"[bytes[i] & 0xF];
        }
    };
    hex(reinterpret_cast<const std::uint8_t*>(&identity->VolumeSerialNumber), sizeof identity->VolumeSerialNumber);
    name[at++] = L'.';
    hex(identity->FileId.Identifier, sizeof identity->FileId.Identifier);
    name[at] = 0;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, name));
    if (!mutex) return fail(errorFromWin32(GetLastError()));
    // An owner that died mid-render hands the folder over as it left it; the
    // emptying that follows deals with that.
    // Meanwhile the windows answer as they do while a tool runs, and Esc
    // ends the wait.
    switch (waitAnswering(mutex.get(), waitMilliseconds)) {
        case HandleWait::Signalled:
        case HandleWait::Abandoned: return HeldMutex(mutex.release());
        case HandleWait::TimedOut: return fail(ErrorCode::Timeout);
        case HandleWait::Ended: return fail(ErrorCode::Canceled);
        case HandleWait::Failed: break;
    }
    return fail(errorFromWin32(GetLastError()));
}

// "work" made inside the parent. True when it was made new; false when a
// folder of that name survived the emptying and was accepted as it is.
Result<bool> makeWorkFolder(Allocator& allocator, std::string_view path) {
    auto widePath = toWidePath(allocator, path);
    if (!widePath) return fail(widePath.error());
    if (CreateDirectoryW(wideChars(*widePath), nullptr)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return fail(errorFromWin32(error));
    const DWORD attributes = GetFileAttributesW(wideChars(*widePath));
    if (attributes == INVALID_FILE_ATTRIBUTES) return fail(errorFromWin32(GetLastError()));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return fail(ErrorCode::NotDir);
    return false;
}

}  // namespace

WorkFolder::WorkFolder(WorkFolder&& other) noexcept
    : allocator_(other.allocator_),
      path_(std::move(other.path_)),
      runFolder_(std::move(other.runFolder_)),
      lock_(std::move(other.lock_)),
      removed_(std::exchange(other.removed_, true)) {}

void WorkFolder::remove() {
    if (removed_) return;
    removed_ = true;
    removeWorkFolder(*allocator_, path_.view());
    lock_.reset();
}

Result<WorkFolder> prepareWorkFolder(Allocator& allocator, std::uint32_t waitMilliseconds) {
    auto root = readEnvironmentVariable(allocator, "TEMP");
    if (!root) root = readEnvironmentVariable(allocator, "TMP");
    if (!root) return fail(ErrorCode::TempDirUnavailable);
    auto path = workFolderPathFor(allocator, root->view());
    if (!path) return fail(ErrorCode::OutOfMemory);
    const auto parent = folderPart(path->view());
    if (!parent) return fail(ErrorCode::TempDirUnavailable);
    if (auto made = createFolderChain(allocator, *parent); !made) return fail(made.error());
    auto wideParent = toWidePath(allocator, *parent);
    if (!wideParent) return fail(wideParent.error());
    const UniqueHandle parentFolder = openFolder(wideChars(*wideParent));
    if (!parentFolder) return fail(errorFromWin32(GetLastError()));
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(parentFolder.get(), &information) &&
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return fail(ErrorCode::NotDir);
    }
    auto lock = lockFolder(parentFolder.get(), waitMilliseconds);
    if (!lock) return fail(lock.error());
    // From here on the folder is removed again on every way out.
    WorkFolder folder(allocator, std::move(*path), std::move(*lock));
    removeWorkFolder(allocator, folder.path());
    auto madeNew = makeWorkFolder(allocator, folder.path());
    if (!madeNew) return fail(madeNew.error());
    if (!*madeNew) {
        // A folder of this render's own inside the one that could not be
        // emptied: whatever resisted (a file another program holds, a tool
        // still running there) can never be taken for this render's output.
        auto run = makeUniqueFolder(allocator, folder.path(), "run-");
        if (!run) return fail(run.error());
        folder.runFolder_ = std::move(*run);
    }
    return folder;
}

void removeWorkFolder(Allocator& allocator, std::string_view path) {
    const auto parent = folderPart(path);
    if (!parent) return;
    auto wideParent = toWidePath(allocator, *parent);
    auto widePath = toWidePath(allocator, path);
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
