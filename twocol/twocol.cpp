#include "twocol.hpp"

#include <unistd.h>

#include "io.hpp"

namespace twocol {

namespace {

constexpr std::string_view program = "twocol";

// Closes a descriptor when it goes out of scope.
struct InputFile {
    int fd = -1;
    ~InputFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

// The listing ends when either file has no line left: with 0 at its end, or
// with 1 once a read error is reported.
int end_status(const seq::LineReader& in, std::string_view name) {
    if (in.error() == 0)
        return 0;
    seq::report_read_error(program, name, in.error());
    return 1;
}

} // namespace

void write_pair(std::string_view left, std::string_view right, seq::Writer& out) {
    if (seq::LineReader::has_newline(left))
        left.remove_suffix(1);
    out.put(left);
    out.put(" | ");
    out.put(right);
}

int list(seq::LineReader& left, std::string_view left_name, seq::LineReader& right,
         std::string_view right_name, seq::Writer& out) {
    std::string_view a, b;
    for (;;) {
        if (!left.next(a))
            return end_status(left, left_name);
        if (!right.next(b))
            return end_status(right, right_name);
        write_pair(a, b, out);
    }
}

int run(std::span<const std::string> args, seq::Writer& out) {
    if (args.size() < 2) {
        seq::print_error("usage: twocol file1 file2\n");
        return 1;
    }
    InputFile files[2];
    bool opened = true;
    for (int i = 0; i < 2; ++i) {
        files[i].fd = seq::open_input(args[i]);
        if (files[i].fd < 0) {
            seq::warn(program, "can't open file: " + args[i]);
            opened = false;
        }
    }
    if (!opened)
        return 1;
    seq::LineReader left(files[0].fd), right(files[1].fd);
    return list(left, args[0], right, args[1], out);
}

} // namespace twocol
