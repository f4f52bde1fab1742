#include <gtest/gtest.h>
#include <string>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

TEST(PagemarkEndToEnd, WorkedExampleThroughAPipe) {
    std::string input = "\nMon A\ntitle 1\ncall one\n\nTue B\ntitle 2\ncall two\n\n\nWed C\n"
                        "title 3\n \ncall three\n";
    // Arguments are not read: the filter always takes standard input.
    auto result =
        run_program(program_path("pagemark"), RunOptions{.args = {"no-such-file"}, .input = input});
    EXPECT_EQ(result.out, "\f\nMon A\ntitle 1\ncall one\n\f\nTue B\ntitle 2\ncall two\n"
                          "\f\nWed C\ntitle 3\n \ncall three\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

// Many blocks of input, with lines far longer than the reader's block: every
// byte arrives, in order, and each blank line before a date line is replaced.
TEST(PagemarkEndToEnd, LargeInputWithHugeLines) {
    std::string huge(300000, 'h');
    std::string input, expected;
    for (int i = 0; i < 2000; ++i) {
        input += "\nMon " + std::to_string(i) + "\ntitle\n" + (i % 100 == 0 ? huge : "call") + "\n";
        expected +=
            "\f\nMon " + std::to_string(i) + "\ntitle\n" + (i % 100 == 0 ? huge : "call") + "\n";
    }
    auto result = run_program(program_path("pagemark"), RunOptions{.input = input});
    EXPECT_TRUE(result.out == expected) << "output of " << result.out.size() << " bytes differs";
    EXPECT_EQ(result.status, 0);
}

TEST(PagemarkEndToEnd, WriteErrorIsReported) {
    auto result = run_program(program_path("pagemark"),
                              RunOptions{.input = "\nMon A\nx\n", .stdout_path = "/dev/full"});
    EXPECT_EQ(result.err, "pagemark: write error: No space left on device\n");
    EXPECT_EQ(result.status, 1);
}

TEST(PagemarkEndToEnd, ReadErrorIsReported) {
    TempDir dir;
    auto result = run_program(
        "/bin/sh",
        RunOptions{.args = {"-c", "exec \"$0\" < \"$1\"", program_path("pagemark"), dir.path()}});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "pagemark: read error: standard input: Is a directory\n");
    EXPECT_EQ(result.status, 1);
}

} // namespace
