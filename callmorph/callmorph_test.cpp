#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "callmorph.hpp"

using namespace std::string_literals;

namespace {

struct Outcome {
    int status;
    std::string out;
};

// Runs the program logic over in-memory input. Refills of a few bytes put
// line ends on every side of a block boundary.
Outcome call(std::vector<std::string_view> args, std::string_view input,
             std::size_t chunk = seq::LineReader::default_block,
             std::string_view invocation_name = "callmorph") {
    std::string sink;
    auto in = seq::LineReader::from_memory(input, chunk);
    seq::Writer out(&sink);
    int status = callmorph::run(invocation_name, args, in, out);
    EXPECT_TRUE(out.flush());
    return {status, sink};
}

std::string filter(std::string_view keyword, std::string_view input) {
    Outcome o = call({keyword}, input);
    EXPECT_EQ(o.status, 0) << keyword;
    return o.out;
}

struct FilterCase {
    const char* name;
    std::vector<std::string_view> args;
    std::string input;
    std::string out;
    int status = 0;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.name;
}

class Filters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Filters, WriteTheExpectedText) {
    const FilterCase& c = GetParam();
    for (std::size_t chunk : {3u, 4096u}) {
        Outcome o = call(c.args, c.input, chunk);
        EXPECT_EQ(o.out, c.out) << "chunk " << chunk;
        EXPECT_EQ(o.status, c.status) << "chunk " << chunk;
    }
}

std::string name_of(const ::testing::TestParamInfo<FilterCase>& info) {
    return info.param.name;
}

// One picture line holding all eight designators, with every facing mark.
const std::string eight = "  1B^ 2BV 3B< 4B> 1G^ 2GV 3G< 4G>\n1B AND 3G\n";

INSTANTIATE_TEST_SUITE_P(
    DancerModes, Filters,
    ::testing::Values(
        FilterCase{"all", {"all"}, eight, "  3B^ 4BV 1B< 2B> 3G^ 4GV 1G< 2G>\n1B AND 3G\n"},
        FilterCase{"heads", {"heads"}, eight, "  3B^ 2BV 1B< 4B> 3G^ 2GV 1G< 4G>\n1B AND 3G\n"},
        FilterCase{"sides", {"sides"}, eight, "  1B^ 4BV 3B< 2B> 1G^ 4GV 3G< 2G>\n1B AND 3G\n"},
        FilterCase{
            "headboys", {"headboys"}, eight, "  3B^ 2BV 1B< 4B> 1G^ 2GV 3G< 4G>\n1B AND 3G\n"},
        FilterCase{
            "headgirls", {"headgirls"}, eight, "  1B^ 2BV 3B< 4B> 3G^ 2GV 1G< 4G>\n1B AND 3G\n"},
        FilterCase{
            "sideboys", {"sideboys"}, eight, "  1B^ 4BV 3B< 2B> 1G^ 2GV 3G< 4G>\n1B AND 3G\n"},
        FilterCase{
            "sidegirls", {"sidegirls"}, eight, "  1B^ 2BV 3B< 4B> 1G^ 4GV 3G< 2G>\n1B AND 3G\n"},
        FilterCase{"boys", {"boys"}, eight, "  3B^ 4BV 1B< 2B> 1G^ 2GV 3G< 4G>\n1B AND 3G\n"},
        FilterCase{"girls", {"girls"}, eight, "  1B^ 2BV 3B< 4B> 3G^ 4GV 1G< 2G>\n1B AND 3G\n"},
        FilterCase{"mn1", {"mn1"}, eight, "  4B^ 1BV 2B< 3B> 4G^ 1GV 2G< 3G>\n1B AND 3G\n"},
        FilterCase{"boysmn1", {"boysmn1"}, eight, "  4B^ 1BV 2B< 3B> 1G^ 2GV 3G< 4G>\n1B AND 3G\n"},
        FilterCase{
            "girlsmn1", {"girlsmn1"}, eight, "  1B^ 2BV 3B< 4B> 4G^ 1GV 2G< 3G>\n1B AND 3G\n"},
        FilterCase{"partner", {"partner"}, eight, "  1G^ 2GV 3G< 4G> 1B^ 2BV 3B< 4B>\n1B AND 3G\n"},
        FilterCase{"headpartner",
                   {"headpartner"},
                   eight,
                   "  1G^ 2BV 3G< 4B> 1B^ 2GV 3B< 4G>\n1B AND 3G\n"},
        FilterCase{"sidepartner",
                   {"sidepartner"},
                   eight,
                   "  1B^ 2GV 3B< 4G> 1G^ 2BV 3G< 4B>\n1B AND 3G\n"},
        // Only a couple number, a capital B or G and a facing mark in a row
        // make a picture designator; the line's ends are no exception.
        FilterCase{"first_and_last_bytes", {"all"}, "1B^ x 4GV\n", "3B^ x 2GV\n"},
        FilterCase{"letter_at_the_ends", {"all"}, "B^ 1B\nG\n", "B^ 1B\nG\n"},
        FilterCase{"no_blank_between", {"all"}, "1B^2G<\n", "3B^4G<\n"},
        FilterCase{"not_designators",
                   {"all"},
                   "1b^ 0B^ 5G> 1BG^ 1B\x80 \xB1G^\n",
                   "1b^ 0B^ 5G> 1BG^ 1B\x80 \xB1G^\n"},
        FilterCase{"call_text_then_picture", {"heads"}, "1B AND 3G 1B^\n", "1B AND 3G 3B^\n"},
        FilterCase{"mn1_example", {"mn1"}, "4B^ 1G^\n", "3B^ 4G^\n"},
        FilterCase{"boys_example", {"boys"}, "1GV 3BV\n", "1GV 1BV\n"},
        FilterCase{"empty_lines_and_no_final_newline", {"partner"}, "\n1B> 1G<", "\n1G> 1B<\n"},
        FilterCase{"empty_input", {"partner"}, "", ""}),
    name_of);

