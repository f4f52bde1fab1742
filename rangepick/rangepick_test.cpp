#include <climits>
#include <gtest/gtest.h>
#include <string>

#include "rangepick.hpp"
#include "run_program.hpp"

using namespace std::string_literals;
using rangepick::Range;

namespace {

TEST(PieceValue, ReadsLastSequenceMarksAndPlainNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"12", 12},
        {"007", 7},
        {"$", 40},
        {"M", 40},
        {"M-3", 37},
        {"$-3", 37},
        {"M-3-1", 37},
        {"M-0", 40},
        {"M-", 40},
        {"M--3", 40},
        {"M5", 40},
        {"MM-3", 40},
        {"5M", 5},
        {"5-3", 5},
        {"-3", -3},
        {"--3", 0},
        {"-", 0},
        {"", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"M-99999999999", 40 - INT_MAX},
    };
    for (const auto& [piece, value] : cases)
        EXPECT_EQ(rangepick::piece_value(piece, 40), value) << piece;
    // Far below the int range, the offset still clamps instead of wrapping.
    EXPECT_EQ(rangepick::piece_value("M-2147483647", -10), INT_MIN);
}

TEST(ResolveRange, TurnsEveryFormIntoStartAndEnd) {
    const std::pair<const char*, Range> cases[] = {
        {",12", {1, 12}}, {",M-3", {1, 37}},  {"5,12", {5, 12}}, {"M-61,M-30", {-21, 10}},
        {"5,", {5, 40}},  {"$-2,", {38, 40}}, {"12", {1, 12}},   {"", {1, 0}},
        {"-3", {1, -3}},  {"0,5", {0, 5}},    {",", {1, 40}},    {"$", {1, 40}},
        {"M-3", {1, 37}}, {"M", {1, 40}},     {"5,M", {5, 40}},  {"1,$-0", {1, 40}},
    };
    for (const auto& [text, range] : cases)
        EXPECT_EQ(rangepick::resolve_range(text, 40, false, "unused"), std::optional(range))
            << text;
}

TEST(CheckRangeCharacters, NamesTheFirstOffendingByte) {
    const std::string two = "rangepick: argument has 2 ',' characters, aborted";
    const std::string other = "rangepick: argument has unexpected characer(s), aborted";
    const std::pair<const char*, std::string> cases[] = {
        {"1,2", ""},     {"M-61,M-30", ""}, {"$,", ""},     {"", ""},        {"1,2,3", two},
        {"1x,2", other}, {"x,1,2", other},  {"1,2,x", two}, {"1 ,2", other}, {"m,2", other},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(rangepick::check_range_characters(text), message) << text;
}

// Three well-formed sequences of three lines each after the leading blank line.
const std::string three = "\nMon a\nT 1\nb1\n\f\nTue a\nT 2\nb2\n\f\nWed a\nT 3\nb3\n";

struct CopyCase {
    const char* name;
    std::string input;
    Range range;
    std::string selected;
    std::string others;
    int count;
};

TEST(CopySequences, RoutesEveryLine) {
    const CopyCase cases[] = {
        {"middle",
         three,
         {2, 2},
         "\nTue a\nT 2\nb2\n",
         "\nMon a\nT 1\nb1\n\f\nWed a\nT 3\nb3\n",
         1},
        {"first_two",
         three,
         {1, 2},
         "\nMon a\nT 1\nb1\n\f\nTue a\nT 2\nb2\n",
         "\nWed a\nT 3\nb3\n",
         2},
        {"last_two",
         three,
         {2, 3},
         "\nTue a\nT 2\nb2\n\f\nWed a\nT 3\nb3\n",
         "\nMon a\nT 1\nb1\n\f\n",
         2},
        {"start_beyond_end", three, {5, 9}, "\n", three, 0},
        {"end_beyond_end",
         three,
         {2, 9},
         "\nTue a\nT 2\nb2\n\f\nWed a\nT 3\nb3\n",
         "\nMon a\nT 1\nb1\n\f\n",
         2},
        {"empty_input", "", {1, 1}, "", "\n", 0},
        // The empty last sequence after the closing separator is not selected.
        {"closing_separator", "\nA\n\f\nB\n\f\n", {1, 2}, "\nA\n\f\nB\n", "\n", 2},
        {"open_end_keeps_last_separator", "\nA\n\f\n", {1, 2}, "\nA\n\f\n", "\n", 2},
        {"no_final_newline", "\nA\n\f\nB", {2, 2}, "\nB", "\nA\n\f\n", 1},
        {"nul_bytes", "\n\0A\n\f\n\0\n"s, {2, 2}, "\n\0\n"s, "\n\0A\n\f\n"s, 1},
        // A form feed in the middle of a long line is no separator.
        {"long_line",
         std::string(2047, 'x') + "\f" + std::string(952, 'y') + "\n\f\nB\n",
         {2, 2},
         "\nB\n",
         std::string(2047, 'x') + "\f" + std::string(952, 'y') + "\n\f\n",
         1},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {3u, 4096u}) {
            auto in = seq::LineReader::from_memory(c.input, chunk);
            std::string selected, others;
            seq::Writer selected_out(&selected), others_out(&others);
            rangepick::CopyCounts counts =
                rangepick::copy_sequences(in, selected_out, others_out, c.range);
            selected_out.close();
            others_out.close();
            EXPECT_EQ(selected, c.selected) << c.name;
            EXPECT_EQ(others, c.others) << c.name;
            EXPECT_EQ(counts.selected, c.count) << c.name;
        }
    }
}

