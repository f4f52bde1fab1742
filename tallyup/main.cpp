#include <cstdlib>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "io.hpp"
#include "tallyup.hpp"
#include "writer.hpp"

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    tallyup::Environment env{std::getenv("TALLYUP_START_NUMBER"), std::getenv("TALLYUP_LABEL")};
    seq::Writer out(STDOUT_FILENO, false, 1 << 20);
    int status = tallyup::run(args, env, out);
    if (!seq::finish_output("tallyup", out))
        return 1;
    return status;
}
