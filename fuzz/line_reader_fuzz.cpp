// The line reader hands back every byte of its input exactly once, in whole
// lines, whatever the block size and however next() and next_lines() are
// mixed; only the last line may lack its newline.
//
// Input: one byte for the block size, one byte that chooses between next()
// and next_lines() call by call, then the text to read.

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "fuzz_support.hpp"
#include "line_reader.hpp"

namespace {

void read_all(seq::LineReader& in, std::string_view data, std::uint8_t pattern) {
    std::string joined;
    bool ended_without_newline = false;
    unsigned state = pattern;
    std::string_view piece;
    for (;;) {
        // A cheap generator, so long inputs see both calls in every order.
        state = state * 1103515245u + 12345u;
        bool whole_runs = (state >> 16) & 1;
        if (!(whole_runs ? in.next_lines(piece) : in.next(piece)))
            break;
        FUZZ_CHECK(!ended_without_newline, "a line followed one that lacked its newline");
        FUZZ_CHECK(!piece.empty(), "an empty line was handed out");
        std::size_t first_newline = piece.find('\n');
        if (whole_runs) {
            // Whole lines up to the last newline, or one line without any.
            FUZZ_CHECK(piece.back() == '\n' || first_newline == std::string_view::npos,
                       "next_lines() cut a line");
        } else {
            FUZZ_CHECK(first_newline == std::string_view::npos || first_newline == piece.size() - 1,
                       "next() handed out more than one line");
        }
        ended_without_newline = piece.back() != '\n';
        joined.append(piece);
        FUZZ_CHECK(joined.size() <= data.size(), "the lines hold more bytes than the input");
    }
    FUZZ_CHECK(in.error() == 0, "a read error was reported for a readable input");
    FUZZ_CHECK(joined == data, "the lines joined differ from the input");
    FUZZ_CHECK(!in.next(piece) && !in.next_lines(piece), "the reader went on after its end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2)
        return 0;
    std::size_t block = fuzz_support::chunk_size(bytes[0]);
    std::uint8_t pattern = bytes[1];
    std::string_view data(reinterpret_cast<const char*>(bytes) + 2, size - 2);

    auto memory = seq::LineReader::from_memory(data, block);
    read_all(memory, data, pattern);

    // The same through a file descriptor, as the programs read.
    static const int fd = ::memfd_create("line_reader_fuzz", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0, "memfd_create failed");
    FUZZ_CHECK(::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0, "cannot reset the file");
    FUZZ_CHECK(::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size()),
               "cannot write the file");
    FUZZ_CHECK(::lseek(fd, 0, SEEK_SET) == 0, "cannot rewind the file");
    // Windows as small as a page put line ends on every side of a window's end.
    seq::LineReader file(fd, block, block);
    read_all(file, data, static_cast<std::uint8_t>(pattern ^ 0x5a));
    return 0;
}
