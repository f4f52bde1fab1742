#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

const std::string a_txt = "\nMon A\ncall one\n\f\n";
const std::string b_txt = "\nTue B\ncall two\n";

struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files; // created in the working directory
    std::vector<std::string> args;
    std::string out;
    std::string err;
    int status;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class ChainupCases : public ::testing::TestWithParam<Case> {};

TEST_P(ChainupCases, Runs) {
    const Case& c = GetParam();
    TempDir dir;
    for (const auto& [name, content] : c.files)
        dir.write(name, content);
    auto result =
        run_program(program_path("chainup"), RunOptions{.args = c.args, .cwd = dir.path()});
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Chainup, ChainupCases,
    ::testing::Values(Case{"no_arguments", {}, {}, "\n", "", 0},
                      Case{"worked_example",
                           {{"a.txt", a_txt}, {"b.txt", b_txt}},
                           {"a.txt", "b.txt"},
                           "\nMon A\ncall one\n\f\nTue B\ncall two\n",
                           "",
                           0},
                      Case{"first_file_missing",
                           {{"b.txt", b_txt}},
                           {"a.txt", "b.txt"},
                           "\n\f\nTue B\ncall two\n",
                           "Can't open file: a.txt\n",
                           1},
                      Case{"dash_names_a_file",
                           {{"-", b_txt}},
                           {"-", "--"},
                           "\nTue B\ncall two\n",
                           "Can't open file: --\n",
                           1},
                      Case{"single_file_three_times",
                           {{"a.txt", a_txt}},
                           {"a.txt", "a.txt", "a.txt"},
                           "\nMon A\ncall one\n\f\nMon A\ncall one\n\f\nMon A\ncall one\n",
                           "",
                           0},
                      Case{"empty_file_ends_the_run",
                           {{"a.txt", a_txt}, {"e.txt", ""}, {"b.txt", b_txt}},
                           {"a.txt", "e.txt", "b.txt"},
                           "\nMon A\ncall one\n",
                           "Can't get 1st line\n",
                           2},
                      Case{"blank_only_file_ends_the_run",
                           {{"a.txt", a_txt}, {"n.txt", "\n"}, {"b.txt", b_txt}},
                           {"a.txt", "n.txt", "b.txt"},
                           "\nMon A\ncall one\n",
                           "Can't get 2nd line\n",
                           3},
                      Case{"missing_newline_before_join",
                           {{"c.txt", "\nMon A\nlast"}, {"b.txt", b_txt}},
                           {"c.txt", "b.txt", "c.txt"},
                           "\nMon A\nlast\n\f\nTue B\ncall two\n\f\nMon A\nlast",
                           "",
                           0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChainupEndToEnd, DirectoryIsAReadError) {
    TempDir dir;
    dir.write("b.txt", b_txt);
    ASSERT_EQ(run_program("/bin/mkdir", RunOptions{.args = {dir.file("sub")}}).status, 0);
    auto result = run_program(program_path("chainup"),
                              RunOptions{.args = {"sub", "b.txt"}, .cwd = dir.path()});
    EXPECT_EQ(result.out, "\n\f\nTue B\ncall two\n");
    EXPECT_EQ(result.err, "chainup: read error: sub: Is a directory\n");
    EXPECT_EQ(result.status, 1);
}

TEST(ChainupEndToEnd, WriteErrorIsReported) {
    TempDir dir;
    dir.write("a.txt", a_txt);
    auto result =
        run_program(program_path("chainup"),
                    RunOptions{.args = {"a.txt"}, .cwd = dir.path(), .stdout_path = "/dev/full"});
    EXPECT_EQ(result.err, "chainup: write error: No space left on device\n");
    EXPECT_EQ(result.status, 1);
}

// Files far larger than the reader's block are copied byte for byte.
TEST(ChainupEndToEnd, LargeFiles) {
    TempDir dir;
    std::string body;
    for (int i = 0; i < 20000; ++i)
        body += "Mon " + std::to_string(i) + "\ntitle\n" + std::string(i % 500, 'c') + "\n\f\n";
    dir.write("big.txt", "\n" + body);
    auto result = run_program(program_path("chainup"),
                              RunOptions{.args = {"big.txt", "big.txt"}, .cwd = dir.path()});
    std::string once = body.substr(0, body.size() - 2);
    EXPECT_TRUE(result.out == "\n" + once + "\f\n" + once)
        << "output of " << result.out.size() << " bytes differs";
    EXPECT_EQ(result.status, 0);
}

} // namespace