struct LookupCase {
    const char* name;
    std::string file;
    int number;
    int ordinal;
    std::string err;
};

TEST(SearchSeqNo, FindsTheFirstSequenceWithTheTitleNumber) {
    const std::string titled = "\nMon\nTitle 12\nx\n\f\nTue\nTitle -5\n\f\nWed\nTitle\t 12a\n\f\n"
                               "Thu\nends in space \n\f\nFri\nlast 12";
    const LookupCase cases[] = {
        {"first_match_wins", titled, 12, 1, ""},
        {"negative", titled, -5, 2, ""},
        {"space_then_tab", titled + "\f\nSat\nx\t7\n", 7, 0, ""},
        {"trailing_space_is_zero", titled, 0, 4, ""},
        {"no_match", titled, 99, 0, ""},
        {"last_line_without_newline", "\nMon\nT 3\n\f\nTue\nT 44", 44, 2, ""},
        {"title_without_space", "\nMon\nT 1\n\f\nTue\nNoSpace\n", 9, 2,
         "rangepick: -t opt tile line error: NoSpace\n"},
        {"title_without_space_last_line", "\nMon\nNoSpace", 9, 1,
         "rangepick: -t opt tile line error: NoSpace\n"},
        // A separator line first closes an empty sequence 1, as counting sees it.
        {"leading_separator", "\f\nMon\nT 5\n\f\nTue\nT 6\n", 5, 2, ""},
        {"leading_separator_next", "\f\nMon\nT 5\n\f\nTue\nT 6\n", 6, 3, ""},
        {"no_leading_blank", "Mon\nT 1\nbody 7\n", 7, 1, ""},
        {"long_title", "\nMon\n" + std::string(3000, 'x') + " 31\n", 31, 1, ""},
    };
    testing_support::TempDir dir;
    for (const auto& c : cases) {
        dir.write("in.seq", c.file);
        testing::internal::CaptureStderr();
        std::optional<int> found = rangepick::search_seq_no(dir.file("in.seq"), c.number);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(found, std::optional(c.ordinal)) << c.name;
        EXPECT_EQ(err, c.err) << c.name;
    }
}

TEST(SearchSeqNo, ReportsFilesItCannotUse) {
    testing_support::TempDir dir;
    testing::internal::CaptureStderr();
    EXPECT_EQ(rangepick::search_seq_no(dir.file("missing"), 3), std::optional(1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "rangepick: can't open file: " + dir.file("missing") + "\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(rangepick::search_seq_no(dir.path(), 3), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "rangepick: read error: " + dir.path() + ": Is a directory\n");
}

TEST(ResolveRange, LooksUpTitleNumbersUnderT) {
    testing_support::TempDir dir;
    dir.write("in.seq", "\nMon\nT 10\n\f\nTue\nT 20\n\f\nWed\nT 30\n\f\nThu\nT 3\n");
    const std::string file = dir.file("in.seq");
    const std::pair<const char*, Range> cases[] = {
        {"20,30", {2, 3}}, {",20", {1, 2}}, {"20,", {2, 4}},  {"30", {1, 3}}, {"10,$", {1, 0}},
        {"5,$", {0, 0}},   {"$,$", {0, 0}}, {"M-1,", {4, 4}}, {",", {1, 4}},
    };
    for (const auto& [text, range] : cases)
        EXPECT_EQ(rangepick::resolve_range(text, 4, true, file), std::optional(range)) << text;
}

} // namespace
