// The command line as a user meets it: help, the version, and what a
// command line the toolkit does not understand gets: a message on standard
// error and exit status 2, while failures of the work itself stay 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "arguments.h"
#include "base/version.h"
#include "files.h"
#include "orvatool.h"
#include "support/child_program.h"

namespace orvatool {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runOrvatool(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(Usage, HelpAndVersionGoToStandardOutput) {
    struct Case {
        std::vector<std::string> args;
        std::string shows;  // a line the help begins with
    };
    const Case cases[] = {
        {{"--help"}, "usage: orvatool COMMAND"},
        {{"-h"}, "usage: orvatool COMMAND"},
        {{"help"}, "usage: orvatool COMMAND"},
        {{"help", "pack"}, "usage: orvatool pack "},
        {{"pack", "--help"}, "usage: orvatool pack "},
        {{"pack", "--dpi", "300", "-h"}, "usage: orvatool pack "},
        {{"help", "pdf"}, "usage: orvatool pdf IN.pdf -o OUT.orva"},
        {{"pdf", "--help"}, "usage: orvatool pdf IN.pdf -o OUT.orva"},
        {{"help", "info"}, "usage: orvatool info FILE"},
        {{"info", "-h"}, "usage: orvatool info FILE"},
        {{"extract", "--help"}, "usage: orvatool extract FILE OUTDIR"},
    };
    for (const Case& c : cases) {
        const Outcome got = run(c.args);
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        EXPECT_EQ(got.status, 0);
        EXPECT_TRUE(got.out.starts_with(c.shows)) << got.out;
        EXPECT_EQ(got.err, "");
        // A command's help lists its options, help among them.
        if (c.shows != "usage: orvatool COMMAND") {
            EXPECT_NE(got.out.find("\n  -h, --help "), std::string::npos);
        }
    }
    // The general help names every command; the pdf command's help its defaults.
    const std::string general = run({"help"}).out;
    for (const char* command : {"pack", "pdf", "info", "extract"}) {
        EXPECT_NE(general.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    }
    const std::string pdf = run({"help", "pdf"}).out;
    EXPECT_NE(pdf.find("(default 150)"), std::string::npos) << pdf;
    EXPECT_NE(pdf.find("run-length encoded (the default)"), std::string::npos) << pdf;

    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("orvatool ") + orva::kProgramVersion + "\n");
}

TEST(Usage, CommandLinesNotUnderstoodExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{}, "no command"},
        {{"squash"}, "unknown command squash"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"help", "squash"}, "no command named squash"},
        {{"help", "pack", "pdf"}, "one COMMAND"},
        {{"pack", "--bogus", "-o", "out.orva", "a.ppm"}, "unknown option --bogus"},
        {{"pack", "-o"}, "option -o needs a value (OUT.orva)"},
        {{"pack", "a.ppm", "--dpi"}, "option --dpi needs a value (N)"},
        {{"pack", "--dpi", "x", "-o", "out.orva", "a.ppm"}, "--dpi needs a number from 0 to 65535, not \"x\""},
        {{"pack", "--raw=yes", "-o", "out.orva", "a.ppm"}, "option --raw takes no value"},
        {{"pack", "-o", "out.orva"}, "no page images"},
        {{"pack", "a.ppm"}, "no output file"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi"}, "option --dpi needs a value"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--title"}, "option --title needs a value"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--pages"}, "option --pages needs a value"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "abc"}, "--dpi needs a number from 1 to 65535"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "0"}, "--dpi needs a number from 1 to 65535"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "65536"}, "--dpi needs a number"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "-5"}, "--dpi needs a number"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "1.5"}, "--dpi needs a number"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi="}, "--dpi needs a number"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--pages", "4-2"}, "--pages needs N, A-B or A-"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--jpeg"}, "unknown option --jpeg"},
        {{"pdf", "-o", "out.orva"}, "no PDF file"},
        {{"pdf", "a.pdf", "b.pdf", "-o", "out.orva"}, "one PDF file only"},
        {{"pdf", "in.pdf"}, "no output file"},
        {{"info"}, "exactly one FILE"},
        {{"info", "a.orva", "b.orva"}, "exactly one FILE"},
        {{"info", "--png", "a.orva"}, "unknown option --png"},
        {{"extract", "a.orva"}, "FILE and OUTDIR"},
        {{"extract", "--jpeg", "a.orva", "out"}, "unknown option --jpeg"},
    };
    for (const Case& c : cases) {
        const Outcome got = run(c.args);
        std::string shown;
        for (const std::string& arg : c.args) shown += arg + " ";
        SCOPED_TRACE(shown);
        EXPECT_EQ(got.status, kExitUsage);
        EXPECT_EQ(got.out, "");
        EXPECT_NE(got.err.find(c.says), std::string::npos) << got.err;
        // Every usage message shows how the command line should look.
        EXPECT_NE(got.err.find("usage: orvatool "), std::string::npos) << got.err;
    }
}

TEST(Usage, ArgumentsAreSplitAsDocumented) {
    static constexpr OptionRule rules[] = {{"-o", "OUT", ""}, {"--title", "TEXT", ""}, {"--raw", "", ""}};
    using Options = std::vector<std::pair<std::string_view, std::string>>;
    struct Case {
        std::vector<std::string> args;
        Options options;
        std::vector<std::string> positional;
        bool help;
    };
    const Case cases[] = {
        {{"--title=a=b", "x"}, {{"--title", "a=b"}}, {"x"}, false},
        {{"--title", "--raw"}, {{"--title", "--raw"}}, {}, false},
        {{"--raw", "--", "-o", "--raw"}, {{"--raw", ""}}, {"-o", "--raw"}, false},
        {{"-", "a", "-o", "b", "--raw"}, {{"-o", "b"}, {"--raw", ""}}, {"-", "a"}, false},
        {{"a", "--help", "b"}, {}, {"a", "b"}, true},
        {{"-o", "first", "-o", "second"}, {{"-o", "first"}, {"-o", "second"}}, {}, false},
    };
    for (const Case& c : cases) {
        const auto parsed = parseArguments(c.args, rules);
        ASSERT_TRUE(parsed) << parsed.error();
        EXPECT_EQ(parsed->options, c.options) << c.args[0];
        EXPECT_EQ(parsed->positional, c.positional) << c.args[0];
        EXPECT_EQ(parsed->help, c.help) << c.args[0];
    }
    // "-o=x" is not the long form: only "--name=value" carries its value.
    EXPECT_FALSE(parseArguments(std::vector<std::string>{"-o=x"}, rules));
}

// The program itself: the statuses reach the caller through main.
TEST(Usage, TheProgramEndsWithTheStatus) {
    const fs::path log = fs::temp_directory_path() / "orvatool_usage_program.log";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"--version"}, 0, std::string("orvatool ") + orva::kProgramVersion},
        {{"pdf", "--help"}, 0, "usage: orvatool pdf"},
        {{"squash"}, 2, "unknown command squash"},
        {{"pdf", "in.pdf", "-o", "out.orva", "--dpi", "many"}, 2, "--dpi needs a number"},
        {{"info", utf8(fs::temp_directory_path() / "orvatool_no_such_file.orva")}, 1, "cannot open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        auto child = testing::Child::start(ORVATOOL_PROGRAM, c.args, utf8(log));
        ASSERT_TRUE(child);
        EXPECT_EQ(child->wait(), c.status);
        const auto text = readWholeFile(log);
        ASSERT_TRUE(text);
        EXPECT_NE(std::string(text->begin(), text->end()).find(c.says), std::string::npos);
    }
    fs::remove(log);
}

}  // namespace
}  // namespace orvatool
