#pragma once
// Whole-line reading for every program of the suite.
//
// The reader fills a large block with read(2) and finds line ends with memchr,
// so a line costs neither a system call nor an allocation. A line is handed
// back as a view of all its bytes (NUL included) with its newline; only the
// last line of an input may lack one. The buffer grows only while a single
// line is longer than it, so memory follows the longest line, not the input.
//
// A regular file is not read but mapped, one window at a time: lines are then
// handed out straight from the page cache, which saves copying every byte
// once. Only a line that crosses the end of a window is copied, into a
// buffer of its own. Memory stays at one window plus the longest such line.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "buffer.hpp"

namespace seq {

class LineReader {
  public:
    static constexpr std::size_t default_block = 128 * 1024;
    static constexpr std::size_t default_window = 1024 * 1024;

    // Reads from a file descriptor, which the reader does not own. `block` is
    // the size of a read; `window` that of a window of a mapped file (rounded
    // up to a whole number of pages).
    explicit LineReader(int fd, std::size_t block = default_block,
                        std::size_t window = default_window);
    ~LineReader();
    // A reader holds a mapped window and views into it, so it stays where it
    // was made; from_memory returns one without moving it.
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

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
    bool next_mapped(std::string_view& out, bool many);
    bool map_next_window();
    void unmap();
    void stop_mapping();

    int fd_ = -1;
    std::string_view memory_;
    Buffer buf_;
    std::size_t block_;
    std::size_t begin_ = 0; // first byte not yet handed out
    std::size_t end_ = 0;   // one past the last byte read
    bool eof_ = false;
    int error_ = 0;

    // The mapped window of a regular file, while the reader maps.
    bool mapping_ = false;
    char* window_ = nullptr;
    std::size_t window_size_ = 0;
    std::size_t window_pos_ = 0;    // first byte of the window not handed out
    std::uint64_t next_offset_ = 0; // file offset just after the window
    std::uint64_t end_offset_ = 0;  // the size of the file when reading began
    std::string carry_;             // a line that crosses a window's end
    bool carry_out_ = false;        // carry_ was handed out by the last call
};

} // namespace seq
