#pragma once
// Cutting a range of sequences out of a sequence file.
//
// The sequences inside the range go to 00reader.txt, all others to
// 0Xreader.txt, in the current directory; a report of the counts goes to
// standard error.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.hpp"
#include "writer.hpp"

namespace rangepick {

inline constexpr std::string_view version_text = "rangepick V2.0";
inline constexpr const char* selected_name = "00reader.txt";
inline constexpr const char* others_name = "0Xreader.txt";

struct Range {
    int start = 0;
    int end = 0;
    bool operator==(const Range&) const = default;
};

// What a pass over the input can run into besides the end of the file.
enum class PassResult { ok, cannot_open, read_error };

// Counts the sequences of `filename`: one more than its separator lines.
// Reports a file that cannot be opened or read; `dol_value` is then 0.
PassResult cnv_dol_init(const std::string& filename, int& dol_value);

// The value of one end of a range: "$" or "M" stand for `dol_value`, less
// the number after a following "-"; anything else is a plain number.
int piece_value(std::string_view piece, int dol_value);

// The ordinal of the first sequence whose title number is `number`; 0 when
// none is, 1 when the file cannot be opened. A title line without a space is
// reported and its sequence taken as the match. Sequences are numbered as
// the counting and copying passes number them. Empty after a read error.
std::optional<int> search_seq_no(const std::string& filename, int number);

// Turns a checked range text into start and end ordinals; with `t_opt_flag`
// the numbers are title numbers, looked up in `filename`. Empty after a read
// error during a lookup.
std::optional<Range> resolve_range(std::string_view text, int dol_value, bool t_opt_flag,
                                   const std::string& filename);

// The message for a range text that fails the character check, or empty.
std::string_view check_range_characters(std::string_view text);

// What the copying pass counted: the sequences it selected, and all the
// sequences it met (one more than the separator lines).
struct CopyCounts {
    std::int64_t selected = 0;
    std::int64_t sequences = 1;
};

// The copying pass: writes the leading newline to the file that does not
// receive sequence 1, then routes every line of `in`.
CopyCounts copy_sequences(seq::LineReader& in, seq::Writer& selected, seq::Writer& others,
                          Range range);

// The whole run. `args` are the arguments after the program name; `quiet`
// tells whether QUIET_RANGEPICK is set; `input_fd` answers the file-name
// prompt. Returns the exit status.
int run(const std::vector<std::string>& args, bool quiet, int input_fd);

} // namespace rangepick
