#include "line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace seq {

LineReader::LineReader(int fd, std::size_t block) : fd_(fd), buf_(block), block_(block) {}

LineReader::LineReader(std::string_view data, std::size_t chunk)
    : memory_(data), buf_(chunk == 0 ? 1 : chunk), block_(chunk == 0 ? 1 : chunk) {}

LineReader LineReader::from_memory(std::string_view data, std::size_t chunk) {
    return LineReader(data, chunk);
}

// Reads up to `want` bytes into buf_ at offset `at`. Returns the count, 0 at
// the end of the input; a failed read sets error_ and also returns 0.
std::size_t LineReader::refill(std::size_t at, std::size_t want) {
    if (fd_ < 0) {
        std::size_t n = std::min({want, block_, memory_.size()});
        std::memcpy(buf_.data() + at, memory_.data(), n);
        memory_.remove_prefix(n);
        return n;
    }
    for (;;) {
        ssize_t n = ::read(fd_, buf_.data() + at, want);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            error_ = errno;
            return 0;
        }
    }
}

bool LineReader::next_lines(std::string_view& lines) {
    if (begin_ < end_) {
        if (const void* nl = ::memrchr(buf_.data() + begin_, '\n', end_ - begin_)) {
            std::size_t stop =
                static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.data()) + 1;
            lines = std::string_view(buf_.data() + begin_, stop - begin_);
            begin_ = stop;
            return true;
        }
    }
    return next(lines);
}

bool LineReader::next(std::string_view& line) {
    std::size_t scanned = begin_;
    for (;;) {
        if (const void* nl = std::memchr(buf_.data() + scanned, '\n', end_ - scanned)) {
            std::size_t stop =
                static_cast<std::size_t>(static_cast<const char*>(nl) - buf_.data()) + 1;
            line = std::string_view(buf_.data() + begin_, stop - begin_);
            begin_ = stop;
            return true;
        }
        if (eof_ || error_ != 0) {
            if (begin_ == end_ || error_ != 0) {
                // A partial line before a read error is not handed out: the
                // caller reports the error instead of a truncated line.
                begin_ = end_;
                return false;
            }
            line = std::string_view(buf_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return true;
        }
        // No newline in what is held: move the partial line to the front and
        // grow the buffer only when the partial line already fills it.
        std::size_t held = end_ - begin_;
        if (begin_ > 0) {
            std::memmove(buf_.data(), buf_.data() + begin_, held);
            begin_ = 0;
            end_ = held;
        }
        if (end_ == buf_.size())
            buf_.resize(buf_.size() * 2);
        scanned = end_;
        std::size_t n = refill(end_, buf_.size() - end_);
        if (n == 0)
            eof_ = true;
        end_ += n;
    }
}

} // namespace seq
