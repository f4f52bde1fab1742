#include "run_program.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#ifndef SUITE_BIN_DIR
#error "SUITE_BIN_DIR must name the folder of the built programs"
#endif

namespace testing_support {

std::string program_path(const std::string& name) {
    return std::string(SUITE_BIN_DIR) + "/" + name;
}

namespace {

[[noreturn]] void child_fail(const char* what) {
    std::string text = std::string("run_program: ") + what + ": " + std::strerror(errno) + "\n";
    (void)!::write(STDERR_FILENO, text.data(), text.size());
    _exit(127);
}

void make_pipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
}

} // namespace

RunResult run_program(const std::string& program, const RunOptions& options) {
    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);

    std::vector<std::string> argv_text;
    argv_text.push_back(options.argv0.empty() ? program : options.argv0);
    argv_text.insert(argv_text.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        if (!options.stdin_path.empty()) {
            int fd = ::open(options.stdin_path.c_str(), O_RDONLY);
            if (fd < 0 || ::dup2(fd, STDIN_FILENO) < 0)
                child_fail("stdin");
        } else if (options.close_stdin) {
            int devnull = ::open("/dev/null", O_RDONLY);
            if (devnull < 0 || ::dup2(devnull, STDIN_FILENO) < 0)
                child_fail("stdin");
        } else if (::dup2(in[0], STDIN_FILENO) < 0) {
            child_fail("stdin");
        }
        if (!options.stdout_path.empty()) {
            int fd = ::open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
                child_fail("stdout");
        } else if (::dup2(out[1], STDOUT_FILENO) < 0) {
            child_fail("stdout");
        }
        if (::dup2(err[1], STDERR_FILENO) < 0)
            child_fail("stderr");
        for (const char* name : {"QUIET_RANGEPICK", "TALLYUP_LABEL", "TALLYUP_START_NUMBER"})
            ::unsetenv(name);
        for (const auto& [name, value] : options.env)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0)
            child_fail("chdir");
        ::execv(program.c_str(), argv.data());
        child_fail("exec");
    }

    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);

    RunResult result;
    std::size_t written = 0;
    int in_fd = in[1];
    if (options.close_stdin || !options.stdin_path.empty() || options.input.empty()) {
        ::close(in_fd);
        in_fd = -1;
    } else {
        ::fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    int out_fd = out[0], err_fd = err[0];
    // The parent must not die when the child stops reading early.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);

    char chunk[65536];
    while (in_fd >= 0 || out_fd >= 0 || err_fd >= 0) {
        pollfd fds[3];
        int count = 0;
        auto add = [&](int fd, short events) {
            if (fd >= 0)
                fds[count++] = pollfd{fd, events, 0};
        };
        add(in_fd, POLLOUT);
        add(out_fd, POLLIN);
        add(err_fd, POLLIN);
        if (::poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            int fd = fds[i].fd;
            if (fd == in_fd) {
                ssize_t n =
                    ::write(fd, options.input.data() + written, options.input.size() - written);
                if (n > 0)
                    written += static_cast<std::size_t>(n);
                if ((n < 0 && errno != EAGAIN && errno != EINTR) ||
                    written == options.input.size()) {
                    ::close(in_fd);
                    in_fd = -1;
                }
            } else {
                ssize_t n = ::read(fd, chunk, sizeof chunk);
                if (n > 0) {
                    (fd == out_fd ? result.out : result.err)
                        .append(chunk, static_cast<std::size_t>(n));
                } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                    ::close(fd);
                    (fd == out_fd ? out_fd : err_fd) = -1;
                }
            }
        }
    }
    ::sigaction(SIGPIPE, &previous, nullptr);

    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
    return result;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "suite-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& content) const {
    write_file(file(name), content);
}

std::string TempDir::read(const std::string& name) const {
    return read_file(file(name));
}

bool TempDir::exists(const std::string& name) const {
    return std::filesystem::exists(file(name));
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace testing_support
