#include "writer.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
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
    if (pending_.size() + bytes.size() <= capacity_) {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
        return;
    }
    flush();
    // A span at least as large as the buffer goes straight out.
    if (bytes.size() >= capacity_)
        write_out(bytes.data(), bytes.size());
    else
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

void Writer::put_number(std::int64_t value) {
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, value);
    put(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void Writer::write_out(const char* data, std::size_t size) {
    if (error_ != 0)
        return;
    if (sink_ != nullptr) {
        sink_->append(data, size);
        return;
    }
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
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
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool Writer::flush() {
    if (!pending_.empty()) {
        write_out(pending_.data(), pending_.size());
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
