#include "pagemark.hpp"

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
    static void write_line(bool space, seq::Writer& out) { out.put(space ? " \n" : "\n"); }

    int count_ = 0;
    bool older_ = false; // valid when count_ == 2
    bool newer_ = false; // valid when count_ >= 1
};

} // namespace

int run(seq::LineReader& in, seq::Writer& out, std::string_view input_name) {
    BlankRun blanks;
    std::string_view line;
    while (in.next(line)) {
        bool newline = seq::LineReader::has_newline(line);
        std::string_view text = newline ? line.substr(0, line.size() - 1) : line;
        if (is_blank_line(text)) {
            blanks.add(!text.empty(), out);
            continue;
        }
        if (!blanks.empty() && seq::is_date_line(text)) {
            blanks.drop();
            out.put("\f\n");
        } else {
            blanks.write_all(out);
        }
        out.put(line);
        // Every line is written with a newline, the last one included.
        if (!newline)
            out.put('\n');
    }
    blanks.write_all(out);
    if (in.error() != 0) {
        seq::report_read_error("pagemark", input_name, in.error());
        return 1;
    }
    return 0;
}

} // namespace pagemark
