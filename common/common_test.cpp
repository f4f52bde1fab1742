#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "io.hpp"
#include "line_reader.hpp"
#include "sequence.hpp"
#include "writer.hpp"

using namespace std::string_literals;
using seq::LineReader;

namespace {

std::vector<std::string> read_all(LineReader& reader) {
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
    return lines;
}

// An unnamed scratch file holding `content`, its offset at the start; -1
// when it cannot be made.
int scratch_file(const std::string& content = {}) {
    char path[] = "/tmp/suite-test-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return -1;
    unlink(path);
    if (write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
        lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::size_t page_size() {
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

struct ReaderCase {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

class LineReaderCases : public ::testing::TestWithParam<ReaderCase> {};

// Every case is read with refills of many sizes, so each line end falls on,
// before and after a block boundary, and lines run longer than a block.
TEST_P(LineReaderCases, YieldsWholeLinesWhateverTheBlockSize) {
    const ReaderCase& c = GetParam();
    for (std::size_t chunk : {1u, 2u, 3u, 4u, 7u, 16u, 4096u}) {
        auto reader = LineReader::from_memory(c.input, chunk);
        EXPECT_EQ(read_all(reader), c.lines) << "chunk " << chunk;
        EXPECT_EQ(reader.error(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Common, LineReaderCases,
    ::testing::Values(ReaderCase{"empty", "", {}}, ReaderCase{"lone_newline", "\n", {"\n"}},
                      ReaderCase{"no_final_newline", "a\nbc", {"a\n", "bc"}},
                      ReaderCase{"blank_lines", "\n\n\nx\n", {"\n", "\n", "\n", "x\n"}},
                      ReaderCase{"nul_bytes", "a\0b\n\0\n"s, {"a\0b\n"s, "\0\n"s}},
                      ReaderCase{"form_feed_inside", "ab\fcd\n\f\n", {"ab\fcd\n", "\f\n"}},
                      ReaderCase{"long_line",
                                 std::string(5000, 'x') + "\nshort\n",
                                 {std::string(5000, 'x') + "\n", "short\n"}},
                      ReaderCase{"long_last_line",
                                 "a\n" + std::string(3000, 'y'),
                                 {"a\n", std::string(3000, 'y')}}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs of lines, read in any block size, put the input back together and
// always end at a line end (or at the end of the input).
TEST(LineReader, RunsOfLinesEndAtLineEnds) {
    const std::string input = "a\n\nbcd\n" + std::string(50, 'e') + "\nf\ng";
    for (std::size_t chunk : {1u, 2u, 5u, 64u}) {
        auto reader = LineReader::from_memory(input, chunk);
        std::string joined;
        std::string_view lines;
        while (reader.next_lines(lines)) {
            ASSERT_FALSE(lines.empty());
            if (joined.size() + lines.size() < input.size()) {
                EXPECT_EQ(lines.back(), '\n') << "chunk " << chunk;
            }
            joined.append(lines);
        }
        EXPECT_EQ(joined, input) << "chunk " << chunk;
    }
}

TEST(SequenceLines, FindsSeparatorLinesInARunOfLines) {
    const std::string lines = "\fa\nb\fc\n\f\nx\n\f";
    std::vector<std::size_t> found;
    for (std::size_t at = 0; (at = seq::find_separator_line(lines, at)) != std::string::npos; ++at)
        found.push_back(at);
    EXPECT_EQ(found, (std::vector<std::size_t>{0, 7, 11}));
    EXPECT_EQ(seq::find_separator_line("abc\n"), std::string::npos);
    EXPECT_EQ(seq::find_separator_line(""), std::string::npos);
}

TEST(SequenceLines, FindsLineEndsAndTheLastLine) {
    EXPECT_EQ(seq::line_end("ab\ncd\n", 0), 3u);
    EXPECT_EQ(seq::line_end("ab\ncd\n", 3), 6u);
    EXPECT_EQ(seq::line_end("ab\ncd", 3), 5u);
    const std::pair<std::string_view, std::size_t> last[] = {
        {"", 0}, {"\n", 0}, {"ab\n", 0}, {"ab\ncd\n", 3}, {"ab\ncd", 3}, {"ab\n\n", 3}};
    for (const auto& [lines, start] : last)
        EXPECT_EQ(seq::last_line_start(lines), start) << lines;
}

// Skipping separator lines in bulk finds the same lines as going one by one,
// wherever they stand relative to the 64-byte steps, from any offset.
TEST(SequenceLines, SkipsSeparatorLinesInBulk) {
    const std::string pieces[] = {
        "\f\n", "text\n", "a\fb\n", "\f", "\n", "\fx\n", std::string(70, 'y') + "\n"};
    std::string lines;
    for (int i = 0; i < 400; ++i)
        lines += pieces[(i * 5 + i / 7) % std::size(pieces)];
    std::vector<std::size_t> all;
    for (std::size_t at = 0; (at = seq::find_separator_line(lines, at)) != std::string::npos; ++at)
        all.push_back(at);
    ASSERT_GT(all.size(), 100u);
    EXPECT_EQ(seq::count_separator_lines(lines), static_cast<std::int64_t>(all.size()));
    for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{63},
                             std::size_t{64}, std::size_t{65}, lines.size() / 2}) {
        std::size_t first = 0;
        while (first < all.size() && all[first] < from)
            ++first;
        for (std::size_t skip = 0; skip <= all.size() - first + 1; skip += 1 + skip / 8) {
            auto left = static_cast<std::int64_t>(skip);
            std::size_t found = seq::find_separator_line(lines, from, left);
            if (first + skip < all.size()) {
                EXPECT_EQ(found, all[first + skip]) << from << " " << skip;
                EXPECT_EQ(left, 0);
            } else {
                EXPECT_EQ(found, std::string::npos) << from << " " << skip;
                EXPECT_EQ(left, static_cast<std::int64_t>(first + skip - all.size()));
            }
        }
    }
    // A skip below zero asks for the next one; an offset past the end finds
    // none.
    std::size_t gap = 1;
    while (gap + 1 < all.size() && all[gap + 1] - all[gap] < 130)
        ++gap;
    ASSERT_LT(gap + 1, all.size());
    std::int64_t below_zero = -3;
    EXPECT_EQ(seq::find_separator_line(lines, all[gap] + 1, below_zero), all[gap + 1]);
    std::int64_t none = 0;
    EXPECT_EQ(seq::find_separator_line(lines, lines.size() + 5, none), std::string::npos);
}

// A regular file is mapped a window at a time; lines that cross a window, or
// span several, must come out exactly as when the same bytes are read.
TEST(LineReader, MapsARegularFileWindowByWindow) {
    const std::size_t page = page_size();
    const std::string inputs[] = {
        std::string(page - 1, 'a') + "\n" + std::string(page, 'b') + "\nc\n",
        std::string(3 * page + 5, 'x') + "\n\0\n"s + std::string(page - 3, 'y'),
        "short\nlines\n",
        std::string(page, '\n'),
    };
    int fd = scratch_file();
    ASSERT_GE(fd, 0);
    for (const std::string& input : inputs) {
        ASSERT_EQ(ftruncate(fd, 0), 0);
        ASSERT_EQ(pwrite(fd, input.data(), input.size(), 0), static_cast<ssize_t>(input.size()));
        auto expected_reader = LineReader::from_memory(input);
        const std::vector<std::string> expected = read_all(expected_reader);
        for (off_t start : {off_t{0}, off_t{1}}) {
            ASSERT_EQ(lseek(fd, start, SEEK_SET), start);
            LineReader lines(fd, page, page);
            std::vector<std::string> got = read_all(lines);
            EXPECT_EQ(lines.error(), 0);
            if (start == 0) {
                EXPECT_EQ(got, expected);
            } else {
                std::string joined;
                for (const auto& line : got)
                    joined += line;
                EXPECT_EQ(joined, input.substr(1));
            }
            // Runs of lines put the file back together too.
            ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
            LineReader runs(fd, page, page);
            std::string joined;
            std::string_view run;
            while (runs.next_lines(run))
                joined.append(run);
            EXPECT_EQ(joined, input);
        }
    }
    close(fd);
}

// A program whose output is appended to its own input reads the input as it
// was when it began, instead of chasing its own output without end.
TEST(LineReader, DoesNotChaseAFileThatGrowsWhileItIsRead) {
    const std::size_t page = page_size();
    const std::string first(2 * page, 'a');
    int fd = scratch_file(first);
    ASSERT_GE(fd, 0);
    LineReader reader(fd, page, page);
    std::string_view run;
    std::string joined;
    while (reader.next_lines(run)) {
        joined.append(run);
        ASSERT_EQ(pwrite(fd, "more\n", 5, static_cast<off_t>(first.size() + joined.size())), 5);
    }
    EXPECT_EQ(joined, first);
    close(fd);
}

// A mapped file cut short by someone else is a reported read error with
// status 1, not a crash.
TEST(LineReaderDeathTest, ReportsAFileTruncatedWhileMapped) {
    const std::size_t page = page_size();
    int fd = scratch_file(std::string(4 * page, 'x'));
    ASSERT_GE(fd, 0);
    EXPECT_EXIT(
        {
            LineReader reader(fd, page, 4 * page);
            ASSERT_EQ(ftruncate(fd, 0), 0);
            std::string_view line;
            reader.next(line);
        },
        ::testing::ExitedWithCode(1), "read error: the input file shrank while it was read");
    close(fd);
}

TEST(LineReader, ReadsFromADescriptorAcrossItsBlock) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string text = "one\n" + std::string(100, 'z') + "\nthree";
    ASSERT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds[1]);
    LineReader reader(fds[0], 8);
    EXPECT_EQ(read_all(reader),
              (std::vector<std::string>{"one\n", std::string(100, 'z') + "\n", "three"}));
    EXPECT_EQ(reader.error(), 0);
    close(fds[0]);
}

TEST(LineReader, ReportsAReadErrorInsteadOfAnEndOfInput) {
    int fd = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
    EXPECT_EQ(reader.error(), EISDIR);
    close(fd);
}

TEST(Writer, KeepsEveryByteInOrder) {
    std::string sink;
    seq::Writer out(&sink);
    out.put("ab\0c"s);
    out.put('\n');
    out.put(std::string(300000, 'q'));
    out.put_number(-42);
    out.put_number(INT64_MAX);
    EXPECT_TRUE(out.close());
    EXPECT_EQ(sink, "ab\0c\n"s + std::string(300000, 'q') + "-42" + "9223372036854775807");
}

// Small spans are gathered and large ones written as they are, the writes
// kept in step with the pages of the file even when the writer starts in
// the middle of one or appends: to a file, the bytes still arrive in order.
TEST(Writer, KeepsTheOrderOfSmallAndLargeSpansInAFile) {
    struct Start {
        std::size_t block;
        std::size_t offset; // bytes already in the file
        bool append;
    };
    for (Start start : {Start{64, 0, false}, Start{8192, 0, false}, Start{8192, 100, false},
                        Start{8192, 4095, true}, Start{8192, 5000, true}}) {
        int fd = scratch_file();
        ASSERT_GE(fd, 0);
        std::string expected(start.offset, '#');
        ASSERT_EQ(write(fd, expected.data(), expected.size()), static_cast<ssize_t>(start.offset));
        if (start.append)
            fcntl(fd, F_SETFL, O_APPEND);
        {
            seq::Writer out(fd, false, start.block);
            for (std::size_t size : {3u, 20u, 5u, 100u, 1u, 64u, 15u, 16u, 7u, 1000u, 2u, 5000u,
                                     8191u, 9000u, 1u, 20000u, 4096u, 3u}) {
                std::string span(size, static_cast<char>('a' + size % 26));
                out.put(span);
                expected += span;
            }
            ASSERT_TRUE(out.close());
        }
        std::string written(expected.size() + 10, '\0');
        ssize_t n = pread(fd, written.data(), written.size(), 0);
        close(fd);
        ASSERT_EQ(n, static_cast<ssize_t>(expected.size())) << start.block << " " << start.offset;
        written.resize(static_cast<std::size_t>(n));
        EXPECT_EQ(written, expected) << start.block << " " << start.offset;
    }
}

TEST(Writer, TracksWhetherTheLastByteEndedALine) {
    std::string sink;
    seq::Writer out(&sink);
    EXPECT_TRUE(out.at_line_start());
    out.put("abc");
    EXPECT_FALSE(out.at_line_start());
    out.put('\n');
    EXPECT_TRUE(out.at_line_start());
}

TEST(Writer, RemembersAFailedWrite) {
    int fd = open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    seq::Writer out(fd, true, 16);
    out.put("more than sixteen bytes of text\n");
    out.put("and some more\n");
    EXPECT_FALSE(out.close());
    EXPECT_EQ(out.error(), ENOSPC);
}

TEST(Writer, ReportsAFailureOnlyFlushedAtTheEnd) {
    int fd = open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    seq::Writer out(fd, true);
    out.put("short\n");
    EXPECT_FALSE(out.failed());
    EXPECT_FALSE(out.close());
}

struct LineTestCase {
    std::string line;
    bool date;
    bool separator;
};

TEST(SequenceLines, DateAndSeparatorTestsLookOnlyAtTheFirstBytes) {
    const LineTestCase cases[] = {
        {"Mon 3 Dec\n", true, false}, {"Sun ", true, false},     {"Sat x\n", true, false},
        {"Mon\n", false, false},      {"Mon", false, false},     {"MON \n", false, false},
        {"mon \n", false, false},     {" Mon \n", false, false}, {"Tue\t\n", false, false},
        {"\f\n", false, true},        {"\fMon \n", false, true}, {"a\f\n", false, false},
        {"", false, false},           {"\n", false, false},      {"Wed Thu \n", true, false},
        {"Thu \fx\n", true, false},   {"Fri \n", true, false},   {"Tue \n", true, false},
        {"Wed \n", true, false},      {"Thu \n", true, false},   {"\0Mon \n"s, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(seq::is_date_line(c.line), c.date) << '"' << c.line << '"';
        EXPECT_EQ(seq::is_separator_line(c.line), c.separator) << '"' << c.line << '"';
    }
}

// A plain line-by-line reference for the block scan: every line start, the
// newlines before each date line, and all of them when none is left.
TEST(FindDateLine, AgreesWithALineByLineScanAcrossBlockBoundaries) {
    const std::string pieces[] = {"Mon a\n", "x\n",        "\n",          "ab c\n",  "Sun \n",
                                  "Mo\n",    "Tue\n",      "  1B^ 2G\n",  "Fri",     "mon x\n",
                                  "Sat 1\n", "xxx Sun \n", "\0\n"s,       "ALL 8\n", "MONS x\n",
                                  "Tue\t\n", "\xc4on x\n", "SWING THRU\n"};
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += pieces[(i * 7 + i / 13) % std::size(pieces)];
    lines += "Wed";
    for (std::size_t from = 0; from < lines.size(); from = lines.find('\n', from) + 1) {
        std::int64_t expected_newlines = 0;
        std::size_t expected = std::string::npos;
        for (std::size_t at = from; at < lines.size(); at = lines.find('\n', at) + 1) {
            if (seq::is_date_line(std::string_view(lines).substr(at))) {
                expected = at;
                break;
            }
            if (lines.find('\n', at) == std::string::npos)
                break;
            ++expected_newlines;
        }
        std::int64_t newlines = 0;
        ASSERT_EQ(seq::find_date_line(lines, from, newlines), expected) << "from " << from;
        ASSERT_EQ(newlines, expected_newlines) << "from " << from;
        if (lines.find('\n', from) == std::string::npos)
            break;
    }
    // Long stretches without a date line are counted whole.
    std::string empty_lines(100000, '\n');
    std::int64_t newlines = 0;
    EXPECT_EQ(seq::find_date_line(empty_lines + "Fri x\n", 0, newlines), empty_lines.size());
    EXPECT_EQ(newlines, 100000);
    newlines = 0;
    EXPECT_EQ(seq::find_date_line(empty_lines + "Fri", 0, newlines), std::string::npos);
    EXPECT_EQ(newlines, 100000);
}

TEST(PlainNumber, FollowsTheLeadingNumberRule) {
    const std::pair<std::string, std::int64_t> cases[] = {
        {"12", 12},
        {"007", 7},
        {"-3", -3},
        {"+4", 4},
        {" \t\n\v\f\r15", 15},
        {"12abc", 12},
        {"5-3", 5},
        {"", 0},
        {"-", 0},
        {"--3", 0},
        {"+-3", 0},
        {"abc", 0},
        {"- 3", 0},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"-99999999999999999999999", INT64_MIN},
        {std::string(3000, '9'), INT64_MAX},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(seq::plain_number(text), value) << '"' << text << '"';
}

TEST(PlainNumber, IntVersionClampsToTheIntRange) {
    EXPECT_EQ(seq::plain_int("2147483647"), INT_MAX);
    EXPECT_EQ(seq::plain_int("2147483648"), INT_MAX);
    EXPECT_EQ(seq::plain_int("-2147483648"), INT_MIN);
    EXPECT_EQ(seq::plain_int("-2147483649"), INT_MIN);
    EXPECT_EQ(seq::plain_int("99999999999999999999"), INT_MAX);
    EXPECT_EQ(seq::plain_int("-40"), -40);
}

} // namespace
