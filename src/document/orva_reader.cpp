// Placeholder until the container reader lands.
#include "document/orva_reader.h"

namespace orva {

Result<OrvaContents> readOrva(ByteSource&, Allocator&) { return fail(ErrorCode::NotSupported); }

Result<OrvaContents> readOrvaFile(Allocator& allocator, std::string_view path) {
    auto file = FileSource::open(allocator, path);
    if (!file) return fail(file.error());
    return readOrva(*file, allocator);
}

Result<ByteBuffer> decodeRlePage(Allocator&, std::span<const std::uint8_t>, std::uint32_t, std::uint32_t) {
    return fail(ErrorCode::NotSupported);
}

}  // namespace orva
