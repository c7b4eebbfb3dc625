// Native builds (tools, tests, benchmarks) read files through POSIX calls.
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/byte_source.h"

namespace orva {

namespace {
long gOpenFiles = 0;

ErrorCode openError(int error) {
    switch (error) {
        case ENOENT: return ErrorCode::FileNotFound;
        case EACCES:
        case EPERM: return ErrorCode::AccessDenied;
        case ENAMETOOLONG: return ErrorCode::NameTooLong;
        case ENOTDIR: return ErrorCode::NotDir;
        case EISDIR: return ErrorCode::IsDir;
        case ELOOP: return ErrorCode::SymLinkLoop;
        case EMFILE: return ErrorCode::ProcessFdQuotaExceeded;
        case ENFILE: return ErrorCode::SystemFdQuotaExceeded;
        case ENOMEM: return ErrorCode::SystemResources;
        default: return ErrorCode::Unexpected;
    }
}
}  // namespace

std::intptr_t FileSource::invalidHandle() { return -1; }
long FileSource::openCount() { return gOpenFiles; }

Result<FileSource> FileSource::open(Allocator&, std::string_view path) {
    const std::string terminated(path);
    const int fd = ::open(terminated.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(openError(errno));
    ++gOpenFiles;
    return FileSource(fd);
}

FileSource::~FileSource() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        --gOpenFiles;
    }
}

Result<std::size_t> FileSource::read(std::span<std::uint8_t> destination) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), destination.data(), destination.size());
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        if (errno == EPIPE) return std::size_t{0};
        return fail(ErrorCode::Unexpected);
    }
}

Status FileSource::seek(std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return fail(ErrorCode::Unexpected);
    if (::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) return fail(ErrorCode::Unexpected);
    return {};
}

}  // namespace orva
