#pragma once
// Helpers shared by the fuzz targets: property checks that stop the run with
// a message, splitting a text into lines, the refill sizes the readers are
// driven with, and a way to keep expected diagnostics off standard error.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fuzz_support {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "\nproperty violated at %s:%d: %s\n", file, line, what);
    std::abort();
}

// Checks a property; a violation aborts, so libFuzzer saves the input.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz_support::fail(__FILE__, __LINE__, what);                                        \
    } while (0)

// The lines of a text, each with its newline; only the last may lack one.
inline std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t nl = text.find('\n', at);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// A line without its newline.
inline std::string_view body(std::string_view line) {
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    return line;
}

// Refill sizes: tiny ones put line ends on every side of a block boundary,
// the large one is what the programs use.
inline std::size_t chunk_size(std::uint8_t selector) {
    static constexpr std::size_t sizes[] = {1,  2,  3,  4,  5,  7,  8,    15,
                                            16, 17, 31, 32, 33, 64, 4096, 128 * 1024};
    return sizes[selector % (sizeof sizes / sizeof sizes[0])];
}

// The weekday test, written out again so that the targets do not check the
// programs against their own helper.
inline bool opens_with_weekday(std::string_view line) {
    static constexpr std::string_view days[] = {"Mon ", "Tue ", "Wed ", "Thu ",
                                                "Fri ", "Sat ", "Sun "};
    for (std::string_view day : days)
        if (line.substr(0, 4) == day)
            return true;
    return false;
}

// Sends standard error to /dev/null while it lives, for calls whose
// diagnostics are expected by the hundred thousand; a failed check after it
// has ended still reaches the terminal.
class QuietStderr {
  public:
    QuietStderr() {
        static const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        saved_ = ::dup(STDERR_FILENO);
        if (null_fd >= 0)
            ::dup2(null_fd, STDERR_FILENO);
    }
    ~QuietStderr() {
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

  private:
    int saved_ = -1;
};

} // namespace fuzz_support
