#include <gtest/gtest.h>
#include <string>

#include "chainup.hpp"
#include "line_reader.hpp"
#include "writer.hpp"

using namespace std::string_literals;
using chainup::FileEnd;

namespace {

struct Case {
    const char* name;
    std::string before; // already written when the file is appended
    bool separator_first;
    std::string input;
    std::string output; // everything written, `before` included
    FileEnd end;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class AppendFileCases : public ::testing::TestWithParam<Case> {};

TEST_P(AppendFileCases, WritesTheFileLines) {
    const Case& c = GetParam();
    for (std::size_t chunk : {1u, 5u, 4096u}) {
        auto in = seq::LineReader::from_memory(c.input, chunk);
        std::string result;
        seq::Writer out(&result);
        out.put(c.before);
        std::string held;
        EXPECT_EQ(chainup::append_file(in, c.separator_first, out, held), c.end);
        EXPECT_TRUE(out.close());
        EXPECT_EQ(result, c.output) << "chunk " << chunk;
    }
}

const std::string long_y(3000, 'y');

INSTANTIATE_TEST_SUITE_P(
    Chainup, AppendFileCases,
    ::testing::Values(
        // Nothing is written for a file that fails, the separator included.
        Case{"empty_file", "\n", true, "", "\n", FileEnd::no_first_line},
        Case{"only_leading_blank", "\n", true, "\n", "\n", FileEnd::no_second_line},
        Case{"first_file", "\n", false, "\nMon A\ncall one\n\f\n", "\nMon A\ncall one\n",
             FileEnd::done},
        Case{"later_file", "\n", true, "\nTue B\ncall two\n", "\n\f\nTue B\ncall two\n",
             FileEnd::done},
        Case{"first_line_not_blank_kept", "\n", true, "Mon A\nx\n", "\n\f\nMon A\nx\n",
             FileEnd::done},
        Case{"second_blank_line_kept", "\n", false, "\n\nMon A\n", "\n\nMon A\n", FileEnd::done},
        Case{"blank_last_line_kept", "\n", false, "\nMon A\n\n", "\nMon A\n\n", FileEnd::done},
        Case{"only_separator_first", "\n", false, "\f\n", "\n", FileEnd::done},
        Case{"only_separator_later", "\n", true, "\f\n", "\n\f\n", FileEnd::done},
        Case{"closing_separator_without_newline", "\n", false, "\nMon A\n\f", "\nMon A\n",
             FileEnd::done},
        Case{"closing_separator_with_text", "\n", false, "\nMon A\n\fend\n", "\nMon A\n",
             FileEnd::done},
        Case{"inner_separators_kept_whole", "\n", false, "\nA\n\f1\n\f2\n\f3\nB\n",
             "\nA\n\f1\n\f2\n\f3\nB\n", FileEnd::done},
        Case{"only_last_of_closing_run_dropped", "\n", false, "\nA\n\f1\n\f2\n", "\nA\n\f1\n",
             FileEnd::done},
        Case{"last_line_without_newline", "\n", false, "\nMon A\nx", "\nMon A\nx", FileEnd::done},
        // The separator never joins the line before it.
        Case{"separator_after_unfinished_line", "\nx", true, "\nTue B\n", "\nx\n\f\nTue B\n",
             FileEnd::done},
        // Whole lines: a long last line is dropped only when it begins with a
        // form feed, and a form feed inside it changes nothing.
        Case{"long_last_line_kept", "\n", false, "\nA\n" + long_y + "\fz\n",
             "\nA\n" + long_y + "\fz\n", FileEnd::done},
        Case{"long_closing_separator_dropped", "\n", false, "\nA\n\f" + long_y, "\nA\n",
             FileEnd::done},
        Case{"long_first_line_kept", "\n", false, long_y + "\n", "\n" + long_y + "\n",
             FileEnd::done},
        // A NUL is an ordinary byte: "\0\n" is not a leading blank line.
        Case{"nul_line_is_not_blank", "\n", false, "\0\nA\0B\n"s, "\n\0\nA\0B\n"s, FileEnd::done}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
