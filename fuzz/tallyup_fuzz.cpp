// The title rewrite of the re-numbering filter.
//
// Input: one byte of flags (bit 0: a start number is set, bit 1: a label is
// set; the rest pick the block size), then the start number text and the
// label text, each up to a newline when its flag is set, then the file.
//
// Properties: only the line after a date line changes; it becomes the label
// line or keeps everything up to its last space and gets the running number;
// every other line is copied byte for byte, so the output has as many lines
// as the input. A title line whose first byte is NUL stops the run with
// "error this line N" and status 4 after the lines before it.

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "line_reader.hpp"
#include "tallyup.hpp"
#include "writer.hpp"

namespace {

using fuzz_support::split_lines;

// Takes the text up to the next newline off `rest`; an environment value
// ends at its first NUL.
std::string take_value(std::string_view& rest) {
    std::size_t newline = rest.find('\n');
    std::string_view value = rest.substr(0, newline);
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
    return std::string(value.substr(0, value.find('\0')));
}

std::int64_t plain_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    __int128 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value < (static_cast<__int128>(1) << 70))
            value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    if (value > INT64_MAX)
        return INT64_MAX;
    if (value < INT64_MIN)
        return INT64_MIN;
    return static_cast<std::int64_t>(value);
}

struct Expected {
    std::string output;
    int status = 0;
};

Expected renumber(std::string_view content, std::int64_t first, std::string_view label) {
    Expected result;
    std::int64_t next = first;
    std::int64_t title = 0;
    bool pending = false;
    std::int64_t line_no = 0;
    for (std::string_view line : split_lines(content)) {
        ++line_no;
        std::string written(line);
        if (pending) {
            pending = false;
            if (line[0] == '\0') {
                result.output += "error this line " + std::to_string(line_no) + "\n";
                result.status = 4;
                return result;
            }
            if (!label.empty()) {
                written =
                    std::string(13, ' ') + std::string(label) + " " + std::to_string(title) + "\n";
            } else if (std::size_t space = line.rfind(' '); space != std::string_view::npos) {
                written = std::string(line.substr(0, space + 1)) + std::to_string(title) + "\n";
            }
        }
        if (fuzz_support::opens_with_weekday(written)) {
            title = next;
            if (next != INT64_MAX)
                ++next;
            pending = true;
        }
        result.output += written;
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1)
        return 0;
    const std::uint8_t flags = bytes[0];
    const std::size_t chunk = fuzz_support::chunk_size(static_cast<std::uint8_t>(flags >> 2));
    std::string_view rest(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    std::string start_text = (flags & 1) ? take_value(rest) : std::string();
    std::string label_text = (flags & 2) ? take_value(rest) : std::string();

    tallyup::Environment env;
    env.start_number = (flags & 1) ? start_text.c_str() : nullptr;
    env.label = (flags & 2) ? label_text.c_str() : nullptr;
    tallyup::Settings settings = tallyup::settings_from(env);

    std::int64_t first = (flags & 1) ? plain_number(start_text) : 1;
    FUZZ_CHECK(settings.start_number == first, "the start number was read wrongly");
    FUZZ_CHECK(settings.label_buf == label_text, "the label was read wrongly");

    auto in = seq::LineReader::from_memory(rest, chunk);
    std::string output;
    seq::Writer out(&output);
    int status = tallyup::renumber(in, out, settings, "fuzz input");
    FUZZ_CHECK(out.close(), "writing to a string failed");

    Expected expected = renumber(rest, first, label_text);
    FUZZ_CHECK(status == expected.status, "the wrong exit status");
    FUZZ_CHECK(output == expected.output, "the renumbered file differs");
    if (status == 0) {
        // Only title lines change, so the lines stay as many as they were.
        auto in_lines = split_lines(rest);
        auto out_lines = split_lines(output);
        FUZZ_CHECK(in_lines.size() == out_lines.size(), "the number of lines changed");
        bool after_date = false;
        for (std::size_t k = 0; k < in_lines.size(); ++k) {
            FUZZ_CHECK(after_date || in_lines[k] == out_lines[k],
                       "a line that does not follow a date line changed");
            after_date = fuzz_support::opens_with_weekday(out_lines[k]);
        }
    }
    return 0;
}
