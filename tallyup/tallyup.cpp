#include "tallyup.hpp"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {

// True when the bytes at `at`, the start of a line, open a date line. A
// weekday prefix holds no newline, so four matching bytes always lie within
// that one line.
bool date_line_at(std::string_view lines, std::size_t at) {
    return lines.size() - at >= 4 && lines[at + 3] == ' ' && seq::is_date_line(lines.substr(at));
}

// The end of the line that starts at `at`: just past its newline, or the end
// of `lines` for a last line without one.
std::size_t line_end(std::string_view lines, std::size_t at) {
    const void* nl = std::memchr(lines.data() + at, '\n', lines.size() - at);
    return nl == nullptr
               ? lines.size()
               : static_cast<std::size_t>(static_cast<const char*>(nl) - lines.data()) + 1;
}

} // namespace

std::size_t find_date_line(std::string_view lines, std::size_t from, std::int64_t& newlines) {
    if (from < lines.size() && date_line_at(lines, from))
        return from;
    const char* data = lines.data();
    std::size_t at = from;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a date line can only follow a newline whose
    // fourth byte after it is a space, and such places are rare. Newlines are
    // tallied in byte lanes and summed before a lane can overflow.
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i zero = _mm_setzero_si128();
    __m128i tally = zero;
    int tallied_blocks = 0;
    auto add_tally = [&] {
        __m128i sums = _mm_sad_epu8(tally, zero);
        newlines += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
        tally = zero;
        tallied_blocks = 0;
    };
    for (; at + 20 <= lines.size(); at += 16) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        __m128i ahead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 4));
        __m128i is_end = _mm_cmpeq_epi8(here, newline);
        auto ends = static_cast<unsigned>(_mm_movemask_epi8(is_end));
        auto hits = ends & static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(ahead, space)));
        for (; hits != 0; hits &= hits - 1) {
            int bit = std::countr_zero(hits);
            std::size_t start = at + static_cast<std::size_t>(bit) + 1;
            if (date_line_at(lines, start)) {
                add_tally();
                newlines += std::popcount(ends & ((2u << bit) - 1));
                return start;
            }
        }
        tally = _mm_sub_epi8(tally, is_end);
        if (++tallied_blocks == 255)
            add_tally();
    }
    add_tally();
#endif
    while (at < lines.size()) {
        const void* nl = std::memchr(data + at, '\n', lines.size() - at);
        if (nl == nullptr)
            break;
        at = static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1;
        ++newlines;
        if (at < lines.size() && date_line_at(lines, at))
            return at;
    }
    return std::string_view::npos;
}

int renumber(seq::LineReader& in, seq::Writer& out, const Settings& settings,
             std::string_view name) {
    std::string rewritten;
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
                std::size_t end = line_end(lines, at);
                out.put(lines.substr(copied, at - copied));
                if (!tallyup_this_line(lines.substr(at, end - at), title_number, settings.label_buf,
                                       rewritten)) {
                    std::int64_t line_no = newlines + 1;
                    out.put("error this line ");
                    out.put_number(line_no);
                    out.put('\n');
                    return 4;
                }
                out.put(rewritten);
                if (lines[end - 1] == '\n')
                    ++newlines;
                copied = at = end;
                // The rewritten title is tested too: a title that is itself a
                // date line keeps its weekday and makes the next line a title.
                date = seq::is_date_line(rewritten);
            } else {
                at = find_date_line(lines, at, newlines);
                if (at == std::string_view::npos)
                    break;
                date = true;
                at = line_end(lines, at);
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
