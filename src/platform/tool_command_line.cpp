#include "platform/tool_command_line.h"

namespace orva {

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool needsQuotes(std::string_view argument) {
    if (argument.find_first_of(" \t\"") != std::string_view::npos) return true;
    return argument.size() >= 2 && isAsciiLetter(argument[0]) && argument[1] == ':';
}

// Writes the command line into `out` when given; returns its length either way.
std::size_t compose(std::span<const std::string_view> arguments, char* out) {
    std::size_t at = 0;
    const auto put = [&](char c) {
        if (out != nullptr) out[at] = c;
        ++at;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i != 0) put(' ');
        const std::string_view argument = arguments[i];
        if (argument.empty()) continue;
        const bool quoted = needsQuotes(argument);
        if (quoted) put('"');
        for (const char c : argument) {
            if (quoted && c == '"') put('\\');
            put(c);
        }
        if (quoted) put('"');
    }
    return at;
}

}  // namespace

Result<OwnedString> buildToolCommandLine(Allocator& allocator, std::span<const std::string_view> arguments) {
    auto bytes = OwnedArray<char>::createUninitialized(allocator, compose(arguments, nullptr));
    if (!bytes) return fail(bytes.error());
    compose(arguments, bytes->data());
    return OwnedString::adopt(std::move(*bytes));
}

}  // namespace orva
