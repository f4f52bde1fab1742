#pragma once
// Buffered, checked output for standard output and for files.
//
// Every put goes into one large buffer; a full buffer is written with a loop
// that survives partial writes and EINTR. The first failure is kept and every
// later put becomes a no-op, so a program can write freely and ask once, at
// the end, whether all of it arrived.
//
// Writes are kept in step with the pages of the destination: the buffer is
// page-aligned and goes out when full, or together with a large span that is
// written without copying and cut at a page boundary, its tail kept for the
// next write. A writer that starts in the middle of a page of a file (an
// offset, or appending) first fills up to the next boundary. The
// kernel copies into a page-aligned destination about twice as fast as into
// one that starts in the middle of a cache line, and copying is most of what
// a filter costs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "buffer.hpp"

namespace seq {

class Writer {
  public:
    static constexpr std::size_t default_block = 128 * 1024;

    // Writes to a file descriptor. With `owns` set, close() closes it.
    explicit Writer(int fd, bool owns = false, std::size_t block = default_block);
    // Collects everything in a string, for tests.
    explicit Writer(std::string* sink);
    ~Writer();

    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    Writer(Writer&&) = delete;

    void put(std::string_view bytes);
    void put(char c) {
        last_ = c;
        if (used_ + 1 < limit_)
            buffer_.data()[used_++] = c;
        else
            put(std::string_view(&c, 1));
    }
    void put_number(std::int64_t value);

    // Writes out what is buffered. Returns false when any write has failed.
    bool flush();
    // Flushes and, for a descriptor the writer owns, closes it; a failed
    // close counts as a failed write. Returns false on any failure.
    bool close();

    bool failed() const { return error_ != 0; }
    int error() const { return error_; }
    // True when the last byte handed to put() was a newline (or nothing has
    // been written yet).
    bool at_line_start() const { return last_ == '\n'; }

  private:
    void put_span(std::string_view bytes);
    void write_out(std::string_view first, std::string_view second);
    void set_phase(std::uint64_t position);

    int fd_ = -1;
    bool owns_ = false;
    std::string* sink_ = nullptr;
    Buffer buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::size_t limit_;     // the buffer goes out when it holds this much
    std::size_t page_ = 0;  // the unit writes keep in step with, or 0
    std::size_t phase_ = 0; // where in a page the buffer's first byte lands
    int error_ = 0;
    char last_ = '\n';
};

} // namespace seq
