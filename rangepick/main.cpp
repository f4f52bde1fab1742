#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "rangepick.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return rangepick::run(args, std::getenv("QUIET_RANGEPICK") != nullptr, STDIN_FILENO);
}
