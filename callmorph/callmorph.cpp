#include "callmorph.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "io.hpp"
#include "sequence.hpp"

namespace callmorph {

namespace {

constexpr std::string_view program = "callmorph";

// True when a dancer keyword chose one of the fifteen mappings.
bool has_dancer_mode(const Settings& settings) {
    return settings.dancer_mode >= 1 && settings.dancer_mode <= 15;
}

struct Keyword {
    std::string_view word;
    int dancer_mode;      // 1 to 15 for a dancer keyword, else 0
    bool Settings::*flag; // the flag an operation keyword sets, else null
};

// Every argument is compared with these, in this order. The spellings with a
// blank match only when the blank lies inside one argument.
constexpr Keyword keywords[] = {
    {"all", 1, nullptr},
    {"heads", 2, nullptr},
    {"sides", 3, nullptr},
    {"headboys", 4, nullptr},
    {"head boys", 4, nullptr},
    {"head-boys", 4, nullptr},
    {"headgirls", 5, nullptr},
    {"head girls", 5, nullptr},
    {"head-girls", 5, nullptr},
    {"sideboys", 6, nullptr},
    {"side boys", 6, nullptr},
    {"side-boys", 6, nullptr},
    {"sidegirls", 7, nullptr},
    {"side girls", 7, nullptr},
    {"side-girls", 7, nullptr},
    {"boys", 8, nullptr},
    {"girls", 9, nullptr},
    {"mn1", 10, nullptr},
    {"boysmn1", 11, nullptr},
    {"boys-mn1", 11, nullptr},
    {"girlsmn1", 12, nullptr},
    {"girls-mn1", 12, nullptr},
    {"partner", 13, nullptr},
    {"headpartner", 14, nullptr},
    {"sidepartner", 15, nullptr},
    {"lower", 0, &Settings::lower_flag},
    {"join", 0, &Settings::join_flag},
    {"add1", 0, &Settings::add1_flag},
    {"rmpic", 0, &Settings::rmpic_flag},
    {"switchhs", 0, &Settings::switchhs_flag},
};

// For each dancer mode, what the designators 1B 2B 3B 4B 1G 2G 3G 4G become.
// Mode 0 is the identity.
constexpr char designator_map[16][8][3] = {
    {"1B", "2B", "3B", "4B", "1G", "2G", "3G", "4G"}, //  0 none
    {"3B", "4B", "1B", "2B", "3G", "4G", "1G", "2G"}, //  1 all
    {"3B", "2B", "1B", "4B", "3G", "2G", "1G", "4G"}, //  2 heads
    {"1B", "4B", "3B", "2B", "1G", "4G", "3G", "2G"}, //  3 sides
    {"3B", "2B", "1B", "4B", "1G", "2G", "3G", "4G"}, //  4 headboys
    {"1B", "2B", "3B", "4B", "3G", "2G", "1G", "4G"}, //  5 headgirls
    {"1B", "4B", "3B", "2B", "1G", "2G", "3G", "4G"}, //  6 sideboys
    {"1B", "2B", "3B", "4B", "1G", "4G", "3G", "2G"}, //  7 sidegirls
    {"3B", "4B", "1B", "2B", "1G", "2G", "3G", "4G"}, //  8 boys
    {"1B", "2B", "3B", "4B", "3G", "4G", "1G", "2G"}, //  9 girls
    {"4B", "1B", "2B", "3B", "4G", "1G", "2G", "3G"}, // 10 mn1
    {"4B", "1B", "2B", "3B", "1G", "2G", "3G", "4G"}, // 11 boysmn1
    {"1B", "2B", "3B", "4B", "4G", "1G", "2G", "3G"}, // 12 girlsmn1
    {"1G", "2G", "3G", "4G", "1B", "2B", "3B", "4B"}, // 13 partner
    {"1G", "2B", "3G", "4B", "1B", "2G", "3B", "4G"}, // 14 headpartner
    {"1B", "2G", "3B", "4G", "1G", "2B", "3G", "4B"}, // 15 sidepartner
};

// The six words one of which every pattern of the exchange holds.
enum : unsigned {
    key_HEAD = 1,
    key_head = 2,
    key_SIDE = 4,
    key_side = 8,
    key_TMPS = 16,
    key_tmps = 32,
};

// The six key words and their bits.
constexpr std::pair<std::string_view, unsigned> key_spellings[] = {
    {"HEAD", key_HEAD}, {"head", key_head}, {"SIDE", key_SIDE},
    {"side", key_side}, {"TMPS", key_TMPS}, {"tmps", key_tmps},
};

constexpr unsigned key_of(std::string_view pattern) {
    unsigned keys = 0;
    for (auto [word, bit] : key_spellings)
        if (pattern.find(word) != std::string_view::npos)
            keys |= bit;
    return keys;
}

// Where the key word of a pattern stands in it.
constexpr std::size_t key_offset(std::string_view pattern) {
    for (auto [word, bit] : key_spellings)
        if (std::size_t at = pattern.find(word); at != std::string_view::npos)
            return at;
    return 0;
}

struct Exchange {
    std::string_view pattern;
    std::string_view replacement;
    unsigned key = key_of(pattern);
    std::size_t offset = key_offset(pattern);
};

// Each head word goes through a temporary word, so that the first head word
// and the first side word of a line can trade places. The order matters.
constexpr Exchange exchanges[] = {
    {"HEADS", "TMPSS"},         {"heads", "tmpss"},         {"SIDES", "HEADS"},
    {"sides", "heads"},         {"TMPSS", "SIDES"},         {"tmpss", "sides"},
    {"HEAD BOY", "TMPS BOY"},   {"head boy", "tmps boy"},   {"SIDE BOY", "HEAD BOY"},
    {"side boy", "head boy"},   {"TMPS BOY", "SIDE BOY"},   {"tmps boy", "side boy"},
    {"HEAD GIRL", "TMPS GIRL"}, {"head girl", "tmps girl"}, {"SIDE GIRL", "HEAD GIRL"},
    {"side girl", "head girl"}, {"TMPS GIRL", "SIDE GIRL"}, {"tmps girl", "side girl"},
    {"HEADLINER", "TMPSLINER"}, {"headliner", "tmpsliner"}, {"SIDELINER", "HEADLINER"},
    {"sideliner", "headliner"}, {"TMPSLINER", "SIDELINER"}, {"tmpsliner", "sideliner"},
    {"outheads", "outsides"},
};

// Each pattern holds exactly one key word, so every occurrence of a pattern
// is found where its key word stands.
constexpr bool one_key_each = [] {
    for (const Exchange& step : exchanges)
        if (!std::has_single_bit(step.key))
            return false;
    return true;
}();
static_assert(one_key_each);

// What part a byte can play in a picture designator, or in the quick test of
// the exchange; one table lookup answers each question.
enum : unsigned char {
    couple_number = 1,
    designator_letter = 2,
    facing_mark = 4,
    exchange_key = 8,
};

constexpr std::array<unsigned char, 256> byte_classes = [] {
    std::array<unsigned char, 256> classes{};
    for (unsigned char c : std::string_view("1234"))
        classes[c] |= couple_number;
    for (unsigned char c : std::string_view("BG"))
        classes[c] |= designator_letter;
    for (unsigned char c : std::string_view("^V<>"))
        classes[c] |= facing_mark;
    for (unsigned char c : std::string_view("DdPp"))
        classes[c] |= exchange_key;
    return classes;
}();

inline bool has_class(char c, unsigned char cls) {
    return (byte_classes[static_cast<unsigned char>(c)] & cls) != 0;
}
inline bool is_couple_number(char c) {
    return has_class(c, couple_number);
}
inline bool is_designator_letter(char c) {
    return has_class(c, designator_letter);
}
inline bool is_facing_mark(char c) {
    return has_class(c, facing_mark);
}

// A picture designator is a couple number, a letter and a facing mark, as in
// "1B^". True when the facing mark of one stands at j (j >= 2).
inline bool designator_mark_at(const char* p, std::size_t j) {
    return is_facing_mark(p[j]) && is_designator_letter(p[j - 1]) && is_couple_number(p[j - 2]);
}

// True when the letter of a designator stands at i of a line of `size` bytes.
inline bool designator_at(const char* line, std::size_t size, std::size_t i) {
    return i >= 1 && i + 2 <= size && designator_mark_at(line, i + 1);
}

// Searching by blocks of 16 bytes where the processor allows; the scalar
// loops give the same answers and finish each text.
#if defined(__SSE2__)
namespace block {
inline __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline __m128i is(__m128i v, char c) {
    return _mm_cmpeq_epi8(v, _mm_set1_epi8(c));
}
inline __m128i either(__m128i a, __m128i b) {
    return _mm_or_si128(a, b);
}
inline unsigned bits(__m128i m) {
    return static_cast<unsigned>(_mm_movemask_epi8(m));
}

// Bit k: position p + k holds the facing mark of a picture designator.
// Reads p - 2 to p + 15.
inline __m128i designators(const char* p) {
    __m128i mark = load(p);
    __m128i letter = load(p - 1);
    __m128i couple = _mm_sub_epi8(load(p - 2), _mm_set1_epi8('1'));
    __m128i facing =
        either(either(is(mark, '^'), is(mark, 'V')), either(is(mark, '<'), is(mark, '>')));
    __m128i boy_or_girl = either(is(letter, 'B'), is(letter, 'G'));
    __m128i one_to_four = _mm_cmpeq_epi8(_mm_min_epu8(couple, _mm_set1_epi8(3)), couple);
    return _mm_and_si128(facing, _mm_and_si128(boy_or_girl, one_to_four));
}
} // namespace block
#endif

// The position of the first newline at or after `j`, or n. Most lines are
// short: a few block compares find their ends without a library call.
inline std::size_t find_newline(const char* p, std::size_t j, std::size_t n) {
#if defined(__SSE2__)
    for (std::size_t blocks = 0; blocks < 4 && j + 16 <= n; ++blocks, j += 16)
        if (unsigned m = block::bits(block::is(block::load(p + j), '\n')))
            return j + static_cast<std::size_t>(std::countr_zero(m));
#endif
    const void* nl = j < n ? std::memchr(p + j, '\n', n - j) : nullptr;
    return nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - p) : n;
}

// The position of the first facing mark of a picture designator at or after
// `j`, or npos. A text of many whole lines may be searched at once: a newline
// is no part of a designator, so no three bytes that match straddle two lines.
std::size_t find_designator_mark(std::string_view text, std::size_t j) {
    const char* p = text.data();
    std::size_t n = text.size();
    if (j < 2)
        j = 2;
#if defined(__SSE2__)
    for (; j + 16 <= n; j += 16)
        if (unsigned m = block::bits(block::designators(p + j)))
            return j + static_cast<std::size_t>(std::countr_zero(m));
#endif
    for (; j < n; ++j)
        if (designator_mark_at(p, j))
            return j;
    return std::string_view::npos;
}

// Calls `found(i)` for the letter position i of every picture designator
// of a text, from left to right. `found` must not change the text.
template <class Found> inline void for_each_designator(std::string_view text, Found found) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::size_t j = 2;
#if defined(__SSE2__)
    for (; j + 16 <= n; j += 16)
        for (unsigned m = block::bits(block::designators(p + j)); m != 0; m &= m - 1)
            found(j + static_cast<std::size_t>(std::countr_zero(m)) - 1);
#endif
    for (; j < n; ++j)
        if (designator_mark_at(p, j))
            found(j - 1);
}

