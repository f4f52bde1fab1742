#include "writer.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace seq {

namespace {

constexpr std::size_t page_unit = Buffer::alignment;

// Where the next write to `fd` lands: its offset, or the end of the file for
// one opened to append. Anything that cannot seek counts as starting afresh.
std::uint64_t write_position(int fd) {
    struct stat info {};
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_APPEND) != 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return static_cast<std::uint64_t>(info.st_size);
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    return at > 0 ? static_cast<std::uint64_t>(at) : 0;
}

} // namespace

Writer::Writer(int fd, bool owns, std::size_t block)
    : fd_(fd), owns_(owns), buffer_(std::max<std::size_t>(block, 1)),
      capacity_(std::max<std::size_t>(block, 1)) {
    page_ = capacity_ % page_unit == 0 ? page_unit : 0;
    set_phase(write_position(fd));
}

Writer::Writer(std::string* sink)
    : sink_(sink), buffer_(default_block), capacity_(default_block), page_(page_unit) {
    set_phase(0);
}

Writer::~Writer() {
    if (owns_ && fd_ >= 0)
        ::close(fd_);
}

void Writer::set_phase(std::uint64_t position) {
    phase_ = page_ == 0 ? 0 : static_cast<std::size_t>(position % page_);
    limit_ = capacity_ - phase_;
}

void Writer::put(std::string_view bytes) {
    // Most puts are small and fit: they are copied straight away. A buffer
    // that would fill, and a large span, take the long way.
    if (bytes.size() - 1 < limit_ - used_ - 1 && bytes.size() < capacity_ / 4) {
        std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
        last_ = bytes.back();
        return;
    }
    put_span(bytes);
}

void Writer::put_span(std::string_view bytes) {
    if (bytes.empty())
        return;
    last_ = bytes.back();
    if (error_ != 0)
        return;
    // A large span (a run of many lines) goes out after what is buffered
    // without being copied, up to the last page boundary it reaches.
    if (bytes.size() >= capacity_ / 4 && bytes.size() >= page_) {
        std::size_t tail = page_ == 0 ? 0 : (phase_ + used_ + bytes.size()) % page_;
        write_out(std::string_view(buffer_.data(), used_), bytes.substr(0, bytes.size() - tail));
        set_phase(phase_ + used_ + bytes.size() - tail);
        std::memcpy(buffer_.data(), bytes.data() + bytes.size() - tail, tail);
        used_ = tail;
        return;
    }
    // Small spans fill the buffer, which goes out whenever it is full.
    while (!bytes.empty()) {
        std::size_t n = std::min(bytes.size(), limit_ - used_);
        std::memcpy(buffer_.data() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
        if (used_ == limit_ && !flush())
            return;
    }
}

void Writer::put_number(std::int64_t value) {
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, value);
    put(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void Writer::write_out(std::string_view first, std::string_view second) {
    if (error_ != 0)
        return;
    if (sink_ != nullptr) {
        sink_->append(first).append(second);
        return;
    }
    iovec parts[2] = {{const_cast<char*>(first.data()), first.size()},
                      {const_cast<char*>(second.data()), second.size()}};
    iovec* part = parts;
    int count = 2;
    while (count > 0) {
        if (part->iov_len == 0) {
            ++part;
            --count;
            continue;
        }
        ssize_t n = ::writev(fd_, part, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return;
        }
        if (n == 0) {
            error_ = EIO;
            return;
        }
        // Step past what was written, which may end inside a part.
        auto done = static_cast<std::size_t>(n);
        while (count > 0 && done >= part->iov_len) {
            done -= part->iov_len;
            ++part;
            --count;
        }
        if (count > 0) {
            part->iov_base = static_cast<char*>(part->iov_base) + done;
            part->iov_len -= done;
        }
    }
}

bool Writer::flush() {
    if (used_ > 0) {
        write_out(std::string_view(buffer_.data(), used_), {});
        set_phase(phase_ + used_);
        used_ = 0;
    }
    return error_ == 0;
}

bool Writer::close() {
    flush();
    if (owns_ && fd_ >= 0) {
        if (::close(fd_) != 0 && error_ == 0)
            error_ = errno;
        fd_ = -1;
        owns_ = false;
    }
    return error_ == 0;
}

} // namespace seq