TEST(DancerModes, SelfInverseModesGiveBackTheText) {
    const std::string text = "HEADS SQUARE THRU\n  1B^ 2GV 3B< 4G>\n  2B^1G^ 4BV3GV\n\n1B AND 3G\n";
    for (std::string_view mode :
         {"heads", "sides", "all", "boys", "girls", "headboys", "headgirls", "sideboys",
          "sidegirls", "partner", "headpartner", "sidepartner"}) {
        std::string once = filter(mode, text);
        EXPECT_NE(once, text) << mode;
        EXPECT_EQ(filter(mode, once), text) << mode;
    }
    for (std::string_view mode : {"mn1", "boysmn1", "girlsmn1"}) {
        std::string pass = text;
        for (int round = 1; round <= 4; ++round) {
            pass = filter(mode, pass);
            EXPECT_EQ(pass == text, round == 4) << mode << " round " << round;
        }
    }
}

TEST(DancerModes, WholeLinesOfAnyLengthAndAllTheirBytes) {
    std::string line(5000, 'x');
    line.replace(2999, 3, "1B^");
    line[10] = '\0';
    std::string expected = line;
    expected.replace(2999, 3, "1G^");
    for (std::size_t chunk : {7u, 1024u})
        EXPECT_EQ(call({"partner"}, line + "\n" + line, chunk).out,
                  expected + "\n" + expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    PictureRemoval, Filters,
    ::testing::Values(FilterCase{"picture_lines_dropped",
                                 {"rmpic"},
                                 "PASS THRU\n\n  1B^  2GV\n  .  .\nx 3G>\n\nBEND THE LINE\n",
                                 "PASS THRU\nBEND THE LINE\n"},
                      FilterCase{"call_text_kept_unchanged",
                                 {"rmpic"},
                                 "1B AND 3G Star Thru\n",
                                 "1B AND 3G Star Thru\n"},
                      FilterCase{"dots_lines",
                                 {"rmpic"},
                                 "    .    .    .    .\n   \n  .\n.  .\n  ..\n  .x\n x . \n",
                                 ".  .\n  ..\n  .x\n x . \n"},
                      FilterCase{"empty_lines_all_dropped", {"rmpic"}, "\n\nA\n\nB\n\n", "A\nB\n"},
                      FilterCase{"nul_is_kept", {"rmpic"}, "A\0B\n"s, "A\0B\n"s}),
    name_of);

TEST(PictureRemoval, DotsLineTest) {
    struct Row {
        std::string_view line;
        bool dots;
    };
    for (Row row : {Row{"    .    .", true}, Row{" ", true}, Row{" .", true}, Row{" . ", true},
                    Row{"", false}, Row{".", false}, Row{". ", false}, Row{" ..", false},
                    Row{" .x", false}, Row{" . x", false}, Row{"\t.", false}})
        EXPECT_EQ(callmorph::is_dots_line(row.line), row.dots) << '"' << row.line << '"';
}

INSTANTIATE_TEST_SUITE_P(Lowering, Filters,
                         ::testing::Values(FilterCase{"picture_unchanged",
                                                      {"lower"},
                                                      "  1B^  2GV  3B<  4G>\n",
                                                      "  1B^  2GV  3B<  4G>\n"},
                                           FilterCase{"call_text_lowered",
                                                      {"lower"},
                                                      "HEADS SQUARE THRU, 1B AND 3G\nFri Sep 21\n",
                                                      "heads square thru, 1b and 3g\nfri sep 21\n"},
                                           FilterCase{"only_facing_marks_spared",
                                                      {"lower"},
                                                      "1BVV\n1B^V\n5B^\nBV\nVB\nV\nG\n",
                                                      "1BVv\n1B^v\n5b^\nbv\nvb\nv\ng\n"},
                                           FilterCase{"other_bytes_unchanged",
                                                      {"lower"},
                                                      "@[`{ 09 az\xC1\xDA\0Q\n"s,
                                                      "@[`{ 09 az\xC1\xDA\0q\n"s}),
                         name_of);

INSTANTIATE_TEST_SUITE_P(
    Join, Filters,
    ::testing::Values(
        FilterCase{"runs_squeezed", {"join"}, "one\n\n\n\ntwo\n\n\n", "one\n\ntwo\n\n"},
        FilterCase{"spaces_end_a_run", {"join"}, "\n\n  \n\n\n", "\n  \n\n"},
        FilterCase{"without_join_every_empty_line_kept", {"lower"}, "A\n\n\nB", "a\n\n\nb\n"}),
    name_of);

TEST(Switch, ExchangesTheFirstHeadAndSideWords) {
    struct Row {
        std::string in, out;
    };
    for (const Row& row : {
             Row{"HEADS PASS THRU, SIDES DIVIDE", "SIDES PASS THRU, HEADS DIVIDE"},
             Row{"SIDES ROLL, HEADS FACE", "HEADS ROLL, SIDES FACE"},
             Row{"HEADS AND HEADS", "SIDES AND HEADS"},
             Row{"HEADS, HEADS, SIDES", "SIDES, HEADS, HEADS"},
             Row{"heads star thru", "sides star thru"},
             Row{"Heads star thru", "Heads star thru"},
             Row{"HEAD BOYS RUN", "SIDE BOYS RUN"},
             Row{"SIDE GIRL FOLD", "HEAD GIRL FOLD"},
             Row{"head boy and side boy", "side boy and head boy"},
             Row{"HEADLINER, sideliner", "SIDELINER, headliner"},
             Row{"outsides roll", "outsides roll"},
             Row{"outheads roll", "outsides roll"},
             Row{"outsides and sides", "outsides and sides"},
             Row{"heads then outheads", "sides then outsides"},
             Row{"TMPSS", "SIDES"},
             Row{"tmps girl", "side girl"},
             Row{"  1B^ 2GV", "  1B^ 2GV"},
             Row{"", ""},
         }) {
        std::string text = row.in;
        callmorph::switch_heads_sides(text);
        EXPECT_EQ(text, row.out) << row.in;
    }
}

// The exchange as a plain list of first-occurrence replacements, to hold the
// faster one to on lines built from pieces of the words and their neighbours.
TEST(Switch, AgreesWithPlainReplacementsOnMixedWords) {
    const std::pair<std::string_view, std::string_view> steps[] = {
        {"HEADS", "TMPSS"},         {"heads", "tmpss"},         {"SIDES", "HEADS"},
        {"sides", "heads"},         {"TMPSS", "SIDES"},         {"tmpss", "sides"},
        {"HEAD BOY", "TMPS BOY"},   {"head boy", "tmps boy"},   {"SIDE BOY", "HEAD BOY"},
        {"side boy", "head boy"},   {"TMPS BOY", "SIDE BOY"},   {"tmps boy", "side boy"},
        {"HEAD GIRL", "TMPS GIRL"}, {"head girl", "tmps girl"}, {"SIDE GIRL", "HEAD GIRL"},
        {"side girl", "head girl"}, {"TMPS GIRL", "SIDE GIRL"}, {"tmps girl", "side girl"},
        {"HEADLINER", "TMPSLINER"}, {"headliner", "tmpsliner"}, {"SIDELINER", "HEADLINER"},
        {"sideliner", "headliner"}, {"TMPSLINER", "SIDELINER"}, {"tmpsliner", "sideliner"},
        {"outheads", "outsides"}};
    const std::string_view pieces[] = {"HEAD", "head", "SIDE", "side",  "TMP",   "tmp",   "S",
                                       "s",    " BOY", " boy", " GIRL", " girl", "LINER", "liner",
                                       "out",  "D",    "P",    "E",     "I",     "M",     "A",
                                       "d",    "e",    " ",    "x"};
    std::uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (unsigned count = next() % 12; count > 0; --count)
            line += pieces[next() % std::size(pieces)];
        std::string expected = line;
        for (auto [pattern, replacement] : steps)
            if (std::size_t at = expected.find(pattern); at != std::string::npos)
                expected.replace(at, replacement.size(), replacement);
        std::string text = line;
        callmorph::switch_heads_sides(text);
        ASSERT_EQ(text, expected) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switch, Filters,
    ::testing::Values(
        FilterCase{"copy_is_written", {"switchhs"}, "HEADS\n\n1B^ sides", "SIDES\n\n1B^ heads\n"},
        FilterCase{"long_line",
                   {"switchhs"},
                   std::string(4000, '.') + "HEADS" + std::string(4000, '.') + "\n",
                   std::string(4000, '.') + "SIDES" + std::string(4000, '.') + "\n"}),
    name_of);

TEST(LineLoop, AppliesEveryStepOfACombinationInOrder) {
    auto run_with = [](const callmorph::Settings& settings, std::string_view input) {
        std::string sink;
        auto in = seq::LineReader::from_memory(input);
        seq::Writer out(&sink);
        EXPECT_EQ(callmorph::filter_lines(settings, in, out), 0);
        EXPECT_TRUE(out.flush());
        return sink;
    };
    callmorph::Settings lower_heads;
    lower_heads.lower_flag = true;
    lower_heads.dancer_mode = 2;
    EXPECT_EQ(run_with(lower_heads, "HEADS 1B^ 2GV\n"), "heads 3B^ 2GV\n");

    // Picture removal drops empty lines whatever join says; the exchange
    // writes its copy of every line, the picture lines included.
    callmorph::Settings remove_switch;
    remove_switch.rmpic_flag = true;
    remove_switch.join_flag = true;
    remove_switch.switchhs_flag = true;
    EXPECT_EQ(run_with(remove_switch, "HEADS\n\n1B^ heads\n"), "HEADS\nSIDES\n1B^ sides\n");
}

// A single keyword takes a path that works on whole runs of lines; it must
// write exactly what the steps give line by line, wherever the runs break.
TEST(LineLoop, RunsOfLinesGiveWhatSingleLinesGive) {
    std::string text = "\n\n\nFri Sep 21\nHEADS PASS THRU, SIDES DIVIDE\n\n\n\n"
                       "  1B^  2GV  3B<  4G>\n  .    .\n \n\nhead boy and side boy\n"
                       "outsides and sides\nTMPSS heads\x80\0 SIDELINER\n"s +
                       std::string(3000, 'V') + "1BV\n1B^2G<\n\n" + std::string(200, '\n') + "HEAD";
    for (std::string_view keyword :
         {"all", "heads", "sides", "headboys", "headgirls", "sideboys", "sidegirls", "boys",
          "girls", "mn1", "boysmn1", "girlsmn1", "partner", "headpartner", "sidepartner", "lower",
          "join", "rmpic", "switchhs"}) {
        std::vector<std::string_view> args{keyword};
        callmorph::Settings settings = callmorph::parse_arguments("callmorph", args);
        for (std::string input : {text, text + "\n", text + "\n\n"}) {
            for (std::size_t chunk : {1u, 2u, 5u, 64u, 4096u}) {
                std::string by_runs, by_lines;
                auto in_runs = seq::LineReader::from_memory(input, chunk);
                auto in_lines = seq::LineReader::from_memory(input, chunk);
                seq::Writer out_runs(&by_runs), out_lines(&by_lines);
                EXPECT_EQ(callmorph::filter_lines(settings, in_runs, out_runs), 0);
                EXPECT_EQ(callmorph::filter_lines_one_by_one(settings, in_lines, out_lines), 0);
                ASSERT_TRUE(out_runs.flush() && out_lines.flush());
                EXPECT_EQ(by_runs, by_lines) << keyword << " chunk " << chunk;
            }
        }
    }
}

TEST(LineLoop, ReadErrorIsReportedNotTakenAsTheEnd) {
    int fd = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (std::string_view keyword : {"heads", "add1"}) {
        seq::LineReader in(fd);
        std::string sink;
        seq::Writer out(&sink);
        std::vector<std::string_view> args{keyword};
        testing::internal::CaptureStderr();
        int status = callmorph::run("callmorph", args, in, out);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, 1) << keyword;
        EXPECT_EQ(err.rfind("callmorph: read error: standard input: ", 0), 0u) << err;
    }
    close(fd);
}

