#include <string_view>
#include <unistd.h>
#include <vector>

#include "callmorph.hpp"
#include "io.hpp"

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // A program may be started with an empty argument vector; it then has no
    // invocation name to look at.
    std::string_view invocation_name = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    seq::LineReader in(STDIN_FILENO);
    // The filters hand the writer whole runs of lines, nearly as large as the
    // reader's block; a smaller writer block lets such a run go straight to
    // write(2) instead of being copied into the writer first.
    seq::Writer out(STDOUT_FILENO, false, seq::LineReader::default_block / 2);
    int status = callmorph::run(invocation_name, args, in, out);
    if (!seq::finish_output("callmorph", out))
        return 1;
    return status;
}
