#include "pagemark.hpp"

#include <cstdint>

#include "io.hpp"
#include "sequence.hpp"

namespace pagemark {

namespace {

// The filter looks back two lines, but only blank lines ever wait: a line with
// content is always written, and nothing after it can change that, so it goes
// out as soon as the blank lines before it are settled. What waits is the run
// of blank lines just read, of which only the last two can still be replaced
// by a separator; an older one is written as soon as a third arrives. Since a
// blank line is empty or one space, a flag per waiting line is all it takes.
class BlankRun {
  public:
    // Adds a blank line; writes the oldest waiting one when two already wait.
    void add(bool space, seq::Writer& out) {
        if (count_ == 2) {
            write_line(older_, out);
            older_ = newer_;
            count_ = 1;
        }
        if (count_ == 1)
            older_ = newer_;
        newer_ = space;
        ++count_;
    }

    bool empty() const { return count_ == 0; }

    // The waiting lines are written: something other than a date line follows.
    void write_all(seq::Writer& out) {
        if (count_ == 2)
            write_line(older_, out);
        if (count_ >= 1)
            write_line(newer_, out);
        count_ = 0;
    }

    // The waiting lines give way to one separator: a date line follows.
    void drop() { count_ = 0; }

  private:
    static void write_line(bool space, seq::Writer& out) {
        out.put(space ? std::string_view(" \n", 2) : std::string_view("\n", 1));
    }

    int count_ = 0;
    bool older_ = false; // valid when count_ == 2
    bool newer_ = false; // valid when count_ >= 1
};

constexpr std::string_view separator_line = "\f\n";

// The blank lines that wait are settled by a line with content: before a
// date line they give way to one separator line, before any other line they
// are written. The weekday prefixes hold no newline, so the first four bytes
// of a run of lines are its first line's.
void settle_blanks(std::string_view content, BlankRun& blanks, seq::Writer& out) {
    if (!blanks.empty() && seq::is_date_line(content)) {
        blanks.drop();
        out.put(separator_line);
    } else {
        blanks.write_all(out);
    }
}

// The newline at `end` ends a blank line when the line is empty or one space.
// Returns the start of that line, or npos.
std::size_t blank_line_ending_at(std::string_view lines, std::size_t end) {
    if (end == 0 || lines[end - 1] == '\n')
        return end;
    if (lines[end - 1] == ' ' && (end == 1 || lines[end - 2] == '\n'))
        return end - 1;
    return std::string_view::npos;
}

// The start of the line before the line start `at` when that line is blank
// and starts at or after `first`; npos otherwise.
std::size_t blank_line_before(std::string_view lines, std::size_t at, std::size_t first) {
    if (at <= first)
        return std::string_view::npos;
    std::size_t start = blank_line_ending_at(lines, at - 1);
    return start != std::string_view::npos && start >= first ? start : std::string_view::npos;
}

// Filters one run of whole lines, each ending with a newline. Most of a run is
// copied as it stands: it is cut only where blank lines before a date line
// give way to a separator, and at its end, where the last blank lines must
// wait for the next run. Blank lines that wait from the run before are in
// `blanks`. Date lines are rare and found by a block scan; the lines before
// each are then looked at, so the many blank lines elsewhere cost nothing.
void filter_lines(std::string_view lines, BlankRun& blanks, seq::Writer& out) {
    std::size_t first = 0; // lines before it are settled
    // Blank lines that wait from the run before are settled by the first line
    // with content; until then, every blank line joins them.
    if (!blanks.empty()) {
        for (;;) {
            if (first == lines.size())
                return;
            std::size_t end = seq::line_end(lines, first);
            std::string_view text = lines.substr(first, end - 1 - first); // without its newline
            if (!is_blank_line(text)) {
                settle_blanks(lines.substr(first), blanks, out);
                break;
            }
            blanks.add(!text.empty(), out);
            first = end;
        }
    }

    std::size_t copy_from = first; // start of what is still to be copied
    std::int64_t newlines = 0;     // passed by the scan; not needed here
    for (std::size_t at = first; at < lines.size(); at = seq::line_end(lines, at)) {
        at = seq::find_date_line(lines, at, newlines);
        if (at == std::string_view::npos)
            break;
        std::size_t blank = blank_line_before(lines, at, first);
        if (blank == std::string_view::npos)
            continue;
        // The last one or two blank lines give way to a separator.
        std::size_t earlier = blank_line_before(lines, blank, first);
        std::size_t dropped = earlier == std::string_view::npos ? blank : earlier;
        out.put(lines.substr(copy_from, dropped - copy_from));
        out.put(separator_line);
        copy_from = at;
    }

    // The last one or two blank lines of the run wait for what follows.
    std::size_t last = blank_line_before(lines, lines.size(), copy_from);
    if (last == std::string_view::npos) {
        out.put(lines.substr(copy_from));
        return;
    }
    std::size_t earlier = blank_line_before(lines, last, copy_from);
    std::size_t waiting = earlier == std::string_view::npos ? last : earlier;
    out.put(lines.substr(copy_from, waiting - copy_from));
    if (earlier != std::string_view::npos)
        blanks.add(lines[earlier] == ' ', out);
    blanks.add(lines[last] == ' ', out);
}

} // namespace

int run(seq::LineReader& in, seq::Writer& out, std::string_view input_name) {
    BlankRun blanks;
    std::string_view lines;
    while (in.next_lines(lines)) {
        // Only the last line of the input can lack its newline; it is taken
        // on its own, and written with a newline added.
        std::string_view last;
        if (lines.back() != '\n') {
            std::size_t cut = seq::last_line_start(lines);
            last = lines.substr(cut);
            lines = lines.substr(0, cut);
        }
        filter_lines(lines, blanks, out);
        if (!last.empty()) {
            if (is_blank_line(last)) {
                blanks.add(true, out);
            } else {
                settle_blanks(last, blanks, out);
                out.put(last);
                out.put('\n');
            }
        }
    }
    blanks.write_all(out);
    if (in.error() != 0) {
        seq::report_read_error("pagemark", input_name, in.error());
        return 1;
    }
    return 0;
}

} // namespace pagemark
