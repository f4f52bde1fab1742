#include <gtest/gtest.h>
#include <string>

#include "line_reader.hpp"
#include "twocol.hpp"
#include "writer.hpp"

using namespace std::string_literals;

namespace {

struct Case {
    const char* name;
    std::string left;
    std::string right;
    std::string expected;
};

const std::string long_left = std::string(1500, 'L') + "\fMon \n";
const std::string long_right = std::string(2000, 'R') + "\n";

const Case cases[] = {
    {"worked_example", "Mon A\ncall one\ncall two\n", "Tue B\ncall three\n",
     "Mon A | Tue B\ncall one | call three\n"},
    {"left_empty", "", "a\nb\n", ""},
    {"right_empty", "a\nb\n", "", ""},
    {"left_shorter", "a\n", "x\ny\nz\n", "a | x\n"},
    {"empty_left_line", "\nb\n", "x\ny\n", " | x\nb | y\n"},
    {"empty_right_line", "a\nb\n", "\ny\n", "a | \nb | y\n"},
    {"left_last_line_without_newline", "a\nb", "x\ny\n", "a | x\nb | y\n"},
    {"right_last_line_without_newline", "a\nb\nc\n", "x\ny", "a | x\nb | y"},
    {"separator_lines_paired", "\f\nMon \n", "x\n\f\n", "\f | x\nMon  | \f\n"},
    {"nul_bytes_kept", "a\0b\n"s, "\0\n"s, "a\0b | \0\n"s},
    {"long_lines_paired_whole", long_left + "s\n", long_right + "t\n",
     std::string(1500, 'L') + "\fMon  | " + long_right + "s | t\n"},
};

TEST(List, PairsWholeLinesWhateverTheBlockSize) {
    for (const Case& c : cases) {
        for (std::size_t chunk : {1u, 3u, 64u, 65536u}) {
            auto left = seq::LineReader::from_memory(c.left, chunk);
            auto right = seq::LineReader::from_memory(c.right, chunk);
            std::string sink;
            seq::Writer out(&sink);
            EXPECT_EQ(twocol::list(left, "l", right, "r", out), 0) << c.name;
            out.close();
            EXPECT_EQ(sink, c.expected) << c.name << ", blocks of " << chunk;
        }
    }
}

} // namespace
