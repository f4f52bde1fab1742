#pragma once
// Joins sequence files into one: a single leading blank line, then the
// sequences of every file in order, with one separator line at each join.

#include <string>
#include <string_view>
#include <vector>

#include "line_reader.hpp"
#include "writer.hpp"

namespace chainup {

// How the lines of one file ended.
enum class FileEnd {
    done,           // every line was read
    no_first_line,  // the file holds no line at all
    no_second_line, // the file holds nothing but its leading blank line
    read_error,     // reading failed; in.error() tells why
};

// Appends the lines of one file to `out`: its leading blank line (a lone
// newline) is dropped, and so is a separator line that closes the file. With
// `separator_first`, a separator line goes before the file's lines, once the
// file is known to hold a line to follow it; when the output so far does not
// end with a newline, one is written first, so that the separator stands on
// a line of its own. `held` is scratch space kept between calls.
FileEnd append_file(seq::LineReader& in, bool separator_first, seq::Writer& out, std::string& held);

// Writes the leading blank line, then each file in order. Files that cannot
// be opened or read are reported on standard error and skipped; the separator
// before a file depends only on its position among the arguments. Returns 0,
// 1 when some file could not be opened or read, 2 when a file is empty and 3
// when a file holds only its leading blank line; the last two end the run at
// once.
int run(const std::vector<std::string>& files, seq::Writer& out);

} // namespace chainup
