#pragma once
// Whole-line reading for every program of the suite.
//
// The reader fills a large block with read(2) and finds line ends with memchr,
// so a line costs neither a system call nor an allocation. A line is handed
// back as a view of all its bytes (NUL included) with its newline; only the
// last line of an input may lack one. The buffer grows only while a single
// line is longer than it, so memory follows the longest line, not the input.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace seq {

class LineReader {
  public:
    static constexpr std::size_t default_block = 128 * 1024;

    // Reads from a file descriptor, which the reader does not own.
    explicit LineReader(int fd, std::size_t block = default_block);

    // Reads from memory, handing out at most `chunk` bytes per refill, so
    // tests can place line ends anywhere relative to a block boundary.
    static LineReader from_memory(std::string_view data, std::size_t chunk = default_block);

    // Yields the next line. Returns false at the end of the input and after a
    // read error; error() tells the two apart. The view stays valid until the
    // next call.
    bool next(std::string_view& line);

    // Yields one or more whole lines at once: everything held up to the last
    // newline, or a single line when none is complete yet. Programs that treat
    // most lines alike scan such runs instead of going line by line. Mixing
    // next() and next_lines() is allowed.
    bool next_lines(std::string_view& lines);

    // The errno of a failed read, or 0 when the input simply ended.
    int error() const { return error_; }

    // True when the last line handed out ended with a newline.
    static bool has_newline(std::string_view line) { return !line.empty() && line.back() == '\n'; }

  private:
    LineReader(std::string_view data, std::size_t chunk);
    std::size_t refill(std::size_t at, std::size_t want);

    int fd_ = -1;
    std::string_view memory_;
    std::vector<char> buf_;
    std::size_t block_;
    std::size_t begin_ = 0; // first byte not yet handed out
    std::size_t end_ = 0;   // one past the last byte read
    bool eof_ = false;
    int error_ = 0;
};

} // namespace seq
