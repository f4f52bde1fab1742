#pragma once
// Turns blank-line-separated sequences into separator-line-separated ones.
//
// Wherever a date line follows a blank line, that blank line (or the last two
// of a run of blank lines) is replaced by one separator line, "\f\n". Every
// other line is written whole, with a newline, in the order it was read.

#include <cstddef>
#include <string_view>

#include "line_reader.hpp"
#include "writer.hpp"

namespace pagemark {

// A blank line, given without its newline, is empty or one space. Any other
// byte (two spaces, a tab, a form feed, a NUL) makes it a line with content.
inline bool is_blank_line(std::string_view text) {
    return text.empty() || (text.size() == 1 && text[0] == ' ');
}

// Filters `in` to `out`. Returns 0, or 1 after a read error, which is reported
// on standard error under `input_name` once the lines read so far are written.
int run(seq::LineReader& in, seq::Writer& out, std::string_view input_name = "standard input");

} // namespace pagemark
