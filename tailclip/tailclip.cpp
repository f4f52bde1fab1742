#include "tailclip.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "buffer.hpp"
#include "io.hpp"

namespace tailclip {

void Clipper::feed(std::string_view block) {
    while (!block.empty()) {
        const void* nl = std::memchr(block.data(), '\n', block.size());
        if (nl == nullptr) {
            hold(block);
            return;
        }
        std::size_t end = static_cast<std::size_t>(static_cast<const char*>(nl) - block.data()) + 1;
        std::string_view rest = block.substr(0, end);
        block.remove_prefix(end);
        if (held_ == 0 || rest.size() >= kept_length) {
            out_.put(clip_line(rest));
        } else {
            // The line began in an earlier block: its last bytes come partly
            // from the held tail and partly from this block.
            std::size_t from_tail = kept_length - rest.size();
            if (from_tail > held_)
                from_tail = held_;
            out_.put(std::string_view(tail_ + held_ - from_tail, from_tail));
            out_.put(rest);
        }
        held_ = 0;
    }
}

// Adds the bytes of an unfinished line, keeping only the last 76 of it.
void Clipper::hold(std::string_view piece) {
    if (piece.size() >= kept_length) {
        std::memcpy(tail_, piece.data() + piece.size() - kept_length, kept_length);
        held_ = kept_length;
        return;
    }
    std::size_t keep = kept_length - piece.size();
    if (held_ > keep) {
        std::memmove(tail_, tail_ + held_ - keep, keep);
        held_ = keep;
    }
    std::memcpy(tail_ + held_, piece.data(), piece.size());
    held_ += piece.size();
}

void Clipper::finish() {
    out_.put(std::string_view(tail_, held_));
    held_ = 0;
}

int run(int fd, seq::Writer& out, std::string_view input_name) {
    seq::Buffer block(128 * 1024);
    Clipper clipper(out);
    for (;;) {
        ssize_t n = ::read(fd, block.data(), block.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // What was read before the failure has been written; the
            // unfinished line is not, as it may have lost its end.
            seq::report_read_error("tailclip", input_name, errno);
            return 1;
        }
        if (n == 0)
            break;
        clipper.feed(std::string_view(block.data(), static_cast<std::size_t>(n)));
    }
    clipper.finish();
    return 0;
}

} // namespace tailclip
