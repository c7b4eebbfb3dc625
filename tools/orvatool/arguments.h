#pragma once
// A command's arguments as the toolkit reads them: options (a switch, or one
// that takes a value, as "--name VALUE" or "--name=VALUE"), "-h" and
// "--help" anywhere, "--" ending the options, the rest positional.
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvatool {

struct OptionRule {
    std::string_view name;   // "--dpi", "-o"
    std::string_view value;  // what it takes, for the help ("N"); empty for a switch
    std::string_view help;
};

struct ParsedArguments {
    // In the order given, so that a later option overrides an earlier one.
    std::vector<std::pair<std::string_view, std::string>> options;
    std::vector<std::string> positional;
    bool help = false;
};

// The message names what is wrong: an unknown option, a missing value, a
// value given to a switch.
std::expected<ParsedArguments, std::string> parseArguments(std::span<const std::string> args,
                                                            std::span<const OptionRule> rules);

// A whole decimal number from `lowest` to `highest`; the message names the
// option and the range.
std::expected<std::uint32_t, std::string> parseNumber(std::string_view option, std::string_view text,
                                                      std::uint32_t lowest, std::uint32_t highest);

}  // namespace orvatool