inline bool has_picture_designator(std::string_view line) {
    return find_designator_mark(line, 2) != std::string_view::npos;
}

// The position of the first byte at or after `j` that makes picture removal
// look at a line: the facing mark of a designator, or a newline followed by
// a blank or by another newline (an empty line, or a line that may be a dots
// line, comes next). Every other line is kept unseen.
std::size_t find_removal_candidate(std::string_view text, std::size_t j) {
    const char* p = text.data();
    std::size_t n = text.size();
    auto candidate = [&](std::size_t at) {
        return (at >= 2 && designator_mark_at(p, at)) ||
               (p[at] == '\n' && at + 1 < n && (p[at + 1] == ' ' || p[at + 1] == '\n'));
    };
    for (; j < 2 && j < n; ++j)
        if (candidate(j))
            return j;
#if defined(__SSE2__)
    for (; j + 17 <= n; j += 16) {
        __m128i newline = block::is(block::load(p + j), '\n');
        __m128i next = block::load(p + j + 1);
        __m128i opens =
            _mm_and_si128(newline, block::either(block::is(next, ' '), block::is(next, '\n')));
        if (unsigned m = block::bits(block::either(opens, block::designators(p + j))))
            return j + static_cast<std::size_t>(std::countr_zero(m));
    }
#endif
    for (; j < n; ++j)
        if (candidate(j))
            return j;
    return std::string_view::npos;
}