TEST(AddOne, ReplacesTheNumberAfterTheLastSpace) {
    struct Row {
        std::string in, out;
    };
    for (const Row& row : {
             Row{"Figure 12", "Figure 13"},
             Row{"Figure 12abc", "Figure 13"},
             Row{"Figure word", "Figure 1"},
             Row{"Figure ", "Figure 1"},
             Row{"Figure -1", "Figure 0"},
             Row{"Figure 12 ", "Figure 12 1"},
             Row{"a b 7", "a b 8"},
             Row{"12", "13"},
             Row{"99", "100"},
             Row{"7", "8"},
             Row{"abc", "1"},
             Row{" 5", " 6"},
             Row{"", ""},
             Row{"x 2147483647", "x 2147483648"},
             Row{"x 9223372036854775807", "x 9223372036854775807"},
             Row{"x 99999999999999999999", "x 9223372036854775807"},
             Row{"x -9223372036854775809", "x -9223372036854775807"},
             Row{"a\0b 4"s, "a\0b 5"s},
         })
        EXPECT_EQ(callmorph::add_one(row.in), row.out) << row.in;
}

INSTANTIATE_TEST_SUITE_P(
    AddOne, Filters,
    ::testing::Values(
        FilterCase{"only_the_first_line", {"add1"}, "Title 41\nTitle 7\n", "Title 42\n"},
        FilterCase{"no_final_newline", {"add1"}, "Title 41", "Title 42\n"},
        FilterCase{"empty_first_line", {"add1"}, "\nTitle 7\n", "\n"},
        FilterCase{"no_line_at_all", {"add1"}, "", "", 1},
        FilterCase{"beside_other_keywords", {"lower", "add1", "nonsense"}, "A 1\n", "A 2\n"}),
    name_of);

