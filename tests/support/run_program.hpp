#pragma once
// Runs a built program the way a user would: with arguments, standard input,
// environment and working directory, and captures everything it does.

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct RunOptions {
    std::vector<std::string> args = {}; // after the program name
    std::string input = {};             // fed to standard input
    bool close_stdin = false;           // standard input is /dev/null instead
    std::string stdin_path = {};        // standard input is this file instead
    std::vector<std::pair<std::string, std::string>> env = {}; // set in the child
    std::string cwd = {};         // working directory; empty: inherited
    std::string argv0 = {};       // invocation name; empty: the program path
    std::string stdout_path = {}; // write standard output here (e.g. /dev/full)
};

struct RunResult {
    int status = -1; // exit status, or 128 + signal number
    std::string out; // standard output (empty when stdout_path is set)
    std::string err; // standard error
};

// The path of a program built by this tree (its bin/ folder).
std::string program_path(const std::string& name);

// Runs `program` (a path). The suite's own environment variables
// (QUIET_RANGEPICK, TALLYUP_LABEL, TALLYUP_START_NUMBER) are removed from the
// child's environment before `env` is applied, so a developer's shell
// settings never change a test.
RunResult run_program(const std::string& program, const RunOptions& options);

// A fresh directory under the system's temporary folder, removed with all its
// contents when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::string path_;
};

// Reads a whole file; throws when it cannot be read.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& content);

} // namespace testing_support
