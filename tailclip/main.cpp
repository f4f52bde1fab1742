#include <unistd.h>

#include "io.hpp"
#include "tailclip.hpp"
#include "writer.hpp"

// Arguments are ignored: the filter always reads standard input.
int main() {
    seq::Writer out(STDOUT_FILENO);
    int status = tailclip::run(STDIN_FILENO, out);
    if (!seq::finish_output("tailclip", out))
        return 1;
    return status;
}
