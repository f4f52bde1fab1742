#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "run_program.hpp"

using testing_support::program_path;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

const std::string usage =
    "callmorph: callmorph {dancers, lower, join, add1, rmpic, switchhs}\n"
    "  dancers: {all, heads, sides, headboys, sideboys, headgirls, sidegirls,\n"
    "            boys, girls, mn1, boysmn1, girlsmn1, partner,\n"
    "            headpartner, sidepartner}\n";

const std::string sequence = "\nFri Sep 21 2026\nFigure 12\nHEADS PASS THRU, SIDES DIVIDE\n\n"
                             "  1B^  2GV  3B<  4G>\n  .    .    .    .\n\n\nBEND THE LINE";

std::string all_bytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\n')
            bytes.push_back(static_cast<char>(b));
    return bytes;
}

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string argv0;
    std::string input;
    std::string out;
    int status;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Runs : public ::testing::TestWithParam<Case> {};

TEST_P(Runs, GiveTheExpectedOutputAndStatus) {
    const Case& c = GetParam();
    RunOptions options;
    options.args = c.args;
    options.argv0 = c.argv0;
    options.input = c.input;
    auto result = run_program(program_path("callmorph"), options);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Callmorph, Runs,
    ::testing::Values(
        Case{"no_arguments", {}, "", sequence, usage, 1},
        Case{"unknown_keyword", {"Heads"}, "", sequence, usage, 1},
        Case{"two_keywords", {"heads", "sides"}, "", sequence, usage, 1},
        Case{"blank_keyword_split", {"head", "boys"}, "", sequence, usage, 1},
        Case{"blank_keyword_quoted", {"head boys"}, "", "1B^ 1G^\n", "3B^ 1G^\n", 0},
        Case{"partner",
             {"partner"},
             "",
             sequence,
             "\nFri Sep 21 2026\nFigure 12\nHEADS PASS THRU, SIDES DIVIDE\n\n"
             "  1G^  2BV  3G<  4B>\n  .    .    .    .\n\n\nBEND THE LINE\n",
             0},
        Case{"rmpic",
             {"rmpic"},
             "",
             sequence,
             "Fri Sep 21 2026\nFigure 12\nHEADS PASS THRU, SIDES DIVIDE\nBEND THE LINE\n",
             0},
        Case{"lower",
             {"lower"},
             "",
             sequence,
             "\nfri sep 21 2026\nfigure 12\nheads pass thru, sides divide\n\n"
             "  1B^  2GV  3B<  4G>\n  .    .    .    .\n\n\nbend the line\n",
             0},
        Case{"join",
             {"join"},
             "",
             sequence,
             "\nFri Sep 21 2026\nFigure 12\nHEADS PASS THRU, SIDES DIVIDE\n\n"
             "  1B^  2GV  3B<  4G>\n  .    .    .    .\n\nBEND THE LINE\n",
             0},
        Case{"switchhs",
             {"switchhs"},
             "",
             sequence,
             "\nFri Sep 21 2026\nFigure 12\nSIDES PASS THRU, HEADS DIVIDE\n\n"
             "  1B^  2GV  3B<  4G>\n  .    .    .    .\n\n\nBEND THE LINE\n",
             0},
        Case{"binary_bytes_kept", {"join"}, "", all_bytes(), all_bytes() + "\n", 0},
        Case{"empty_input", {"switchhs"}, "", "", "", 0},
        Case{"add1", {"add1"}, "", "Figure 99\nFigure 5\n", "Figure 100\n", 0},
        Case{"add1_beside_unknown", {"add1", "bogus"}, "", "12", "13\n", 0},
        Case{"add1_without_a_line", {"add1"}, "", "", "", 1},
        // Without arguments, an invocation name holding "rmpic" removes
        // pictures; the test is case-sensitive and covers the folder part.
        Case{"named_rmpic", {}, "rmpic", "A\n\n1B^\n", "A\n", 0},
        Case{"named_my_rmpic", {}, "my-rmpic", "A\n\n1B^\n", "A\n", 0},
        Case{"folder_named_rmpic", {}, "/opt/rmpic/bin/callmorph", "A\n\n1B^\n", "A\n", 0},
        Case{"named_in_capitals", {}, "RMPIC", "A\n\n1B^\n", usage, 1},
        Case{"name_ignored_with_arguments", {"lower"}, "rmpic", "A\n\n1B^\n", "a\n\n1B^\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Callmorph, InstalledUnderANameWithRmpic) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("rmpic-tools").c_str(), 0777), 0);
    for (const std::string& link : {dir.file("rmpic"), dir.file("rmpic-tools/cm")}) {
        ASSERT_EQ(symlink(program_path("callmorph").c_str(), link.c_str()), 0);
        RunOptions options;
        options.input = "HEADS\n  1B^ 2GV\n  .   .\n";
        auto result = run_program(link, options);
        EXPECT_EQ(result.out, "HEADS\n") << link;
        EXPECT_EQ(result.status, 0) << link;
    }
}

TEST(Callmorph, LongLinesAndManyBlocks) {
    std::string input, expected;
    std::string long_line(300000, 'x');
    long_line.replace(150000, 3, "2GV");
    input += long_line + "\n";
    expected += long_line.replace(150000, 3, "2BV") + "\n";
    for (int i = 0; i < 100000; ++i) {
        input += "  1B^  3G>\n";
        expected += "  1G^  3B>\n";
    }
    RunOptions options;
    options.args = {"partner"};
    options.input = input;
    auto result = run_program(program_path("callmorph"), options);
    EXPECT_TRUE(result.out == expected)
        << "output differs; sizes " << result.out.size() << " and " << expected.size();
    EXPECT_EQ(result.status, 0);
}

TEST(Callmorph, FailedWritesAreReported) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"heads"}, {"add1"}, {}}) {
        RunOptions options;
        options.args = args;
        options.input = sequence;
        options.stdout_path = "/dev/full";
        auto result = run_program(program_path("callmorph"), options);
        EXPECT_EQ(result.err, "callmorph: write error: No space left on device\n");
        EXPECT_EQ(result.status, 1);
    }
}

TEST(Callmorph, ReadErrorsAreReported) {
    TempDir dir;
    for (const char* keyword : {"rmpic", "add1"}) {
        RunOptions options;
        options.args = {"-c", "exec \"$0\" \"$1\" < \"$2\"", program_path("callmorph"), keyword,
                        dir.path()};
        auto result = run_program("/bin/sh", options);
        EXPECT_EQ(result.err, "callmorph: read error: standard input: Is a directory\n") << keyword;
        EXPECT_EQ(result.status, 1) << keyword;
    }
}

} // namespace
