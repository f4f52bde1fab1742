#include "rangepick.hpp"

#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

#include "io.hpp"
#include "sequence.hpp"

namespace rangepick {

namespace {

constexpr std::string_view program = "rangepick";

constexpr std::string_view usage_lines[] = {
    "  rangepick [-t|-q|-tq|-qt] start_seq_no,end_seq_no filename\n",
    "  rangepick [-t|-q|-tq|-qt] M-61,M-30 filename\n",
    "  '$' or 'M' in seq_no means last number of sequence\n",
    "  start_seq_no or end_seq_no can be empty (defualt: 1,M)\n",
    "  -t option looks sequence's header for sequence number\n",
    "  -q option for quiet mode (no message)\n",
    "  env QUIET_RANGEPICK=1, same as -q option\n",
};

// Writes one message line ("rangepick: ..." texts carry the name already).
void say(std::string_view text) {
    std::string line(text);
    line.push_back('\n');
    seq::print_error(line);
}

void say_cannot_open(std::string_view name) {
    seq::warn(program, "can't open file: " + std::string(name));
}

std::string number_text(std::int64_t value) {
    return std::to_string(value);
}

// Opens `filename` for one pass, reporting a file that cannot be opened.
int open_for_pass(const std::string& filename) {
    int fd = seq::open_input(filename);
    if (fd < 0)
        say_cannot_open(filename);
    return fd;
}

// Reads one white-space-delimited word from `fd`, as typed at the prompt.
std::string read_word(int fd) {
    seq::LineReader reader(fd, 4096);
    std::string word;
    std::string_view line;
    while (reader.next(line)) {
        std::size_t i = 0;
        while (i < line.size() && seq::is_number_space(line[i]))
            ++i;
        std::size_t begin = i;
        while (i < line.size() && !seq::is_number_space(line[i]))
            ++i;
        word.append(line.substr(begin, i - begin));
        // The word ends at white space; a line without a newline may go on.
        if (!word.empty() && i < line.size())
            break;
    }
    return word;
}

// The name of the output file that is the same file as the open input, or
// null when it is neither.
const char* output_named_by(int input) {
    struct stat in_info {};
    if (::fstat(input, &in_info) != 0)
        return nullptr;
    for (const char* name : {selected_name, others_name}) {
        struct stat out_info {};
        if (::stat(name, &out_info) == 0 && out_info.st_dev == in_info.st_dev &&
            out_info.st_ino == in_info.st_ino)
            return name;
    }
    return nullptr;
}

} // namespace

PassResult cnv_dol_init(const std::string& filename, int& dol_value) {
    dol_value = 0;
    int fd = open_for_pass(filename);
    if (fd < 0)
        return PassResult::cannot_open;
    seq::LineReader in(fd);
    std::int64_t count = 1;
    std::string_view lines;
    while (in.next_lines(lines))
        count += seq::count_separator_lines(lines);
    int error = in.error();
    ::close(fd);
    if (error != 0) {
        seq::report_read_error(program, filename, error);
        return PassResult::read_error;
    }
    dol_value = seq::clamp_to_int(count);
    return PassResult::ok;
}

int piece_value(std::string_view piece, int dol_value) {
    if (piece.empty() || (piece[0] != '$' && piece[0] != 'M'))
        return seq::plain_int(piece);
    std::int64_t value = dol_value;
    if (piece.size() >= 3 && piece[1] == '-' && seq::is_digit(piece[2]))
        value -= seq::plain_int(piece.substr(2));
    return seq::clamp_to_int(value);
}

std::optional<int> search_seq_no(const std::string& filename, int number) {
    int fd = open_for_pass(filename);
    if (fd < 0)
        return 1;
    seq::LineReader in(fd);
    std::int64_t ordinal = 0;
    int position = 0;
    bool title_pending = false;
    bool first = true;
    std::optional<int> found = 0;
    std::string_view line;
    while (in.next(line)) {
        if (first || seq::is_separator_line(line)) {
            // A separator line that opens the file closes an empty first
            // sequence, just as the counting pass sees it.
            ordinal += (first && seq::is_separator_line(line)) ? 2 : 1;
            first = false;
            position = 0;
            title_pending = true;
            continue;
        }
        if (!title_pending || ++position != 2)
            continue;
        title_pending = false;
        std::string_view title = line;
        if (seq::LineReader::has_newline(title))
            title.remove_suffix(1);
        std::size_t space = title.rfind(' ');
        if (space == std::string_view::npos) {
            std::string message = "rangepick: -t opt tile line error: ";
            message.append(title);
            say(message);
            found = seq::clamp_to_int(ordinal);
            break;
        }
        if (seq::plain_int(title.substr(space + 1)) == number) {
            found = seq::clamp_to_int(ordinal);
            break;
        }
    }
    int error = in.error();
    ::close(fd);
    if (error != 0) {
        seq::report_read_error(program, filename, error);
        return std::nullopt;
    }
    return found;
}

std::optional<Range> resolve_range(std::string_view text, int dol_value, bool t_opt_flag,
                                   const std::string& filename) {
    std::size_t comma = text.find(',');
    auto lookup = [&](int number) {
        return t_opt_flag ? search_seq_no(filename, number) : std::optional<int>(number);
    };
    auto in_range = [](std::optional<int> start, std::optional<int> end) -> std::optional<Range> {
        if (!start || !end)
            return std::nullopt;
        return Range{*start, *end};
    };

    if (comma == std::string_view::npos)
        return in_range(1, lookup(piece_value(text, dol_value)));
    std::string_view before = text.substr(0, comma);
    std::string_view after = text.substr(comma + 1);
    // An empty start means the first sequence and an empty end the last; a
    // comma alone therefore selects everything.
    if (before.empty() && after.empty())
        return Range{1, dol_value};
    if (before.empty())
        return in_range(1, lookup(piece_value(after, dol_value)));
    std::optional<int> start = lookup(piece_value(before, dol_value));
    if (!start)
        return std::nullopt;
    if (after.empty())
        return Range{*start, dol_value};
    return in_range(start, lookup(piece_value(after, dol_value)));
}

std::string_view check_range_characters(std::string_view text) {
    int commas = 0;
    for (char c : text) {
        if (c == ',') {
            if (++commas == 2)
                return "rangepick: argument has 2 ',' characters, aborted";
        } else if (!seq::is_digit(c) && c != '$' && c != 'M' && c != '-') {
            return "rangepick: argument has unexpected characer(s), aborted";
        }
    }
    return {};
}

namespace {

// How many separator lines after the start of sequence `ordinal` route like
// the sequences on both sides of them: up to the last one before the range,
// up to the last one inside it, or all of them after it.
std::int64_t separators_within(std::int64_t ordinal, Range range) {
    if (ordinal < range.start)
        return range.start - 1 - ordinal;
    if (ordinal <= range.end)
        return range.end - ordinal;
    return INT64_MAX;
}

} // namespace

CopyCounts copy_sequences(seq::LineReader& in, seq::Writer& selected, seq::Writer& others,
                          Range range) {
    (range.start == 1 ? others : selected).put('\n');
    std::int64_t ordinal = 1;
    std::int64_t count = 0;
    bool inside = false;
    auto in_range = [&] { return ordinal >= range.start && ordinal <= range.end; };
    std::string_view lines;
    while (in.next_lines(lines)) {
        // Only separator lines are looked at alone; the bytes between two
        // changes of destination go out in one piece, however many
        // sequences they hold.
        std::size_t span = 0; // first byte not yet written or dropped
        std::size_t pos = 0;  // first byte not yet routed
        seq::Writer* target = nullptr;
        auto emit = [&] {
            if (target != nullptr && pos > span)
                target->put(lines.substr(span, pos - span));
            span = pos;
        };
        auto send = [&](std::size_t end, seq::Writer* to) {
            if (to != target) {
                emit();
                target = to;
            }
            pos = end;
        };
        while (pos < lines.size()) {
            // Separator lines that go where the sequences around them go are
            // passed over in bulk; only those at the edges of the range are
            // looked at one by one.
            std::int64_t skip = separators_within(ordinal, range);
            std::int64_t left = skip;
            std::size_t at = seq::find_separator_line(lines, pos, left);
            std::int64_t passed = skip - left;
            std::size_t run_end = at == lines.npos ? lines.size() : at;
            if (run_end > pos) {
                inside = in_range();
                send(run_end, inside ? &selected : &others);
            }
            ordinal += passed;
            if (inside)
                count += passed;
            if (at == lines.npos)
                break;
            std::size_t line_end = seq::line_end(lines, at);
            inside = in_range();
            ++ordinal;
            if (!inside) {
                send(line_end, &others);
                continue;
            }
            ++count;
            if (ordinal <= range.end) {
                send(line_end, &selected);
            } else {
                // The separator line that closes the range goes nowhere.
                send(at, nullptr);
                pos = span = line_end;
            }
        }
        emit();
    }
    // The sequence still open at the end is counted when it lies inside the
    // range; the empty one after the separator that closes the range is not.
    if (inside && ordinal <= range.end)
        ++count;
    return {count, ordinal};
}

int run(const std::vector<std::string>& args, bool quiet, int input_fd) {
    bool t_opt_flag = false;
    bool q_opt_flag = false;
    std::string filename;
    std::string_view range_text;

    switch (args.size()) {
    case 0:
        say("rangepick: need numbers and/or filename, aborted");
        return 1;
    case 1: {
        const std::string& arg = args[0];
        if (arg == "-h" || arg == "-help") {
            std::string usage(version_text);
            usage += " usage:\n";
            for (std::string_view line : usage_lines)
                usage += line;
            seq::print_error(usage);
            return 1;
        }
        if (arg == "-v") {
            say(version_text);
            return 1;
        }
        if (!arg.empty() && arg[0] == '-') {
            say("rangepick: wrong option " + arg + ", aborted");
            return 1;
        }
        range_text = arg;
        seq::print_error("rangepick: type in input file name: ");
        filename = read_word(input_fd);
        break;
    }
    case 2:
        range_text = args[0];
        filename = args[1];
        break;
    case 3: {
        const std::string& option = args[0];
        if (option == "-t") {
            t_opt_flag = true;
        } else if (option == "-q") {
            q_opt_flag = true;
        } else if (option == "-tq" || option == "-qt") {
            t_opt_flag = q_opt_flag = true;
        } else {
            say("rangepick: unknown option: " + option);
            return 1;
        }
        range_text = args[1];
        filename = args[2];
        break;
    }
    default:
        // Too many names (a pattern that matched several files): the first
        // argument is the range and no file name is taken.
        range_text = args[0];
        break;
    }

    if (range_text.size() >= 2048) {
        say("rangepick: string length of argument is too large, aborted");
        return 1;
    }
    if (std::string_view message = check_range_characters(range_text); !message.empty()) {
        say(message);
        return 1;
    }

    int dol_value = 0;
    if (cnv_dol_init(filename, dol_value) == PassResult::read_error)
        return 1;
    std::optional<Range> resolved = resolve_range(range_text, dol_value, t_opt_flag, filename);
    if (!resolved)
        return 1;
    Range range = *resolved;
    if (range.start > range.end) {
        say("rangepick: start sequence number is greater than end sequence number, aborted");
        return 1;
    }
    if (range.start < 1 || range.end < 1) {
        say("rangepick: start/end number (" + number_text(range.start) + "/" +
            number_text(range.end) + ") is not a positive number, aborted");
        return 1;
    }

    int input = seq::open_input(filename);
    if (input < 0) {
        say_cannot_open(filename);
        return 1;
    }
    // Opening the outputs empties them: an input that is one of them would be
    // destroyed before it is read.
    if (const char* output = output_named_by(input)) {
        ::close(input);
        say(std::string("rangepick: input file is output file ") + output + ", aborted");
        return 1;
    }
    int selected_fd = seq::open_output(selected_name);
    if (selected_fd < 0) {
        ::close(input);
        say_cannot_open(selected_name);
        return 1;
    }
    seq::Writer selected(selected_fd, true);
    int others_fd = seq::open_output(others_name);
    if (others_fd < 0) {
        ::close(input);
        say_cannot_open(others_name);
        return 1;
    }
    seq::Writer others(others_fd, true);

    seq::LineReader in(input);
    CopyCounts counts = copy_sequences(in, selected, others, range);
    int read_error = in.error();
    ::close(input);

    bool written = true;
    for (auto [writer, name] : {std::pair{&selected, selected_name}, {&others, others_name}}) {
        if (!writer->close()) {
            seq::warn(program,
                      std::string("write error: ") + name + ": " + seq::reason(writer->error()));
            written = false;
        }
    }
    if (read_error != 0) {
        seq::report_read_error(program, filename, read_error);
        return 1;
    }
    if (!written)
        return 1;
    // An input that cannot be read twice (a pipe) or that changed since it was
    // counted has been split wrongly; the report would not tell.
    if (seq::clamp_to_int(counts.sequences) != dol_value) {
        say("rangepick: " + filename + " changed between its readings, aborted");
        return 1;
    }
    std::int64_t count = counts.selected;

    if (!quiet && !q_opt_flag) {
        std::string report = "00reader.txt is created";
        if (t_opt_flag)
            report += ", start-end: " + number_text(range.start) + "-" + number_text(range.end) +
                      ", " + number_text(count) + " from " + number_text(dol_value) +
                      " sequence(s)\n";
        else
            report +=
                " (" + number_text(count) + " from " + number_text(dol_value) + " sequence(s))\n";
        report += "0Xreader.txt is created (" + number_text(std::int64_t{dol_value} - count) +
                  " from " + number_text(dol_value) + " sequence(s))\n";
        report += "Thank you for using " + std::string(version_text) + ", Tavrin.\n";
        seq::print_error(report);
    }
    return 0;
}

} // namespace rangepick
