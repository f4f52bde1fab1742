#include "sequence.hpp"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#if defined(__x86_64__) && !defined(SUITE_SCALAR_SCANS)
#include <immintrin.h>
#endif

namespace seq {

bool is_date_line(std::string_view line) {
    // The four bytes are compared as one word against each weekday.
    static constexpr char weekdays[] = "Mon Tue Wed Thu Fri Sat Sun ";
    if (line.size() < 4)
        return false;
    std::uint32_t head;
    std::memcpy(&head, line.data(), 4);
    bool found = false;
    for (std::size_t day = 0; day < 7; ++day) {
        std::uint32_t weekday;
        std::memcpy(&weekday, weekdays + 4 * day, 4);
        found |= head == weekday;
    }
    return found;
}

namespace {

// True when the bytes at `at` (at most the size), the start of a line, open
// a date line. A weekday prefix holds no newline, so four matching bytes
// always lie within that one line.
bool date_line_at(std::string_view lines, std::size_t at) {
    return is_date_line(lines.substr(at));
}

#if defined(__x86_64__) && !defined(SUITE_SCALAR_SCANS)
// The block scans below use AVX2 when the processor has it; the others go
// through memchr.
bool has_avx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

// Three masks of a 64-byte block, one bit per byte: newlines, capital
// letters and spaces.
struct BlockMasks {
    std::uint64_t newline;
    std::uint64_t capital;
    std::uint64_t space;
};

__attribute__((target("avx2"))) inline std::uint32_t capital_bits(__m256i bytes) {
    __m256i above = _mm256_cmpgt_epi8(bytes, _mm256_set1_epi8('A' - 1));
    __m256i below = _mm256_cmpgt_epi8(_mm256_set1_epi8('Z' + 1), bytes);
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(above, below)));
}

__attribute__((target("avx2"))) inline std::uint32_t equal_bits(__m256i bytes, char c) {
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c))));
}

__attribute__((target("avx2"))) inline BlockMasks block_masks(const char* block) {
    __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
    __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32));
    auto join = [](std::uint32_t lo, std::uint32_t hi) {
        return static_cast<std::uint64_t>(hi) << 32 | lo;
    };
    return {join(equal_bits(low, '\n'), equal_bits(high, '\n')),
            join(capital_bits(low), capital_bits(high)),
            join(equal_bits(low, ' '), equal_bits(high, ' '))};
}

// Scans whole 64-byte blocks from `at` and returns the first date line, or
// npos with `at` left where whole blocks ran out. A date line can only follow
// a newline when the line begins with a capital letter and has a space as
// its fourth byte, and such places are rare (call lines are capitals, but
// few have a space there; picture and blank lines begin otherwise), so the
// three masks of a block pick the candidates and only those are checked. A
// line start may lie in the next block, whose masks are therefore made one
// step ahead. The newlines passed are counted along the way.
__attribute__((target("avx2,popcnt"))) std::size_t
scan_blocks_avx2(std::string_view lines, std::size_t& at, std::int64_t& newlines) {
    const char* data = lines.data();
    if (at + 128 > lines.size())
        return std::string_view::npos;
    BlockMasks here = block_masks(data + at);
    for (; at + 128 <= lines.size(); at += 64) {
        BlockMasks next = block_masks(data + at + 64);
        std::uint64_t hits = here.newline & (here.capital >> 1 | next.capital << 63) &
                             (here.space >> 4 | next.space << 60);
        for (; hits != 0; hits &= hits - 1) {
            int bit = std::countr_zero(hits);
            std::size_t start = at + static_cast<std::size_t>(bit) + 1;
            if (date_line_at(lines, start)) {
                std::uint64_t passed = bit == 63 ? ~0ull : (2ull << bit) - 1;
                newlines += std::popcount(here.newline & passed);
                return start;
            }
        }
        newlines += std::popcount(here.newline);
        here = next;
    }
    return std::string_view::npos;
}
#endif

} // namespace

