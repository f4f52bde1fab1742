#include "probelist.hpp"

#include <cerrno>
#include <unistd.h>

#include "io.hpp"
#include "sequence.hpp"

namespace probelist {

bool is_sequence_head(std::string_view head) {
    return head.size() >= head_length && head[0] == '\n' && seq::is_date_line(head.substr(1));
}

bool is_sequence_file(int fd) {
    char head[head_length];
    std::size_t got = 0;
    while (got < head_length) {
        ssize_t n = ::read(fd, head + got, head_length - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return is_sequence_head(std::string_view(head, got));
}

int run(std::span<const std::string> args, seq::Writer& out) {
    bool missing = false;
    bool listed = false;
    for (const std::string& name : args) {
        int fd = seq::open_input(name);
        if (fd < 0) {
            out.put("File ");
            out.put(name);
            out.put(" not exist\n");
            missing = true;
            continue;
        }
        bool hit = is_sequence_file(fd);
        ::close(fd);
        if (!hit)
            continue;
        if (!listed)
            out.put(heading);
        listed = true;
        out.put(name);
        out.put('\n');
    }
    if (missing)
        return 2;
    return listed ? 0 : 1;
}

} // namespace probelist