// The character pass over one line, in place, exactly position by position:
// picture designators are remapped, other capitals lowered when asked, except
// the "V" facing mark of a designator. Under picture removal the pass stops
// at the first designator and returns true.
bool character_pass(const Settings& settings, char* line, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        char c = line[i];
        if (is_designator_letter(c) && designator_at(line, size, i)) {
            if (settings.rmpic_flag)
                return true;
            remap_designator(settings.dancer_mode, line, i);
            continue;
        }
        if (settings.lower_flag && c >= 'A' && c <= 'Z') {
            bool facing_mark = c == 'V' && i >= 2 && designator_mark_at(line, i);
            if (!facing_mark)
                line[i] = static_cast<char>(c + 32);
        }
    }
    return false;
}

// Writes to `to` the couple number and letter that the designator at `from`
// becomes under the dancer mode (1 to 15, or 0 for no change).
inline void map_designator(int mode, const char* from, char* to) {
    const char* pair = designator_map[mode][(from[0] - '1') + (from[1] == 'G' ? 4 : 0)];
    std::memcpy(to, pair, 2);
}

// Copies the text to `out` with every capital "A" to "Z" made small.
void lower_capitals(std::string_view text, char* out) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        __m128i v = block::load(p + i);
        __m128i offset = _mm_sub_epi8(v, _mm_set1_epi8('A'));
        __m128i capital = _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(25)), offset);
        v = _mm_add_epi8(v, _mm_and_si128(capital, _mm_set1_epi8(32)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    }
#endif
    for (; i < n; ++i) {
        char c = p[i];
        out[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
}

// The outcome of the character pass without picture removal, for a text of
// one or more lines, computed faster: no mapping makes or unmakes a
// designator and lowering never touches one, so the designators of the text
// as read are the ones the pass would meet. Every capital is lowered, then the
// letter and a "V" facing mark of each designator are put back and remapped.
// Returns false, leaving `buf` alone, when the text comes out unchanged;
// otherwise `buf` holds the new text.
bool rewrite_text(const Settings& settings, std::string_view text, std::string& buf) {
    int mode = has_dancer_mode(settings) ? settings.dancer_mode : 0;
    if (settings.lower_flag) {
        buf.resize(text.size());
        lower_capitals(text, buf.data());
        char* out = buf.data();
        for_each_designator(text, [&](std::size_t i) {
            out[i + 1] = text[i + 1];
            map_designator(mode, text.data() + i - 1, out + i - 1);
        });
        return true;
    }
    if (mode == 0)
        return false;
    bool copied = false;
    for_each_designator(text, [&](std::size_t i) {
        if (!copied) {
            buf.assign(text);
            copied = true;
        }
        map_designator(mode, text.data() + i - 1, buf.data() + i - 1);
    });
    return copied;
}

// The key word that ends or stands around position j of the text, whose
// byte is one of D, d, P, p, as a bit; 0 when there is none. None of the key
// words holds a newline, so in a text of many lines a match never straddles
// two of them.
unsigned exchange_key_at(const char* p, std::size_t n, std::size_t j) {
    char c = p[j];
    bool capital = c == 'D' || c == 'P';
    char shift = capital ? 0 : 'a' - 'A';
    auto is = [&](std::size_t at, char letter) { return p[at] == letter + shift; };
    if (c == 'D' || c == 'd') {
        if (j >= 3 && is(j - 3, 'H') && is(j - 2, 'E') && is(j - 1, 'A'))
            return capital ? key_HEAD : key_head;
        if (j >= 2 && j + 1 < n && is(j - 2, 'S') && is(j - 1, 'I') && is(j + 1, 'E'))
            return capital ? key_SIDE : key_side;
        return 0;
    }
    if (j >= 2 && j + 1 < n && is(j - 2, 'T') && is(j - 1, 'M') && is(j + 1, 'S'))
        return capital ? key_TMPS : key_tmps;
    return 0;
}

// The position of the first key word byte at or after `from`, or npos.
std::size_t find_exchange_key(std::string_view text, std::size_t from) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::size_t j = from;
#if defined(__SSE2__)
    // Letters folded to small ones find "head", "side" and "tmps" in either
    // case at once; exchange_key_at then holds each find to one case.
    if (j < 3)
        for (; j < 3 && j < n; ++j)
            if (has_class(p[j], exchange_key) && exchange_key_at(p, n, j) != 0)
                return j;
    for (; j + 17 <= n; j += 16) {
        __m128i fold = _mm_set1_epi8(0x20);
        __m128i b0 = _mm_or_si128(block::load(p + j - 3), fold);
        __m128i b1 = _mm_or_si128(block::load(p + j - 2), fold);
        __m128i b2 = _mm_or_si128(block::load(p + j - 1), fold);
        __m128i b3 = _mm_or_si128(block::load(p + j), fold);
        __m128i b4 = _mm_or_si128(block::load(p + j + 1), fold);
        __m128i head = _mm_and_si128(_mm_and_si128(block::is(b0, 'h'), block::is(b1, 'e')),
                                     _mm_and_si128(block::is(b2, 'a'), block::is(b3, 'd')));
        __m128i side = _mm_and_si128(_mm_and_si128(block::is(b1, 's'), block::is(b2, 'i')),
                                     _mm_and_si128(block::is(b3, 'd'), block::is(b4, 'e')));
        __m128i tmps = _mm_and_si128(_mm_and_si128(block::is(b1, 't'), block::is(b2, 'm')),
                                     _mm_and_si128(block::is(b3, 'p'), block::is(b4, 's')));
        for (unsigned m = block::bits(block::either(head, block::either(side, tmps))); m != 0;
             m &= m - 1) {
            std::size_t at = j + static_cast<std::size_t>(std::countr_zero(m));
            if (exchange_key_at(p, n, at) != 0)
                return at;
        }
    }
#endif
    for (; j < n; ++j)
        if (has_class(p[j], exchange_key) && exchange_key_at(p, n, j) != 0)
            return j;
    return std::string_view::npos;
}

struct KeyWord {
    std::size_t start; // position of its first byte
    unsigned key;
};

// Every key word of the text, from left to right; returns their bits.
unsigned find_key_words(std::string_view text, std::vector<KeyWord>& found) {
    found.clear();
    unsigned keys = 0;
    for (std::size_t j = 0; j < text.size(); ++j) {
        if (!has_class(text[j], exchange_key))
            continue;
        if (unsigned key = exchange_key_at(text.data(), text.size(), j)) {
            // The key byte is the fourth of "HEAD" and the third of the others.
            found.push_back({key & (key_HEAD | key_head) ? j - 3 : j - 2, key});
            keys |= key;
        }
    }
    return keys;
}

// The key word whose first byte is at `start`, as a bit, or 0.
unsigned key_word_at(std::string_view text, std::size_t start) {
    if (start + 4 > text.size())
        return 0;
    std::string_view four = text.substr(start, 4);
    for (auto [word, bit] : key_spellings)
        if (four == word)
            return bit;
    return 0;
}

// After the bytes [at, at + size) changed, finds again the key words that
// overlap them; the others stay as they were. Returns the bits of all.
unsigned refresh_key_words(std::string_view text, std::size_t at, std::size_t size,
                           std::vector<KeyWord>& key_words) {
    std::size_t first = at >= 3 ? at - 3 : 0;
    std::size_t last = at + size; // one past the last start that overlaps
    std::erase_if(key_words, [&](const KeyWord& w) { return w.start >= first && w.start < last; });
    auto place = std::find_if(key_words.begin(), key_words.end(),
                              [&](const KeyWord& w) { return w.start >= last; });
    for (std::size_t start = first; start < last; ++start)
        if (unsigned key = key_word_at(text, start))
            place = key_words.insert(place, {start, key}) + 1;
    unsigned keys = 0;
    for (const KeyWord& w : key_words)
        keys |= w.key;
    return keys;
}

// The exchange steps in their order. A step's pattern can only stand where
// its key word does, at the key's offset, so each step looks there instead
// of searching the whole text; the leftmost such place that matches is the
// first occurrence.
void exchange_words(std::string& text, std::vector<KeyWord>& key_words) {
    unsigned keys = find_key_words(text, key_words);
    for (const Exchange& step : exchanges) {
        if ((keys & step.key) == 0)
            continue;
        std::size_t size = step.pattern.size();
        for (const KeyWord& word : key_words) {
            if (word.key != step.key || word.start < step.offset)
                continue;
            std::size_t at = word.start - step.offset;
            if (at + size > text.size() || text.compare(at, size, step.pattern) != 0)
                continue;
            text.replace(at, size, step.replacement);
            keys = refresh_key_words(text, at, size, key_words);
            break;
        }
    }
}

void write_line(seq::Writer& out, std::string_view line) {
    out.put(line);
    out.put('\n');
}

// Writes a line that may be followed in memory by its own newline: then the
// two go out in one piece.
void write_line(seq::Writer& out, std::string_view line, bool newline_follows) {
    if (newline_follows)
        out.put(std::string_view(line.data(), line.size() + 1));
    else
        write_line(out, line);
}

// The line loop. Lines come in runs: everything the reader holds up to its
// last newline, or one last line without a newline. A run is split into
// lines for the general case; a single keyword, which is all the command
// line ever asks for, gets a path that works on the whole run and writes
// the lines it leaves unchanged in one piece.
class LineLoop {
  public:
    explicit LineLoop(const Settings& settings) : settings_(settings) {
        rewrites_ = settings.lower_flag || has_dancer_mode(settings);
        int operations =
            (rewrites_ ? 1 : 0) + settings.join_flag + settings.rmpic_flag + settings.switchhs_flag;
        if (operations == 1) {
            if (rewrites_)
                path_ = &LineLoop::rewrite_run;
            else if (settings.rmpic_flag)
                path_ = &LineLoop::rmpic_run;
            else if (settings.join_flag)
                path_ = &LineLoop::join_run;
            else
                path_ = &LineLoop::switchhs_run;
        }
    }

    void run_of_lines(std::string_view run, seq::Writer& out) {
        if (!run.empty())
            (this->*path_)(run, out);
    }

    void lines_one_by_one(std::string_view run, seq::Writer& out) {
        while (!run.empty()) {
            std::size_t end = seq::line_end(run, 0);
            line(run.substr(0, end), out);
            run.remove_prefix(end);
        }
    }

  private:
    // One line as read, with its newline or, at the end of the input,
    // without: the steps of the line loop in their order.
    void line(std::string_view raw, seq::Writer& out) {
        std::string_view line = raw;
        bool newline_follows = seq::LineReader::has_newline(line);
        if (newline_follows)
            line.remove_suffix(1);

        if (line.empty()) {
            if (settings_.rmpic_flag)
                return;
            if (prev_blank_ && settings_.join_flag)
                return;
            prev_blank_ = true;
        } else {
            prev_blank_ = false;
        }

        bool picture_line = false;
        if (settings_.rmpic_flag && rewrites_) {
            line_buf_.assign(line);
            line_buf_.push_back('\n');
            picture_line = character_pass(settings_, line_buf_.data(), line.size());
            line = std::string_view(line_buf_.data(), line.size());
            newline_follows = true;
        } else if (settings_.rmpic_flag) {
            picture_line = has_picture_designator(line);
        } else if (rewrites_ && rewrite_text(settings_, line, line_buf_)) {
            line = line_buf_;
            newline_follows = false;
        }

        if (settings_.rmpic_flag && !picture_line && !is_dots_line(line))
            write_line(out, line, newline_follows);

        if (settings_.switchhs_flag) {
            swap_buf_.assign(line);
            exchange_words(swap_buf_, key_words_);
            write_line(out, swap_buf_);
        } else if (!settings_.rmpic_flag) {
            write_line(out, line, newline_follows);
        }
    }

    // A run ends in a newline unless it is the last line of an input that
    // lacks one; that line is written with a newline.
    static void finish_run(std::string_view run, seq::Writer& out) {
        if (!seq::LineReader::has_newline(run))
            out.put('\n');
    }

    // Dancer keywords and "lower": the pass changes bytes but drops none.
    void rewrite_run(std::string_view run, seq::Writer& out) {
        out.put(rewrite_text(settings_, run, line_buf_) ? std::string_view(line_buf_) : run);
        finish_run(run, out);
    }

    // "rmpic": drops empty lines, picture lines and dots lines; the lines
    // kept between two dropped ones go out in one piece. Only the first line
    // of the run and the lines a candidate byte points at are looked at.
    void rmpic_run(std::string_view run, seq::Writer& out) {
        const char* p = run.data();
        std::size_t n = run.size();
        std::size_t kept = 0;
        // Looks at the line that starts at `start`; returns the position of
        // its newline, or n.
        auto look_at = [&](std::size_t start) {
            std::size_t end = find_newline(p, start, n);
            std::string_view line = run.substr(start, end - start);
            if (line.empty() || has_picture_designator(line) || is_dots_line(line)) {
                out.put(run.substr(kept, start - kept));
                kept = end < n ? end + 1 : n;
            }
            return end;
        };
        std::size_t at = look_at(0);
        while (at < n) {
            // Pictures come as runs of candidate lines: try the next one first.
            if (at + 1 < n && (p[at + 1] == ' ' || p[at + 1] == '\n')) {
                at = look_at(at + 1);
                continue;
            }
            std::size_t candidate = find_removal_candidate(run, at);
            if (candidate == std::string_view::npos)
                break;
            if (p[candidate] == '\n') {
                at = look_at(candidate + 1);
            } else {
                const void* nl = memrchr(p + at, '\n', candidate - at);
                at = look_at(static_cast<std::size_t>(static_cast<const char*>(nl) - p) + 1);
            }
        }
        if (kept < n) {
            out.put(run.substr(kept));
            finish_run(run, out);
        }
    }

    // "join": an empty line is dropped when the line before it was empty
    // too. Inside a run that is every newline that closes two newlines in a
    // row; at the start of a run the line before it is the one remembered.
    void join_run(std::string_view run, seq::Writer& out) {
        std::size_t kept = 0;
        auto drop = [&](std::size_t at) {
            out.put(run.substr(kept, at - kept));
            kept = at + 1;
        };
        if (run[0] == '\n' && prev_blank_)
            drop(0);
        if (run.size() >= 2 && run[0] == '\n' && run[1] == '\n')
            drop(1);
        for (std::size_t at = run.find("\n\n\n"); at != std::string_view::npos;
             at = run.find("\n\n\n", at + 1))
            drop(at + 2);
        out.put(run.substr(kept));
        finish_run(run, out);
        std::size_t n = run.size();
        prev_blank_ = run[n - 1] == '\n' && (n == 1 || run[n - 2] == '\n');
    }

    // "switchhs": only the lines that may hold an exchange word are copied
    // and exchanged; the others go out as they are, in one piece.
    void switchhs_run(std::string_view run, seq::Writer& out) {
        std::size_t kept = 0;
        std::size_t key = find_exchange_key(run, 0);
        while (key != std::string_view::npos) {
            std::size_t start = run.rfind('\n', key);
            start = start == std::string_view::npos ? 0 : start + 1;
            std::size_t stop = find_newline(run.data(), key, run.size());
            out.put(run.substr(kept, start - kept));
            swap_buf_.assign(run.substr(start, stop - start));
            exchange_words(swap_buf_, key_words_);
            out.put(swap_buf_);
            kept = stop;
            key = stop == run.size() ? std::string_view::npos : find_exchange_key(run, stop);
        }
        out.put(run.substr(kept));
        finish_run(run, out);
    }

    const Settings& settings_;
    bool rewrites_ = false;
    void (LineLoop::*path_)(std::string_view, seq::Writer&) = &LineLoop::lines_one_by_one;
    bool prev_blank_ = false;
    // Reused from line to line and run to run: memory grows with the longest
    // line or run, never with the input.
    std::string line_buf_;
    std::string swap_buf_;
    std::vector<KeyWord> key_words_;
};

int line_loop(const Settings& settings, seq::LineReader& in, seq::Writer& out, bool by_line) {
    LineLoop loop(settings);
    std::string_view run;
    while (!out.failed() && in.next_lines(run)) {
        if (by_line)
            loop.lines_one_by_one(run, out);
        else
            loop.run_of_lines(run, out);
    }
    if (in.error() != 0) {
        seq::report_read_error(program, "standard input", in.error());
        return 1;
    }
    return 0;
}

int add1_operation(seq::LineReader& in, seq::Writer& out) {
    std::string_view line;
    if (!in.next(line)) {
        if (in.error() != 0)
            seq::report_read_error(program, "standard input", in.error());
        return 1;
    }
    if (seq::LineReader::has_newline(line))
        line.remove_suffix(1);
    write_line(out, add_one(line));
    return 0;
}

} // namespace

