#pragma once
// Every failure the program can report is one of these codes. The numbering
// starts at 1 and follows the list order; a code's name is what the user reads.
#include <cstdint>
#include <expected>
#include <string_view>

namespace orva {

enum class ErrorCode : std::uint16_t {
    OutOfMemory = 1,
    Overflow,
    FileNotFound,
    AccessDenied,
    NameTooLong,
    NotSupported,
    NotDir,
    SymLinkLoop,
    InputOutput,
    FileTooBig,
    IsDir,
    ProcessFdQuotaExceeded,
    SystemFdQuotaExceeded,
    NoDevice,
    SystemResources,
    NoSpaceLeft,
    FileSystem,
    BadPathName,
    DeviceBusy,
    SharingViolation,
    PipeBusy,
    InvalidWtf8,
    NetworkNotFound,
    PathAlreadyExists,
    AntivirusInterference,
    UnrecognizedVolume,
    Unexpected,
    EnvironmentVariableNotFound,
    NotLink,
    PermissionDenied,
    UnknownName,
    PdftoppmNotFound,
    SpawnFailed,
    WaitFailed,
    PdfInfoFailed,
    InvalidCharacter,
    NoPages,
    InvalidPageData,
    TempDirUnavailable,
    CannotDeleteRootDirectory,
    InvalidUtf8,
    ReadOnlyFileSystem,
    FileBusy,
    FileLocksNotSupported,
    WouldBlock,
    DiskQuota,
    LinkQuotaExceeded,
    PdftoppmFailed,
    OperationAborted,
    BrokenPipe,
    ConnectionResetByPeer,
    ConnectionTimedOut,
    NotOpenForReading,
    SocketNotConnected,
    Canceled,
    ProcessNotFound,
    LockViolation,
    InvalidPpm,
    PpmTruncated,
    EndOfStream,
    InvalidMagic,
    UnsupportedVersion,
    Unseekable,
    RleTruncated,
    UnsupportedFormat,
    DirNotEmpty,
    InvalidArgument,
    NotOpenForWriting,
    TooManyParentDirs,
    Utf8ExpectedContinuation,
    Utf8OverlongEncoding,
    Utf8EncodesSurrogateHalf,
    Utf8CodepointTooLarge,
    CodepointTooLarge,
    MissingDebugInfo,
    UnsupportedOperatingSystem,
    InvalidDebugInfo,
    MissingPEHeader,
    EndOfBuffer,
    InvalidBuffer,
    InvalidDebugDirectory,
    InvalidPEMagic,
    UnhandledBigDirectoryStream,
    InvalidBlockIndex,
    InvalidStreamDirectory,
    UnknownPDBVersion,
    StreamTooLong,
    Eof,  // shown as "EOF"; the C library reserves that spelling for a macro
    InvalidValue,
    EndOfFile,
    ExpectedSecondSurrogateHalf,
    Utf8CannotEncodeSurrogateHalf,
    InvalidHandle,
    Utf8InvalidStartByte,
    InvalidStrtabSize,
    Timeout,
    TruncatedInput,
    // An encrypted PDF whose password was not given (the reader cancelled).
    PdfPasswordRequired,
};

inline constexpr std::uint16_t kErrorCodeCount = 98;

// The name the user reads; "" for a value outside the set.
std::string_view errorName(ErrorCode code);

template <class T>
using Result = std::expected<T, ErrorCode>;
using Status = std::expected<void, ErrorCode>;

inline std::unexpected<ErrorCode> fail(ErrorCode code) { return std::unexpected(code); }

}  // namespace orva
