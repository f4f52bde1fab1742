#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include "line_reader.hpp"
#include "sequence.hpp"
#include "tallyup.hpp"
#include "writer.hpp"

using namespace std::string_literals;

namespace {

const std::string thirteen(13, ' ');

struct TitleCase {
    const char* name;
    std::string line;
    std::int64_t number;
    std::string label;
    std::string written;
};

TEST(TallyupThisLine, RewritesTheTextAfterTheLastSpaceOrTheWholeLineWithALabel) {
    const std::string long_tail(3000, 'z');
    const std::string long_label(500, 'L');
    const TitleCase cases[] = {
        {"number", "Basic warmup 7\n", 3, "", "Basic warmup 3\n"},
        {"trailing_space_keeps_old_number", "Title 5 \n", 3, "", "Title 5 3\n"},
        {"text_after_number_goes", "Title 5 (hard)\n", 3, "", "Title 5 3\n"},
        {"no_space_unchanged", "Warmup\n", 3, "", "Warmup\n"},
        {"no_space_no_newline_unchanged", "Warmup", 3, "", "Warmup"},
        {"empty_line_unchanged", "\n", 3, "", "\n"},
        {"one_space", " \n", 3, "", " 3\n"},
        {"missing_newline_added", "Title 9", 3, "", "Title 3\n"},
        {"negative", "Title 9\n", -3, "", "Title -3\n"},
        {"int64_limits", "a 1\n", INT64_MIN, "", "a -9223372036854775808\n"},
        {"nul_inside_is_text", "a\0b c\0d\n"s, 3, "", "a\0b 3\n"s},
        {"last_space_of_long_line", "x y" + long_tail + "\n", 3, "", "x 3\n"},
        {"space_at_end_of_long_line", long_tail + " 1\n", 12, "", long_tail + " 12\n"},
        {"label", "Basic warmup 7\n", 12, "easy c1", thirteen + "easy c1 12\n"},
        {"label_on_empty_line", "\n", 3, "easy c1", thirteen + "easy c1 3\n"},
        {"label_on_line_without_newline", "x", 3, "easy c1", thirteen + "easy c1 3\n"},
        {"long_label_whole", "t 1\n", 3, long_label, thirteen + long_label + " 3\n"},
    };
    for (const auto& c : cases) {
        std::string written;
        seq::Writer out(&written);
        EXPECT_TRUE(tallyup::tallyup_this_line(c.line, c.number, c.label, out)) << c.name;
        ASSERT_TRUE(out.flush());
        EXPECT_EQ(written, c.written) << c.name;
    }
}

TEST(TallyupThisLine, RefusesALineThatBeginsWithNul) {
    for (std::string label : {"", "easy c1"}) {
        std::string written;
        seq::Writer out(&written);
        EXPECT_FALSE(tallyup::tallyup_this_line("\0abc 5\n"s, 3, label, out)) << label;
        ASSERT_TRUE(out.flush());
        EXPECT_EQ(written, "");
    }
}

TEST(Settings, ReadsTheStartNumberByThePlainNumberRuleAndIgnoresAnEmptyLabel) {
    const std::pair<const char*, std::int64_t> starts[] = {
        {nullptr, 1}, {"12", 12},    {"0", 0},
        {"-3", -3},   {"12abc", 12}, {"", 0},
        {"abc", 0},   {" 7", 7},     {"99999999999999999999", INT64_MAX},
    };
    for (const auto& [text, start] : starts)
        EXPECT_EQ(tallyup::settings_from({text, nullptr}).start_number, start)
            << (text ? text : "(unset)");
    EXPECT_TRUE(tallyup::settings_from({nullptr, ""}).label_buf.empty());
    EXPECT_EQ(tallyup::settings_from({nullptr, "easy c1"}).label_buf, "easy c1");
}

struct FileCase {
    const char* name;
    std::string input;
    tallyup::Settings settings;
    std::string output;
    int status = 0;
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class Renumber : public ::testing::TestWithParam<FileCase> {};

// Each file is read with refills of several sizes, so line ends fall on both
// sides of a block boundary and long lines outgrow the block.
TEST_P(Renumber, WritesTheFileWithItsTitlesRenumbered) {
    const FileCase& c = GetParam();
    for (std::size_t chunk : {1u, 5u, 64u, 4096u}) {
        auto in = seq::LineReader::from_memory(c.input, chunk);
        std::string sink;
        seq::Writer out(&sink);
        EXPECT_EQ(tallyup::renumber(in, out, c.settings, "file"), c.status) << "chunk " << chunk;
        EXPECT_TRUE(out.close());
        EXPECT_EQ(sink, c.output) << "chunk " << chunk;
    }
}

const std::string worked = "\nMon A\nBasic warmup 7\nheads star thru\n\f\n"
                           "Tue B\nPlus practice 3\nsides pass thru\n";
const std::string long_date = "Wed " + std::string(2996, 'd') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Tallyup, Renumber,
    ::testing::Values(
        FileCase{"worked_example",
                 worked,
                 {},
                 "\nMon A\nBasic warmup 1\nheads star thru\n\f\n"
                 "Tue B\nPlus practice 2\nsides pass thru\n"},
        FileCase{"worked_example_from_12",
                 worked,
                 {12, ""},
                 "\nMon A\nBasic warmup 12\nheads star thru\n\f\n"
                 "Tue B\nPlus practice 13\nsides pass thru\n"},
        FileCase{"worked_example_from_12_with_label",
                 worked,
                 {12, "easy c1"},
                 "\nMon A\n" + thirteen + "easy c1 12\nheads star thru\n\f\n" + "Tue B\n" +
                     thirteen + "easy c1 13\nsides pass thru\n"},
        FileCase{"no_date_lines_copied_exactly",
                 "\nMon\nmon x 1\n\0Tue 5\n\f\nx 1"s,
                 {},
                 "\nMon\nmon x 1\n\0Tue 5\n\f\nx 1"s},
        FileCase{"empty_file", "", {}, ""},
        FileCase{"date_line_last", "Mon A\nt 9\nSun ", {}, "Mon A\nt 1\nSun "},
        FileCase{"title_without_space_uses_its_number",
                 "Mon A\nWarmup\nTue B\nt 9\n",
                 {},
                 "Mon A\nWarmup\nTue B\nt 2\n"},
        FileCase{"last_title_gets_newline", "Mon A\nt 9", {}, "Mon A\nt 1\n"},
        FileCase{"empty_title", "Mon A\n\nx\n", {}, "Mon A\n\nx\n"},
        FileCase{
            "empty_title_with_label", "Mon A\n\nx\n", {1, "L"}, "Mon A\n" + thirteen + "L 1\nx\n"},
        // A title that is itself a date line keeps its weekday, so the next
        // line is a title too; a label line never is a date line.
        FileCase{
            "two_date_lines_chain", "Mon A\nTue B 7\nt 9\nu 9\n", {}, "Mon A\nTue B 1\nt 2\nu 9\n"},
        FileCase{"two_date_lines_with_label",
                 "Mon A\nTue B 7\nt 9\n",
                 {5, "L"},
                 "Mon A\n" + thirteen + "L 5\nt 9\n"},
        FileCase{"negative_start_counts_up",
                 "Sat 1\nt\nSat 2\nt 1\nSat 3\nt 1\nSat 4\nt 1\n",
                 {-3, ""},
                 "Sat 1\nt\nSat 2\nt -2\nSat 3\nt -1\nSat 4\nt 0\n"},
        FileCase{"number_stops_at_top_of_range",
                 "Mon a\nt 1\nMon b\nt 1\n",
                 {INT64_MAX, ""},
                 "Mon a\nt 9223372036854775807\nMon b\nt 9223372036854775807\n"},
        FileCase{"long_date_line_then_title",
                 long_date + "Basic 4\n" + long_date,
                 {},
                 long_date + "Basic 1\n" + long_date},
        FileCase{"nul_bytes_kept_in_title", "Fri x\0y\nA\0 B 3\0\n"s, {}, "Fri x\0y\nA\0 B 1\n"s},
        FileCase{"title_starting_with_nul_stops",
                 "\nMon A\n\0t 1\nafter\n"s,
                 {},
                 "\nMon A\nerror this line 3\n",
                 4},
        FileCase{"title_starting_with_nul_stops_with_label",
                 "Mon A\n\0\n"s,
                 {1, "L"},
                 "Mon A\nerror this line 2\n",
                 4}),
    [](const auto& info) {
        return std::string(info.param.name) + "_" + std::to_string(info.index);
    });

} // namespace
