#include "line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace seq {

namespace {

constexpr std::size_t cache_line = 64;

std::size_t page_size() {
    static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

// A mapped file that another process truncates under the reader makes the
// next access to the lost pages raise SIGBUS. Instead of dying without a
// word, the program reports a read error and ends with status 1. Output not
// yet written is lost either way; the status tells that the run failed.
void on_bus_error(int) {
    const char* name = program_invocation_short_name;
    static constexpr char message[] = ": read error: the input file shrank while it was read\n";
    (void)!::write(STDERR_FILENO, name, std::strlen(name));
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(1);
}

void catch_truncation() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = on_bus_error;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

} // namespace

LineReader::LineReader(int fd, std::size_t block, std::size_t window)
    : fd_(fd), block_(block == 0 ? 1 : block) {
    // A regular file with something in it is mapped from where its offset
    // stands; anything else (pipes, terminals, directories) is read.
    struct stat info {};
    off_t start = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
        (start = ::lseek(fd, 0, SEEK_CUR)) >= 0 && start < info.st_size) {
        std::size_t page = page_size();
        block_ = (std::max(window, page) + page - 1) / page * page;
        mapping_ = true;
        end_offset_ = static_cast<std::uint64_t>(info.st_size);
        catch_truncation();
        auto aligned = static_cast<std::uint64_t>(start) / page * page;
        next_offset_ = aligned;
        if (map_next_window())
            window_pos_ = static_cast<std::size_t>(static_cast<std::uint64_t>(start) - aligned);
        else if (!mapping_ && ::lseek(fd, start, SEEK_SET) < 0)
            error_ = errno;
        return;
    }
    buf_ = Buffer(block_);
}

LineReader::~LineReader() {
    unmap();
}

void LineReader::unmap() {
    if (window_ != nullptr)
        ::munmap(window_, window_size_);
    window_ = nullptr;
    window_size_ = 0;
    window_pos_ = 0;
}

// Gives up mapping (the system refused a window): what is left of the file,
// with a line begun in the last window, is read from here on.
void LineReader::stop_mapping() {
    mapping_ = false;
    buf_ = Buffer(std::max(block_, carry_.size() * 2));
    std::memcpy(buf_.data(), carry_.data(), carry_.size());
    begin_ = 0;
    end_ = carry_.size();
    carry_.clear();
    if (::lseek(fd_, static_cast<off_t>(next_offset_), SEEK_SET) < 0)
        error_ = errno;
}

// Maps the window after the current one. Returns false at the end of the
// file, or when mapping failed and the reader went back to reading.
bool LineReader::map_next_window() {
    unmap();
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        error_ = errno;
        return false;
    }
    // The file is read as long as it was when reading began: a program whose
    // output is appended to its own input must not chase what it writes. A
    // file that shrank meanwhile ends where it now ends, as a read would.
    auto size = std::min(static_cast<std::uint64_t>(info.st_size), end_offset_);
    if (next_offset_ >= size)
        return false;
    auto length = static_cast<std::size_t>(std::min<std::uint64_t>(block_, size - next_offset_));
    void* window = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_,
                          static_cast<off_t>(next_offset_));
    if (window == MAP_FAILED) {
        stop_mapping();
        return false;
    }
    window_ = static_cast<char*>(window);
    window_size_ = length;
    window_pos_ = 0;
    next_offset_ += length;
    return true;
}

// Hands out the next line (or, with `many`, every whole line left in the
// window) straight from the mapping; a line that runs past the window's end
// is gathered in carry_ instead.
bool LineReader::next_mapped(std::string_view& out, bool many) {
    if (carry_out_) {
        carry_.clear();
        carry_out_ = false;
    }
    for (;;) {
        const char* rest = window_ + window_pos_;
        std::size_t left = window_size_ - window_pos_;
        if (left > 0) {
            const void* nl = many && carry_.empty() ? ::memrchr(rest, '\n', left)
                                                    : std::memchr(rest, '\n', left);
            if (nl != nullptr) {
                std::size_t length =
                    static_cast<std::size_t>(static_cast<const char*>(nl) - rest) + 1;
                window_pos_ += length;
                if (carry_.empty()) {
                    out = std::string_view(rest, length);
                    return true;
                }
                carry_.append(rest, length);
                out = carry_;
                carry_out_ = true;
                return true;
            }
            carry_.append(rest, left);
            window_pos_ = window_size_;
        }
        if (!map_next_window()) {
            if (!mapping_)
                return error_ == 0 && next(out);
            if (error_ != 0 || carry_.empty())
                return false;
            out = carry_;
            carry_out_ = true;
            return true;
        }
    }
}

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
    if (mapping_)
        return next_mapped(lines, true);
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
    if (mapping_)
        return next_mapped(line, false);
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
        // grow the buffer only when the partial line already fills it. The
        // line goes where it ends on a cache line, so that the next read
        // starts on one; it moves once, not at every read that lengthens it.
        std::size_t held = end_ - begin_;
        if (begin_ >= cache_line) {
            std::size_t front = (cache_line - held % cache_line) % cache_line;
            std::memmove(buf_.data() + front, buf_.data() + begin_, held);
            begin_ = front;
            end_ = front + held;
        }
        if (end_ == buf_.size())
            buf_.resize(buf_.size() * 2, end_);
        scanned = end_;
        std::size_t n = refill(end_, buf_.size() - end_);
        if (n == 0)
            eof_ = true;
        end_ += n;
    }
}

} // namespace seq