TEST(CommandLine, KeywordsAndTheChoiceOfOperation) {
    using callmorph::Operation;
    struct Row {
        std::vector<std::string_view> args;
        std::string_view name;
        Operation operation;
        int dancer_mode;
    };
    for (const Row& row : {
             Row{{"head boys"}, "callmorph", Operation::line_loop, 4},
             Row{{"head-boys"}, "callmorph", Operation::line_loop, 4},
             Row{{"head girls"}, "callmorph", Operation::line_loop, 5},
             Row{{"head-girls"}, "callmorph", Operation::line_loop, 5},
             Row{{"side boys"}, "callmorph", Operation::line_loop, 6},
             Row{{"side-boys"}, "callmorph", Operation::line_loop, 6},
             Row{{"side girls"}, "callmorph", Operation::line_loop, 7},
             Row{{"side-girls"}, "callmorph", Operation::line_loop, 7},
             Row{{"boys-mn1"}, "callmorph", Operation::line_loop, 11},
             Row{{"girls-mn1"}, "callmorph", Operation::line_loop, 12},
             Row{{"head", "boys"}, "callmorph", Operation::usage, 8},
             Row{{"heads", "sides"}, "callmorph", Operation::usage, 3},
             Row{{"lower", "join"}, "callmorph", Operation::usage, 0},
             Row{{"Heads"}, "callmorph", Operation::usage, 0},
             Row{{"heads "}, "callmorph", Operation::usage, 0},
             Row{{""}, "rmpic", Operation::usage, 0},
             Row{{"partner", "add1"}, "callmorph", Operation::add1, 13},
             Row{{}, "callmorph", Operation::usage, 0},
             Row{{}, "", Operation::usage, 0},
             Row{{}, "rmpic", Operation::line_loop, 0},
             Row{{}, "/usr/local/bin/my-rmpic", Operation::line_loop, 0},
             Row{{}, "tools/rmpic/callmorph", Operation::line_loop, 0},
             Row{{}, "RMPIC", Operation::usage, 0},
         }) {
        callmorph::Settings settings = callmorph::parse_arguments(row.name, row.args);
        std::string label = std::string(row.name) + " with " + std::to_string(row.args.size());
        EXPECT_EQ(callmorph::choose_operation(settings, row.args.size()), row.operation) << label;
        EXPECT_EQ(settings.dancer_mode, row.dancer_mode) << label;
    }
}

