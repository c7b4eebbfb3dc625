#pragma once
// The environment handed to a child process. Names are compared the way
// Windows compares them: code unit by code unit, each character up to U+FFFF
// upper-cased by the system's table (handed in, so the map itself stays
// testable anywhere), characters beyond it as they are.
#include <optional>
#include <span>
#include <string_view>

#include "base/allocator.h"

namespace orva {

using UpcaseFunction = char16_t (*)(char16_t);

struct EnvironmentEntry {
    OwnedString name;
    OwnedString value;
};

class EnvironmentMap {
public:
    EnvironmentMap(Allocator& allocator, UpcaseFunction upcase)
        : allocator_(&allocator), entries_(allocator), upcase_(upcase) {}

    // Replaces the value of a name already present (whose spelling stays as
    // first stored), or adds the pair. OutOfMemory leaves the map unchanged.
    Status set(std::string_view name, std::string_view value);
    std::optional<std::string_view> find(std::string_view name) const;
    bool sameName(std::string_view a, std::string_view b) const;

    std::size_t size() const noexcept { return entries_.size(); }
    // In the map's own order, which carries no meaning.
    std::span<const EnvironmentEntry> entries() const noexcept { return entries_.span(); }
    Allocator& allocator() const noexcept { return *allocator_; }

private:
    std::optional<std::size_t> indexOf(std::string_view name) const;

    Allocator* allocator_;
    // The array hands out its items only through non-const access.
    mutable GrowableArray<EnvironmentEntry> entries_;
    UpcaseFunction upcase_;
};

// Adds every variable of a system environment block (entries "name=value",
// each ended by a zero, the block by an empty entry). A name runs to the
// first "=" after its first character, so the per-drive entries ("=C:=C:\x")
// keep their "=". OutOfMemory.
Status addEnvironmentBlock(EnvironmentMap& map, std::u16string_view block);

// The block a child process receives: "name=value" and a zero for every
// entry, then four more zeros. InvalidUtf8 or OutOfMemory.
Result<OwnedArray<char16_t>> buildEnvironmentBlock(Allocator& allocator, const EnvironmentMap& map);

}  // namespace orva
