#include "callmorph.hpp"

#include <cstdint>

#include "io.hpp"
#include "sequence.hpp"

namespace callmorph {

namespace {

constexpr std::string_view program = "callmorph";

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

struct Exchange {
    std::string_view pattern;
    std::string_view replacement;
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

inline bool is_couple_number(char c) {
    return c >= '1' && c <= '4';
}
inline bool is_designator_letter(char c) {
    return c == 'B' || c == 'G';
}
inline bool is_facing_mark(char c) {
    return c == '^' || c == 'V' || c == '<' || c == '>';
}

inline bool designator_at(const char* line, std::size_t size, std::size_t i) {
    return i >= 1 && i + 2 <= size && is_designator_letter(line[i]) &&
           is_facing_mark(line[i + 1]) && is_couple_number(line[i - 1]);
}

inline bool has_picture_designator(std::string_view line) {
    for (std::size_t i = 1; i + 1 < line.size(); ++i)
        if (designator_at(line.data(), line.size(), i))
            return true;
    return false;
}

// The character pass over one line, in place: picture designators are
// remapped, other capitals lowered when asked, except the "V" facing mark of
// a designator. Under picture removal the pass stops at the first designator
// and returns true.
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
            bool facing_mark = c == 'V' && i >= 2 && is_designator_letter(line[i - 1]) &&
                               is_couple_number(line[i - 2]);
            if (!facing_mark)
                line[i] = static_cast<char>(c + 32);
        }
    }
    return false;
}

// True when the text holds one of the words the exchange looks for. Every
// pattern contains "HEAD", "SIDE" or "TMPS" in one case or the other, so a
// line without them is left as it is without running the steps.
bool may_hold_exchange_word(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    for (std::size_t j = 2; j < n; ++j) {
        char c = p[j];
        if (c == 'D' || c == 'd') {
            bool upper = c == 'D';
            std::string_view head = upper ? "HEA" : "hea";
            std::string_view side = upper ? "SI" : "si";
            if (j >= 3 && text.substr(j - 3, 3) == head)
                return true;
            if (j + 1 < n && text.substr(j - 2, 2) == side && p[j + 1] == (upper ? 'E' : 'e'))
                return true;
        } else if (c == 'P' || c == 'p') {
            bool upper = c == 'P';
            if (j + 1 < n && text.substr(j - 2, 2) == (upper ? "TM" : "tm") &&
                p[j + 1] == (upper ? 'S' : 's'))
                return true;
        }
    }
    return false;
}

void write_line(seq::Writer& out, std::string_view line) {
    out.put(line);
    out.put('\n');
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
    if ((settings.dancer_mode >= 1 && settings.dancer_mode <= 15) || settings.lower_flag ||
        settings.join_flag || settings.rmpic_flag || settings.switchhs_flag)
        return Operation::line_loop;
    return Operation::usage;
}

std::size_t strgrep(std::string_view pattern, std::string_view text) {
    if (text.empty() || pattern.size() > text.size())
        return std::string_view::npos;
    return text.find(pattern);
}

bool is_picture_designator(std::string_view line, std::size_t i) {
    return designator_at(line.data(), line.size(), i);
}

void remap_designator(int dancer_mode, char* line, std::size_t i) {
    if (dancer_mode < 0 || dancer_mode > 15)
        return;
    const char* to = designator_map[dancer_mode][(line[i - 1] - '1') + (line[i] == 'G' ? 4 : 0)];
    line[i - 1] = to[0];
    line[i] = to[1];
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
    if (!may_hold_exchange_word(text))
        return;
    for (const Exchange& step : exchanges) {
        std::size_t at = strgrep(step.pattern, text);
        if (at != std::string_view::npos)
            text.replace(at, step.replacement.size(), step.replacement);
    }
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
    // Both buffers are reused from line to line; they grow only with the
    // longest line.
    std::string line_buf;
    std::string swap_buf;
    bool prev_blank = false;
    bool rewrites =
        settings.lower_flag || (settings.dancer_mode >= 1 && settings.dancer_mode <= 15);
    std::string_view raw;
    while (!out.failed() && in.next(raw)) {
        std::string_view line = raw;
        if (seq::LineReader::has_newline(line))
            line.remove_suffix(1);

        if (line.empty()) {
            if (settings.rmpic_flag)
                continue;
            if (prev_blank && settings.join_flag)
                continue;
            prev_blank = true;
        } else {
            prev_blank = false;
        }

        bool picture_line = false;
        if (rewrites) {
            line_buf.assign(line);
            picture_line = character_pass(settings, line_buf.data(), line_buf.size());
            line = line_buf;
        } else if (settings.rmpic_flag) {
            picture_line = has_picture_designator(line);
        }

        if (settings.rmpic_flag && !picture_line && !is_dots_line(line))
            write_line(out, line);

        if (settings.switchhs_flag) {
            swap_buf.assign(line);
            switch_heads_sides(swap_buf);
            write_line(out, swap_buf);
        } else if (!settings.rmpic_flag) {
            write_line(out, line);
        }
    }
    if (in.error() != 0) {
        seq::report_read_error(program, "standard input", in.error());
        return 1;
    }
    return 0;
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
