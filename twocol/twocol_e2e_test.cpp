#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

struct Case {
    const char* name;
    std::vector<std::string> args; // names relative to the temporary folder
    std::string out;
    std::string err;
    int status;
};

// Runs twocol in a folder that holds left.txt (the worked example's first
// file), right.txt (its second) and a sub-folder named dir.
TEST(TwocolRun, ArgumentsFilesAndMessages) {
    TempDir dir;
    dir.write("left.txt", "Mon A\ncall one\ncall two\n");
    dir.write("right.txt", "Tue B\ncall three\n");
    std::filesystem::create_directory(dir.file("dir"));
    const std::string usage = "usage: twocol file1 file2\n";
    const Case cases[] = {
        {"worked_example",
         {"left.txt", "right.txt"},
         "Mon A | Tue B\ncall one | call three\n",
         "",
         0},
        {"third_argument_ignored",
         {"right.txt", "left.txt", "missing"},
         "Tue B | Mon A\ncall three | call one\n",
         "",
         0},
        {"no_arguments", {}, "", usage, 1},
        {"one_argument", {"left.txt"}, "", usage, 1},
        {"first_missing", {"nope", "right.txt"}, "", "twocol: can't open file: nope\n", 1},
        {"second_missing", {"left.txt", "nope"}, "", "twocol: can't open file: nope\n", 1},
        {"both_missing",
         {"no1", "no2"},
         "",
         "twocol: can't open file: no1\ntwocol: can't open file: no2\n",
         1},
        {"second_a_directory",
         {"left.txt", "dir"},
         "",
         "twocol: read error: dir: Is a directory\n",
         1},
        {"first_a_directory",
         {"dir", "right.txt"},
         "",
         "twocol: read error: dir: Is a directory\n",
         1},
    };
    for (const Case& c : cases) {
        RunOptions o;
        o.args = c.args;
        o.cwd = dir.path();
        auto r = run_program(program_path("twocol"), o);
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
    }
}

TEST(TwocolRun, WriteErrorIsReported) {
    TempDir dir;
    dir.write("a", "x\n");
    RunOptions o;
    o.args = {dir.file("a"), dir.file("a")};
    o.stdout_path = "/dev/full";
    auto r = run_program(program_path("twocol"), o);
    EXPECT_EQ(r.err, "twocol: write error: No space left on device\n");
    EXPECT_EQ(r.status, 1);
}

} // namespace
