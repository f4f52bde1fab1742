#include <string>
#include <unistd.h>
#include <vector>

#include "chainup.hpp"
#include "io.hpp"
#include "writer.hpp"

// Every argument names a file, also one that begins with a minus sign.
int main(int argc, char** argv) {
    std::vector<std::string> files(argv + 1, argv + argc);
    seq::Writer out(STDOUT_FILENO);
    int status = chainup::run(files, out);
    if (!seq::finish_output("chainup", out))
        return 1;
    return status;
}
