#include <unistd.h>

#include "io.hpp"
#include "line_reader.hpp"
#include "pagemark.hpp"
#include "writer.hpp"

// Arguments are ignored: the filter always reads standard input.
int main() {
    seq::LineReader in(STDIN_FILENO);
    seq::Writer out(STDOUT_FILENO);
    int status = pagemark::run(in, out);
    if (!seq::finish_output("pagemark", out))
        return 1;
    return status;
}
