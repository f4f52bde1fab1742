#include "writer.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <sys/uio.h>
#include <unistd.h>
#include <utility>

namespace seq {

Writer::Writer(int fd, bool owns, std::size_t block) : fd_(fd), owns_(owns), capacity_(block) {
    pending_.reserve(block);
}

Writer::Writer(std::string* sink) : sink_(sink), capacity_(default_block) {
    pending_.reserve(capacity_);
}

Writer::Writer(Writer&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owns_(std::exchange(other.owns_, false)),
      sink_(std::exchange(other.sink_, nullptr)), pending_(std::move(other.pending_)),
      capacity_(other.capacity_), error_(other.error_), last_(other.last_) {}

Writer::~Writer() {
    if (owns_ && fd_ >= 0)
        ::close(fd_);
}

void Writer::put(std::string_view bytes) {
    if (bytes.empty())
        return;
    last_ = bytes.back();
    if (error_ != 0)
        return;
    // Small spans gather in the buffer; a large one (a run of many lines) goes
    // out as it is, after what is buffered, without being copied.
    if (bytes.size() < capacity_ / 4) {
        if (pending_.size() + bytes.size() > capacity_)
            flush();
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return;
    }
    write_out(std::string_view(pending_.data(), pending_.size()), bytes);
    pending_.clear();
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
    if (!pending_.empty()) {
        write_out(std::string_view(pending_.data(), pending_.size()), {});
        pending_.clear();
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
