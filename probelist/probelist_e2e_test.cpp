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

const std::string heading = "Following files are sequence file(s)\n";

struct Case {
    const char* name;
    std::vector<std::string> args; // names relative to the temporary folder
    std::string out;
    int status;
};

TEST(ProbelistRun, ListsSequenceFilesInArgumentOrder) {
    TempDir dir;
    dir.write("a.seq", "\nMon 3 Dec 2026\nFigure 1\ncalls\n\f\nTue x\nFigure 2\n");
    dir.write("b.seq", "\nSat \n");
    dir.write("top.txt", "Mon 3 Dec 2026\nFigure 1\n\f\n\nMon x\n");
    dir.write("blank_only", "\n");
    dir.write("empty", "");
    dir.write("long_first", std::string(300, ' ') + "\nMon x\n");
    dir.write("long_second", "\nWed " + std::string(5000, 'w') + "\n");
    std::filesystem::create_directory(dir.file("sub"));
    dir.write("sub/c.seq", "\nThu \n");
    const Case cases[] = {
        {"no_arguments", {}, "", 1},
        {"none_passes", {"top.txt", "blank_only", "empty", "long_first"}, "", 1},
        {"missing_only", {"nope"}, "File nope not exist\n", 2},
        {"missing_between_two_hits",
         {"a.seq", "nope", "b.seq"},
         heading + "a.seq\nFile nope not exist\nb.seq\n",
         2},
        {"missing_before_first_hit",
         {"nope", "top.txt", "a.seq"},
         "File nope not exist\n" + heading + "a.seq\n",
         2},
        {"same_file_twice", {"b.seq", "b.seq"}, heading + "b.seq\nb.seq\n", 0},
        {"name_kept_as_given", {"./sub/../sub/c.seq"}, heading + "./sub/../sub/c.seq\n", 0},
        {"long_date_line", {"long_second"}, heading + "long_second\n", 0},
        {"directory_is_not_a_sequence_file", {"sub", "b.seq"}, heading + "b.seq\n", 0},
        {"name_longer_than_the_system_allows",
         {std::string(300, 'n')},
         "File " + std::string(300, 'n') + " not exist\n",
         2},
    };
    for (const Case& c : cases) {
        RunOptions o;
        o.args = c.args;
        o.cwd = dir.path();
        auto r = run_program(program_path("probelist"), o);
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
    }
}

// Each file is closed before the next is opened: with room for only a few
// descriptors, many more files than that are still examined.
TEST(ProbelistRun, ClosesEveryFile) {
    TempDir dir;
    dir.write("s", "\nMon \n");
    std::vector<std::string> args = {"-c", "ulimit -n 16 && exec \"$0\" \"$@\"",
                                     program_path("probelist")};
    std::string expected = heading;
    for (int i = 0; i < 200; ++i) {
        args.push_back("s");
        expected += "s\n";
    }
    RunOptions o;
    o.args = args;
    o.cwd = dir.path();
    auto r = run_program("/bin/sh", o);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.status, 0);
}

TEST(ProbelistRun, WriteErrorIsReported) {
    TempDir dir;
    dir.write("s", "\nMon \n");
    RunOptions o;
    o.args = {dir.file("s")};
    o.stdout_path = "/dev/full";
    auto r = run_program(program_path("probelist"), o);
    EXPECT_EQ(r.err, "probelist: write error: No space left on device\n");
    EXPECT_EQ(r.status, 1);
}

} // namespace
