#include <atomic>

#include "base/win32.h"
#include "platform/byte_source.h"

namespace orva {

namespace {
std::atomic<long> gOpenFiles{0};
HANDLE asHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
}  // namespace

std::intptr_t FileSource::invalidHandle() { return reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE); }
long FileSource::openCount() { return gOpenFiles.load(); }

Result<FileSource> FileSource::open(Allocator& allocator, std::string_view path) {
    auto wide = toWidePath(allocator, path);
    if (!wide) return fail(wide.error());
    HANDLE file = CreateFileW(wideChars(*wide), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(errorFromWin32(GetLastError()));
    ++gOpenFiles;
    return FileSource(reinterpret_cast<std::intptr_t>(file));
}

FileSource::~FileSource() {
    if (handle_ != invalidHandle()) {
        CloseHandle(asHandle(handle_));
        --gOpenFiles;
    }
}

Result<std::size_t> FileSource::read(std::span<std::uint8_t> destination) {
    // One ReadFile moves at most 4 GiB - 1.
    const DWORD ask = destination.size() > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(destination.size());
    for (;;) {
        DWORD got = 0;
        if (ReadFile(asHandle(handle_), destination.data(), ask, &got, nullptr)) return std::size_t{got};
        switch (const DWORD error = GetLastError()) {
            case ERROR_OPERATION_ABORTED: continue;
            case ERROR_HANDLE_EOF:
            case ERROR_BROKEN_PIPE: return std::size_t{0};
            case ERROR_LOCK_VIOLATION: return fail(ErrorCode::LockViolation);
            case ERROR_NETNAME_DELETED: return fail(ErrorCode::ConnectionResetByPeer);
            default: (void)error; return fail(ErrorCode::Unexpected);
        }
    }
}

Status FileSource::seek(std::uint64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (offset > static_cast<std::uint64_t>(INT64_MAX) ||
        !SetFilePointerEx(asHandle(handle_), distance, nullptr, FILE_BEGIN)) {
        return fail(ErrorCode::Unexpected);
    }
    return {};
}

}  // namespace orva
