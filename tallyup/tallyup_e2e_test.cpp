#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "run_program.hpp"

using namespace std::string_literals;
using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

const std::string help = "tallyup [-h|filename] (tallyup V1.1)\n"
                         "  -h: print this help message\n"
                         "  read sequences from filename file\n"
                         "  re-number sequence number from 1 (default)\n"
                         "  output to stdout (standard output)\n"
                         "  env TALLYUP_LABEL used for label characters, such as:\n"
                         "  TALLYUP_LABEL=\"easy c1\" tallyup tmp1 > tmp2\n"
                         "  env TALLYUP_START_NUMBER used for start number, such as:\n"
                         "  TALLYUP_START_NUMBER=\"12\" tallyup tmp1 > tmp2\n"
                         "  TALLYUP_LABEL=\"easy c1\" TALLYUP_START_NUMBER=\"12\" tallyup tmp1 > "
                         "tmp2\n";

const std::string two_titles = "\nMon A\nBasic warmup 7\nx\n\f\nTue B\nPlus 3\ny\n";

std::string numbered(const std::string& first, const std::string& second) {
    return "\nMon A\nBasic warmup " + first + "\nx\n\f\nTue B\nPlus " + second + "\ny\n";
}

testing_support::RunResult run_tallyup(std::vector<std::string> args,
                                       std::string stdout_path = "") {
    RunOptions options;
    options.args = std::move(args);
    options.stdout_path = std::move(stdout_path);
    return run_program(program_path("tallyup"), options);
}

struct Case {
    const char* name;
    std::vector<std::string> args; // "FILE" stands for the written file
    std::vector<std::pair<std::string, std::string>> env;
    std::string out;
    std::string err;
    int status;
};

TEST(TallyupCommand, ArgumentsEnvironmentMessagesAndStatus) {
    const Case cases[] = {
        {"no_argument", {}, {}, "", "tallyup: missing file name, aborted\n", 1},
        {"two_files", {"FILE", "FILE"}, {}, "", "tallyup: only one file name, aborted\n", 1},
        {"help_with_a_second_argument",
         {"-h", "FILE"},
         {},
         "",
         "tallyup: only one file name, aborted\n",
         1},
        {"help", {"-h"}, {{"TALLYUP_LABEL", "x"}}, "", help, 0},
        {"other_option_is_a_file_name", {"-x"}, {}, "", "tallyup: can't open file: -x\n", 1},
        {"missing_file", {"no such file"}, {}, "", "tallyup: can't open file: no such file\n", 1},
        {"plain", {"FILE"}, {}, numbered("1", "2"), "", 0},
        {"start_12", {"FILE"}, {{"TALLYUP_START_NUMBER", "12"}}, numbered("12", "13"), "", 0},
        {"start_0", {"FILE"}, {{"TALLYUP_START_NUMBER", "0"}}, numbered("0", "1"), "", 0},
        {"start_minus_3", {"FILE"}, {{"TALLYUP_START_NUMBER", "-3"}}, numbered("-3", "-2"), "", 0},
        {"start_digits_then_letters",
         {"FILE"},
         {{"TALLYUP_START_NUMBER", "12abc"}},
         numbered("12", "13"),
         "",
         0},
        {"start_empty", {"FILE"}, {{"TALLYUP_START_NUMBER", ""}}, numbered("0", "1"), "", 0},
        {"start_without_digits",
         {"FILE"},
         {{"TALLYUP_START_NUMBER", "abc"}},
         numbered("0", "1"),
         "",
         0},
        {"empty_label_is_no_label", {"FILE"}, {{"TALLYUP_LABEL", ""}}, numbered("1", "2"), "", 0},
        {"label_and_start",
         {"FILE"},
         {{"TALLYUP_LABEL", "easy c1"}, {"TALLYUP_START_NUMBER", "12"}},
         "\nMon A\n             easy c1 12\nx\n\f\nTue B\n             easy c1 13\ny\n",
         "",
         0},
    };
    TempDir dir;
    dir.write("FILE", two_titles);
    for (const auto& c : cases) {
        RunOptions options;
        options.args = c.args;
        options.env = c.env;
        options.cwd = dir.path();
        auto result = run_program(program_path("tallyup"), options);
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
        EXPECT_EQ(result.status, c.status) << c.name;
    }
}

TEST(TallyupCommand, TitleStartingWithNulStopsAfterTheLinesBeforeIt) {
    TempDir dir;
    dir.write("f", "\nMon A\n\0 7\nrest\n"s);
    auto result = run_tallyup({dir.file("f")});
    EXPECT_EQ(result.out, "\nMon A\nerror this line 3\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 4);
}

TEST(TallyupCommand, ADirectoryIsAReadErrorNotAnEmptyFile) {
    TempDir dir;
    auto result = run_tallyup({dir.path()});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tallyup: read error: " + dir.path() + ": Is a directory\n");
    EXPECT_EQ(result.status, 1);
}

TEST(TallyupCommand, AFailedWriteIsReported) {
    TempDir dir;
    dir.write("f", two_titles);
    auto result = run_tallyup({dir.file("f")}, "/dev/full");
    EXPECT_EQ(result.err, "tallyup: write error: No space left on device\n");
    EXPECT_EQ(result.status, 1);
}

// A file far larger than the read and write blocks, with long lines and
// binary bytes, comes out whole with every title renumbered.
TEST(TallyupCommand, RenumbersAFileLargerThanItsBuffers) {
    std::string input = "\n", expected = "\n";
    const std::string body = "heads star thru \0\x01\xff\n"s + std::string(5000, 'b') + "\n";
    for (int i = 1; i <= 3000; ++i) {
        if (i > 1) {
            input += "\f\n";
            expected += "\f\n";
        }
        std::string date = "Thu " + std::string(i % 7 == 0 ? 3000 : 10, 'd') + "\n";
        input += date + "Figure " + std::to_string(i * 7) + "\n" + body;
        expected += date + "Figure " + std::to_string(i) + "\n" + body;
    }
    TempDir dir;
    dir.write("big", input);
    auto result = run_tallyup({dir.file("big")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == expected) << "output differs, " << result.out.size() << " bytes";
}

} // namespace