const std::string_view usage_text =
    "callmorph: callmorph {dancers, lower, join, add1, rmpic, switchhs}\n"
    "  dancers: {all, heads, sides, headboys, sideboys, headgirls, sidegirls,\n"
    "            boys, girls, mn1, boysmn1, girlsmn1, partner,\n"
    "            headpartner, sidepartner}\n";

Settings parse_arguments(std::string_view invocation_name, std::span<const std::string_view> args) {
    Settings settings;
    for (std::string_view arg : args) {
        for (const Keyword& keyword : keywords) {
            if (arg != keyword.word)
                continue;
            if (keyword.flag != nullptr)
                settings.*keyword.flag = true;
            else
                settings.dancer_mode = keyword.dancer_mode;
        }
    }
    if (args.empty() && strgrep("rmpic", invocation_name) != std::string_view::npos)
        settings.rmpic_flag = true;
    return settings;
}

Operation choose_operation(const Settings& settings, std::size_t argument_count) {
    if (settings.add1_flag)
        return Operation::add1;
    if (argument_count > 1)
        return Operation::usage;
    if (has_dancer_mode(settings) || settings.lower_flag || settings.join_flag ||
        settings.rmpic_flag || settings.switchhs_flag)
        return Operation::line_loop;
    return Operation::usage;
}

