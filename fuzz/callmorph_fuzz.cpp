// The line loop under every keyword, and the "add1" operation.
//
// Input: one byte that picks the keyword, one for the block sizes, one for a
// mixture of settings, then the text to filter.
//
// Properties:
// - the fast paths taken for a single keyword write exactly what the
//   general line-by-line loop writes, for any mixture of settings too;
// - "heads", "sides", "all", "boys", "girls", the other head/side modes and
//   the partner modes applied twice give back the input, "mn1" and its boy
//   and girl forms after four passes;
// - "lower" changes no byte but a capital letter, only into its small
//   letter, leaves capitals only in picture designators, and is idempotent;
// - the number of lines and the length of each line never change outside
//   "rmpic" and "join"; "join" drops only empty lines that follow an empty
//   line; "rmpic" keeps exactly the lines without a picture designator that
//   are neither empty nor dots lines, unchanged;
// - "add1" keeps everything up to the last space and adds one, without
//   overflow, to the number after it.

#include <array>
#include <climits>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "callmorph.hpp"
#include "fuzz_support.hpp"
#include "line_reader.hpp"
#include "writer.hpp"

namespace {

using fuzz_support::body;
using fuzz_support::split_lines;

constexpr std::string_view keywords[] = {
    "all",       "heads",     "sides",      "headboys",    "head boys",
    "head-boys", "headgirls", "head girls", "head-girls",  "sideboys",
    "side boys", "side-boys", "sidegirls",  "side girls",  "side-girls",
    "boys",      "girls",     "mn1",        "boysmn1",     "boys-mn1",
    "girlsmn1",  "girls-mn1", "partner",    "headpartner", "sidepartner",
    "lower",     "join",      "add1",       "rmpic",       "switchhs",
    "", // no argument at all, under an invocation name that holds "rmpic"
};

std::string filter(const callmorph::Settings& settings, std::string_view text, std::size_t chunk,
                   bool one_by_one) {
    auto in = seq::LineReader::from_memory(text, chunk);
    std::string out;
    seq::Writer writer(&out);
    int status = one_by_one ? callmorph::filter_lines_one_by_one(settings, in, writer)
                            : callmorph::filter_lines(settings, in, writer);
    FUZZ_CHECK(status == 0, "the line loop did not end with status 0");
    FUZZ_CHECK(writer.close(), "writing to a string failed");
    return out;
}

// Every line of the input with a newline, as the line loop writes it.
std::string with_newlines(const std::vector<std::string_view>& lines) {
    std::string result;
    for (std::string_view line : lines)
        result.append(body(line)).push_back('\n');
    return result;
}

bool couple(char c) {
    return c >= '1' && c <= '4';
}

bool designator_letter_at(std::string_view line, std::size_t i) {
    return i >= 1 && i + 1 < line.size() && (line[i] == 'B' || line[i] == 'G') &&
           (line[i + 1] == '^' || line[i + 1] == 'V' || line[i + 1] == '<' || line[i + 1] == '>') &&
           couple(line[i - 1]);
}

bool has_designator(std::string_view line) {
    for (std::size_t i = 1; i < line.size(); ++i)
        if (designator_letter_at(line, i))
            return true;
    return false;
}

bool dots_line(std::string_view line) {
    if (line.empty())
        return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ')
            continue;
        if (line[i] != '.' || i == 0 || line[i - 1] != ' ')
            return false;
        if (i + 1 < line.size() && line[i + 1] != ' ')
            return false;
    }
    return true;
}

void check_same_shape(std::string_view input, std::string_view output, const char* what) {
    auto in = split_lines(input);
    auto out = split_lines(output);
    FUZZ_CHECK(in.size() == out.size(), what);
    for (std::size_t k = 0; k < in.size(); ++k)
        FUZZ_CHECK(body(in[k]).size() == body(out[k]).size() && out[k].back() == '\n', what);
}

void check_lower(std::string_view input, std::string_view output) {
    check_same_shape(input, output, "\"lower\" changed the lines or their lengths");
    auto in = split_lines(input);
    auto out = split_lines(output);
    for (std::size_t k = 0; k < in.size(); ++k) {
        std::string_view a = body(in[k]), b = body(out[k]);
        for (std::size_t i = 0; i < a.size(); ++i) {
            bool capital = a[i] >= 'A' && a[i] <= 'Z';
            FUZZ_CHECK(b[i] == a[i] || (capital && b[i] == a[i] + 32),
                       "\"lower\" changed a byte that is not a capital letter");
            bool kept = b[i] >= 'A' && b[i] <= 'Z';
            bool designator_part = designator_letter_at(b, i) ||
                                   (b[i] == 'V' && i >= 2 && designator_letter_at(b, i - 1));
            FUZZ_CHECK(!kept || designator_part, "\"lower\" kept a capital outside a picture");
        }
    }
}

void check_join(std::string_view input, std::string_view output) {
    std::vector<std::string_view> kept;
    bool previous_empty = false; // the last line written was empty
    for (std::string_view line : split_lines(input)) {
        bool empty = body(line).empty();
        if (empty && previous_empty)
            continue;
        kept.push_back(line);
        previous_empty = empty;
    }
    FUZZ_CHECK(output == with_newlines(kept), "\"join\" did not squeeze exactly the empty runs");
}

