#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "line_reader.hpp"
#include "pagemark.hpp"
#include "sequence.hpp"
#include "writer.hpp"

using namespace std::string_literals;

namespace {

std::string filter(const std::string& input, std::size_t chunk = seq::LineReader::default_block) {
    auto in = seq::LineReader::from_memory(input, chunk);
    std::string result;
    seq::Writer out(&result);
    EXPECT_EQ(pagemark::run(in, out), 0);
    EXPECT_TRUE(out.close());
    return result;
}

const std::string long_x(300, 'x');

struct Case {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class PagemarkCases : public ::testing::TestWithParam<Case> {};

// Each case is read with small and large refills so that line ends fall on
// both sides of a block boundary.
TEST_P(PagemarkCases, WritesExpectedLines) {
    const Case& c = GetParam();
    for (std::size_t chunk : {1u, 3u, 4096u})
        EXPECT_EQ(filter(c.input, chunk), c.output) << "chunk " << chunk;
}

INSTANTIATE_TEST_SUITE_P(
    Pagemark, PagemarkCases,
    ::testing::Values(
        Case{"empty_input", "", ""}, Case{"single_line_gets_its_newline", "abc", "abc\n"},
        Case{"first_line_date_gets_no_separator", "Mon A\nt 1\n", "Mon A\nt 1\n"},
        Case{"leading_blank_becomes_separator", "\nMon A\nt 1\n", "\f\nMon A\nt 1\n"},
        Case{"one_space_is_blank", "x\n \nTue B\n", "x\n\f\nTue B\n"},
        Case{"two_spaces_are_not_blank", "x\n  \nTue B\n", "x\n  \nTue B\n"},
        Case{"tab_is_not_blank", "x\n\t\nTue B\n", "x\n\t\nTue B\n"},
        Case{"two_blanks_give_one_separator", "x\n\n \nWed C\n", "x\n\f\nWed C\n"},
        Case{"older_blanks_of_a_run_are_written", "x\n \n\n\n\nWed C\n", "x\n \n\n\f\nWed C\n"},
        Case{"blank_without_date_is_written", "a\n\nb\n \n", "a\n\nb\n \n"},
        Case{"held_lines_written_in_order_at_end", "a\n \n\n", "a\n \n\n"},
        Case{"blank_last_line_without_newline", "a\n ", "a\n \n"},
        Case{"date_last_line_without_newline", "a\n\nSun ", "a\n\f\nSun \n"},
        Case{"short_weekday_is_no_date", "a\n\nMon\n", "a\n\nMon\n"},
        Case{"weekday_case_matters", "a\n\nmon A\n\nMON A\n", "a\n\nmon A\n\nMON A\n"},
        Case{"separator_in_input_passes", "a\n\fold\nMon A\n", "a\n\fold\nMon A\n"},
        Case{"blank_after_separator_gives_second", "a\n\f\n\nMon A\n", "a\n\f\n\f\nMon A\n"},
        Case{"each_date_after_blank_gets_one", "\nMon A\n\nTue B\n", "\f\nMon A\n\f\nTue B\n"},
        Case{"date_after_marked_date_gets_none", "\nMon A\nTue B\n", "\f\nMon A\nTue B\n"},
        Case{"blank_after_marked_date", "\nMon A\n\nx\n", "\f\nMon A\n\nx\n"},
        // Lines are whole, whatever their length: nothing is split, and a
        // weekday inside a long line does not make it a date line.
        Case{"long_line_written_whole", "\n"s + long_x + "\n", "\n"s + long_x + "\n"},
        Case{"weekday_inside_long_line", "\n"s + std::string(255, 'x') + "Mon A\n",
             "\n"s + std::string(255, 'x') + "Mon A\n"},
        Case{"long_date_line", "\nMon "s + long_x + "\n", "\f\nMon "s + long_x + "\n"},
        // A NUL is an ordinary byte: such a line is not blank, and is whole.
        Case{"nul_line_is_not_blank", "x\n\0\nMon A\n"s, "x\n\0\nMon A\n"s},
        Case{"nul_inside_line_kept", "a\0b\nc\0"s, "a\0b\nc\0\n"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pagemark, WorkedExampleOfFourteenLines) {
    std::string input = "\nMon A\ntitle 1\ncall one\n\nTue B\ntitle 2\ncall two\n\n\nWed C\n"
                        "title 3\n \ncall three\n";
    std::string output = "\f\nMon A\ntitle 1\ncall one\n\f\nTue B\ntitle 2\ncall two\n"
                         "\f\nWed C\ntitle 3\n \ncall three\n";
    EXPECT_EQ(filter(input), output);
}

// Date lines and the blank lines before them are found wherever they stand
// relative to the blocks the search goes by, and lines that merely end in a
// space or hold two are not blank.
TEST(Pagemark, FindsBlankLinesBeforeDateLinesAtEveryOffset) {
    for (std::size_t width = 1; width < 140; ++width) {
        std::string content(width, 'x');
        std::string input = content + "\n \nMon A\n" + content + "\n  \nTue B\n" + content +
                            " \nWed C\n\n\n\nThu D\n" + content + "\n";
        std::string output = content + "\n\f\nMon A\n" + content + "\n  \nTue B\n" + content +
                             " \nWed C\n\n\f\nThu D\n" + content + "\n";
        EXPECT_EQ(filter(input), output) << width;
    }
}

// The filter as a machine with two held lines, transcribed state by state.
// The program settles lines earlier than this machine does, so random inputs
// check that both always write the same bytes.
std::string held_line_machine(const std::vector<std::string>& texts) {
    std::string result;
    std::vector<std::string> held; // older first, at most two
    auto write = [&](const std::string& t) { result += t + "\n"; };
    for (const std::string& line : texts) {
        if (!held.empty() && seq::is_date_line(line) && pagemark::is_blank_line(held.back())) {
            if (held.size() == 2 && !pagemark::is_blank_line(held.front()))
                write(held.front());
            held.clear();
            write("\f");
            write(line);
            continue;
        }
        if (held.size() == 2) {
            write(held.front());
            held.erase(held.begin());
        }
        held.push_back(line);
    }
    for (const std::string& t : held)
        write(t);
    return result;
}

TEST(Pagemark, AgreesWithTheHeldLineMachine) {
    const std::vector<std::string> kinds = {"",
                                            " ",
                                            "  ",
                                            "Mon A",
                                            "Sun ",
                                            "text",
                                            "\f",
                                            "\0"s,
                                            "a line of some length",
                                            "ALL 8 SWING THRU",
                                            std::string(70, 'x')};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> texts(random() % 80);
        std::string input;
        for (std::string& t : texts) {
            t = kinds[random() % kinds.size()];
            input += t + "\n";
        }
        // The last line may lack its newline, unless it is empty: without
        // the newline there would be no line at all.
        if (!texts.empty() && !texts.back().empty() && random() % 2 == 0)
            input.pop_back();
        std::string expected = held_line_machine(texts);
        for (std::size_t chunk : {1u, 7u, 4096u})
            ASSERT_EQ(filter(input, chunk), expected) << "round " << round << ", chunk " << chunk;
    }
}

} // namespace
