#include "tallyup.hpp"

#include <cerrno>
#include <charconv>
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

void append_number(std::string& text, std::int64_t value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, static_cast<std::size_t>(end - digits));
}

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
                       std::string& result) {
    if (line.empty() || line[0] == '\0')
        return false;
    result.clear();
    if (!label_buf.empty()) {
        result.append(13, ' ').append(label_buf).push_back(' ');
    } else {
        std::size_t space = line.rfind(' ');
        if (space == std::string_view::npos) {
            // Nothing to replace: the line stays as it is, newline or not.
            result.assign(line);
            return true;
        }
        result.assign(line.substr(0, space + 1));
    }
    append_number(result, number);
    result.push_back('\n');
    return true;
}

int renumber(seq::LineReader& in, seq::Writer& out, const Settings& settings,
             std::string_view name) {
    std::string rewritten;
    std::int64_t line_no = 0;
    std::int64_t next_number = settings.start_number;
    std::int64_t title_number = 0;
    bool title_pending = false;
    std::string_view line;
    // Once standard output has failed nothing more can arrive; stop reading.
    while (!out.failed() && in.next(line)) {
        ++line_no;
        if (title_pending) {
            title_pending = false;
            if (!tallyup_this_line(line, title_number, settings.label_buf, rewritten)) {
                out.put("error this line ");
                out.put_number(line_no);
                out.put('\n');
                return 4;
            }
            line = rewritten;
        }
        // The rewritten title is tested too: a title that is itself a date
        // line keeps its weekday and arms the next line.
        if (seq::is_date_line(line)) {
            title_number = next_number;
            // The number stops at the top of its range instead of wrapping.
            if (next_number != INT64_MAX)
                ++next_number;
            title_pending = true;
        }
        out.put(line);
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
    seq::LineReader in(fd);
    int status = renumber(in, out, settings, name);
    if (::close(fd) != 0 && status == 0) {
        seq::report_read_error(program, name, errno);
        status = 1;
    }
    return status;
}

} // namespace tallyup