TEST(CommandLine, UsageTextReadsNothing) {
    std::string sink;
    auto in = seq::LineReader::from_memory("HEADS\n");
    seq::Writer out(&sink);
    std::vector<std::string_view> args{"bogus"};
    EXPECT_EQ(callmorph::run("callmorph", args, in, out), 1);
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(sink, "callmorph: callmorph {dancers, lower, join, add1, rmpic, switchhs}\n"
                    "  dancers: {all, heads, sides, headboys, sideboys, headgirls, sidegirls,\n"
                    "            boys, girls, mn1, boysmn1, girlsmn1, partner,\n"
                    "            headpartner, sidepartner}\n");
    std::string_view line;
    ASSERT_TRUE(in.next(line));
    EXPECT_EQ(line, "HEADS\n");
}

TEST(Strgrep, FindsTheFirstOccurrence) {
    constexpr auto none = std::string_view::npos;
    EXPECT_EQ(callmorph::strgrep("rmpic", "tools/rmpic.exe"), 6u);
    EXPECT_EQ(callmorph::strgrep("abc", "ab"), none);
    EXPECT_EQ(callmorph::strgrep("ab", "xabab"), 1u);
    EXPECT_EQ(callmorph::strgrep("", "x"), 0u);
    EXPECT_EQ(callmorph::strgrep("", ""), none);
    EXPECT_EQ(callmorph::strgrep("Rmpic", "rmpic"), none);
}

} // namespace
