#pragma once
// The shape of a sequence file, and the way the suite reads numbers.

#include <cstdint>
#include <string_view>

namespace seq {

// The end of the line that starts at `at`: just past its newline, or the end
// of `lines` for a last line without one.
inline std::size_t line_end(std::string_view lines, std::size_t at) {
    std::size_t newline = lines.find('\n', at);
    return newline == std::string_view::npos ? lines.size() : newline + 1;
}

// The offset of the last line of a run of lines, whether or not it ends with
// a newline.
std::size_t last_line_start(std::string_view lines);

// A separator line begins with a form feed; nothing after it matters.
inline bool is_separator_line(std::string_view line) {
    return !line.empty() && line[0] == '\f';
}

// In a run of whole lines that starts at a line start, the offset of the
// first separator line at or after `from`, or npos. It looks only for form
// feeds, so runs of ordinary lines are passed over at memchr speed.
std::size_t find_separator_line(std::string_view lines, std::size_t from = 0);

// As above, but the separator line that comes after `skip` others (none
// when `skip` is 0 or less): `skip` is lowered by every separator line passed
// over, so with npos it tells how many there were short. A program that needs only the n-th
// separator line is spared a call per sequence; 64 bytes are looked at per step.
std::size_t find_separator_line(std::string_view lines, std::size_t from, std::int64_t& skip);

// The number of separator lines in a run of whole lines.
inline std::int64_t count_separator_lines(std::string_view lines) {
    std::int64_t skip = INT64_MAX;
    find_separator_line(lines, 0, skip);
    return INT64_MAX - skip;
}

// A date line begins with a weekday, three letters and a space, in exactly
// this spelling. Shorter lines never match.
bool is_date_line(std::string_view line);

// In a run of whole lines, the offset of the first date line that starts at
// or after `from` (itself a line start), or npos. Adds to `newlines` the
// newlines passed before it (all of them when there is none).
std::size_t find_date_line(std::string_view lines, std::size_t from, std::int64_t& newlines);

// True for the white space the number rule skips: space, tab, newline,
// vertical tab, form feed and carriage return.
inline bool is_number_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The leading number of a text: white space skipped, an optional sign, then
// decimal digits up to the first other byte; 0 when no digit follows. Values
// beyond the 64-bit range are clamped to it.
std::int64_t plain_number(std::string_view text);

// The same, clamped to the range of int.
int plain_int(std::string_view text);

// Clamps a 64-bit value into the range of int.
int clamp_to_int(std::int64_t value);

} // namespace seq
