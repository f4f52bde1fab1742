#include "chainup.hpp"

#include <unistd.h>

#include "io.hpp"
#include "sequence.hpp"

namespace chainup {

FileEnd append_file(seq::LineReader& in, bool separator_first, seq::Writer& out,
                    std::string& held) {
    std::string_view lines;
    if (!in.next(lines))
        return in.error() != 0 ? FileEnd::read_error : FileEnd::no_first_line;
    if (lines == "\n" && !in.next(lines))
        return in.error() != 0 ? FileEnd::read_error : FileEnd::no_second_line;

    if (separator_first) {
        if (!out.at_line_start())
            out.put('\n');
        out.put("\f\n");
    }

    // Only the last line of a file can be dropped, and only when it is a
    // separator line. So lines go out in whole runs as they are read, except
    // a separator line that ends a run: it waits until more lines show that
    // it is not the last.
    bool holding = false;
    do {
        if (holding) {
            out.put(held);
            holding = false;
        }
        std::size_t last = seq::last_line_start(lines);
        if (seq::is_separator_line(lines.substr(last))) {
            out.put(lines.substr(0, last));
            held.assign(lines.substr(last));
            holding = true;
        } else {
            out.put(lines);
        }
    } while (in.next_lines(lines));
    return in.error() != 0 ? FileEnd::read_error : FileEnd::done;
}

int run(const std::vector<std::string>& files, seq::Writer& out) {
    out.put('\n');
    int status = 0;
    std::string held;
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::string& name = files[k];
        int fd = seq::open_input(name);
        if (fd < 0) {
            seq::print_error("Can't open file: " + name + "\n");
            status = 1;
            continue;
        }
        seq::LineReader in(fd);
        FileEnd end = append_file(in, k > 0, out, held);
        ::close(fd);
        switch (end) {
        case FileEnd::done:
            break;
        case FileEnd::no_first_line:
            seq::print_error("Can't get 1st line\n");
            return 2;
        case FileEnd::no_second_line:
            seq::print_error("Can't get 2nd line\n");
            return 3;
        case FileEnd::read_error:
            seq::report_read_error("chainup", name, in.error());
            status = 1;
            break;
        }
    }
    return status;
}

} // namespace chainup
