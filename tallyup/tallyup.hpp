#pragma once
// tallyup: gives the title line of every sequence a running number.
//
// The line after each date line is the title line. Without a label, the text
// after its last space becomes the running number; with a label, the whole
// line becomes thirteen spaces, the label, a space and the number. Every other
// line is copied byte for byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.hpp"
#include "writer.hpp"

namespace tallyup {

inline constexpr std::string_view Ver = "tallyup V1.1";

// The two environment variables as the process found them; nullptr when a
// variable is unset.
struct Environment {
    const char* start_number = nullptr;
    const char* label = nullptr;
};

struct Settings {
    std::int64_t start_number = 1; // the number of the first title line
    std::string_view label_buf;    // empty: titles keep their text
};

// Reads the start number (the plain-number rule, so an empty or digitless
// value gives 0) and the label (an empty one counts as unset).
Settings settings_from(const Environment& env);

// Writes one title line to `out`, rewritten with the running number `number`.
// Returns false, writing nothing, when the line has no text to rewrite (its
// first byte is NUL): the run must stop there.
bool tallyup_this_line(std::string_view line, std::int64_t number, std::string_view label_buf,
                       seq::Writer& out);

// Copies `in` to `out`, renumbering every title line. Returns 0 at the end of
// the input, 4 after "error this line N" for a title line without text, and 1
// after a read error, which is reported on standard error with `name`.
int renumber(seq::LineReader& in, seq::Writer& out, const Settings& settings,
             std::string_view name);

// The whole program: `args` are the arguments after the program name.
// Messages and the help text go to standard error; the renumbered file goes
// to `out`, which the caller finishes.
int run(const std::vector<std::string_view>& args, const Environment& env, seq::Writer& out);

} // namespace tallyup
