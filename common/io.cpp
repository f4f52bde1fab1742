#include "io.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace seq {

int open_input(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int open_output(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

void print_error(std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void warn(std::string_view program, std::string_view message) {
    std::string line;
    line.reserve(program.size() + message.size() + 3);
    line.append(program).append(": ").append(message).push_back('\n');
    print_error(line);
}

std::string reason(int error) {
    return std::strerror(error);
}

void report_read_error(std::string_view program, std::string_view name, int error) {
    std::string message = "read error: ";
    message.append(name).append(": ").append(reason(error));
    warn(program, message);
}

bool finish_output(std::string_view program, Writer& out) {
    if (out.close())
        return true;
    warn(program, "write error: " + reason(out.error()));
    return false;
}

} // namespace seq
