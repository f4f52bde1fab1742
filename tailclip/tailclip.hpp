#pragma once
// tailclip: keeps the last 76 bytes of every line longer than that.
//
// A line is clipped whole, however long: only its last 76 bytes (its last 75
// characters and the newline, when it has one) reach the output. Shorter
// lines pass unchanged and nothing is ever added. The input is read in blocks
// and only the tail of the current line is held, so memory stays the same
// for a line of any length.

#include <cstddef>
#include <string_view>

#include "writer.hpp"

namespace tailclip {

// How many bytes of a line survive, newline included.
inline constexpr std::size_t kept_length = 76;

// The bytes of a complete line that are written.
inline std::string_view clip_line(std::string_view line) {
    return line.size() > kept_length ? line.substr(line.size() - kept_length) : line;
}

// Clips a stream handed over in blocks of any size. Complete lines inside a
// block are written straight from it; a line that runs past the end of a
// block leaves only its last 76 bytes behind.
class Clipper {
  public:
    explicit Clipper(seq::Writer& out) : out_(out) {}

    void feed(std::string_view block);
    // Writes the tail of a last line that has no newline.
    void finish();

  private:
    void hold(std::string_view piece);

    seq::Writer& out_;
    char tail_[kept_length] = {};
    std::size_t held_ = 0;
};

// Reads `fd` to its end and writes the clipped lines to `out`. Returns the
// exit status: 0, or 1 after a read error, which is reported on standard
// error under `input_name`.
int run(int fd, seq::Writer& out, std::string_view input_name = "standard input");

} // namespace tailclip
