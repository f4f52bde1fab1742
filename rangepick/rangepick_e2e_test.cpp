#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "run_program.hpp"

using namespace std::string_literals;
using testing_support::RunOptions;
using testing_support::TempDir;

namespace {

// Three well-formed sequences: the leading blank line, then date line, title
// line and one body line each, set apart by separator lines.
const std::string three =
    "\nMon 1\nFirst 10\nb1\n\f\nTue 2\nSecond 20\nb2\n\f\nWed 3\nThird 30\nb3\n";
const std::string seq1 = "\nMon 1\nFirst 10\nb1\n";
const std::string seq2 = "Tue 2\nSecond 20\nb2\n";
const std::string seq3 = "Wed 3\nThird 30\nb3\n";

std::string report(int selected, int total) {
    return "00reader.txt is created (" + std::to_string(selected) + " from " +
           std::to_string(total) + " sequence(s))\n0Xreader.txt is created (" +
           std::to_string(total - selected) + " from " + std::to_string(total) +
           " sequence(s))\nThank you for using rangepick V2.0, Tavrin.\n";
}

const std::string usage = "rangepick V2.0 usage:\n"
                          "  rangepick [-t|-q|-tq|-qt] start_seq_no,end_seq_no filename\n"
                          "  rangepick [-t|-q|-tq|-qt] M-61,M-30 filename\n"
                          "  '$' or 'M' in seq_no means last number of sequence\n"
                          "  start_seq_no or end_seq_no can be empty (defualt: 1,M)\n"
                          "  -t option looks sequence's header for sequence number\n"
                          "  -q option for quiet mode (no message)\n"
                          "  env QUIET_RANGEPICK=1, same as -q option\n";

const std::string cant_open = "rangepick: can't open file: ";
const std::string greater =
    "rangepick: start sequence number is greater than end sequence number, aborted\n";

struct Case {
    const char* name;
    std::vector<std::string> args; // "IN" stands for the input file's path
    std::string file;              // content of the input file
    std::string err;               // "IN" stands for the input file's path
    int status;
    std::optional<std::string> selected; // nullopt: 00reader.txt must not exist
    std::optional<std::string> others;
    std::string input = {};
    std::vector<std::pair<std::string, std::string>> env = {};
};

std::string replace_in(std::string text, const std::string& path) {
    for (std::size_t at; (at = text.find("IN")) != std::string::npos;)
        text.replace(at, 2, path);
    return text;
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class RangepickRun : public ::testing::TestWithParam<Case> {};

TEST_P(RangepickRun, WritesTheExpectedFilesMessagesAndStatus) {
    const Case& c = GetParam();
    TempDir dir;
    dir.write("in.seq", c.file);
    RunOptions options;
    for (const auto& arg : c.args)
        options.args.push_back(arg == "IN" ? dir.file("in.seq") : arg);
    options.input = c.input;
    options.env = c.env;
    options.cwd = dir.path();
    auto result = testing_support::run_program(testing_support::program_path("rangepick"), options);
    EXPECT_EQ(result.err, replace_in(c.err, dir.file("in.seq")));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, "");
    for (auto [name, expected] :
         {std::pair{"00reader.txt", &c.selected}, {"0Xreader.txt", &c.others}}) {
        if (expected->has_value())
            EXPECT_EQ(dir.read(name), **expected) << name;
        else
            EXPECT_FALSE(dir.exists(name)) << name << " was created";
    }
}

const std::string big_line = std::string(2047, 'x') + "\f" + std::string(952, 'y') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Rangepick, RangepickRun,
    ::testing::Values(
        // The three routings of the worked example.
        Case{"middle", {"2,2", "IN"}, three, report(1, 3), 0, "\n" + seq2, seq1 + "\f\n" + seq3},
        Case{"first_two", {"1,2", "IN"}, three, report(2, 3), 0, seq1 + "\f\n" + seq2, "\n" + seq3},
        Case{"last_two",
             {"2,3", "IN"},
             three,
             report(2, 3),
             0,
             "\n" + seq2 + "\f\n" + seq3,
             seq1 + "\f\n"},
        Case{"comma_alone_selects_all", {",", "IN"}, three, report(3, 3), 0, three, "\n"},
        Case{"dollar_alone", {"$", "IN"}, three, report(3, 3), 0, three, "\n"},
        Case{"m_minus_alone",
             {"M-1", "IN"},
             three,
             report(2, 3),
             0,
             seq1 + "\f\n" + seq2,
             "\n" + seq3},
        Case{"m_offsets",
             {"M-61,M-30", "IN"},
             three,
             "rangepick: start/end number (-58/-27) is not a positive number, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"start_past_the_end", {"5,9", "IN"}, three, report(0, 3), 0, "\n", three},
        Case{"empty_input", {"1,1", "IN"}, "", report(0, 1), 0, "", "\n"},
        Case{"closing_separator_not_counted",
             {"1,1", "IN"},
             "\nA\n\f\n",
             report(1, 2),
             0,
             "\nA\n",
             "\n"},
        Case{"open_end_keeps_last_separator",
             {"1,", "IN"},
             "\nA\n\f\n",
             report(2, 2),
             0,
             "\nA\n\f\n",
             "\n"},
        Case{"long_line_is_one_line",
             {"2,2", "IN"},
             "\n" + big_line + "\f\nB\n",
             report(1, 2),
             0,
             "\nB\n",
             "\n" + big_line + "\f\n"},
        Case{"nul_bytes_copied",
             {"1,1", "IN"},
             "\n\0A\n\f\nB\0\n"s,
             report(1, 2),
             0,
             "\n\0A\n"s,
             "\nB\0\n"s},
        // Title numbers.
        Case{"t_option",
             {"-t", "20,30", "IN"},
             three,
             "00reader.txt is created, start-end: 2-3, 2 from 3 sequence(s)\n"
             "0Xreader.txt is created (1 from 3 sequence(s))\n"
             "Thank you for using rangepick V2.0, Tavrin.\n",
             0,
             "\n" + seq2 + "\f\n" + seq3,
             seq1 + "\f\n"},
        Case{"t_start_not_found",
             {"-t", "99,30", "IN"},
             three,
             "rangepick: start/end number (0/3) is not a positive number, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"t_end_not_found",
             {"-tq", "10,99", "IN"},
             three,
             greater,
             1,
             std::nullopt,
             std::nullopt},
        Case{"t_title_without_space",
             {"-tq", "5,5", "IN"},
             "\nMon\nT 1\n\f\nTue\nNoSpace\n",
             "rangepick: -t opt tile line error: NoSpace\nrangepick: -t opt tile line error: "
             "NoSpace\n",
             0,
             "\nTue\nNoSpace\n",
             "\nMon\nT 1\n\f\n"},
        Case{"t_leading_separator",
             {"-tq", "5,5", "IN"},
             "\f\nMon\nT 5\n",
             "",
             0,
             "\nMon\nT 5\n",
             "\f\n"},
        // Quiet runs.
        Case{"q_option", {"-q", "2,2", "IN"}, three, "", 0, "\n" + seq2, seq1 + "\f\n" + seq3},
        Case{"qt_option", {"-qt", "20,20", "IN"}, three, "", 0, "\n" + seq2, seq1 + "\f\n" + seq3},
        Case{"quiet_env_zero",
             {"2,2", "IN"},
             three,
             "",
             0,
             "\n" + seq2,
             seq1 + "\f\n" + seq3,
             "",
             {{"QUIET_RANGEPICK", "0"}}},
        Case{"quiet_env_empty",
             {"2,2", "IN"},
             three,
             "",
             0,
             "\n" + seq2,
             seq1 + "\f\n" + seq3,
             "",
             {{"QUIET_RANGEPICK", ""}}},
        // The file name typed at the prompt.
        Case{"prompt",
             {"2,2"},
             three,
             "rangepick: type in input file name: " + report(1, 3),
             0,
             "\n" + seq2,
             seq1 + "\f\n" + seq3,
             "  \n in.seq  other\n"},
        Case{"prompt_no_word",
             {"2,2"},
             three,
             "rangepick: type in input file name: " + cant_open + "\n" + cant_open + "\n",
             1,
             std::nullopt,
             std::nullopt,
             " \n"},
        Case{"prompt_before_range_check",
             {"1x"},
             three,
             "rangepick: type in input file name: rangepick: argument has unexpected characer(s), "
             "aborted\n",
             1,
             std::nullopt,
             std::nullopt,
             "in.seq\n"},
        // Argument forms and their messages.
        Case{"no_arguments",
             {},
             three,
             "rangepick: need numbers and/or filename, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"help", {"-h"}, three, usage, 1, std::nullopt, std::nullopt},
        Case{"help_long", {"-help"}, three, usage, 1, std::nullopt, std::nullopt},
        Case{"version", {"-v"}, three, "rangepick V2.0\n", 1, std::nullopt, std::nullopt},
        Case{"wrong_option",
             {"-5"},
             three,
             "rangepick: wrong option -5, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"unknown_option",
             {"-h", "1,3", "IN"},
             three,
             "rangepick: unknown option: -h\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"two_files_after_range",
             {"1,3", "IN", "IN"},
             three,
             "rangepick: unknown option: 1,3\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"option_as_range",
             {"-t", "1,3"},
             three,
             "rangepick: argument has unexpected characer(s), aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"four_arguments",
             {"1,3", "IN", "IN", "IN"},
             three,
             cant_open + "\n" + cant_open + "\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"two_commas",
             {"1,2,3", "IN"},
             three,
             "rangepick: argument has 2 ',' characters, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"unexpected_first",
             {"x,1,2", "IN"},
             three,
             "rangepick: argument has unexpected characer(s), aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"longest_range",
             {std::string(2047, '1'), "IN"},
             three,
             greater.substr(0, 0) + report(3, 3),
             0,
             three,
             "\n"},
        Case{"range_too_long",
             {std::string(2048, '1'), "IN"},
             three,
             "rangepick: string length of argument is too large, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"start_greater", {"3,2", "IN"}, three, greater, 1, std::nullopt, std::nullopt},
        Case{"empty_range", {"", "IN"}, three, greater, 1, std::nullopt, std::nullopt},
        Case{"negative_end", {"-3", "IN"}, three, greater, 1, std::nullopt, std::nullopt},
        Case{"zero_start",
             {"0,5", "IN"},
             three,
             "rangepick: start/end number (0/5) is not a positive number, aborted\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"missing_file",
             {"1,3", "nothere"},
             three,
             cant_open + "nothere\n" + cant_open + "nothere\n",
             1,
             std::nullopt,
             std::nullopt},
        Case{"missing_file_dollar",
             {"1,$", "nothere"},
             three,
             cant_open + "nothere\n" + greater,
             1,
             std::nullopt,
             std::nullopt},
        Case{"missing_file_t",
             {"-t", "1,3", "nothere"},
             three,
             cant_open + "nothere\n" + cant_open + "nothere\n" + cant_open + "nothere\n" +
                 cant_open + "nothere\n",
             1,
             std::nullopt,
             std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RangepickFaults, ADirectoryAsInputIsAReadError) {
    TempDir dir;
    auto result = testing_support::run_program(testing_support::program_path("rangepick"),
                                               {.args = {"1,2", dir.path()}, .cwd = dir.path()});
    EXPECT_EQ(result.err, "rangepick: read error: " + dir.path() + ": Is a directory\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(dir.exists("00reader.txt"));
}

TEST(RangepickFaults, OutputsThatCannotBeCreatedStopTheRun) {
    // A directory stands where each output file should be created.
    for (const char* blocked : {"00reader.txt", "0Xreader.txt"}) {
        TempDir dir;
        dir.write("in.seq", three);
        ASSERT_EQ(mkdir(dir.file(blocked).c_str(), 0755), 0);
        auto result = testing_support::run_program(testing_support::program_path("rangepick"),
                                                   {.args = {"2,2", "in.seq"}, .cwd = dir.path()});
        EXPECT_EQ(result.err, std::string("rangepick: can't open file: ") + blocked + "\n");
        EXPECT_EQ(result.status, 1);
    }
}

// Cutting a range out of an earlier result must not empty that result first.
TEST(RangepickFaults, AnOutputFileAsInputIsRefusedUntouched) {
    for (const char* name : {"00reader.txt", "0Xreader.txt"}) {
        TempDir dir;
        dir.write(name, three);
        auto result = testing_support::run_program(testing_support::program_path("rangepick"),
                                                   {.args = {"2,2", name}, .cwd = dir.path()});
        EXPECT_EQ(result.err,
                  std::string("rangepick: input file is output file ") + name + ", aborted\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(dir.read(name), three);
    }
}

// A pipe can be read only once, so the copying pass would find it empty
// after the counting pass: the split is reported as failed.
TEST(RangepickFaults, AnInputThatCannotBeReadTwiceIsAFailure) {
    TempDir dir;
    auto result = testing_support::run_program(
        testing_support::program_path("rangepick"),
        {.args = {"-q", "2,3", "/dev/stdin"}, .input = three, .cwd = dir.path()});
    EXPECT_EQ(result.err, "rangepick: /dev/stdin changed between its readings, aborted\n");
    EXPECT_EQ(result.status, 1);
}

TEST(RangepickFaults, AFailedWriteIsReported) {
    TempDir dir;
    dir.write("in.seq", three);
    ASSERT_EQ(symlink("/dev/full", dir.file("0Xreader.txt").c_str()), 0);
    auto result = testing_support::run_program(testing_support::program_path("rangepick"),
                                               {.args = {"2,2", "in.seq"}, .cwd = dir.path()});
    EXPECT_EQ(result.err, "rangepick: write error: 0Xreader.txt: No space left on device\n");
    EXPECT_EQ(result.status, 1);
}

} // namespace
