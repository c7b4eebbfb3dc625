#include "base/win32.h"

#include "base/utf.h"

namespace orva {

ErrorCode errorFromWin32(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH: return ErrorCode::FileNotFound;
        case ERROR_ACCESS_DENIED: return ErrorCode::AccessDenied;
        case ERROR_SHARING_VIOLATION: return ErrorCode::SharingViolation;
        case ERROR_LOCK_VIOLATION: return ErrorCode::LockViolation;
        case ERROR_FILENAME_EXCED_RANGE: return ErrorCode::NameTooLong;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME: return ErrorCode::BadPathName;
        case ERROR_DIRECTORY: return ErrorCode::NotDir;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return ErrorCode::PathAlreadyExists;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return ErrorCode::SystemResources;
        case ERROR_TOO_MANY_OPEN_FILES: return ErrorCode::ProcessFdQuotaExceeded;
        case ERROR_PIPE_BUSY: return ErrorCode::PipeBusy;
        case ERROR_NETNAME_DELETED: return ErrorCode::ConnectionResetByPeer;
        case ERROR_BROKEN_PIPE: return ErrorCode::BrokenPipe;
        case ERROR_HANDLE_EOF: return ErrorCode::EndOfFile;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ErrorCode::NoSpaceLeft;
        case ERROR_DIR_NOT_EMPTY: return ErrorCode::DirNotEmpty;
        case ERROR_WRITE_PROTECT: return ErrorCode::ReadOnlyFileSystem;
        case ERROR_CANT_RESOLVE_FILENAME: return ErrorCode::SymLinkLoop;
        case ERROR_NOT_SUPPORTED: return ErrorCode::NotSupported;
        case ERROR_INVALID_PARAMETER: return ErrorCode::InvalidArgument;
        case ERROR_OPERATION_ABORTED: return ErrorCode::OperationAborted;
        case 225:  // ERROR_VIRUS_INFECTED
        case 226: return ErrorCode::AntivirusInterference;  // ERROR_VIRUS_DELETED
        case ERROR_UNRECOGNIZED_VOLUME: return ErrorCode::UnrecognizedVolume;
        case ERROR_ENVVAR_NOT_FOUND: return ErrorCode::EnvironmentVariableNotFound;
        default: return ErrorCode::Unexpected;
    }
}

Result<OwnedArray<char16_t>> toWide(Allocator& allocator, std::string_view text) {
    return utf8ToUtf16(allocator, text, true);
}

Result<OwnedArray<char16_t>> toWidePath(Allocator& allocator, std::string_view path) {
    auto wide = toWide(allocator, path);
    if (!wide && wide.error() == ErrorCode::InvalidUtf8) return fail(ErrorCode::BadPathName);
    return wide;
}

Result<OwnedArray<char>> toAnsi(Allocator& allocator, std::string_view text) {
    auto wide = utf8ToUtf16(allocator, text, false);
    if (!wide) return fail(wide.error());
    const int units = static_cast<int>(wide->size());
    int bytes = units == 0 ? 0
                           : WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(wide->data()), units,
                                                 nullptr, 0, nullptr, nullptr);
    if (units != 0 && bytes <= 0) return fail(ErrorCode::InvalidUtf8);
    auto ansi = OwnedArray<char>::create(allocator, static_cast<std::size_t>(bytes) + 1);
    if (!ansi) return ansi;
    if (units != 0) {
        WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(wide->data()), units, ansi->data(), bytes,
                            nullptr, nullptr);
    }
    return ansi;
}

}  // namespace orva
