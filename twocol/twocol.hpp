#pragma once
// twocol: two text files side by side, "left | right", one line of each per
// output line, for as long as both files have lines.

#include <span>
#include <string>
#include <string_view>

#include "line_reader.hpp"
#include "writer.hpp"

namespace twocol {

// Writes one output line: the left line without its newline, " | ", then the
// right line exactly as read (with its newline, when it has one).
void write_pair(std::string_view left, std::string_view right, seq::Writer& out);

// Pairs the lines of two inputs until either ends. Returns 0, or 1 after a
// read error, which is reported under the input's name.
int list(seq::LineReader& left, std::string_view left_name, seq::LineReader& right,
         std::string_view right_name, seq::Writer& out);

// The whole program: `args` are the arguments after the program name. Both
// files are opened before anything is read; fewer than two names or a file
// that cannot be opened end the run with a message and status 1.
int run(std::span<const std::string> args, seq::Writer& out);

} // namespace twocol