void check_rmpic(std::string_view input, std::string_view output) {
    std::vector<std::string_view> kept;
    for (std::string_view line : split_lines(input)) {
        std::string_view text = body(line);
        if (!text.empty() && !has_designator(text) && !dots_line(text))
            kept.push_back(line);
    }
    FUZZ_CHECK(output == with_newlines(kept), "\"rmpic\" kept or dropped the wrong lines");
}

void check_add1(std::string_view input, std::string_view output) {
    auto lines = split_lines(input);
    if (lines.empty()) {
        FUZZ_CHECK(output.empty(), "\"add1\" wrote something for an empty input");
        return;
    }
    std::string_view line = body(lines[0]);
    std::string expected;
    if (!line.empty()) {
        std::size_t space = line.rfind(' ');
        std::size_t start = space == std::string_view::npos ? 0 : space + 1;
        std::string_view number = line.substr(start);
        std::size_t i = 0;
        while (i < number.size() && (number[i] == ' ' || (number[i] >= '\t' && number[i] <= '\r')))
            ++i;
        bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+'))
            ++i;
        // Saturating arithmetic in 128 bits, then clamped to 64.
        __int128 value = 0;
        for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i)
            if (value < (static_cast<__int128>(1) << 70))
                value = value * 10 + (number[i] - '0');
        if (negative)
            value = -value;
        if (value > INT64_MAX)
            value = INT64_MAX;
        if (value < INT64_MIN)
            value = INT64_MIN;
        auto v = static_cast<std::int64_t>(value);
        if (v != INT64_MAX)
            ++v;
        expected.assign(line.substr(0, start)).append(std::to_string(v));
    }
    expected.push_back('\n');
    FUZZ_CHECK(output == expected, "\"add1\" wrote the wrong line");
    FUZZ_CHECK(callmorph::add_one(line) + "\n" == expected, "add_one() gave the wrong line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 3)
        return 0;
    constexpr std::size_t keyword_count = sizeof keywords / sizeof keywords[0];
    std::string_view keyword = keywords[bytes[0] % keyword_count];
    const std::size_t chunk = fuzz_support::chunk_size(bytes[1]);
    const std::size_t other_chunk =
        fuzz_support::chunk_size(static_cast<std::uint8_t>(bytes[1] >> 4));
    std::string_view input(reinterpret_cast<const char*>(bytes) + 3, size - 3);

    // The program as run from the command line.
    std::array<std::string_view, 1> argv{keyword};
    std::span<const std::string_view> args(argv.data(), keyword.empty() ? 0 : 1);
    std::string_view invocation = keyword.empty() ? "/usr/bin/rmpic" : "callmorph";
    callmorph::Settings settings = callmorph::parse_arguments(invocation, args);
    std::string output;
    {
        auto in = seq::LineReader::from_memory(input, chunk);
        seq::Writer out(&output);
        int status = callmorph::run(invocation, args, in, out);
        // "add1" without a line to read is the one run that fails.
        int expected = settings.add1_flag && input.empty() ? 1 : 0;
        FUZZ_CHECK(status == expected, "the wrong exit status");
        FUZZ_CHECK(out.close(), "writing to a string failed");
    }
    if (settings.add1_flag) {
        check_add1(input, output);
        return 0;
    }
    FUZZ_CHECK(output == filter(settings, input, other_chunk, true),
               "the fast path and the line-by-line loop disagree");

    const int mode = settings.dancer_mode;
    if (mode != 0) {
        check_same_shape(input, output, "a dancer keyword changed the lines or their lengths");
        bool minus_one = mode >= 10 && mode <= 12;
        std::string again = output;
        for (int pass = 1; pass < (minus_one ? 4 : 2); ++pass)
            again = filter(settings, again, chunk, false);
        FUZZ_CHECK(again == with_newlines(split_lines(input)),
                   "repeating a dancer keyword did not give back the input");
    } else if (settings.lower_flag) {
        check_lower(input, output);
        FUZZ_CHECK(filter(settings, output, other_chunk, false) == output,
                   "\"lower\" applied twice differs from once");
    } else if (settings.join_flag) {
        check_join(input, output);
    } else if (settings.rmpic_flag) {
        check_rmpic(input, output);
    } else if (settings.switchhs_flag) {
        check_same_shape(input, output, "\"switchhs\" changed the lines or their lengths");
    }

    // Any mixture of settings: the general loop and the fast paths agree.
    callmorph::Settings mixed;
    mixed.dancer_mode = bytes[2] & 15;
    mixed.lower_flag = bytes[2] & 16;
    mixed.join_flag = bytes[2] & 32;
    mixed.rmpic_flag = bytes[2] & 64;
    mixed.switchhs_flag = bytes[2] & 128;
    FUZZ_CHECK(filter(mixed, input, chunk, false) == filter(mixed, input, other_chunk, true),
               "a mixture of settings: the fast path and the line-by-line loop disagree");
    return 0;
}
