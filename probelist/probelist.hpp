#pragma once
// probelist: lists which of the named files are sequence files.
//
// A sequence file begins with its leading blank line, a lone newline, and its
// second line is a date line. Nothing past the first bytes of those two
// lines decides anything, so only the first five bytes of a file are read.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "writer.hpp"

namespace probelist {

// How many bytes from the start of a file the test needs: the newline of the
// leading blank line and the four-byte weekday prefix of the date line.
inline constexpr std::size_t head_length = 5;

// True when `head`, the first bytes of a file, starts like a sequence file.
bool is_sequence_head(std::string_view head);

// Reads the first bytes of the open file `fd` and tells whether it is a
// sequence file. A file that cannot be read is not one.
bool is_sequence_file(int fd);

inline constexpr std::string_view heading = "Following files are sequence file(s)\n";

// Examines every file named in `args`, in order. Returns 2 when any file
// could not be opened, else 0 when any file was listed, else 1.
int run(std::span<const std::string> args, seq::Writer& out);

} // namespace probelist
