#include <string>
#include <unistd.h>
#include <vector>

#include "io.hpp"
#include "probelist.hpp"
#include "writer.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    seq::Writer out(STDOUT_FILENO);
    int status = probelist::run(args, out);
    if (!seq::finish_output("probelist", out))
        return 1;
    return status;
}
