#include "arguments.h"

#include <charconv>

namespace orvatool {

std::expected<ParsedArguments, std::string> parseArguments(std::span<const std::string> args,
                                                            std::span<const OptionRule> rules) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
            continue;
        }
        std::string_view name = arg;
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            if (const auto equals = arg.find('='); equals != std::string::npos) {
                name = std::string_view(arg).substr(0, equals);
                inlineValue = arg.substr(equals + 1);
            }
        }
        const OptionRule* rule = nullptr;
        for (const OptionRule& candidate : rules) {
            if (candidate.name == name) rule = &candidate;
        }
        if (rule == nullptr) return std::unexpected("unknown option " + std::string(name));
        if (rule->value.empty()) {
            if (inlineValue) return std::unexpected("option " + std::string(name) + " takes no value");
            parsed.options.emplace_back(rule->name, std::string());
        } else if (inlineValue) {
            parsed.options.emplace_back(rule->name, *inlineValue);
        } else if (i + 1 < args.size()) {
            parsed.options.emplace_back(rule->name, args[++i]);
        } else {
            return std::unexpected("option " + std::string(name) + " needs a value (" + std::string(rule->value) + ")");
        }
    }
    return parsed;
}

std::expected<std::uint32_t, std::string> parseNumber(std::string_view option, std::string_view text,
                                                      std::uint32_t lowest, std::uint32_t highest) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < lowest || value > highest) {
        return std::unexpected(std::string(option) + " needs a number from " + std::to_string(lowest) + " to " +
                               std::to_string(highest) + ", not \"" + std::string(text) + "\"");
    }
    return value;
}

}  // namespace orvatool
