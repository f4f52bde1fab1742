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
    seq::Writer out(STDOUT_FILENO);
    int status = callmorph::run(invocation_name, args, in, out);
    if (!seq::finish_output("callmorph", out))
        return 1;
    return status;
}
