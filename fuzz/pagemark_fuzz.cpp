// The separator insertion filter, and the concatenation of its output.
//
// Input: one byte for the block size, then the text to filter.
//
// Properties:
// - the output is what the state machine of held lines gives: a blank line
//   (empty or one space), or the last two of a run of them, right before a
//   date line become one separator line; every other line comes out whole,
//   with a newline;
// - so every non-blank input line comes out, in order, and the only other
//   output lines are blank lines and separator lines;
// - joining one file gives that file without its leading blank line and
//   its closing separator line, after one leading newline; joining two puts
//   one separator line, on a line of its own, between them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chainup.hpp"
#include "fuzz_support.hpp"
#include "line_reader.hpp"
#include "pagemark.hpp"
#include "writer.hpp"

namespace {

using fuzz_support::body;
using fuzz_support::split_lines;

bool blank(std::string_view text) {
    return text.empty() || text == " ";
}

std::string expected_pagemark(std::string_view input) {
    std::string out;
    auto write = [&](std::string_view text) { out.append(text).push_back('\n'); };
    std::optional<std::string_view> older, newer;
    for (std::string_view line : split_lines(input)) {
        std::string_view text = body(line);
        if (fuzz_support::opens_with_weekday(text) && newer && blank(*newer)) {
            if (older && !blank(*older))
                write(*older);
            write("\f");
            write(text);
            older.reset();
            newer.reset();
            continue;
        }
        if (older)
            write(*older);
        older = newer;
        newer = text;
    }
    if (older)
        write(*older);
    if (newer)
        write(*newer);
    return out;
}

// A file as joined: without a leading lone newline line and without a
// closing separator line.
std::string joined_body(std::string_view file) {
    if (file.substr(0, 1) == "\n")
        file.remove_prefix(1);
    auto lines = split_lines(file);
    if (!lines.empty() && lines.back()[0] == '\f')
        file.remove_suffix(lines.back().size());
    return std::string(file);
}

chainup::FileEnd append(std::string_view file, bool separator_first, seq::Writer& out,
                        std::size_t chunk) {
    static std::string held;
    auto in = seq::LineReader::from_memory(file, chunk);
    return chainup::append_file(in, separator_first, out, held);
}

void check_chainup(std::string_view a, std::string_view b, std::size_t chunk) {
    std::string output;
    seq::Writer out(&output);
    out.put('\n');
    chainup::FileEnd end_a = append(a, false, out, chunk);
    FUZZ_CHECK(out.flush(), "writing to a string failed");
    if (a.empty()) {
        FUZZ_CHECK(end_a == chainup::FileEnd::no_first_line, "an empty file was not noticed");
        return;
    }
    if (a == "\n") {
        FUZZ_CHECK(end_a == chainup::FileEnd::no_second_line,
                   "a file of one blank line was not noticed");
        return;
    }
    FUZZ_CHECK(end_a == chainup::FileEnd::done, "a file was not read to its end");
    std::string want = "\n" + joined_body(a);
    FUZZ_CHECK(output == want,
               "one file joined is not the file less its leading blank line and closing "
               "separator line, after a newline");
    if (b.empty() || b == "\n")
        return;
    chainup::FileEnd end_b = append(b, true, out, chunk);
    FUZZ_CHECK(out.close(), "writing to a string failed");
    FUZZ_CHECK(end_b == chainup::FileEnd::done, "a file was not read to its end");
    if (want.back() != '\n')
        want.push_back('\n');
    want += "\f\n" + joined_body(b);
    FUZZ_CHECK(output == want, "two files joined are not the files around one separator line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t chunk = fuzz_support::chunk_size(bytes[0]);
    std::string_view input(reinterpret_cast<const char*>(bytes) + 1, size - 1);

    std::string output;
    {
        auto in = seq::LineReader::from_memory(input, chunk);
        seq::Writer out(&output);
        FUZZ_CHECK(pagemark::run(in, out) == 0, "the filter did not end with status 0");
        FUZZ_CHECK(out.close(), "writing to a string failed");
    }
    FUZZ_CHECK(output == expected_pagemark(input), "the filter wrote other lines than expected");

    // Every non-blank line comes out in order; what else comes out is blank
    // or a separator line.
    auto in_lines = split_lines(input);
    std::size_t next = 0;
    for (std::string_view line : split_lines(output)) {
        std::string_view text = body(line);
        while (next < in_lines.size() && blank(body(in_lines[next])))
            ++next;
        if (next < in_lines.size() && text == body(in_lines[next]))
            ++next;
        else
            FUZZ_CHECK(blank(text) || text == "\f", "an unexpected line came out");
    }
    while (next < in_lines.size() && blank(body(in_lines[next])))
        ++next;
    FUZZ_CHECK(next == in_lines.size(), "a non-blank line was lost or moved");

    check_chainup(output, input, chunk);
    check_chainup(input, output, chunk);
    return 0;
}
