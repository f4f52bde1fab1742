// Range resolution (with and without title-number lookup), counting and
// copying of sequences.
//
// Input: one byte of flags (bit 0: numbers are title numbers; the rest pick
// the block size of the copying pass), the range text up to the first
// newline, then the content of the sequence file.
//
// Properties:
// - the character check refuses exactly the texts with a stray byte or a
//   second comma, and names the first offence;
// - the counting pass gives one more than the separator lines;
// - start and end are those the range forms define, and a title lookup
//   yields the ordinal the copying pass gives the matching sequence;
// - 00reader.txt and 0Xreader.txt together hold every input line exactly
//   once, in order, except only the separator line that closes the range,
//   plus the one newline written at the front;
// - the selected count is the number of sequences inside the range, so the
//   two counts of the report add up to the number of sequences.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "fuzz_support.hpp"
#include "line_reader.hpp"
#include "rangepick.hpp"
#include "writer.hpp"

namespace {

using fuzz_support::split_lines;

bool is_separator(std::string_view line) {
    return !line.empty() && line[0] == '\f';
}

// The plain-number rule, clamped to int.
int plain(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 40);
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int piece(std::string_view p, int dol) {
    if (p.empty() || (p[0] != '$' && p[0] != 'M'))
        return plain(p);
    long long value = dol;
    if (p.size() >= 3 && p[1] == '-' && p[2] >= '0' && p[2] <= '9')
        value -= plain(p.substr(2));
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The ordinal of each line as the copying pass sees it: 1 plus the separator
// lines before it.
std::vector<int> ordinals(const std::vector<std::string_view>& lines) {
    std::vector<int> result;
    int ordinal = 1;
    for (std::string_view line : lines) {
        result.push_back(ordinal);
        if (is_separator(line))
            ++ordinal;
    }
    return result;
}

// The title lookup: the title line of a sequence is the second line after
// the line that opens it (the first line of the file, or a separator line).
int lookup(const std::vector<std::string_view>& lines, int number) {
    std::vector<int> ordinal = ordinals(lines);
    int position = -1; // lines since the line that opened the sequence
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (k == 0 || is_separator(lines[k])) {
            position = 0;
            continue;
        }
        if (position < 0 || ++position != 2)
            continue;
        position = -1;
        int here = ordinal[k];
        std::string_view title = fuzz_support::body(lines[k]);
        std::size_t space = title.rfind(' ');
        if (space == std::string_view::npos || plain(title.substr(space + 1)) == number)
            return here;
    }
    return 0;
}

std::optional<rangepick::Range> resolve(std::string_view text, int dol, bool titles,
                                        const std::vector<std::string_view>& lines) {
    auto number = [&](int n) { return titles ? lookup(lines, n) : n; };
    std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return rangepick::Range{1, number(piece(text, dol))};
    std::string_view before = text.substr(0, comma);
    std::string_view after = text.substr(comma + 1);
    if (before.empty() && after.empty())
        return rangepick::Range{1, dol};
    if (before.empty())
        return rangepick::Range{1, number(piece(after, dol))};
    int start = number(piece(before, dol));
    if (after.empty())
        return rangepick::Range{start, dol};
    return rangepick::Range{start, number(piece(after, dol))};
}

std::string_view expected_verdict(std::string_view text) {
    int commas = 0;
    for (char c : text) {
        if (c == ',') {
            if (++commas == 2)
                return "rangepick: argument has 2 ',' characters, aborted";
        } else if (!((c >= '0' && c <= '9') || c == '$' || c == 'M' || c == '-')) {
            return "rangepick: argument has unexpected characer(s), aborted";
        }
    }
    return {};
}

// The input file, in a private folder that lives only while one input is
// tried: libFuzzer ends without running exit handlers, so nothing is left
// to clean up when it stops.
class InputFile {
  public:
    explicit InputFile(std::string_view content) {
        FUZZ_CHECK(::mkdtemp(dir_) != nullptr, "cannot create a temporary folder");
        path_ = std::string(dir_) + "/input.txt";
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        FUZZ_CHECK(fd >= 0, "cannot write the input file");
        FUZZ_CHECK(::write(fd, content.data(), content.size()) ==
                       static_cast<ssize_t>(content.size()),
                   "cannot write the input file");
        ::close(fd);
    }
    ~InputFile() {
        ::unlink(path_.c_str());
        ::rmdir(dir_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const std::string& path() const { return path_; }

  private:
    char dir_[32] = "/tmp/rangepick_fuzz.XXXXXX";
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1)
        return 0;
    const bool titles = bytes[0] & 1;
    const std::size_t chunk = fuzz_support::chunk_size(static_cast<std::uint8_t>(bytes[0] >> 1));
    std::string_view rest(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    std::size_t newline = rest.find('\n');
    if (newline == std::string_view::npos)
        return 0;
    std::string_view text = rest.substr(0, newline);
    std::string_view content = rest.substr(newline + 1);

    FUZZ_CHECK(rangepick::check_range_characters(text) == expected_verdict(text),
               "the character check gave the wrong verdict");
    if (!expected_verdict(text).empty())
        return 0;

    std::vector<std::string_view> lines = split_lines(content);
    std::vector<int> ordinal = ordinals(lines);
    const int sequences = lines.empty() ? 1 : ordinal.back() + (is_separator(lines.back()) ? 1 : 0);

    InputFile file(content);
    int dol_value = -1;
    std::optional<rangepick::Range> range;
    {
        // Title lines without a space are reported on every lookup.
        fuzz_support::QuietStderr quiet;
        FUZZ_CHECK(rangepick::cnv_dol_init(file.path(), dol_value) == rangepick::PassResult::ok,
                   "the counting pass failed on a readable file");
        range = rangepick::resolve_range(text, dol_value, titles, file.path());
    }
    FUZZ_CHECK(dol_value == sequences, "the counting pass miscounted the sequences");
    FUZZ_CHECK(range.has_value(), "resolution failed on a readable file");
    FUZZ_CHECK(*range == *resolve(text, dol_value, titles, lines),
               "resolution gave the wrong start or end");
    if (titles) {
        FUZZ_CHECK(range->start >= 0 && range->start <= sequences,
                   "a title lookup gave an ordinal outside the file");
    }
    const int start = range->start;
    const int end = range->end;
    if (start > end || start < 1)
        return 0; // refused by the range checks before anything is written

    auto in = seq::LineReader::from_memory(content, chunk);
    std::string selected, others;
    seq::Writer selected_out(&selected), others_out(&others);
    rangepick::CopyCounts counts = rangepick::copy_sequences(in, selected_out, others_out, *range);
    FUZZ_CHECK(counts.sequences == dol_value, "the copying pass met another number of sequences");
    std::int64_t count = counts.selected;
    FUZZ_CHECK(selected_out.close() && others_out.close(), "writing to a string failed");

    // Where each line belongs; the separator line that closes sequence end
    // goes nowhere.
    std::string want_selected(start == 1 ? "" : "\n");
    std::string want_others(start == 1 ? "\n" : "");
    std::size_t dropped = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        bool inside = ordinal[k] >= start && ordinal[k] <= end;
        if (inside && is_separator(lines[k]) && ordinal[k] == end)
            dropped += lines[k].size();
        else
            (inside ? want_selected : want_others).append(lines[k]);
    }
    FUZZ_CHECK(selected.size() + others.size() + dropped == content.size() + 1,
               "the outputs do not hold every input line exactly once");
    FUZZ_CHECK(selected == want_selected, "00reader.txt holds the wrong lines");
    FUZZ_CHECK(others == want_others, "0Xreader.txt holds the wrong lines");

    // Every sequence inside the range counts, except an empty last sequence
    // that the range starts with: no line of it is ever read.
    long long inside = std::max(0LL, std::min<long long>(end, sequences) - start + 1);
    bool last_is_empty = lines.empty() || is_separator(lines.back());
    if (start == sequences && last_is_empty)
        inside = 0;
    FUZZ_CHECK(count == inside, "the selected count is not the number of sequences in range");
    FUZZ_CHECK(count >= 0 && sequences - count >= 0,
               "the two counts of the report do not add up to the number of sequences");
    return 0;
}