std::size_t strgrep(std::string_view pattern, std::string_view text) {
    if (text.empty() || pattern.size() > text.size())
        return std::string_view::npos;
    if (pattern.empty())
        return 0;
    // A plain loop: the texts are single lines, too short for a library
    // search to pay for its calls.
    std::size_t m = pattern.size();
    for (std::size_t s = 0; s + m <= text.size(); ++s) {
        if (text[s] != pattern[0])
            continue;
        std::size_t k = 1;
        while (k < m && text[s + k] == pattern[k])
            ++k;
        if (k == m)
            return s;
    }
    return std::string_view::npos;
}

bool is_picture_designator(std::string_view line, std::size_t i) {
    return designator_at(line.data(), line.size(), i);
}

void remap_designator(int dancer_mode, char* line, std::size_t i) {
    // The mapping table is indexed by the couple number and the letter, so
    // anything else is left alone.
    if (dancer_mode < 0 || dancer_mode > 15 || i == 0 || !is_couple_number(line[i - 1]) ||
        !is_designator_letter(line[i]))
        return;
    map_designator(dancer_mode, line + i - 1, line + i - 1);
}

bool is_dots_line(std::string_view line) {
    if (line.empty())
        return false;
    std::size_t last = line.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        char c = line[i];
        if (c == ' ')
            continue;
        if (c != '.' || i == 0 || line[i - 1] != ' ')
            return false;
        if (i < last && line[i + 1] != ' ')
            return false;
    }
    return true;
}

