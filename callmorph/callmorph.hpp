#pragma once
// callmorph: a filter for the text of square-dance sequences. One keyword
// chooses what it does to each line of standard input: remap the dancers of
// the pictures, remove the pictures, lower the capitals outside them, squeeze
// empty lines, exchange the words for heads and sides, or add one to the
// number at the end of a single line.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "line_reader.hpp"
#include "writer.hpp"

namespace callmorph {

// What the command line asks for. `dancer_mode` is 0 (no dancer keyword) or
// 1 to 15; the flags are only ever set, never cleared.
struct Settings {
    int dancer_mode = 0;
    bool lower_flag = false;
    bool join_flag = false;
    bool add1_flag = false;
    bool rmpic_flag = false;
    bool switchhs_flag = false;
};

enum class Operation { add1, usage, line_loop };

// Looks every argument up among the keywords; a later dancer keyword replaces
// an earlier one and an unknown argument is passed over. With no arguments at
// all, an invocation name that contains "rmpic" selects picture removal.
Settings parse_arguments(std::string_view invocation_name, std::span<const std::string_view> args);

// The operation the settings and the number of arguments lead to.
Operation choose_operation(const Settings& settings, std::size_t argument_count);

// The position of the first occurrence of `pattern` in `text`, or npos. An
// empty pattern is found at 0 of a non-empty text, never in an empty text.
std::size_t strgrep(std::string_view pattern, std::string_view text);

// True when position i of the line holds the letter of a picture designator:
// a couple number 1-4, "B" or "G", and a facing mark "^", "V", "<" or ">".
bool is_picture_designator(std::string_view line, std::size_t i);

// Rewrites, in place, the picture designator whose letter is at position i
// for the given dancer mode (0 changes nothing). Bytes that form no
// designator there are left alone.
void remap_designator(int dancer_mode, char* line, std::size_t i);

// True for a non-empty line of blanks and single dots, each dot with a blank
// before it and a blank or the end of the line after it.
bool is_dots_line(std::string_view line);

// Exchanges, in place, the first head word and the first side word of each
// pair, in capitals and in small letters, and turns "outheads" into
// "outsides". The length of the text never changes.
void switch_heads_sides(std::string& text);

// The line written by "add1" for `line` (given without its newline): one is
// added to the number after the last space, or to the whole line when it
// holds no space. The result carries no newline.
std::string add_one(std::string_view line);

// The four-line usage text.
extern const std::string_view usage_text;

// Runs the program over `in`, writing to `out`; returns the exit status.
// Write failures are left for the caller to find when it finishes `out`.
int run(std::string_view invocation_name, std::span<const std::string_view> args,
        seq::LineReader& in, seq::Writer& out);

// The line loop under the given settings, whatever their combination.
int filter_lines(const Settings& settings, seq::LineReader& in, seq::Writer& out);

// The same loop taking every line on its own through all the steps, as the
// general case does; the faster paths that filter_lines takes for a single
// keyword must give the same output.
int filter_lines_one_by_one(const Settings& settings, seq::LineReader& in, seq::Writer& out);

} // namespace callmorph
