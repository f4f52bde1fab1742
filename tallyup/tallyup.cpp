#include "tallyup.hpp"

#include <cerrno>
#include <cstdint>
#include <unistd.h>

#include "io.hpp"
#include "sequence.hpp"

namespace tallyup {

namespace {

constexpr std::string_view program = "tallyup";

void print_help() {
    std::string text = "tallyup [-h|filename] (";
    text.append(Ver).append(")\n");
    text.append("  -h: print this help message\n"
                "  read sequences from filename file\n"
                "  re-number sequence number from 1 (default)\n"
                "  output to stdout (standard output)\n"
                "  env TALLYUP_LABEL used for label characters, such as:\n"
                "  TALLYUP_LABEL=\"easy c1\" tallyup tmp1 > tmp2\n"
                "  env TALLYUP_START_NUMBER used for start number, such as:\n"
                "  TALLYUP_START_NUMBER=\"12\" tallyup tmp1 > tmp2\n"
                "  TALLYUP_LABEL=\"easy c1\" TALLYUP_START_NUMBER=\"12\" tallyup tmp1 > tmp2\n");
    seq::print_error(text);
}

constexpr char thirteen_spaces[] = "             ";

} // namespace

Settings settings_from(const Environment& env) {
    Settings settings;
    if (env.start_number != nullptr)
        settings.start_number = seq::plain_number(env.start_number);
    if (env.label != nullptr)
        settings.label_buf = env.label;
    return settings;
}

bool tallyup_this_line(std::string_view line, std::int64_t number, std::string_view label_buf,
                       seq::Writer& out) {
    if (line.empty() || line[0] == '\0')
        return false;
    if (!label_buf.empty()) {
        out.put(std::string_view(thirteen_spaces));
        out.put(label_buf);
        out.put(' ');
    } else {
        std::size_t space = line.rfind(' ');
        if (space == std::string_view::npos) {
            // Nothing to replace: the line stays as it is, newline or not.
            out.put(line);
            return true;
        }
        out.put(line.substr(0, space + 1));
    }
    out.put_number(number);
    out.put('\n');
    return true;
}

int renumber(seq::LineReader& in, seq::Writer& out, const Settings& settings,
             std::string_view name) {
    std::int64_t newlines = 0; // newlines before the line being looked at
    std::int64_t next_number = settings.start_number;
    std::int64_t title_number = 0;
    bool title_pending = false;
    std::string_view lines;
    // Lines come in runs; everything between two title lines goes out in one
    // piece. Once standard output has failed nothing more can arrive, so the
    // reading stops.
    while (!out.failed() && in.next_lines(lines)) {
        std::size_t copied = 0; // bytes of the run already handed to `out`
        std::size_t at = 0;     // the start of the next line to look at
        while (at < lines.size()) {
            bool date = false;
            if (title_pending) {
                title_pending = false;
                std::size_t end = seq::line_end(lines, at);
                std::string_view title = lines.substr(at, end - at);
                out.put(lines.substr(copied, at - copied));
                if (!tallyup_this_line(title, title_number, settings.label_buf, out)) {
                    std::int64_t line_no = newlines + 1;
                    out.put("error this line ");
                    out.put_number(line_no);
                    out.put('\n');
                    return 4;
                }
                if (lines[end - 1] == '\n')
                    ++newlines;
                copied = at = end;
                // The rewritten title is tested too: a title that is itself a
                // date line keeps its weekday and makes the next line a title.
                // Rewriting keeps everything up to the last space, so it keeps
                // a weekday's four bytes and never makes new ones; a label
                // puts spaces first, and no weekday is left.
                date = settings.label_buf.empty() && seq::is_date_line(title);
            } else {
                at = seq::find_date_line(lines, at, newlines);
                if (at == std::string_view::npos)
                    break;
                date = true;
                at = seq::line_end(lines, at);
                if (lines[at - 1] == '\n')
                    ++newlines;
            }
            if (date) {
                title_number = next_number;
                // The number stops at the top of its range instead of wrapping.
                if (next_number != INT64_MAX)
                    ++next_number;
                title_pending = true;
            }
        }
        out.put(lines.substr(copied));
    }
    if (in.error() != 0) {
        seq::report_read_error(program, name, in.error());
        return 1;
    }
    return 0;
}

int run(const std::vector<std::string_view>& args, const Environment& env, seq::Writer& out) {
    if (args.empty()) {
        seq::print_error("tallyup: missing file name, aborted\n");
        return 1;
    }
    if (args.size() > 1) {
        seq::print_error("tallyup: only one file name, aborted\n");
        return 1;
    }
    if (args[0] == "-h") {
        print_help();
        return 0;
    }
    Settings settings = settings_from(env);
    std::string name(args[0]);
    int fd = seq::open_input(name);
    if (fd < 0) {
        std::string message = "tallyup: can't open file: ";
        message.append(name).push_back('\n');
        seq::print_error(message);
        return 1;
    }
    seq::LineReader in(fd, 1 << 20);
    int status = renumber(in, out, settings, name);
    if (::close(fd) != 0 && status == 0) {
        seq::report_read_error(program, name, errno);
        status = 1;
    }
    return status;
}

} // namespace tallyup
