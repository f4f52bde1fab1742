#include "sequence.hpp"

#include <climits>
#include <cstring>

namespace seq {

bool is_date_line(std::string_view line) {
    static constexpr const char* weekdays[] = {"Mon ", "Tue ", "Wed ", "Thu ",
                                               "Fri ", "Sat ", "Sun "};
    if (line.size() < 4)
        return false;
    for (const char* day : weekdays)
        if (std::memcmp(line.data(), day, 4) == 0)
            return true;
    return false;
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