std::size_t find_date_line(std::string_view lines, std::size_t from, std::int64_t& newlines) {
    if (from < lines.size() && date_line_at(lines, from))
        return from;
    std::size_t at = from;
#if defined(__x86_64__) && !defined(SUITE_SCALAR_SCANS)
    if (has_avx2()) {
        if (std::size_t found = scan_blocks_avx2(lines, at, newlines);
            found != std::string_view::npos)
            return found;
    }
#endif
    // The bytes after the last whole block, or every byte without AVX2.
    const char* data = lines.data();
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

namespace {

#if defined(__x86_64__) && !defined(SUITE_SCALAR_SCANS)
// Passes over whole 64-byte blocks from `at`, counting the separator lines
// that start in them, until the one after `skip` others: its offset, or npos
// with `at` left where whole blocks ran out.
__attribute__((target("avx2,popcnt"))) std::size_t
skip_separator_blocks_avx2(std::string_view lines, std::size_t& at, std::int64_t& skip) {
    const char* data = lines.data();
    // Bit 0: whether the byte at `at` starts a line.
    std::uint64_t line_start = at == 0 || data[at - 1] == '\n' ? 1 : 0;
    for (; at + 64 <= lines.size(); at += 64) {
        __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
        __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at + 32));
        std::uint64_t newline =
            static_cast<std::uint64_t>(equal_bits(high, '\n')) << 32 | equal_bits(low, '\n');
        std::uint64_t form_feed =
            static_cast<std::uint64_t>(equal_bits(high, '\f')) << 32 | equal_bits(low, '\f');
        std::uint64_t starts = form_feed & (newline << 1 | line_start);
        line_start = newline >> 63;
        auto found = static_cast<std::int64_t>(std::popcount(starts));
        if (found > skip) {
            for (std::int64_t passed = 0; passed < skip; ++passed)
                starts &= starts - 1;
            skip = 0;
            return at + static_cast<std::size_t>(std::countr_zero(starts));
        }
        skip -= found;
    }
    return std::string_view::npos;
}
#endif

} // namespace

std::size_t find_separator_line(std::string_view lines, std::size_t from, std::int64_t& skip) {
    if (from >= lines.size())
        return std::string_view::npos;
    skip = std::max<std::int64_t>(skip, 0);
    std::size_t at = from;
#if defined(__x86_64__) && !defined(SUITE_SCALAR_SCANS)
    if (has_avx2()) {
        if (std::size_t found = skip_separator_blocks_avx2(lines, at, skip);
            found != std::string_view::npos)
            return found;
    }
#endif
    // The bytes after the last whole block, or every byte without AVX2.
    for (; (at = find_separator_line(lines, at)) != std::string_view::npos; ++at) {
        if (skip == 0)
            return at;
        --skip;
    }
    return std::string_view::npos;
}

std::size_t last_line_start(std::string_view lines) {
    if (lines.empty())
        return 0;
    std::size_t before_end = lines.back() == '\n' ? lines.size() - 1 : lines.size();
    const void* nl = ::memrchr(lines.data(), '\n', before_end);
    return nl == nullptr
               ? 0
               : static_cast<std::size_t>(static_cast<const char*>(nl) - lines.data()) + 1;
}

std::size_t find_separator_line(std::string_view lines, std::size_t from) {
    while (from < lines.size()) {
        const void* hit = std::memchr(lines.data() + from, '\f', lines.size() - from);
        if (hit == nullptr)
            return std::string_view::npos;
        std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - lines.data());
        if (at == 0 || lines[at - 1] == '\n')
            return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

std::int64_t plain_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_number_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate towards the sign's side so INT64_MIN itself is reachable.
    std::int64_t value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        int digit = text[i] - '0';
        if (negative) {
            if (value < (INT64_MIN + digit) / 10)
                return INT64_MIN;
            value = value * 10 - digit;
        } else {
            if (value > (INT64_MAX - digit) / 10)
                return INT64_MAX;
            value = value * 10 + digit;
        }
    }
    return value;
}

int clamp_to_int(std::int64_t value) {
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int plain_int(std::string_view text) {
    return clamp_to_int(plain_number(text));
}

} // namespace seq
