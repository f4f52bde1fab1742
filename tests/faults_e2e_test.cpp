// Faults every program must survive the same way: a full disk behind standard
// output, a directory where an input file should be, and a reader that goes
// away early.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::TempDir;

namespace {

struct Filter {
    const char* name;
    std::vector<std::string> args; // "IN" stands for the input file
    bool reads_stdin;
};

// Each program that writes standard output, with arguments that make it copy
// or transform its whole input.
const Filter filters[] = {
    {"callmorph", {"partner"}, true}, {"callmorph", {"lower"}, true},
    {"callmorph", {"rmpic"}, true},   {"callmorph", {"switchhs"}, true},
    {"callmorph", {"join"}, true},    {"tallyup", {"IN"}, false},
    {"pagemark", {}, true},           {"chainup", {"IN"}, false},
    {"twocol", {"IN", "IN"}, false},  {"tailclip", {}, true},
};

std::string sequences(std::size_t count) {
    std::string text = "\n";
    for (std::size_t i = 1; i <= count; ++i) {
        if (i > 1)
            text += "\f\n";
        text += "Fri Sep 21 2026\nFigure " + std::to_string(i) +
                "\nHEADS SQUARE THRU 4\n\n  1B^  1G^  2BV  2GV\n  .    .    .    .\n"
                "  4B^  4G^  3BV  3GV\n\nSIDES PASS THE OCEAN, HEAD BOY RUN\n";
    }
    return text;
}

RunResult run_filter(const Filter& filter, const std::string& input_path,
                     const std::string& stdout_path) {
    testing_support::RunOptions options;
    for (const auto& arg : filter.args)
        options.args.push_back(arg == "IN" ? input_path : arg);
    if (filter.reads_stdin)
        options.stdin_path = input_path;
    options.stdout_path = stdout_path;
    return run_program(program_path(filter.name), options);
}

std::string quoted(const std::string& text) {
    std::string result = "'";
    result.append(text).push_back('\'');
    return result;
}

std::string label(const Filter& filter) {
    std::string text = filter.name;
    for (const auto& arg : filter.args)
        text += " " + arg;
    return text;
}

TEST(Faults, AFullDiskIsReportedNeverPassedOffAsSuccess) {
    TempDir dir;
    dir.write("in.seq", sequences(3));
    for (const Filter& filter : filters) {
        auto result = run_filter(filter, dir.file("in.seq"), "/dev/full");
        EXPECT_EQ(result.err, std::string(filter.name) + ": write error: No space left on device\n")
            << label(filter);
        EXPECT_EQ(result.status, 1) << label(filter);
    }
    // probelist writes only names, and still notices.
    auto result = run_program(program_path("probelist"),
                              {.args = {dir.file("in.seq")}, .stdout_path = "/dev/full"});
    EXPECT_EQ(result.err, "probelist: write error: No space left on device\n");
    EXPECT_EQ(result.status, 1);
}

TEST(Faults, ADirectoryAsInputIsAReadError) {
    TempDir dir;
    for (const Filter& filter : filters) {
        auto result = run_filter(filter, dir.path(), "");
        std::string name = filter.reads_stdin ? "standard input" : dir.path();
        std::string expected =
            std::string(filter.name) + ": read error: " + name + ": Is a directory\n";
        EXPECT_NE(result.err.find(expected), std::string::npos)
            << label(filter) << ": " << result.err;
        EXPECT_NE(result.status, 0) << label(filter);
    }
}

TEST(Faults, AClosedPipeEndsTheRunQuietly) {
    TempDir dir;
    dir.write("in.seq", sequences(20000)); // megabytes: far more than a pipe holds
    for (const Filter& filter : filters) {
        std::string command = quoted(program_path(filter.name));
        for (const auto& arg : filter.args)
            command.append(" ").append(quoted(arg == "IN" ? dir.file("in.seq") : arg));
        command.append(" < ").append(quoted(dir.file("in.seq")));
        command.append(" | head -n 1 > /dev/null; echo ${PIPESTATUS[0]}");
        auto result = run_program("/bin/bash", {.args = {"-c", command}});
        EXPECT_EQ(result.out, "141\n") << label(filter); // ended by SIGPIPE
        EXPECT_EQ(result.err, "") << label(filter);
    }
}

} // namespace