void switch_heads_sides(std::string& text) {
    std::vector<KeyWord> key_words;
    exchange_words(text, key_words);
}

std::string add_one(std::string_view line) {
    if (line.empty())
        return {};
    std::size_t space = line.rfind(' ');
    std::size_t start = space == std::string_view::npos ? 0 : space + 1;
    std::int64_t value = seq::plain_number(line.substr(start));
    if (value != INT64_MAX)
        ++value;
    std::string result(line.substr(0, start));
    result += std::to_string(value);
    return result;
}

int filter_lines(const Settings& settings, seq::LineReader& in, seq::Writer& out) {
    return line_loop(settings, in, out, false);
}

int filter_lines_one_by_one(const Settings& settings, seq::LineReader& in, seq::Writer& out) {
    return line_loop(settings, in, out, true);
}

int run(std::string_view invocation_name, std::span<const std::string_view> args,
        seq::LineReader& in, seq::Writer& out) {
    Settings settings = parse_arguments(invocation_name, args);
    switch (choose_operation(settings, args.size())) {
    case Operation::add1:
        return add1_operation(in, out);
    case Operation::line_loop:
        return filter_lines(settings, in, out);
    case Operation::usage:
        break;
    }
    out.put(usage_text);
    return 1;
}

} // namespace callmorph
