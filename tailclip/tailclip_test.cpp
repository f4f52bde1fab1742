#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tailclip.hpp"
#include "writer.hpp"

using namespace std::string_literals;

namespace {

// Feeds `input` to a clipper in blocks of `chunk` bytes.
std::string clip(const std::string& input, std::size_t chunk) {
    std::string sink;
    seq::Writer out(&sink);
    tailclip::Clipper clipper(out);
    for (std::size_t at = 0; at < input.size(); at += chunk)
        clipper.feed(std::string_view(input).substr(at, chunk));
    clipper.finish();
    out.close();
    return sink;
}

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

const std::string digits = "0123456789";

std::string run_of(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('a' + i % 26));
    return s;
}

std::string tail(const std::string& s, std::size_t n) {
    return s.substr(s.size() - n);
}

const std::string l75 = run_of(75), l76 = run_of(76), l80 = run_of(80), l100 = run_of(100),
                  l1100 = run_of(1100);

const Case cases[] = {
    {"empty", "", ""},
    {"short_lines_unchanged", "Mon x\n\nab\n", "Mon x\n\nab\n"},
    {"75_characters_and_newline_unchanged", l75 + "\n", l75 + "\n"},
    {"76_characters_lose_the_first", l76 + "\n", tail(l76, 75) + "\n"},
    {"100_characters_keep_26_to_100", l100 + "\n", l100.substr(25) + "\n"},
    {"last_line_without_newline_keeps_76", l80, tail(l80, 76)},
    {"76_bytes_without_newline_unchanged", l76, l76},
    {"long_line_clipped_whole", l1100 + "\n", tail(l1100, 75) + "\n"},
    {"separator_and_empty_lines", "\f\n\n\f\n", "\f\n\n\f\n"},
    {"nul_bytes_count", "\0"s + l80 + "\n" + "a\0b\n"s, tail(l80, 75) + "\n" + "a\0b\n"s},
    {"mixed", "x\n" + l100 + "\n\n" + l1100, "x\n" + l100.substr(25) + "\n\n" + tail(l1100, 76)},
};

TEST(Clipper, ClipsEveryCaseWhateverTheBlockSize) {
    for (const Case& c : cases)
        for (std::size_t chunk : {1u, 2u, 3u, 7u, 75u, 76u, 77u, 1000u, 65536u})
            EXPECT_EQ(clip(c.input, chunk), c.expected) << c.name << ", blocks of " << chunk;
}

// Lines of every length around the kept length, cut into blocks of many
// sizes, must come out as if each line had been clipped on its own.
TEST(Clipper, BlockBoundariesNeverChangeTheResult) {
    std::string input, expected;
    for (std::size_t n = 0; n < 240; n += 1) {
        std::string line = run_of(n) + digits.substr(n % 10, 1) + "\n";
        input += line;
        expected += tailclip::clip_line(line);
    }
    for (std::size_t chunk = 1; chunk < 200; chunk += 3)
        ASSERT_EQ(clip(input, chunk), expected) << "blocks of " << chunk;
}

} // namespace
