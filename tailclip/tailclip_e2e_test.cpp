#include <gtest/gtest.h>
#include <string>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;

namespace {

RunOptions options(std::vector<std::string> args, std::string input = "") {
    RunOptions o;
    o.args = std::move(args);
    o.input = std::move(input);
    return o;
}

std::string letters(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('A' + i % 26));
    return s;
}

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string out;
};

TEST(TailclipRun, FiltersStandardInput) {
    const std::string l100 = letters(100), l1100 = letters(1100);
    const Case cases[] = {
        {"empty_input", {}, "", ""},
        {"short_and_long_lines",
         {},
         "\f\nMon \n" + l100 + "\n",
         "\f\nMon \n" + l100.substr(25) + "\n"},
        {"very_long_line_no_newline", {}, l1100, l1100.substr(1100 - 76)},
        {"arguments_ignored", {"-x", "file"}, l100 + "\n", l100.substr(25) + "\n"},
    };
    for (const Case& c : cases) {
        auto r = run_program(program_path("tailclip"), options(c.args, c.input));
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        EXPECT_EQ(r.status, 0) << c.name;
    }
}

// A single line far larger than any read block still comes out as its last
// 76 bytes.
TEST(TailclipRun, LineLargerThanTheReadBlock) {
    std::string line = letters(3 * 1024 * 1024) + "\n";
    auto r = run_program(program_path("tailclip"), options({}, line));
    EXPECT_EQ(r.out, line.substr(line.size() - 76));
    EXPECT_EQ(r.status, 0);
}

TEST(TailclipRun, WriteErrorIsReported) {
    RunOptions o = options({}, "abc\n");
    o.stdout_path = "/dev/full";
    auto r = run_program(program_path("tailclip"), o);
    EXPECT_EQ(r.err, "tailclip: write error: No space left on device\n");
    EXPECT_EQ(r.status, 1);
}

TEST(TailclipRun, DirectoryOnStandardInputIsAReadError) {
    auto r = run_program("/bin/sh", options({"-c", "exec \"$0\" < /", program_path("tailclip")}));
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tailclip: read error: standard input: Is a directory\n");
    EXPECT_EQ(r.status, 1);
}

} // namespace
